#ifndef REGISTRYKEY_H
#define REGISTRYKEY_H

#include <QString>
#include <QStringList>

#include <memory>

class RegistryBackend;

// A registry key opened on a full path such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System".
// A path below HKEY_CURRENT_USER opens the key in the hive of the account whose profile the
// per-user parts act on (profileRegistryPath).
// Meant as a local object of one step: pending changes are written when it is destroyed.
class RegistryKey
{
public:
    explicit RegistryKey(const QString &path);
    ~RegistryKey();

    // Stores a 32-bit integer (REG_DWORD) directly under the key.
    void setInteger(const QString &name, int value);
    // The value's text as QVariant::toString gives it; empty when the value is missing.
    QString text(const QString &name) const;
    // Removes every value and every subkey below the key.
    void removeAll();
    // Every value below the key, subkeys included, as "sub/key/name".
    QStringList allKeys() const;
    // The names of the direct subkeys.
    QStringList childGroups() const;

private:
    Q_DISABLE_COPY(RegistryKey)

    std::unique_ptr<RegistryBackend> backend;
};

#endif // REGISTRYKEY_H
