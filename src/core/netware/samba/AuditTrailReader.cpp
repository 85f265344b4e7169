#include "core/netware/samba/AuditTrailReader.h"

#include "core/common/FileWriting.h"
#include "core/netware/samba/AuditLogLines.h"
#include "core/netware/samba/RecycleRepository.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

constexpr qsizetype HeadBytes = 64;
constexpr qsizetype BlockBytes = 4 << 20;
// Paths changed since the last write, and paths kept in memory at all: the bounds of a batch.
constexpr qsizetype ChangedPathsBeforeWrite = 50000;
constexpr qsizetype RememberedPaths = 100000;

QString quantity(qint64 count)
{
    return QLocale::c().toString(count).replace(u',', u',');
}

// An exclusive lock on a file beside the store, released when the object goes or the process ends.
class StoreLock
{
public:
    explicit StoreLock(const QString& storeFile)
    {
        m_descriptor = ::open(QFile::encodeName(storeFile + u".lock"_s).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_descriptor >= 0 && flock(m_descriptor, LOCK_EX) != 0) {
            ::close(m_descriptor);
            m_descriptor = -1;
        }
    }
    ~StoreLock()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool held() const { return m_descriptor >= 0; }

private:
    int m_descriptor = -1;
};

struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
};

std::optional<FileIdentity> identityOf(const QString& path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return FileIdentity{static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino),
                        static_cast<qint64>(status.st_size)};
}

bool isCompressed(const QString& name)
{
    for (const char* suffix : {".gz", ".xz", ".bz2", ".zst", ".lz4", ".Z"}) {
        if (name.endsWith(QLatin1String(suffix)))
            return true;
    }
    return false;
}

// The file a log was renamed to by logrotate ("log.1", "log-20261208") or by smbd ("log.old").
std::optional<QString> renamedLog(const QString& path, const SourcePosition& position)
{
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList({info.fileName() + u".*"_s, info.fileName() + u"-*"_s}, QDir::Files)) {
        const QString candidate = folder.filePath(name);
        const std::optional<FileIdentity> identity = identityOf(candidate);
        if (!isCompressed(name) && identity && identity->device == position.device && identity->inode == position.inode)
            return candidate;
    }
    return std::nullopt;
}

QByteArray headOf(QFile& file, qsizetype length)
{
    const qint64 at = file.pos();
    file.seek(0);
    const QByteArray head = file.read(length);
    file.seek(at);
    return head;
}

// Folds records into what the store knows, path by path, and writes in batches.
class RecordFolder
{
public:
    RecordFolder(AuditStore& store, const SambaShare& share, AuditReading& reading)
        : m_store(store), m_share(share), m_reading(reading),
          m_everyoneAsGuest(share.guestsAllowed && share.failedLogonsAsGuests &&
                            AuditMessageParser(share.auditPrefix, {}).userIsTyped())
    {
        m_roots.append(share.path);
        const QString canonical = QFileInfo(QFile::decodeName(share.path)).canonicalFilePath();
        if (!canonical.isEmpty() && QFile::encodeName(canonical) != share.path)
            m_roots.append(QFile::encodeName(canonical));
        m_repositoryTop = repositoryTopName(share);
    }

    const QByteArrayList& roots() const { return m_roots; }
    bool batchFull() const { return m_changed >= ChangedPathsBeforeWrite; }

