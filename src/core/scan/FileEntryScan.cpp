#include "core/scan/FileEntryScan.h"

#include "core/netware/PathResolution.h"
#include "core/netware/ScanPaths.h"
#include "core/scan/DetailStretches.h"
#include "core/scan/ScanContext.h"
#include "core/scan/ScanValues.h"
#include "core/settings/ScanSettings.h"

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

void recordStretch(ScanContext& context, const QString& directory)
{
    if (context.detailStretches)
        context.detailStretches->add(directory);
}

// The working facts of one file, each empty until it is fetched.
struct FileFacts
{
    ScannedDate created;
    QString owner;
    ScannedDate lastAccess;
    ScannedDate lastArchive;
    QString archiver;
    ScannedDate lastModify;
    QString modifier;
};

// The facts and rows of one file whose entry the server returned. A table takes part when its
// row set is open: the run opens one for each table whose option is on.
class EntryRows
{
public:
    EntryRows(ScanContext& context, const ScannedFileLocation& location, qint64 size,
              const EntryRecord& entry, const ClientDirectory& server)
        : m_context(context), m_rows(context.rowSets), m_location(location), m_file(nameText(location.file)),
          m_bytes(size), m_entry(entry), m_server(server)
    {}

    void run()
    {
        m_directoryService = m_server.usesDirectoryService();
        readNewFileFacts();
        appendNewFilesRow();
        readAccessFacts();
        appendOpenedFilesRow();
        readArchiveFacts();
        appendArchivedFilesRow();
        readModificationFacts();
        appendEditedFilesRow();
        appendDetailRow();
    }

private:
    bool wanted(Flag flag) const { return m_context.settings.flag(flag); }
    bool onScanDate(const ScannedDate& date) const { return date.fallsOn(m_context.ScanDate); }
    ScannedDate dateOf(std::size_t field, bool secondsCorrected) const
    {
        return scannedDate(recordValue32(m_entry, field), secondsCorrected);
    }
    QString nameOf(std::size_t idField) const
    {
        return m_server.objectName(recordValue32(m_entry, idField), m_directoryService);
    }
    NewRow newRow(RowSet& rows) const
    {
        NewRow row(rows);
        row.set(u"Directory"_s, m_location.storedDirectory);
        return row;
    }
    NewRow& withFileAndBytes(NewRow& row) const
    {
        return row.set(u"file"_s, m_file).setIf(wanted(Flag::Size), u"Bytes"_s, m_bytes);
    }

    void readNewFileFacts()
    {
        if (!m_rows.NewFilesRs && !m_rows.DetailRs)
            return;
        if (wanted(Flag::Created))
            m_facts.created = dateOf(EntryField::CreationDateTime, false);
        if (wanted(Flag::Owner))
            m_facts.owner = nameOf(EntryField::OwnerId);
    }

    void appendNewFilesRow()
    {
        if (!m_rows.NewFilesRs || !onScanDate(m_facts.created))
            return;
        NewRow row = newRow(*m_rows.NewFilesRs);
        row.set(u"Created"_s, m_facts.created.value).set(u"owner"_s, m_facts.owner);
        withFileAndBytes(row).update();
    }

    // The entry keeps the last access as a date alone.
    void readAccessFacts()
    {
        if ((m_rows.OpenedFilesRs || m_rows.DetailRs) && wanted(Flag::LastAccess))
            m_facts.lastAccess = scannedDay(recordValue16(m_entry, EntryField::LastAccessDate));
    }

    void appendOpenedFilesRow()
    {
        if (!m_rows.OpenedFilesRs || !onScanDate(m_facts.lastAccess))
            return;
        NewRow row = newRow(*m_rows.OpenedFilesRs);
        row.set(u"Opened"_s, m_facts.lastAccess.value);
        withFileAndBytes(row).update();
    }

    void readArchiveFacts()
    {
        if (!m_rows.ArchivedFilesRs && !m_rows.DetailRs)
            return;
        if (wanted(Flag::LastArchive))
            m_facts.lastArchive = dateOf(EntryField::LastArchiveDateTime, true);
        if (wanted(Flag::LastArchiveBy))
            m_facts.archiver = nameOf(EntryField::LastArchiverId);
    }

