#include "core/scan/ScanDirectory.h"

#include "core/common/UserInterfacePort.h"
#include "core/netware/LiveListing.h"
#include "core/netware/NetWareConfiguration.h"
#include "core/netware/PathResolution.h"
#include "core/netware/ScanPaths.h"
#include "core/netware/TextUtilities.h"
#include "core/scan/FileEntryScan.h"
#include "core/scan/ListingFilter.h"
#include "core/scan/ScanContext.h"
#include "core/scan/ScanValues.h"
#include "core/settings/ScanSettings.h"

#include <QFile>
#include <QList>

#include <limits>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// The total is a 32-bit signed byte count that never wraps: an addition that would carry it past
// the largest such value is not made.
void addToTotal(qint32& total, qint64 bytes)
{
    if (bytes <= std::numeric_limits<qint32>::max() - total)
        total += static_cast<qint32>(bytes);
}

QByteArray childPath(const QByteArray& localFolder, const QByteArray& name)
{
    return localFolder.endsWith('/') ? QByteArray(localFolder + name) : QByteArray(localFolder + '/' + name);
}

// The name field is 256 bytes wide; a name that fills it has no zero byte to end it.
QByteArray deletedName(const DeletedEntryRecord& entry)
{
    constexpr qsizetype NameWidth = 256;
    const char* name = reinterpret_cast<const char*>(entry.data() + DeletedField::Name);
    return QByteArray(name, qstrnlen(name, NameWidth));
}

// What one folder's own part of the scan leaves for the subfolder part.
struct FolderPass
{
    bool listed = false; // the folder could be opened
    bool stopped = false;
    qint32 total = 0;
    FolderIdentity identity;
    QByteArrayList subfolders;
};

// One call of the directory scan: a listed folder, one spec, and the folders below it when asked.
// Paths are carried twice: as listed (what the client parses and the rows and status show) and as
// the local folder that is read. Only one folder is held open at a time.
class DirectoryScan
{
public:
    DirectoryScan(ScanContext& context, const QString& fileSpec, bool includeSubdirectories)
        : m_context(context), m_fileSpec(fileSpec), m_spec(fileSpec),
          m_includeSubdirectories(includeSubdirectories), m_heldDirectory(context.client)
    {}

    qint32 scan(const QByteArray& listedPath, const QByteArray& localFolder, bool followLink)
    {
        FolderPass pass = scanOwnFiles(listedPath, localFolder, followLink);
        if (!pass.listed || pass.stopped || !m_includeSubdirectories)
            return pass.total;
        m_openFolders.append(pass.identity);
        scanSubfolders(withSeparator(listedPath), localFolder, pass);
        m_openFolders.removeLast();
        return pass.total;
    }

private:
    FolderPass scanOwnFiles(const QByteArray& listedPath, const QByteArray& localFolder, bool followLink)
    {
        FolderPass pass;
        FolderListing listing(localFolder, followLink);
        // Only a bind mount can lead back into a folder being scanned; it is not scanned again.
        if (listing.isOpen() && m_openFolders.contains(listing.identity()))
            return pass;
        pass.listed = listing.isOpen();
        pass.identity = listing.identity();
        if (m_context.networkMode && m_context.rowSets.DeletedFilesRs)
            recordDeletedFiles(listedPath);
        // A folder that cannot be opened has no path of its own: the status shows the bare separator.
        const QByteArray folderPath =
            pass.listed ? withSeparator(listedPath) : QByteArray(1, separatorOf(listedPath));
        m_context.ui.showStatus(u"Scanning "_s + nameText(folderPath) + m_fileSpec + u"..."_s);
        if (pass.listed) {
            ListingFilter filter(m_context, m_spec, listedPath);
            const FolderFiles files =
                m_context.networkMode ? FolderFiles(m_context.client, folderPath) : FolderFiles();
            pass.stopped = !scanFiles(listing, filter, files, folderPath, pass);
        }
        return pass;
    }