    void apply(const AuditRecord& record)
    {
        if (!record.share.isEmpty() && record.share.compare(m_share.name, Qt::CaseInsensitive) != 0)
            return;
        if (m_everyoneAsGuest && record.user != m_share.guestAccount) {
            AuditRecord asGuest = record;
            asGuest.user = m_share.guestAccount;
            apply(asGuest);
            return;
        }
        if (!record.otherRenameReadings.isEmpty()) {
            applyRenameOfManyReadings(record);
            return;
        }
        const std::optional<QByteArray> path = relativePath(record.path);
        if (!path || isRepositoryPath(*path))
            return;
        ++m_reading.records;
        switch (record.action) {
        case AuditAction::Create:
            if (Pending& entry = entryOf(*path); !entry.present || entry.facts.creator.isEmpty())
                setCreator(entry, record, false);
            break;
        case AuditAction::MakeFolder:
            setCreator(entryOf(*path), record, true);
            break;
        case AuditAction::FolderSeen:
            entryOf(*path).facts.folder = true;
            entryOf(*path).present = true;
            break;
        case AuditAction::Write: {
            // A write sets the archive attribute again: an earlier archiving no longer holds.
            PathFacts& facts = setPresent(entryOf(*path));
            facts.modifier = record.user;
            facts.modified = record.time;
            facts.archiver.clear();
            facts.archived = 0;
            break;
        }
        case AuditAction::Read:
            setPresent(entryOf(*path)).reader = record.user;
            entryOf(*path).facts.read = record.time;
            break;
        case AuditAction::AttributesChange:
            setPresent(entryOf(*path)).archiver = record.user;
            entryOf(*path).facts.archived = record.time;
            break;
        case AuditAction::Delete:
            remove(*path, record);
            break;
        case AuditAction::Rename:
            rename(*path, record);
            break;
        }
    }

    // Writes the changed paths; the others stay remembered, so a path seen in every batch is
    // looked up in the store once, until too many are remembered.
    bool write()
    {
        if (m_storeFailed)
            return false;
        for (auto entry = m_pending.begin(); entry != m_pending.end(); ++entry) {
            if (!entry->changed)
                continue;
            const bool written = entry->present ? m_store.writeFacts(entry.key(), entry->facts)
                                                : !entry->stored || m_store.eraseFacts(entry.key());
            if (!written)
                return false;
            entry->changed = false;
            entry->stored = entry->present;
        }
        for (const PathDeletion& deletion : std::as_const(m_deletions)) {
            if (!m_store.addDeletion(deletion))
                return false;
        }
        m_deletions.clear();
        m_changed = 0;
        if (m_pending.size() > RememberedPaths)
            m_pending.clear();
        return true;
    }

    void forget()
    {
        m_storeFailed = false;
        m_pending.clear();
        m_deletions.clear();
        m_changed = 0;
    }

private:
    struct Pending
    {
        PathFacts facts;
        bool present = false; // false: no live path (never seen, or deleted or renamed away)
        bool stored = false;  // the store has a row for it
        bool changed = false; // since the last write
    };

    std::optional<QByteArray> relativePath(const QByteArray& path) const
    {
        for (const QByteArray& root : m_roots) {
            if (!path.startsWith(root))
                continue;
            if (path.size() == root.size())
                return QByteArray("");
            if (path[root.size()] != '/' && root != "/")
                continue;
            QByteArray rest = path.mid(root == "/" ? 1 : root.size() + 1);
            while (rest.endsWith('/'))
                rest.chop(1);
            return rest;
        }
        return std::nullopt;
    }

    bool isRepositoryPath(const QByteArray& path) const
    {
        return !m_repositoryTop.isEmpty() &&
               (path == m_repositoryTop || path.startsWith(QByteArray(m_repositoryTop + '/')));
    }

    Pending& entryOf(const QByteArray& path)
    {
        auto entry = m_pending.find(path);
        if (entry == m_pending.end()) {
            const std::optional<PathFacts> stored = m_store.facts(path);
            entry = m_pending.insert(path, Pending{stored.value_or(PathFacts{}), stored.has_value(), stored.has_value()});
        }
        // Every caller changes what it asks for.
        if (!entry->changed) {
            entry->changed = true;
            ++m_changed;
        }
        return *entry;
    }

    static PathFacts& setPresent(Pending& entry)
    {
        entry.present = true;
        return entry.facts;
    }

    // A path with no live history starts a new one; one known only from reads keeps them.
    static void setCreator(Pending& entry, const AuditRecord& record, bool folder)
    {
        const bool wasFolder = entry.present && entry.facts.folder;
        if (!entry.present)
            entry.facts = PathFacts{};
        entry.facts.creator = record.user;
        entry.facts.created = record.time;
        entry.facts.folder = folder || wasFolder;
        entry.present = true;
    }

