#ifndef REGISTRYSEED_H
#define REGISTRYSEED_H

#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>

struct RegistryNode;

// Test fixtures for the registry: elsewhere they write into the stand-in hive files below the
// current REPAIRTOOL_ROOT (use TemporaryRoot), on Windows into the real registry.
//
// keyPath is a full path such as "HKEY_CURRENT_USER\Software\Kormand". name is taken as
// QSettings takes it: "Player/Volume" writes below the subkey Player, "." the default value.
// value is stored as the native settings format stores it: QString as REG_SZ, int and uint as
// REG_DWORD, qint64 and quint64 as REG_QWORD, QStringList as REG_MULTI_SZ.
void seedRegistryValue(const QString &keyPath, const QString &name, const QVariant &value);
// Many values at once, as seedRegistryValue stores each: much quicker for large trees.
void seedRegistryValues(const QString &keyPath, const QVector<QPair<QString, QVariant>> &values);

// Stores tree's values and subkeys below keyPath as they are, without the settings layer: names
// taken literally (a "/" in a key's name, a "\" in a value's name, the empty default value's
// name), values with their registry type and bytes.
void seedRegistryTree(const QString &keyPath, const RegistryNode &tree);

// Whether the registry is stood in for by hive files (everywhere but Windows).
bool registryIsStandIn();

// Creates the key at keyPath, with its missing parents, without any value.
void seedRegistryKey(const QString &keyPath);

// Deletes the key at keyPath with everything below it. On Windows the registry outlives a test,
// so suites remove there what they seeded or wrote; elsewhere TemporaryRoot takes it all away.
void removeRegistryTree(const QString &keyPath);

#endif // REGISTRYSEED_H