    // Hands each file of the listing on; false when a stop request ended the walk.
    bool scanFiles(FolderListing& listing, ListingFilter& filter, const FolderFiles& files,
                   const QByteArray& folderPath, FolderPass& pass)
    {
        while (const std::optional<ListedEntry> entry = listing.next()) {
            if (entry->kind == ListedKind::Folder) {
                if (m_includeSubdirectories && filter.takesFolder(entry->name))
                    pass.subfolders.append(entry->name);
                continue;
            }
            if (!filter.takesFile(entry->name))
                continue;
            if (m_context.StopRequested)
                return false;
            m_context.ui.yield();
            // A file gone or changed into something else since it was listed is passed over.
            const std::optional<qint64> length = listing.fileLength(entry->name);
            if (!length)
                continue;
            // The listing leaves system files out unless asked for them. Only the server knows the
            // attribute: it is read from the entry the file's own scan looks up, so a system file
            // costs a yield but no lookup of its own.
            FileEntryScan file(m_context, m_heldDirectory, files, folderPath, entry->name);
            if (file.isSystemFile() && !m_context.settings.flag(Flag::System))
                continue;
            addToTotal(pass.total, *length);
            ++m_context.FilesFound;
            file.appendRows(*length);
        }
        return true;
    }

    void scanSubfolders(const QByteArray& folderPath, const QByteArray& localFolder, FolderPass& pass)
    {
        for (const QByteArray& name : std::as_const(pass.subfolders)) {
            addToTotal(pass.total, scan(folderPath + name, childPath(localFolder, name), false));
            m_context.ui.yield();
            if (m_context.StopRequested)
                break;
        }
    }

    void recordDeletedFiles(const QByteArray& listedPath)
    {
        const std::optional<ScannedDirectoryLocation> location =
            locateScannedDirectory(m_context.client, listedPath);
        if (!location)
            return;
        const std::unique_ptr<ClientDirectory> server =
            ClientDirectory::open(m_context.client, location->server, location->directory);
        if (!server)
            return;
        const bool directoryService = server->usesDirectoryService();
        quint32 iteration = NWConstant::IterationStart;
        quint32 unusedVolume = 0;
        quint32 unusedDirectoryBase = 0;
        DeletedEntryRecord entry{};
        while (m_context.client.NWScanForDeletedFiles(server->connection(), server->handle(), iteration,
                                                      unusedVolume, unusedDirectoryBase,
                                                      entry) == NWResult::Success)
            appendDeletedFileRow(entry, location->storedDirectory, *server, directoryService);
    }

    // An entry deleted on the scan date whose name matches the file spec.
    void appendDeletedFileRow(const DeletedEntryRecord& entry, const QString& storedDirectory,
                              const ClientDirectory& server, bool directoryService)
    {
        const ScannedDate deleted = scannedDate(recordValue32(entry, DeletedField::DeletedDateTime));
        if (!deleted.fallsOn(m_context.ScanDate))
            return;
        const QString file = nameText(deletedName(entry));
        if (!MatchFileSpec(m_fileSpec, file))
            return;
        const ScanSettings& settings = m_context.settings;
        NewRow row(*m_context.rowSets.DeletedFilesRs);
        row.set(u"Directory"_s, storedDirectory)
            .setIf(settings.flag(Flag::Deleted), u"Deleted"_s, deleted.value);
        if (settings.flag(Flag::Deletor))
            row.set(u"Deletor"_s,
                    server.objectName(recordValue32(entry, DeletedField::DeletorId), directoryService));
        row.set(u"file"_s, file)
            .setIf(settings.flag(Flag::Size), u"Bytes"_s,
                   qint64{recordValue32(entry, DeletedField::DataSize)})
            .update();
    }

    ScanContext& m_context;
    const QString& m_fileSpec;
    const WildcardSpec m_spec;
    const bool m_includeSubdirectories;
    QList<FolderIdentity> m_openFolders; // the folders of the calls under way, outermost first
    HeldDirectory m_heldDirectory;       // the server's directory of the files just scanned
};

} // namespace

qint32 ScanDirectory(ScanContext& context, const QString& directoryPath, const QString& fileSpec,
                     bool includeSubdirectories)
{
    const std::optional<QString> localFolder = context.configuration.localPath(directoryPath);
    return DirectoryScan(context, fileSpec, includeSubdirectories)
        .scan(QFile::encodeName(directoryPath), localFolder ? QFile::encodeName(*localFolder) : QByteArray(), true);
}

} // namespace corvane
