#ifndef LIVEREGISTRY_H
#define LIVEREGISTRY_H

#include "platform/registry/registryreader.h"

// Reads the registry afresh for every query, each through its own RegistryKey, as the dump did
// before it read each tree once: the reference that the dump's lines are compared with. Names
// are the settings layer's turned back, so they are the registry's only where the settings layer
// reads a name as the registry holds it.
class LiveRegistry : public RegistryReader
{
public:
    QStringList allKeys(const QString &path) const override;
    QStringList childGroups(const QString &path) const override;
    QVector<Value> values(const QString &path) const override;
};

#endif // LIVEREGISTRY_H
