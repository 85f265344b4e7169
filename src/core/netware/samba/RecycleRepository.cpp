#include "core/netware/samba/RecycleRepository.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

constexpr int DeepestRepositoryFolder = 64;

bool isUserMacro(const QByteArray& component)
{
    return component == "%U" || component == "%u";
}

// The name of a kept version without its "Copy #N of ".
QByteArray versionOf(const QByteArray& name)
{
    constexpr QByteArrayView Copy = "Copy #";
    constexpr QByteArrayView Of = " of ";
    if (!name.startsWith(Copy))
        return name;
    qsizetype position = Copy.size();
    while (position < name.size() && name[position] >= '0' && name[position] <= '9')
        ++position;
    if (position == Copy.size() || !QByteArrayView(name).sliced(position).startsWith(Of) ||
        position + Of.size() == name.size())
        return name;
    return name.mid(position + Of.size());
}

QByteArray joined(const QByteArray& folder, const QByteArray& name)
{
    return folder.isEmpty() ? name : folder + '/' + name;
}

// The names in a folder with their status, links left as links.
template <typename Visit>
void forEachEntry(const QByteArray& folder, const Visit& visit)
{
    DIR* directory = opendir(folder.constData());
    if (!directory)
        return;
    const int descriptor = dirfd(directory);
    while (const dirent* entry = readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat status;
        if (fstatat(descriptor, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0)
            visit(name, status);
    }
    closedir(directory);
}

class RepositoryWalk
{
public:
    explicit RepositoryWalk(const SambaShare& share) : m_share(share) {}

    QList<RecycledFile> read()
    {
        QByteArray repository = m_share.recycleRepository;
        repository.replace("%S", m_share.name).replace("%P", m_share.path);
        const bool absolute = repository.startsWith('/');
        QByteArrayList components;
        for (const QByteArray& component : repository.split('/')) {
            if (!component.isEmpty() && component != ".")
                components.append(component);
        }
        expand(absolute ? QByteArray("/") : m_share.path, components, 0, {});
        return m_files;
    }

private:
    // Folders whose name holds a macro stand for every folder there.
    void expand(const QByteArray& folder, const QByteArrayList& components, qsizetype index,
                const QByteArray& userFolder)
    {
        if (index == components.size()) {
            collect(folder, {}, userFolder, 0);
            return;
        }
        const QByteArray& component = components[index];
        if (!component.contains('%')) {
            expand(folder + '/' + component, components, index + 1, userFolder);
            return;
        }
        forEachEntry(folder, [&](const QByteArray& name, const struct stat& status) {
            if (S_ISDIR(status.st_mode))
                expand(folder + '/' + name, components, index + 1, isUserMacro(component) ? name : userFolder);
        });
    }

    void collect(const QByteArray& folder, const QByteArray& relative, const QByteArray& userFolder, int depth)
    {
        if (depth > DeepestRepositoryFolder)
            return;
        forEachEntry(folder, [&](const QByteArray& name, const struct stat& status) {
            if (S_ISDIR(status.st_mode)) {
                collect(folder + '/' + name, joined(relative, name), userFolder, depth + 1);
                return;
            }
            if (!S_ISREG(status.st_mode))
                return;
            RecycledFile file;
            file.directory = m_share.keepTree ? relative : QByteArray();
            file.name = m_share.versions ? versionOf(name) : name;
            file.userFolder = userFolder;
            file.size = static_cast<quint64>(status.st_size);
            file.movedIn = status.st_ctim.tv_sec;
            file.ownerUid = status.st_uid;
            m_files.append(file);
        });
    }

    const SambaShare& m_share;
    QList<RecycledFile> m_files;
};

} // namespace

QByteArray repositoryTopName(const SambaShare& share)
{
    if (!share.recycle || share.recycleRepository.startsWith('/'))
        return {};
    for (const QByteArray& component : share.recycleRepository.split('/')) {
        if (component.isEmpty() || component == ".")
            continue;
        return component.contains('%') ? QByteArray() : component;
    }
    return {};
}

QList<RecycledFile> readRecycleRepository(const SambaShare& share)
{
    if (!share.recycle)
        return {};
    return RepositoryWalk(share).read();
}

} // namespace corvane
