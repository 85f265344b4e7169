#include "core/settings/RegistryHive.h"

#include <utility>

namespace corvane {

RegistryHive::RegistryHive(QString rootName) : m_rootName(std::move(rootName))
{
    m_keys.emplace(QStringList(), Key());
}

std::optional<QStringList> RegistryHive::splitKeyPath(const QString& path)
{
    if (path.isEmpty())
        return QStringList();
    const QStringList parts = path.split(u'\\');
    for (const QString& part : parts) {
        if (part.isEmpty() || !isWritableText(part))
            return std::nullopt;
    }
    return parts;
}

bool RegistryHive::isWritableText(const QString& text)
{
    return !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(u'\0')) &&
           text.isValidUtf16();
}

QStringList RegistryHive::folded(const QStringList& path)
{
    QStringList result;
    result.reserve(path.size());
    for (const QString& part : path)
        result.append(part.toCaseFolded());
    return result;
}

const RegistryHive::Key* RegistryHive::findKey(const QStringList& path) const
{
    const auto it = m_keys.find(folded(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

RegistryHive::Key* RegistryHive::findKey(const QStringList& path)
{
    const auto it = m_keys.find(folded(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

bool RegistryHive::hasKey(const QStringList& path) const
{
    return findKey(path) != nullptr;
}

void RegistryHive::createKey(const QStringList& path)
{
    QStringList foldedPath;
    QString spelledPath;
    for (const QString& part : path) {
        foldedPath.append(part.toCaseFolded());
        const auto [it, created] = m_keys.try_emplace(foldedPath);
        if (created)
            it->second.path = spelledPath.isEmpty() ? part : spelledPath + u'\\' + part;
        spelledPath = it->second.path;
    }
}

const RegistryValue* RegistryHive::value(const QStringList& path, const QString& name) const
{
    const Key* key = findKey(path);
    if (!key)
        return nullptr;
    const auto index = key->valueIndex.constFind(name.toCaseFolded());
    return index == key->valueIndex.cend() ? nullptr : &key->values.at(*index);
}

bool RegistryHive::setValue(const QStringList& path, const RegistryValue& value)
{
    Key* key = findKey(path);
    if (!key)
        return false;
    const QString name = value.name.toCaseFolded();
    const auto index = key->valueIndex.constFind(name);
    if (index == key->valueIndex.cend()) {
        key->valueIndex.insert(name, key->values.size());
        key->values.append(value);
        return true;
    }
    // Like the registry, an existing value keeps the spelling of its name.
    RegistryValue& stored = key->values[*index];
    stored.type = value.type;
    stored.data = value.data;
    return true;
}

bool RegistryHive::deleteValue(const QStringList& path, const QString& name)
{
    Key* key = findKey(path);
    if (!key)
        return false;
    const auto index = key->valueIndex.constFind(name.toCaseFolded());
    if (index == key->valueIndex.cend())
        return false;
    const qsizetype position = *index;
    key->valueIndex.erase(index);
    key->values.removeAt(position);
    for (qsizetype& later : key->valueIndex) {
        if (later > position)
            --later;
    }
    return true;
}

QStringList RegistryHive::valueNames(const QStringList& path) const
{
    QStringList names;
    if (const Key* key = findKey(path)) {
        for (const RegistryValue& value : key->values)
            names.append(value.name);
    }
    return names;
}

QStringList RegistryHive::subKeyNames(const QStringList& path) const
{
    // Descendants follow their key directly in the map; the children are those one level down.
    QStringList names;
    const QStringList parent = folded(path);
    auto it = m_keys.upper_bound(parent);
    for (; it != m_keys.end() && it->first.size() > parent.size(); ++it) {
        if (!std::equal(parent.cbegin(), parent.cend(), it->first.cbegin()))
            break;
        if (it->first.size() == parent.size() + 1)
            names.append(it->second.path.section(u'\\', -1));
    }
    return names;
}

} // namespace corvane
