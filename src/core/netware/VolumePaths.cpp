#include "core/netware/VolumePaths.h"

#include <QFile>
#include <QString>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace corvane {

namespace {

bool exists(const QByteArray& path)
{
    struct stat status;
    return lstat(path.constData(), &status) == 0;
}

bool isAscii(const QByteArray& name)
{
    return std::all_of(name.cbegin(), name.cend(), [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; });
}

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameIgnoringCase(const QByteArray& left, const QByteArray& right)
{
    return QFile::decodeName(left).compare(QFile::decodeName(right), Qt::CaseInsensitive) == 0;
}

std::optional<QByteArray> uniqueMatchIgnoringCase(const QByteArray& directory, const QByteArray& name)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(directory.constData()), closedir);
    if (!listing)
        return std::nullopt;
    std::optional<QByteArray> match;
    while (const dirent* entry = readdir(listing.get())) {
        const QByteArray candidate(entry->d_name);
        if (!sameIgnoringCase(candidate, name))
            continue;
        if (match)
            return std::nullopt;
        match = candidate;
    }
    return match;
}

} // namespace

std::optional<QByteArrayList> pathComponents(const QByteArray& path, bool backslashSeparates)
{
    const auto isSeparator = [backslashSeparates](char c) {
        return c == '/' || (backslashSeparates && c == '\\');
    };
    QByteArrayList components;
    for (qsizetype start = 0; start <= path.size();) {
        qsizetype end = start;
        while (end < path.size() && !isSeparator(path[end]))
            ++end;
        const QByteArrayView part = QByteArrayView(path).sliced(start, end - start);
        start = end + 1;
        if (part.isEmpty() || part == ".")
            continue;
        if (part != "..") {
            components.append(part.toByteArray());
        } else if (components.isEmpty()) {
            return std::nullopt;
        } else {
            components.removeLast();
        }
    }
    return components;
}

QByteArray joinedPath(const QByteArray& root, const QByteArrayList& components)
{
    QByteArray path = root;
    for (const QByteArray& component : components) {
        if (!path.endsWith('/'))
            path += '/';
        path += component;
    }
    return path;
}

// Taken by value, so that a name made for the folding is folded in place.
QByteArray caseFolded(QByteArray name)
{
    if (isAscii(name))
        return std::move(name).toUpper();
    const QString text = QString::fromUtf8(name);
    if (text.toUtf8() != name)
        return std::move(name).toUpper();
    return text.toUpper().toUtf8();
}

QByteArray caseFoldedKey(const QByteArray& name, CaseFoldingBuffer& buffer)
{
    if (!isAscii(name))
        return caseFolded(name);
    buffer.resize(name.size());
    std::transform(name.cbegin(), name.cend(), buffer.begin(), asciiUpper);
    return QByteArray::fromRawData(buffer.constData(), buffer.size());
}

std::optional<QByteArray> nameOnDisk(const QByteArray& directory, const QByteArray& name)
{
    if (exists(joinedPath(directory, {name})))
        return name;
    return uniqueMatchIgnoringCase(directory, name);
}

QByteArrayList componentsOnDisk(const QByteArray& root, const QByteArrayList& components)
{
    QByteArrayList spelled;
    QByteArray directory = root;
    for (qsizetype i = 0; i < components.size(); ++i) {
        const std::optional<QByteArray> name = nameOnDisk(directory, components[i]);
        if (!name)
            return spelled + components.mid(i);
        spelled.append(*name);
        directory = joinedPath(directory, {*name});
    }
    return spelled;
}

} // namespace corvane