    void appendArchivedFilesRow()
    {
        if (!m_rows.ArchivedFilesRs || !onScanDate(m_facts.lastArchive))
            return;
        NewRow row = newRow(*m_rows.ArchivedFilesRs);
        row.set(u"Archived"_s, m_facts.lastArchive.value).set(u"Archivor"_s, m_facts.archiver);
        withFileAndBytes(row).update();
    }

    void readModificationFacts()
    {
        if (!m_rows.EditedFilesRs && !m_rows.DetailRs)
            return;
        if (wanted(Flag::LastModify))
            m_facts.lastModify = dateOf(EntryField::LastUpdateDateTime, true);
        if (wanted(Flag::LastModifyBy))
            m_facts.modifier = nameOf(EntryField::LastUpdaterId);
    }

    void appendEditedFilesRow()
    {
        if (!m_rows.EditedFilesRs || !onScanDate(m_facts.lastModify))
            return;
        NewRow row = newRow(*m_rows.EditedFilesRs);
        withFileAndBytes(row)
            .set(u"Edited"_s, m_facts.lastModify.value)
            .set(u"Editor"_s, m_facts.modifier)
            .update();
    }

    void appendDetailRow()
    {
        if (!m_rows.DetailRs)
            return;
        recordStretch(m_context, m_location.storedDirectory);
        newRow(*m_rows.DetailRs)
            .set(u"Created"_s, m_facts.created.value)
            .set(u"owner"_s, m_facts.owner)
            .set(u"LastAccess"_s, m_facts.lastAccess.value)
            .set(u"LastArchive"_s, m_facts.lastArchive.value)
            .set(u"Archivor"_s, m_facts.archiver)
            .set(u"lastedit"_s, m_facts.lastModify.value)
            .set(u"Editor"_s, m_facts.modifier)
            .set(u"file"_s, m_file)
            .set(u"SysDate"_s, m_context.ScanDate)
            .setIf(wanted(Flag::Size), u"Bytes"_s, m_bytes)
            .update();
    }

    ScanContext& m_context;
    const ScanRowSets& m_rows;
    const ScannedFileLocation& m_location;
    const QString m_file;
    const QVariant m_bytes;
    const EntryRecord& m_entry;
    const ClientDirectory& m_server;
    bool m_directoryService = false;
    FileFacts m_facts;
};

// Without the network only the Detail row is written, with the plain directory of the file.
void appendPlainDetailRow(ScanContext& context, const QByteArray& fullPath, qint64 size)
{
    if (!context.rowSets.DetailRs)
        return;
    const PlainFilePath path = splitPlainFilePath(fullPath);
    const QString directory = nameText(path.directory);
    recordStretch(context, directory);
    NewRow(*context.rowSets.DetailRs)
        .set(u"Directory"_s, directory)
        .set(u"file"_s, nameText(path.file))
        .set(u"SysDate"_s, context.ScanDate)
        .setIf(context.settings.flag(Flag::Size), u"Bytes"_s, size)
        .update();
}

} // namespace

FileEntryScan::FileEntryScan(ScanContext& context, HeldDirectory& held, const FolderFiles& folder,
                             const QByteArray& folderPath, const QByteArray& name)
    : m_context(context), m_folderPath(folderPath), m_name(name)
{
    if (!context.networkMode)
        return;
    m_location = folder.locate(name);
    if (m_location)
        m_server = held.of(*m_location);
    if (m_server)
        m_entry = m_server->entryOf(m_location->file);
}

bool FileEntryScan::isSystemFile() const
{
    return m_entry && (recordValue32(*m_entry, EntryField::Attributes) & NWConstant::AttributeSystem) != 0;
}

void FileEntryScan::appendRows(qint64 size)
{
    if (!m_context.networkMode)
        appendPlainDetailRow(m_context, m_folderPath + m_name, size);
    else if (m_entry)
        EntryRows(m_context, *m_location, size, *m_entry, *m_server).run();
}

} // namespace corvane
