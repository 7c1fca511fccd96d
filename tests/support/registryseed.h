#ifndef REGISTRYSEED_H
#define REGISTRYSEED_H

#include <QString>
#include <QVariant>

// Test fixtures for the registry: elsewhere they write into the stand-in hive files below the
// current REPAIRTOOL_ROOT (use TemporaryRoot), on Windows into the real registry.
//
// keyPath is a full path such as "HKEY_CURRENT_USER\Software\Kormand". name is taken as
// QSettings takes it: "Player/Volume" writes below the subkey Player, "." the default value.
// value is stored as the native settings format stores it: QString as REG_SZ, int and uint as
// REG_DWORD, qint64 and quint64 as REG_QWORD, QStringList as REG_MULTI_SZ.
void seedRegistryValue(const QString &keyPath, const QString &name, const QVariant &value);

// Whether the registry is stood in for by hive files (everywhere but Windows).
bool registryIsStandIn();

// Creates the key at keyPath, with its missing parents, without any value.
void seedRegistryKey(const QString &keyPath);

// Deletes the key at keyPath with everything below it. On Windows the registry outlives a test,
// so suites remove there what they seeded or wrote; elsewhere TemporaryRoot takes it all away.
void removeRegistryTree(const QString &keyPath);

#endif // REGISTRYSEED_H
