#ifndef REGISTRYPATH_H
#define REGISTRYPATH_H

#include <QString>
#include <QStringList>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

// Splits a full registry path into the hive's full name and the subkey names below it, accepting
// what the native settings format accepts ("HKEY_CURRENT_USER\...", "HKCU\...", ...).
bool splitRegistryPath(const QString &path, QString *hive, QStringList *subkeys);

// The path at which the per-user parts reach the key at path: a key below HKEY_CURRENT_USER in
// the hive of the account they act on, "HKEY_USERS\<hive name>\...", when that is not the
// process's own (ProfileAccount); for an account that cannot be told, the empty path, which names
// no key; any other path as it is.
QString profileRegistryPath(const QString &path);

#ifdef Q_OS_WIN
// The predefined registry key of a hive's full name as splitRegistryPath gives it.
HKEY hiveHandle(const QString &hive);
#endif

// Splits a settings key as QSettings in the native format does: "/" separates subkeys, a "\" in
// a name stands for "/", and "." or "Default" names the default value (the empty name).
void splitSettingsKey(const QString &key, QStringList *subkeys, QString *valueName);

// A registry name as the native settings format lists it: "/" and "\" swapped.
QString settingsName(const QString &registryName);

#endif // REGISTRYPATH_H