    void remove(const QByteArray& path, const AuditRecord& record)
    {
        Pending& entry = entryOf(path);
        m_deletions.append(PathDeletion{path, record.user, record.time, entry.present && entry.facts.folder});
        entry.present = false;
        entry.facts = PathFacts{};
    }

    // The history goes with the name; a folder takes the history of everything under it along.
    void rename(const QByteArray& path, const AuditRecord& record)
    {
        const std::optional<QByteArray> target = relativePath(record.target);
        if (!target || isRepositoryPath(*target)) {
            entryOf(path).present = false;
            return;
        }
        Pending moved = entryOf(path);
        entryOf(path).present = false;
        if (moved.present && moved.facts.folder) {
            // Paths under the folder may sit in the batch: they are written before the move.
            if (!write() || !m_store.moveFolderContents(path, *target))
                m_storeFailed = true;
        }
        Pending& destination = entryOf(*target);
        destination.facts = moved.facts;
        destination.present = true;
    }

    // What is on disk tells which reading of a rename happened: its new name is there and its old
    // one is not. Where that leaves no single reading, neither side's history is known any more.
    void applyRenameOfManyReadings(const AuditRecord& record)
    {
        QList<std::pair<QByteArray, QByteArray>> readings{{record.path, record.target}};
        readings += record.otherRenameReadings;
        QList<std::pair<QByteArray, QByteArray>> fitting;
        for (const auto& reading : std::as_const(readings)) {
            if (existsOnDisk(reading.second) && !existsOnDisk(reading.first))
                fitting.append(reading);
        }
        if (fitting.size() == 1) {
            AuditRecord decided = record;
            decided.path = fitting.first().first;
            decided.target = fitting.first().second;
            decided.otherRenameReadings.clear();
            apply(decided);
            return;
        }
        ++m_reading.ambiguousRenames;
        for (const auto& reading : std::as_const(readings)) {
            for (const QByteArray& side : {reading.first, reading.second}) {
                const std::optional<QByteArray> path = relativePath(side);
                if (path && !isRepositoryPath(*path))
                    forgetHistory(*path);
            }
        }
    }

    static bool existsOnDisk(const QByteArray& path)
    {
        struct stat status;
        return ::lstat(path.constData(), &status) == 0;
    }

    // The path and everything under it become paths of which nothing is known.
    void forgetHistory(const QByteArray& path)
    {
        Pending& entry = entryOf(path);
        entry.present = false;
        entry.facts = PathFacts{};
        if (!write() || !m_store.eraseFolderContents(path))
            m_storeFailed = true;
        const QByteArray under = path + '/';
        m_pending.removeIf([&under](const auto& pending) { return pending.key().startsWith(under); });
    }

    AuditStore& m_store;
    const SambaShare& m_share;
    AuditReading& m_reading;
    // Any name may be typed by a guest, and the records name users as typed.
    const bool m_everyoneAsGuest;
    QByteArrayList m_roots;
    QByteArray m_repositoryTop;
    QHash<QByteArray, Pending> m_pending;
    qsizetype m_changed = 0;
    QList<PathDeletion> m_deletions;
    bool m_storeFailed = false; // a change of many paths at once failed: the batch cannot be saved
};

class TrailReader
{
public:
    TrailReader(const QString& volumeName, const SambaVolumeSettings& settings, AuditStore& store,
                AuditReading& reading, const AuditProgress& progress)
        : m_volumeName(volumeName), m_settings(settings), m_store(store), m_reading(reading),
          m_progress(progress), m_folder(store, settings.share, reading),
          m_parser(settings.share.auditPrefix, m_folder.roots()),
          m_syslog(QDateTime::currentSecsSinceEpoch())
    {
        m_sinceReport.start();
    }

    void read(const AuditSource& source)
    {
        if (source.kind == AuditSource::Kind::Journal)
            readJournal(source);
        else
            readFileSource(source);
    }

private:
    void problem(const QString& text) { m_reading.problems.append(text); }

