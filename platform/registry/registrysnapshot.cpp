#include "platform/registry/registrysnapshot.h"

#include "platform/registry/nativesettings.h"
#include "platform/registry/registrypath.h"

#ifdef Q_OS_WIN

#include <qt_windows.h>

namespace {

// Buffers shared by all keys of one pass; a value name has at most 16,383 characters.
struct ReadBuffers
{
    QVector<wchar_t> name = QVector<wchar_t>(16384);
    QByteArray data;
};

// The key's values, then its subkeys, each opened once below its parent. A subkey that cannot
// be opened stays listed with nothing in it, as the settings layer lists it.
void readKey(HKEY key, RegistryNode *node, ReadBuffers *buffers)
{
    DWORD subkeyCount = 0;
    DWORD valueCount = 0;
    DWORD maxDataSize = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr,
                         &valueCount, nullptr, &maxDataSize, nullptr, nullptr)
        != ERROR_SUCCESS)
        return;
    if (DWORD(buffers->data.size()) < maxDataSize)
        buffers->data.resize(int(maxDataSize));
    for (DWORD i = 0; i < valueCount;) {
        DWORD nameLength = DWORD(buffers->name.size());
        DWORD type = REG_NONE;
        DWORD size = DWORD(buffers->data.size());
        const LONG result = RegEnumValueW(key, i, buffers->name.data(), &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE *>(buffers->data.data()), &size);
        if (result == ERROR_MORE_DATA) {
            // Written larger since the key was queried: size tells how large.
            buffers->data.resize(int(qMax(size, DWORD(buffers->data.size()) * 2 + 64)));
            continue;
        }
        ++i;
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            continue;
        RegistryValue value;
        value.type = type;
        value.data = buffers->data.left(int(size));
        node->values.append(qMakePair(
                QString::fromWCharArray(buffers->name.constData(), int(nameLength)), value));
    }
    for (DWORD i = 0; i < subkeyCount; ++i) {
        DWORD nameLength = DWORD(buffers->name.size());
        const LONG result = RegEnumKeyExW(key, i, buffers->name.data(), &nameLength, nullptr,
                                          nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            continue;
        node->children.emplace_back();
        node->children.back().name
                = QString::fromWCharArray(buffers->name.constData(), int(nameLength));
    }
    for (RegistryNode &child : node->children) {
        HKEY handle = nullptr;
        if (RegOpenKeyExW(key, reinterpret_cast<const wchar_t *>(child.name.utf16()), 0, KEY_READ,
                          &handle)
            != ERROR_SUCCESS)
            continue;
        readKey(handle, &child, buffers);
        RegCloseKey(handle);
    }
}

RegistryNode readTree(const QString &path)
{
    RegistryNode tree;
    QString hive;
    QStringList keyPath;
    if (!splitRegistryPath(path, &hive, &keyPath))
        return tree;
    const QString subkey = keyPath.join(QLatin1Char('\\'));
    HKEY handle = nullptr;
    if (RegOpenKeyExW(hiveHandle(hive), reinterpret_cast<const wchar_t *>(subkey.utf16()), 0,
                      KEY_READ, &handle)
        == ERROR_SUCCESS) {
        ReadBuffers buffers;
        readKey(handle, &tree, &buffers);
        RegCloseKey(handle);
    }
    return tree;
}

} // namespace

#else

#include "platform/standin/standinhivefile.h"

namespace {

RegistryNode readTree(const QString &path)
{
    QString hive;
    QStringList keyPath;
    if (!splitStandInPath(path, &hive, &keyPath))
        return RegistryNode();
    const StandInHiveFile file(hive);
    const RegistryNode *node = file.isReadable() ? file.root().find(keyPath) : nullptr;
    return node ? *node : RegistryNode();
}

} // namespace

#endif

namespace {

bool startsWithPath(const QStringList &path, const QStringList &prefix)
{
    if (path.size() < prefix.size())
        return false;
    for (int i = 0; i < prefix.size(); ++i) {
        if (path.at(i).compare(prefix.at(i), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

} // namespace

RegistrySnapshot::RegistrySnapshot(const QStringList &rootPaths)
{
    for (const QString &path : rootPaths) {
        Tree tree;
        if (!splitRegistryPath(path, &tree.hive, &tree.keyPath))
            continue;
        tree.root = readTree(profileRegistryPath(path));
        trees.push_back(std::move(tree));
    }
}

const RegistryNode *RegistrySnapshot::find(const QString &path) const
{
    const auto known = listed.constFind(path);
    if (known != listed.constEnd())
        return known.value();
    QString hive;
    QStringList keyPath;
    if (!splitRegistryPath(path, &hive, &keyPath))
        return nullptr;
    for (const Tree &tree : trees) {
        if (tree.hive == hive && startsWithPath(keyPath, tree.keyPath))
            return tree.root.find(keyPath.mid(tree.keyPath.size()));
    }
    return nullptr;
}

// Every level's values are its subkeys' values again, so each is read only once.
const RegistrySnapshot::Listing &RegistrySnapshot::listing(const RegistryNode &node) const
{
    const auto known = listings.find(&node);
    if (known != listings.end())
        return known->second;
    QVector<Value> values;
    for (const auto &entry : node.values)
        values.append({ {}, entry.first, registryValueToVariant(entry.second).toString() });
    for (const RegistryNode &child : node.children) {
        for (Value value : listing(child).values) {
            value.keyNames.prepend(child.name);
            values.append(value);
        }
    }
    Listing &made = listings[&node];
    made.values = values;
    made.keys = nativeAllKeys(node);
    return made;
}

QStringList RegistrySnapshot::allKeys(const QString &path) const
{
    const RegistryNode *node = find(path);
    return node ? listing(*node).keys : QStringList();
}

QStringList RegistrySnapshot::childGroups(const QString &path) const
{
    const RegistryNode *node = find(path);
    QStringList groups;
    if (node) {
        for (const RegistryNode &child : node->children) {
            groups.append(child.name);
            listed.insert(path + QLatin1Char('\\') + child.name, &child);
        }
    }
    return groups;
}

QVector<RegistryReader::Value> RegistrySnapshot::values(const QString &path) const
{
    const RegistryNode *node = find(path);
    return node ? listing(*node).values : QVector<Value>();
}
