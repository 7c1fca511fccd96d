#include "platform/registry/registrykey.h"

#include "platform/registry/registrypath.h"

#ifdef Q_OS_WIN

#include <QSettings>
#include <QVariant>

#include <memory>

// One native settings object per key; it writes out when destroyed. None for the empty path,
// which names no key.
class RegistryBackend
{
public:
    explicit RegistryBackend(const QString &path)
    {
        if (!path.isEmpty())
            settings.reset(new QSettings(path, QSettings::NativeFormat));
    }

    void setInteger(const QString &name, int value)
    {
        if (settings)
            settings->setValue(name, value);
    }
    QString text(const QString &name) const
    {
        return settings ? settings->value(name, QVariant()).toString() : QString();
    }
    void removeAll()
    {
        if (settings)
            settings->remove(QString());
    }
    QStringList allKeys() const { return settings ? settings->allKeys() : QStringList(); }
    QStringList childGroups() const { return settings ? settings->childGroups() : QStringList(); }

private:
    std::unique_ptr<QSettings> settings;
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
