#include "core/netware/ShortNames.h"

#include <QByteArrayList>
#include <QSet>

#include <dirent.h>

#include <algorithm>
#include <array>
#include <charconv>
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

// The first characters of the text as DOS takes them, at most longest, written at `into`: letters
// in upper case, spaces and dots dropped, anything else DOS does not allow as "_". Returns how
// many were written.
qsizetype putDosCharacters(QByteArrayView text, char* into, qsizetype longest)
{
    qsizetype written = 0;
    for (const char c : text) {
        if (written == longest)
            break;
        if (c == ' ' || c == '.')
            continue;
        into[written++] = !isDosCharacter(c)       ? '_'
                          : (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A')
                                                   : c;
    }
    return written;
}

} // namespace

std::optional<QByteArrayList> listDirectoryNames(const QByteArray& directoryPath)
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

bool isDosName(const QByteArray& name)
{
    const qsizetype dot = name.indexOf('.');
    if (dot < 0)
        return isDosPart(name, 8);
    return isDosPart(name.left(dot), 8) && isDosPart(name.mid(dot + 1), 3);
}

void DirectoryNames::refresh(const QByteArrayList& listed, const NameFilter& isListed)
{
    QByteArrayList added;
    added.reserve(listed.size());
    for (const QByteArray& name : listed) {
        if (isListed(name) && !m_entries.contains(name))
            added.append(name);
    }
    // A folder's first listing, the one a scan makes, has no names to forget.
    if (!m_entries.isEmpty())
        forgetNamesGone(listed, isListed);
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

// BASE~N.EXT from the first six characters of the base and three of the extension, the base cut
// shorter as N grows, with the lowest N no name of the folder has. Made in a buffer: each N tried
// is looked up without a text of its own.
QByteArray DirectoryNames::numberedShortName(const QByteArray& longName)
{
    QByteArrayView stripped = longName;
    while (stripped.startsWith('.'))
        stripped = stripped.sliced(1);
    const qsizetype dot = stripped.lastIndexOf('.');
    constexpr qsizetype BaseShown = 6;
    constexpr qsizetype ExtensionShown = 3;
    std::array<char, BaseShown> base{};
    qsizetype baseSize = putDosCharacters(dot < 0 ? stripped : stripped.first(dot), base.data(), BaseShown);
    if (baseSize == 0)
        base[baseSize++] = '_';
    std::array<char, 1 + ExtensionShown> suffix{'.'};
    qsizetype suffixSize =
        dot < 0 ? 0 : putDosCharacters(stripped.sliced(dot + 1), suffix.data() + 1, ExtensionShown);
    suffixSize = suffixSize == 0 ? 0 : suffixSize + 1;
    const QByteArray stem = QByteArrayView(base.data(), baseSize) + QByteArrayView(suffix.data(), suffixSize);
    int tail = m_nextTail.value(stem, 1);
    // Room for any number an int holds, though a folder never has names enough to need it.
    std::array<char, BaseShown + 1 + 10 + 1 + ExtensionShown> candidate{};
    qsizetype size = 0;
    do {
        std::array<char, 10> digits{};
        const qsizetype digitCount =
            std::to_chars(digits.data(), digits.data() + digits.size(), tail++).ptr - digits.data();
        const qsizetype kept = std::clamp<qsizetype>(7 - digitCount, 0, baseSize);
        char* at = std::copy_n(base.data(), kept, candidate.data());
        *at++ = '~';
        at = std::copy_n(digits.data(), digitCount, at);
        at = std::copy_n(suffix.data(), suffixSize, at);
        size = at - candidate.data();
    } while (m_longByShort.contains(QByteArray::fromRawData(candidate.data(), size)));
    m_nextTail.insert(stem, tail);
    return QByteArray(candidate.data(), size);
}

} // namespace corvane
