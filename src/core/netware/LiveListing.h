#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <vector>

namespace corvane {

// Selects live file names by a file spec the way the Windows directory listing does: "*" stands
// for any run of characters, "?" for exactly one, letters match without regard to case, and a
// spec ending in ".*" also matches the name without that ending, so "*.*" matches every name and
// budget.* matches budget. (Deleted names go through MatchFileSpec instead.) The 8.3 short names
// Windows also matches against are not consulted.
class WildcardSpec
{
public:
    explicit WildcardSpec(const QString& spec);
    bool matches(const QByteArray& name) const;

private:
    bool matchesPattern(QStringView pattern, const QString& name) const;

    QString m_pattern; // case-folded
    bool m_matchesEverything = false;
    bool m_dotStarEnding = false;
};

// What a folder's listing holds besides plain files: the folders to go down into. Links are
// followed to files only: a link to a folder is neither a file nor a folder of the listing, so a
// link loop is never entered. Sockets, pipes and devices are left out.
enum class ListedKind
{
    File,
    Folder
};

struct ListedEntry
{
    QByteArray name;
    ListedKind kind;
};

// The identity of a folder on disk, to tell a folder reached again below itself.
struct FolderIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

// The identity of an open folder, or of any open file; nullopt when the descriptor is bad.
std::optional<FolderIdentity> identityOf(int descriptor);

// What the listing and the server read of a file: the server needs the birth time too.
inline constexpr unsigned int FileStatusMask = STATX_BASIC_STATS | STATX_BTIME;

// The entries of one local folder in the file system's order, without "." and "..", all read when
// the folder is opened. Opening follows a link only when asked (the listed folder itself, not its
// subfolders). While the listing is open, its names are lent to the server's first listing of the
// same folder (takeListedNames).
class FolderListing
{
public:
    FolderListing(const QByteArray& localPath, bool followLink);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    bool isOpen() const { return m_listing != nullptr; }
    // The folder's identity; the default (device and inode 0) when it could not be opened.
    FolderIdentity identity() const { return m_identity; }
    std::optional<ListedEntry> next();
    // The length of a file of the folder, read now; nullopt when it has gone or is no file any more.
    // The status read is lent to the server's lookup of the same file (takeListedStatus).
    std::optional<qint64> fileLength(const QByteArray& name) const;

private:
    void readNames();
    std::optional<ListedKind> kindOf(const QByteArray& name, unsigned char type) const;

    DIR* m_listing = nullptr;
    FolderIdentity m_identity;
    QByteArrayList m_names;
    std::vector<unsigned char> m_types; // each name's d_type
    qsizetype m_next = 0;
};

// A scan asks the listing for a file's length and, right after, the emulated server for the same
// file's entry: both read one local file, so the status the listing read is lent to that lookup and
// the kernel is asked once. It is lent for one lookup of that name in that folder only, and only
// while the listing that read it is open, so no lookup sees a status older than the file's own
// turn in the scan. nullopt when no such status is on loan (the lookup reads the file itself).
std::optional<struct statx> takeListedStatus(const FolderIdentity& folder, const QByteArray& name);

// The server lists a folder when the scan first asks it for a file there, just after the scan's own
// listing read the same folder: those names, "." and ".." left out, are lent to that one listing
// while the scan's listing is open. nullopt when none are on loan for the folder.
std::optional<QByteArrayList> takeListedNames(const FolderIdentity& folder);

} // namespace corvane
