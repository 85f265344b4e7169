#include "core/netware/ShortNames.h"

#include <QByteArrayList>
#include <QSet>

#include <dirent.h>

#include <algorithm>
#include <memory>
#include <string_view>

namespace corvane {

namespace {

bool isDosCharacter(char c)
{
    constexpr std::string_view punctuation = "!#$%&'()-@^_`{}~";
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           punctuation.find(c) != std::string_view::npos;
}

bool isDosPart(const QByteArray& part, qsizetype longest)
{
    return !part.isEmpty() && part.size() <= longest && std::all_of(part.begin(), part.end(), isDosCharacter);
}

// The first characters of the text as DOS takes them, at most longest: letters in upper case,
// spaces and dots dropped, anything else DOS does not allow as "_".
QByteArray dosCharacters(QByteArrayView text, qsizetype longest)
{
    QByteArray result;
    result.reserve(longest);
    for (const char c : text) {
        if (result.size() == longest)
            break;
        if (c == ' ' || c == '.')
            continue;
        result += !isDosCharacter(c) ? '_' : (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return result;
}

std::optional<QByteArrayList> listNames(const QByteArray& directoryPath)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(directoryPath.constData()), closedir);
    if (!listing)
        return std::nullopt;
    QByteArrayList names;
    while (const dirent* entry = readdir(listing.get())) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    return names;
}

} // namespace

bool isDosName(const QByteArray& name)
{
    const qsizetype dot = name.indexOf('.');
    if (dot < 0)
        return isDosPart(name, 8);
    return isDosPart(name.left(dot), 8) && isDosPart(name.mid(dot + 1), 3);
}

bool DirectoryNames::refresh(const QByteArray& directoryPath, const NameFilter& isListed)
{
    const std::optional<QByteArrayList> listed = listNames(directoryPath);
    if (!listed)
        return false;
    QByteArrayList added;
    added.reserve(listed->size());
    for (const QByteArray& name : *listed) {
        if (isListed(name) && !m_entries.contains(name))
            added.append(name);
    }
    // A folder's first listing, the one a scan makes, has no names to forget.
    if (!m_entries.isEmpty())
        forgetNamesGone(*listed, isListed);
    m_entries.reserve(m_entries.size() + added.size());
    m_longByShort.reserve(m_longByShort.size() + added.size());
    // Names that are their own short name go first, so a numbered name never takes their place.
    std::sort(added.begin(), added.end());
    for (const QByteArray& name : std::as_const(added)) {
        if (isDosName(name) && !m_longByShort.contains(name.toUpper()))
            assign(name, name.toUpper());
    }
    for (const QByteArray& name : std::as_const(added)) {
        if (!m_entries.contains(name))
            assign(name, numberedShortName(name));
    }
    return true;
}

void DirectoryNames::forgetNamesGone(const QByteArrayList& listed, const NameFilter& isListed)
{
    QSet<QByteArray> present;
    for (const QByteArray& name : listed) {
        if (isListed(name))
            present.insert(name);
    }
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        if (present.contains(entry.key())) {
            ++entry;
            continue;
        }
        m_longByShort.remove(entry->shortName);
        entry = m_entries.erase(entry);
    }
}

std::optional<QByteArray> DirectoryNames::shortNameOf(const QByteArray& longName) const
{
    const auto entry = m_entries.constFind(longName);
    if (entry == m_entries.cend())
        return std::nullopt;
    return entry->shortName;
}

std::optional<QByteArray> DirectoryNames::longNameOf(const QByteArray& shortName) const
{
    const auto entry = m_longByShort.constFind(shortName.toUpper());
    if (entry == m_longByShort.cend())
        return std::nullopt;
    return *entry;
}

quint32 DirectoryNames::entryNumberOf(const QByteArray& longName) const
{
    return m_entries.value(longName).number;
}

void DirectoryNames::assign(const QByteArray& longName, const QByteArray& shortName)
{
    m_entries.insert(longName, Entry{shortName, m_nextNumber++});
    m_longByShort.insert(shortName, longName);
}

QByteArray DirectoryNames::numberedShortName(const QByteArray& longName)
{
    QByteArrayView stripped = longName;
    while (stripped.startsWith('.'))
        stripped = stripped.sliced(1);
    const qsizetype dot = stripped.lastIndexOf('.');
    // Only the first six characters of the base ever show, before a "~" and a number.
    constexpr qsizetype BaseShown = 6;
    QByteArray base = dosCharacters(dot < 0 ? stripped : stripped.first(dot), BaseShown);
    const QByteArray extension = dot < 0 ? QByteArray() : dosCharacters(stripped.sliced(dot + 1), 3);
    if (base.isEmpty())
        base = "_";
    const QByteArray stem = extension.isEmpty() ? base : QByteArray(base + '.' + extension);
    const QByteArrayView suffix = QByteArrayView(stem).sliced(base.size());
    int tail = m_nextTail.value(stem, 1);
    QByteArray candidate;
    do {
        const QByteArray number = QByteArray::number(tail++);
        candidate = QByteArray();
        candidate.reserve(base.size() + 1 + number.size() + suffix.size());
        candidate.append(base.constData(), std::min(base.size(), 7 - number.size()))
            .append('~')
            .append(number)
            .append(suffix);
    } while (m_longByShort.contains(candidate));
    m_nextTail.insert(stem, tail);
    return candidate;
}

} // namespace corvane
