#ifndef REGISTRYNODE_H
#define REGISTRYNODE_H

#include "platform/registry/registryvalue.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

// One key of a stand-in hive with its values and subkeys, both in the order they were read or
// added. Names compare case-insensitively and keep the case they were first given in.
struct RegistryNode
{
    QString name;
    // Written as a section of its own even while it holds nothing.
    bool listed = false;
    QVector<QPair<QString, RegistryValue>> values;
    std::vector<RegistryNode> children;

    RegistryNode *child(const QString &childName);
    const RegistryNode *child(const QString &childName) const;
    const RegistryNode *find(const QStringList &path) const;
    RegistryNode *find(const QStringList &path);
    // The key at path, created with its missing ancestors; the key itself becomes listed.
    RegistryNode *make(const QStringList &path);
    bool removeChild(const QString &childName);

    const RegistryValue *value(const QString &valueName) const;
    // True when the value was new or different.
    bool setValue(const QString &valueName, const RegistryValue &value);
    bool removeValue(const QString &valueName);
};

#endif // REGISTRYNODE_H
