#ifndef REGISTRYPATH_H
#define REGISTRYPATH_H

#include <QString>
#include <QStringList>

// Splits a full registry path into the hive's full name and the subkey names below it, accepting
// what the native settings format accepts ("HKEY_CURRENT_USER\...", "HKCU\...", ...).
bool splitRegistryPath(const QString &path, QString *hive, QStringList *subkeys);

// Splits a settings key as QSettings in the native format does: "/" separates subkeys, a "\" in
// a name stands for "/", and "." or "Default" names the default value (the empty name).
void splitSettingsKey(const QString &key, QStringList *subkeys, QString *valueName);

// A registry name as the native settings format lists it: "/" and "\" swapped.
QString settingsName(const QString &registryName);

#endif // REGISTRYPATH_H