    void readFileSource(const AuditSource& source)
    {
        const QString key = source.text();
        const std::optional<FileIdentity> current = identityOf(source.location);
        if (!current) {
            problem(u"the audit log %1 is not there or is no file"_s.arg(source.location));
            return;
        }
        const std::optional<SourcePosition> stored = m_store.position(key);
        qint64 start = 0;
        if (stored && (stored->device != current->device || stored->inode != current->inode)) {
            const std::optional<QString> renamed = renamedLog(source.location, *stored);
            if (renamed) {
                const SourcePosition next{current->device, current->inode, 0, {}, {}};
                if (!readFile(source, *renamed, stored->offset, key, &next))
                    return;
            } else {
                problem(u"the audit log %1 was replaced and its former file is gone: records between "
                        "the last reading and the change are lost"_s.arg(source.location));
            }
        } else if (stored) {
            start = stored->offset;
        }
        readFile(source, source.location, start, key, nullptr);
    }

    // Reads from start to the last complete line; a file shorter than start, or whose first bytes
    // changed, was truncated and is read from its beginning. positionAfter replaces the file's own
    // position when the file is a renamed log, finished with.
    bool readFile(const AuditSource& source, const QString& path, qint64 start, const QString& key,
                  const SourcePosition* positionAfter)
    {
        QFile file(path);
        const std::optional<FileIdentity> identity = identityOf(path);
        if (!identity || !file.open(QIODevice::ReadOnly)) {
            problem(u"the audit log %1 cannot be read: %2"_s.arg(path, file.errorString()));
            return false;
        }
        const std::optional<SourcePosition> stored = m_store.position(key);
        if (start > 0 && (start > identity->size ||
                          (stored && !positionAfter && headOf(file, qMin<qint64>(HeadBytes, start)) !=
                                                           stored->head.left(qMin<qint64>(HeadBytes, start)))))
            start = 0;
        if (!file.seek(start)) {
            problem(u"the audit log %1 cannot be read: %2"_s.arg(path, file.errorString()));
            return false;
        }
        if (!begin())
            return false;
        m_smbd = SmbdMessage{};
        QByteArray carry;
        qint64 carryOffset = start; // where carry starts; everything before it has been read
        const bool smbdLog = source.kind == AuditSource::Kind::SmbdLog;
        for (;;) {
            const QByteArray block = file.read(BlockBytes);
            if (block.isEmpty())
                break;
            const QByteArray data = carry.isEmpty() ? block : carry + block;
            const qsizetype lastNewline = data.lastIndexOf('\n');
            if (lastNewline < 0) {
                carry = data;
                continue;
            }
            readLines(QByteArrayView(data).first(lastNewline + 1), smbdLog);
            carry = data.mid(lastNewline + 1);
            carryOffset += lastNewline + 1;
            // A message of smbd's log is read once the next header shows where it ends.
            const qint64 consumed = carryOffset - m_smbd.bytes;
            report(path, consumed, identity->size);
            if (m_folder.batchFull() && !saveAndGoOn(key, positionOf(file, *identity, consumed)))
                return false;
        }
        finishSmbdMessage();
        return save(key, positionAfter ? *positionAfter : positionOf(file, *identity, carryOffset));
    }

    static SourcePosition positionOf(QFile& file, const FileIdentity& identity, qint64 offset)
    {
        return SourcePosition{identity.device, identity.inode, offset, headOf(file, qMin<qint64>(HeadBytes, offset)), {}};
    }

    // Each batch is one transaction: the store's lookups need no lock of their own, and the
    // position is written with what was read up to it.
    bool begin()
    {
        if (m_store.begin())
            return true;
        problem(u"the store of %1 cannot be written: %2"_s.arg(m_volumeName, m_store.error()));
        return false;
    }

    bool saveAndGoOn(const QString& key, const SourcePosition& position)
    {
        return save(key, position) && begin();
    }

    bool save(const QString& key, const SourcePosition& position)
    {
        if (!m_folder.write() || !m_store.setPosition(key, position) || !m_store.commit()) {
            problem(u"the store of %1 cannot be written: %2"_s.arg(m_volumeName, m_store.error()));
            m_store.rollback();
            m_folder.forget();
            return false;
        }
        return true;
    }

