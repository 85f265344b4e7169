#include "core/netware/LiveListing.h"

#include "core/netware/ScanPaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

using namespace Qt::StringLiterals;

namespace corvane {

WildcardSpec::WildcardSpec(const QString& spec)
    : m_pattern(spec.toCaseFolded()), m_matchesEverything(spec == u"*"_s || spec == u"*.*"_s),
      m_dotStarEnding(spec.endsWith(u".*"_s))
{}

bool WildcardSpec::matches(const QByteArray& name) const
{
    if (m_matchesEverything)
        return true;
    const QString folded = nameText(name).toCaseFolded();
    return matchesPattern(m_pattern, folded) ||
           (m_dotStarEnding && matchesPattern(QStringView(m_pattern).chopped(2), folded));
}

// Walks both texts once; on a mismatch after a "*" that "*" takes one more character and the walk
// resumes from there, which is enough because a later "*" can absorb whatever an earlier one did.
bool WildcardSpec::matchesPattern(QStringView pattern, const QString& name) const
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

namespace {

std::optional<mode_t> modeOf(int folder, const char* name, bool followLink)
{
    struct statx status;
    if (statx(folder, name, followLink ? 0 : AT_SYMLINK_NOFOLLOW, STATX_TYPE, &status) != 0)
        return std::nullopt;
    return status.stx_mode;
}

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The status on loan from a listing of this thread (see takeListedStatus).
struct StatusLoan
{
    const FolderListing* listing = nullptr; // none on loan
    FolderIdentity folder;
    QByteArray name;
    struct statx status;
};

thread_local StatusLoan loan;

// The names on loan from a listing of this thread (see takeListedNames).
struct NamesLoan
{
    const FolderListing* listing = nullptr; // none on loan
    FolderIdentity folder;
    QByteArrayList names;
};

thread_local NamesLoan namesLoan;

} // namespace

std::optional<FolderIdentity> identityOf(int descriptor)
{
    struct stat status;
    if (fstat(descriptor, &status) != 0)
        return std::nullopt;
    return FolderIdentity{status.st_dev, status.st_ino};
}

FolderListing::FolderListing(const QByteArray& localPath, bool followLink)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int folder = ::open(localPath.constData(), flags);
    if (folder < 0)
        return;
    const std::optional<FolderIdentity> identity = identityOf(folder);
    if (!identity || (m_listing = fdopendir(folder)) == nullptr) {
        ::close(folder);
        return;
    }
    m_identity = *identity;
    readNames();
    namesLoan = NamesLoan{this, m_identity, m_names};
}

FolderListing::~FolderListing()
{
    if (loan.listing == this)
        loan.listing = nullptr;
    if (namesLoan.listing == this)
        namesLoan = {};
    if (m_listing)
        closedir(m_listing);
}

void FolderListing::readNames()
{
    while (const dirent* entry = readdir(m_listing)) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        m_names.append(QByteArray(entry->d_name));
        m_types.push_back(entry->d_type);
    }
}

std::optional<ListedEntry> FolderListing::next()
{
    while (m_next < m_names.size()) {
        const qsizetype at = m_next++;
        if (const std::optional<ListedKind> kind = kindOf(m_names[at], m_types[static_cast<std::size_t>(at)]))
            return ListedEntry{m_names[at], *kind};
    }
    return std::nullopt;
}

std::optional<ListedKind> FolderListing::kindOf(const QByteArray& name, unsigned char type) const
{
    if (type == DT_REG)
        return ListedKind::File;
    if (type == DT_DIR)
        return ListedKind::Folder;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return std::nullopt;
    const int folder = dirfd(m_listing);
    const std::optional<mode_t> own = modeOf(folder, name.constData(), false);
    if (!own)
        return std::nullopt;
    if (S_ISDIR(*own))
        return ListedKind::Folder;
    const std::optional<mode_t> target = S_ISLNK(*own) ? modeOf(folder, name.constData(), true) : own;
    return target && S_ISREG(*target) ? std::optional(ListedKind::File) : std::nullopt;
}

std::optional<qint64> FolderListing::fileLength(const QByteArray& name) const
{
    loan.listing = nullptr;
    if (!m_listing || statx(dirfd(m_listing), name.constData(), 0, FileStatusMask, &loan.status) != 0 ||
        !S_ISREG(loan.status.stx_mode))
        return std::nullopt;
    loan.listing = this;
    loan.folder = m_identity;
    loan.name = name;
    return static_cast<qint64>(loan.status.stx_size);
}

std::optional<QByteArrayList> takeListedNames(const FolderIdentity& folder)
{
    if (namesLoan.listing == nullptr || namesLoan.folder != folder)
        return std::nullopt;
    return std::exchange(namesLoan, {}).names;
}

std::optional<struct statx> takeListedStatus(const FolderIdentity& folder, const QByteArray& name)
{
    if (loan.listing == nullptr || loan.folder != folder || loan.name != name)
        return std::nullopt;
    loan.listing = nullptr;
    return loan.status;
}

} // namespace corvane
