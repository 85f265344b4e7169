#include "core/netware/VolumeTrash.h"

#include "core/netware/PackedDateTime.h"
#include "core/netware/SystemUsers.h"
#include "core/netware/VolumePaths.h"

#include <QDateTime>
#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace corvane {

namespace {

constexpr char TrashPrefix[] = ".Trash-";
constexpr char InfoSuffix[] = ".trashinfo";

QByteArrayList namesIn(const QByteArray& directory)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(directory.constData()), closedir);
    QByteArrayList names;
    while (listing) {
        const dirent* entry = readdir(listing.get());
        if (!entry)
            break;
        names.append(QByteArray(entry->d_name));
    }
    return names;
}

std::optional<quint32> trashOwner(const QByteArray& folderName)
{
    bool ok = false;
    const quint32 uid = folderName.mid(qstrlen(TrashPrefix)).toUInt(&ok);
    return ok && folderName.startsWith(TrashPrefix) ? std::optional(uid) : std::nullopt;
}

bool isRealDirectory(const QByteArray& path)
{
    struct stat status;
    return lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

QByteArray infoValue(const QByteArrayList& lines, const QByteArray& key)
{
    for (const QByteArray& line : lines) {
        if (line.startsWith(QByteArray(key + '=')))
            return line.mid(key.size() + 1).trimmed();
    }
    return {};
}

// The original path from the volume's top: relative as written, or absolute inside the volume.
std::optional<QByteArrayList> originalComponents(const QByteArray& volumeRoot, const QByteArray& path)
{
    const QByteArray decoded = QByteArray::fromPercentEncoding(path);
    if (!decoded.startsWith('/'))
        return pathComponents(decoded, false);
    const std::optional<QByteArrayList> root = pathComponents(volumeRoot, false);
    const std::optional<QByteArrayList> absolute = pathComponents(decoded, false);
    if (!root || !absolute || absolute->size() <= root->size() || absolute->first(root->size()) != *root)
        return std::nullopt;
    return absolute->mid(root->size());
}

std::optional<SalvageableEntry> readTrashInfo(const QByteArray& volumeRoot, const QByteArray& trashFolder,
                                              const QByteArray& infoName, quint32 uid)
{
    QFile info(QFile::decodeName(joinedPath(trashFolder, {"info", infoName})));
    if (!info.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArrayList lines = info.readAll().split('\n');
    const std::optional<QByteArrayList> original = originalComponents(volumeRoot, infoValue(lines, "Path"));
    struct stat file;
    const QByteArray trashedName = infoName.chopped(qstrlen(InfoSuffix));
    if (!original || original->isEmpty() ||
        lstat(joinedPath(trashFolder, {"files", trashedName}).constData(), &file) != 0 ||
        S_ISDIR(file.st_mode))
        return std::nullopt;
    const QDateTime deleted =
        QDateTime::fromString(QString::fromLatin1(infoValue(lines, "DeletionDate")), Qt::ISODate);
    return SalvageableEntry{original->first(original->size() - 1).join('/'), original->last(),
                            static_cast<quint64>(file.st_size), packDateTime(deleted.date(), deleted.time()),
                            objectIdOfUid(uid)};
}

} // namespace

bool isServerFileName(const QByteArray& name)
{
    return name == VolumeMetadataFileName || name == ".Trash" || name.startsWith(TrashPrefix);
}

QByteArrayList trashFolderNames(const QByteArray& volumeRoot)
{
    QByteArrayList folders;
    for (const QByteArray& name : namesIn(volumeRoot)) {
        if (trashOwner(name) && isRealDirectory(joinedPath(volumeRoot, {name})))
            folders.append(name);
    }
    return folders;
}

QList<SalvageableEntry> readVolumeTrash(const QByteArray& volumeRoot, const QByteArrayList& folderNames)
{
    QList<SalvageableEntry> entries;
    for (const QByteArray& folderName : folderNames) {
        const QByteArray folder = joinedPath(volumeRoot, {folderName});
        QByteArrayList infoNames = namesIn(joinedPath(folder, {"info"}));
        std::sort(infoNames.begin(), infoNames.end());
        for (const QByteArray& infoName : std::as_const(infoNames)) {
            if (!infoName.endsWith(InfoSuffix))
                continue;
            const std::optional<SalvageableEntry> entry =
                readTrashInfo(volumeRoot, folder, infoName, *trashOwner(folderName));
            if (entry)
                entries.append(*entry);
        }
    }
    return entries;
}

} // namespace corvane