    void report(const QString& path, qint64 offset, qint64 size)
    {
        constexpr qint64 ReportMilliseconds = 500;
        if (!m_progress || !m_sinceReport.hasExpired(ReportMilliseconds))
            return;
        m_sinceReport.restart();
        const qint64 percent = size > 0 ? qMin<qint64>(100, offset * 100 / size) : 100;
        m_progress(u"Reading the audit trail of %1: %2 (%3%)"_s.arg(m_volumeName, path).arg(percent));
    }

    void readLines(QByteArrayView lines, bool smbdLog)
    {
        qsizetype start = 0;
        while (start < lines.size()) {
            const qsizetype end = lines.indexOf('\n', start);
            const QByteArrayView line = lines.sliced(start, end - start);
            if (smbdLog)
                readSmbdLogLine(line, end + 1 - start);
            else
                readSyslogLine(line);
            start = end + 1;
        }
    }

    void readSyslogLine(QByteArrayView line)
    {
        if (line.isEmpty())
            return;
        qint64 time = 0;
        switch (m_syslog.read(line, time, m_message)) {
        case SyslogLineReader::Outcome::Message:
            readMessage(m_message, time);
            break;
        case SyslogLineReader::Outcome::Foreign:
            ++m_reading.foreign;
            break;
        case SyslogLineReader::Outcome::Garbled:
            ++m_reading.unreadable;
            break;
        }
    }

    // A header starts a message; the lines up to the next header are its text, joined by the
    // newlines a name may hold.
    void readSmbdLogLine(QByteArrayView line, qsizetype length)
    {
        bool audit = false;
        const std::optional<qint64> time = line.startsWith('[') ? smbdLogHeaderTime(line, m_clock, audit) : std::nullopt;
        if (time) {
            finishSmbdMessage();
            m_smbd = SmbdMessage{audit ? SmbdMessage::Kind::Audit : SmbdMessage::Kind::Other, *time, 0, length, {}};
            if (!audit)
                ++m_reading.foreign;
            return;
        }
        if (m_smbd.kind == SmbdMessage::Kind::None) { // text before any header: a cut message
            ++m_reading.unreadable;
            return;
        }
        m_smbd.bytes += length;
        if (m_smbd.kind != SmbdMessage::Kind::Audit)
            return;
        if (m_smbd.lines++ == 0)
            m_smbd.text = line.startsWith("  ") ? line.sliced(2).toByteArray() : line.toByteArray();
        else
            m_smbd.text += '\n' + line.toByteArray();
    }

    void finishSmbdMessage()
    {
        if (m_smbd.kind == SmbdMessage::Kind::Audit) {
            if (m_smbd.lines == 0)
                ++m_reading.unreadable;
            else
                readMessage(m_smbd.text, m_smbd.time);
        }
        m_smbd = SmbdMessage{};
    }

    void readMessage(const QByteArray& message, qint64 time)
    {
        m_record.time = time;
        switch (m_parser.parse(message, m_record)) {
        case AuditMessageParser::Outcome::Record:
            m_folder.apply(m_record);
            break;
        case AuditMessageParser::Outcome::Ignored:
            break;
        case AuditMessageParser::Outcome::Garbled:
            ++m_reading.unreadable;
            break;
        }
    }

    QStringList journalArguments(const AuditSource& source, const QByteArray& cursor) const
    {
        // The cursor and time come with every entry; the underscored fields are the journal's own
        // word on the process that wrote it.
        QStringList arguments{u"-o"_s, u"json"_s, u"--output-fields=MESSAGE,SYSLOG_IDENTIFIER,_UID,_COMM,_EXE"_s,
                              u"--no-pager"_s, u"SYSLOG_IDENTIFIER=smbd_audit"_s};
        if (!source.location.isEmpty())
            arguments << u"--directory=%1"_s.arg(source.location);
        if (!cursor.isEmpty())
            arguments << u"--after-cursor=%1"_s.arg(QString::fromUtf8(cursor));
        return arguments;
    }

