#include "platform/registry/registrynode.h"

#include <algorithm>

namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

RegistryNode *RegistryNode::child(const QString &childName)
{
    const auto it = std::find_if(children.begin(), children.end(), [&](const RegistryNode &c) {
        return sameName(c.name, childName);
    });
    return it == children.end() ? nullptr : &*it;
}

const RegistryNode *RegistryNode::child(const QString &childName) const
{
    return const_cast<RegistryNode *>(this)->child(childName);
}

RegistryNode *RegistryNode::find(const QStringList &path)
{
    RegistryNode *node = this;
    for (const QString &component : path) {
        node = node->child(component);
        if (!node)
            return nullptr;
    }
    return node;
}

const RegistryNode *RegistryNode::find(const QStringList &path) const
{
    return const_cast<RegistryNode *>(this)->find(path);
}

RegistryNode *RegistryNode::make(const QStringList &path)
{
    RegistryNode *node = this;
    for (const QString &component : path) {
        RegistryNode *next = node->child(component);
        if (!next) {
            node->children.emplace_back();
            next = &node->children.back();
            next->name = component;
        }
        node = next;
    }
    node->listed = true;
    return node;
}

bool RegistryNode::removeChild(const QString &childName)
{
    const auto it = std::find_if(children.begin(), children.end(), [&](const RegistryNode &c) {
        return sameName(c.name, childName);
    });
    if (it == children.end())
        return false;
    children.erase(it);
    return true;
}

const RegistryValue *RegistryNode::value(const QString &valueName) const
{
    for (const auto &entry : values) {
        if (sameName(entry.first, valueName))
            return &entry.second;
    }
    return nullptr;
}

bool RegistryNode::setValue(const QString &valueName, const RegistryValue &value)
{
    for (auto &entry : values) {
        if (sameName(entry.first, valueName)) {
            if (entry.second == value)
                return false;
            entry.second = value;
            return true;
        }
    }
    values.append(qMakePair(valueName, value));
    return true;
}

bool RegistryNode::removeValue(const QString &valueName)
{
    for (int i = 0; i < values.size(); ++i) {
        if (sameName(values.at(i).first, valueName)) {
            values.remove(i);
            return true;
        }
    }
    return false;
}
