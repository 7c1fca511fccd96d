#ifndef NATIVESETTINGS_H
#define NATIVESETTINGS_H

#include <QString>
#include <QStringList>

struct RegistryNode;

// How QSettings in the native format lists and reads a registry key on Windows, applied to a key
// held in memory, so that a stand-in hive and a tree read once answer as the registry does.

// Every value at or below node, named relative to it: the levels joined with "/", "/" and "\"
// swapped within each name, "." for a key's default value; sorted, without repeats.
QStringList nativeAllKeys(const RegistryNode &node);
// The names of the direct subkeys, "/" and "\" swapped; sorted, without repeats.
QStringList nativeChildGroups(const RegistryNode &node);
// The text of QSettings::value(key).toString() for key relative to node, split as the native
// format splits it (splitSettingsKey); empty when key names no value.
QString nativeValueText(const RegistryNode &node, const QString &key);

#endif // NATIVESETTINGS_H