    // Entries after the stored cursor; where journalctl no longer knows the cursor (the journal
    // was cleaned), entries no later than the last one read are passed over.
    void readJournal(const AuditSource& source)
    {
        const QString key = source.text();
        SourcePosition position = m_store.position(key).value_or(SourcePosition{});
        QString failure;
        if (runJournal(source, key, position, position.cursor, failure))
            return;
        if (!position.cursor.isEmpty() && runJournal(source, key, position, {}, failure))
            return;
        problem(u"the journal cannot be read: %1"_s.arg(failure));
    }

    bool runJournal(const AuditSource& source, const QString& key, SourcePosition& position,
                    const QByteArray& cursor, QString& failure)
    {
        QProcess journal;
        journal.start(m_settings.journalctl, journalArguments(source, cursor));
        if (!journal.waitForStarted()) {
            failure = u"%1 cannot be started"_s.arg(m_settings.journalctl);
            return false;
        }
        if (!begin())
            return true; // the failure is reported already
        const qint64 after = cursor.isEmpty() ? position.offset : 0;
        QByteArray carry;
        qint64 sinceSave = 0;
        constexpr qint64 EntriesBeforeWrite = 50000;
        for (;;) {
            const bool more = journal.waitForReadyRead(-1);
            carry += journal.readAllStandardOutput();
            qsizetype start = 0;
            for (qsizetype end = carry.indexOf('\n'); end >= 0; end = carry.indexOf('\n', start)) {
                readJournalEntry(QByteArrayView(carry).sliced(start, end - start), after, position);
                start = end + 1;
                ++sinceSave;
            }
            carry.remove(0, start);
            if (sinceSave >= EntriesBeforeWrite) {
                if (!saveAndGoOn(key, position))
                    return true; // the failure is reported already
                sinceSave = 0;
            }
            if (!more)
                break;
        }
        journal.waitForFinished(-1);
        if (journal.exitStatus() != QProcess::NormalExit || journal.exitCode() != 0) {
            m_store.rollback();
            m_folder.forget();
            failure = QString::fromLocal8Bit(journal.readAllStandardError()).trimmed();
            if (failure.isEmpty())
                failure = u"%1 ended with status %2"_s.arg(m_settings.journalctl).arg(journal.exitCode());
            return false;
        }
        save(key, position);
        return true;
    }

    void readJournalEntry(QByteArrayView line, qint64 after, SourcePosition& position)
    {
        if (line.trimmed().isEmpty())
            return;
        const QJsonObject entry = QJsonDocument::fromJson(line.toByteArray()).object();
        const qint64 micros = entry.value("__REALTIME_TIMESTAMP"_L1).toString().toLongLong();
        const QJsonValue message = entry.value("MESSAGE"_L1);
        if (entry.isEmpty() || micros <= 0 || message.isUndefined()) {
            ++m_reading.unreadable;
            return;
        }
        position.cursor = entry.value("__CURSOR"_L1).toString().toUtf8();
        if (entry.value("SYSLOG_IDENTIFIER"_L1).toString() != "smbd_audit"_L1) {
            ++m_reading.foreign;
            return;
        }
        if (micros <= after)
            return;
        if (!writtenBySmbd(entry)) {
            ++m_reading.notFromSmbd;
            return;
        }
        position.offset = micros;
        readMessage(journalMessage(message), micros / 1000000);
    }

    // Anyone may log under smbd's identifier (logger -t smbd_audit): only the fields the journal
    // fills in itself tell smbd, which runs as root, from the others. The program's name serves
    // where the journal could no longer read its path.
    static bool writtenBySmbd(const QJsonObject& entry)
    {
        if (entry.value("_UID"_L1).toString() != "0"_L1)
            return false;
        const QJsonValue executable = entry.value("_EXE"_L1);
        if (!executable.isUndefined())
            return QFileInfo(executable.toString()).fileName() == "smbd"_L1;
        return entry.value("_COMM"_L1).toString() == "smbd"_L1;
    }

    // journalctl writes a message that is not UTF-8 as an array of its bytes.
    static QByteArray journalMessage(const QJsonValue& message)
    {
        if (!message.isArray())
            return message.toString().toUtf8();
        QByteArray bytes;
        for (const QJsonValue& byte : message.toArray())
            bytes.append(static_cast<char>(byte.toInt()));
        return bytes;
    }

