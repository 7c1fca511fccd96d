#include "platform/registry/registrykey.h"

#include "platform/registry/registrypath.h"

#ifdef Q_OS_WIN

#include <QSettings>
#include <QVariant>

// One native settings object per key; it writes out when destroyed.
class RegistryBackend
{
public:
    explicit RegistryBackend(const QString &path)
        : settings(path, QSettings::NativeFormat)
    { }

    void setInteger(const QString &name, int value) { settings.setValue(name, value); }
    QString text(const QString &name) const { return settings.value(name, QVariant()).toString(); }
    void removeAll() { settings.remove(QString()); }
    QStringList allKeys() const { return settings.allKeys(); }
    QStringList childGroups() const { return settings.childGroups(); }

private:
    QSettings settings;
};

#else

#include "platform/standin/standinregistrykey.h"

class RegistryBackend : public StandInRegistryKey
{
public:
    using StandInRegistryKey::StandInRegistryKey;
};

#endif

RegistryKey::RegistryKey(const QString &path)
    : backend(new RegistryBackend(profileRegistryPath(path)))
{ }

RegistryKey::~RegistryKey() = default;

void RegistryKey::setInteger(const QString &name, int value)
{
    backend->setInteger(name, value);
}

QString RegistryKey::text(const QString &name) const
{
    return backend->text(name);
}

void RegistryKey::removeAll()
{
    backend->removeAll();
}

QStringList RegistryKey::allKeys() const
{
    return backend->allKeys();
}

QStringList RegistryKey::childGroups() const
{
    return backend->childGroups();
}