    const QString& m_volumeName;
    const SambaVolumeSettings& m_settings;
    AuditStore& m_store;
    AuditReading& m_reading;
    const AuditProgress& m_progress;
    RecordFolder m_folder;
    AuditMessageParser m_parser;
    SyslogLineReader m_syslog;
    LocalLogClock m_clock;
    AuditRecord m_record;
    QByteArray m_message;
    QElapsedTimer m_sinceReport;
    // The message of smbd's log being read, whose end is not seen yet.
    struct SmbdMessage
    {
        enum class Kind
        {
            None,
            Other,
            Audit
        };
        Kind kind = Kind::None;
        qint64 time = 0;
        int lines = 0;
        qint64 bytes = 0; // from its header on
        QByteArray text;
    };
    SmbdMessage m_smbd;
};

// Settings of a share under which the user a record names is not the person who acted.
QStringList userWarnings(const SambaShare& share)
{
    QStringList warnings;
    const QString name = QString::fromUtf8(share.name);
    const QString guest = QString::fromUtf8(share.guestAccount);
    const bool typed = AuditMessageParser(share.auditPrefix, {}).userIsTyped();
    if (typed)
        warnings.append(u"the records of share %1 name users by %U, the name a client typed, which proves no one: "
                        "put %u in its full_audit:prefix"_s.arg(name));
    if (share.guestsAllowed && share.failedLogonsAsGuests && typed)
        warnings.append(u"share %1 lets guests in, so every user its records name is taken as its guest account %2"_s
                            .arg(name, guest));
    else if (share.guestsAllowed)
        warnings.append(u"share %1 lets guests in: what they do is recorded as its guest account %2"_s.arg(name, guest));
    return warnings;
}

} // namespace

QString AuditSource::text() const
{
    switch (kind) {
    case Kind::Syslog:
        return u"syslog "_s + location;
    case Kind::SmbdLog:
        return u"smbd-log "_s + location;
    case Kind::Journal:
        break;
    }
    return location.isEmpty() ? u"journal"_s : u"journal "_s + location;
}

QString AuditReading::summary(const QString& volume) const
{
    QString text = u"%1: %2 audit records read"_s.arg(volume, quantity(records));
    if (unreadable > 0)
        text += u", %1 unreadable lines skipped"_s.arg(quantity(unreadable));
    if (foreign > 0)
        text += u", %1 other lines passed over"_s.arg(quantity(foreign));
    if (ambiguousRenames > 0)
        text += u", %1 renames that could be read more than one way left both names without history"_s.arg(
            quantity(ambiguousRenames));
    if (notFromSmbd > 0)
        text += u", %1 journal records not written by smbd were passed over"_s.arg(quantity(notFromSmbd));
    for (const QString& warning : warnings)
        text += u"; warning: "_s + warning;
    for (const QString& problem : problems)
        text += u"; "_s + problem;
    return text;
}

AuditReading readAuditTrail(const QString& volumeName, const SambaVolumeSettings& settings,
                            const AuditProgress& progress)
{
    AuditReading reading;
    // Who read and wrote which file is no one else's business.
    if (QString failure; !makeFolder(QFileInfo(settings.storeFile).absolutePath(), privateFolderMode, &failure)) {
        reading.problems.append(failure);
        return reading;
    }
    const StoreLock lock(settings.storeFile);
    if (!lock.held()) {
        reading.problems.append(u"the store %1 cannot be locked"_s.arg(settings.storeFile));
        return reading;
    }
    AuditStore store;
    if (!store.open(settings.storeFile)) {
        reading.problems.append(u"the store %1 cannot be opened: %2"_s.arg(settings.storeFile, store.error()));
        return reading;
    }
    if (!store.setAside().isEmpty())
        reading.problems.append(u"the damaged store was set aside as %1 and is rebuilt from the logs"_s.arg(store.setAside()));
    reading.warnings = userWarnings(settings.share);
    TrailReader reader(volumeName, settings, store, reading, progress);
    for (const AuditSource& source : settings.sources)
        reader.read(source);
    return reading;
}

} // namespace corvane
