#include "core/netware/samba/AuditTrailReader.h"

#include "core/common/FileWriting.h"
#include "core/netware/samba/AuditLogFiles.h"
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
#include <QProcess>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// Paths changed since the last write, and paths kept in memory at all: the bounds of a batch.
constexpr qsizetype ChangedPathsBeforeWrite = 50000;
constexpr qsizetype RememberedPaths = 100000;

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

// Whether stream holds the text the position was taken in, up to its offset: its first bytes and
// the bytes before the offset are the same (a store of an earlier version knows only 64 bytes of
// head, so the file must be the same one as well). Leaves stream at the offset and the bytes
// before it in before.
bool resumes(LogStream& stream, const SourcePosition& position, QByteArray& before)
{
    const bool earlierStore = position.tail.isEmpty() && position.offset > 0;
    if (earlierStore && (stream.file().device != position.device || stream.file().inode != position.inode))
        return false;
    if (!stream.head().startsWith(position.head))
        return false;
    const qint64 tailStart = position.offset - std::min<qint64>(position.offset, LogLines::TailBytes);
    if (!stream.skipTo(tailStart))
        return false;
    before.resize(position.offset - tailStart);
    for (qsizetype got = 0; got < before.size();) {
        const qint64 part = stream.read(before.data() + got, before.size() - got);
        if (part <= 0)
            return false;
        got += part;
    }
    return before.endsWith(position.tail);
}

// The rotated logs to try as the one a position was taken in, the likeliest first: the newest
// generation first, and the very file the position names before all.
QList<qsizetype> formerCandidates(const QList<RotatedLog>& rotated, const SourcePosition& position)
{
    QList<qsizetype> order;
    for (qsizetype i = rotated.size() - 1; i >= 0; --i) {
        if (rotated[i].rotation)
            order.append(i);
    }
    for (qsizetype i = 0; i < rotated.size(); ++i) {
        if (!rotated[i].rotation)
            order.append(i);
    }
    std::stable_partition(order.begin(), order.end(), [&](qsizetype i) {
        struct stat status;
        return ::stat(QFile::encodeName(rotated[i].path).constData(), &status) == 0 &&
               static_cast<quint64>(status.st_dev) == position.device &&
               static_cast<quint64>(status.st_ino) == position.inode;
    });
    return order;
}

bool isOnDisk(const QByteArray& path)
{
    struct stat status;
    return !path.isEmpty() && !path.contains('\0') && ::lstat(path.constData(), &status) == 0;
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
        ++m_unsaved;
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
        m_unsaved = 0;
    }

    // The records applied since the last commit are kept: the reading counts them.
    void committed()
    {
        m_reading.records += m_unsaved;
        m_unsaved = 0;
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
            const AuditStore::Lookup<PathFacts> stored = m_store.facts(path);
            // Taken for a path never seen, an unread one would lose its history at the next write.
            if (stored.failed)
                m_storeFailed = true;
            entry = m_pending.insert(path, Pending{stored.found.value_or(PathFacts{}), stored.found.has_value(),
                                                   stored.found.has_value()});
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
        leave(entry);
    }

    // The path has no live entry any more: a later record of it starts a history of its own.
    static void leave(Pending& entry)
    {
        entry.present = false;
        entry.facts = PathFacts{};
    }

    // The history goes with the name; a folder takes the history of everything under it along.
    void rename(const QByteArray& path, const AuditRecord& record)
    {
        const std::optional<QByteArray> target = relativePath(record.target);
        if (!target || isRepositoryPath(*target)) {
            leave(entryOf(path));
            return;
        }
        Pending moved = entryOf(path);
        leave(entryOf(path));
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
    qint64 m_unsaved = 0; // records applied since the last commit
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

    // Where the last reading of a source stopped; a store that cannot say is reported, and the
    // source is left for a later reading rather than read again from its start.
    AuditStore::Lookup<SourcePosition> storedPosition(const QString& key)
    {
        AuditStore::Lookup<SourcePosition> stored = m_store.position(key);
        if (stored.failed)
            problem(u"the store of %1 cannot be read: %2"_s.arg(m_volumeName, m_store.error()));
        return stored;
    }

    void readFileSource(const AuditSource& source)
    {
        const QString key = source.text();
        std::unique_ptr<LogStream> live = openLog(source.location, LogStream::Generation::Live);
        if (!live)
            return;
        const AuditStore::Lookup<SourcePosition> lookup = storedPosition(key);
        if (lookup.failed)
            return;
        const std::optional<SourcePosition>& stored = lookup.found;
        QByteArray before;
        // A store that cannot be written is reported where it fails; nothing else is left to do.
        if (!stored || resumes(*live, *stored, before)) {
            readLog(source, *live, stored.value_or(SourcePosition{}), before, key, false);
            return;
        }
        // Rotated, copied and emptied, or replaced since the last reading: what the former file
        // gained before the change is read first, from the generation that holds it now.
        if (!readFormerGenerations(source, *stored, key))
            return;
        live = openLog(source.location, LogStream::Generation::Live);
        if (live)
            readLog(source, *live, SourcePosition{}, {}, key, false);
    }

    std::unique_ptr<LogStream> openLog(const QString& path, LogStream::Generation generation)
    {
        QString error;
        bool missing = false;
        std::unique_ptr<LogStream> log = LogStream::open(path, generation, error, &missing);
        if (!log)
            problem(missing ? u"the audit log %1 is not there or is no file"_s.arg(path)
                            : u"the audit log %1 cannot be read: %2"_s.arg(path, error));
        return log;
    }

    // The generation the position was taken in is read on from it, then every generation rotated
    // after it; without it, the records between the last reading and the change are lost. False
    // when the store cannot be written.
    bool readFormerGenerations(const AuditSource& source, const SourcePosition& stored, const QString& key)
    {
        const QList<RotatedLog> rotated = rotatedLogs(source.location);
        for (const qsizetype candidate : formerCandidates(rotated, stored)) {
            QString error;
            std::unique_ptr<LogStream> former =
                LogStream::open(rotated[candidate].path, LogStream::Generation::Rotated, error);
            QByteArray before;
            if (!former || !resumes(*former, stored, before))
                continue;
            if (!readLog(source, *former, stored, before, key, true))
                return false;
            for (qsizetype later = candidate + 1; rotated[candidate].rotation && later < rotated.size() &&
                                                  rotated[later].rotation;
                 ++later) {
                const std::unique_ptr<LogStream> log = openLog(rotated[later].path, LogStream::Generation::Rotated);
                if (log && !readLog(source, *log, SourcePosition{}, {}, key, true))
                    return false;
            }
            return true;
        }
        problem(u"the audit log %1 was replaced or emptied and its former file is gone: records between "
                "the last reading and the change are lost"_s.arg(source.location));
        return true;
    }

    // Reads a log from the position it stands at (from) to its last complete line, or to its very
    // end when it is finished with (a rotated generation); saves where the reading stopped. A log
    // that fails to be read is reported and given up; false only when the store cannot be written.
    bool readLog(const AuditSource& source, LogStream& log, const SourcePosition& from, QByteArray before,
                 const QString& key, bool finished)
    {
        if (!begin())
            return false;
        const bool smbdLog = source.kind == AuditSource::Kind::SmbdLog;
        LogLines lines(log, std::move(before), from.within == SourcePosition::Within::LongLine);
        m_smbd = SmbdMessage{};
        if (smbdLog && from.within != SourcePosition::Within::Lines)
            m_smbd.kind = SmbdMessage::Kind::Other; // the rest of a message passed over
        constexpr qint64 LinesBetweenReports = 4096;
        for (qint64 count = 1;; ++count) {
            QByteArrayView line;
            const LogLines::Next next = lines.next(line);
            if (next == LogLines::Next::End)
                break;
            if (next == LogLines::Next::Failed) {
                problem(u"the audit log %1 cannot be read: %2"_s.arg(log.path(), log.error()));
                m_store.rollback();
                m_folder.forget();
                return true;
            }
            if (next == LogLines::Next::Overlong) {
                ++m_reading.overlong;
                if (smbdLog)
                    passOverSmbdMessage(lines);
            } else {
                readLine(line, lines, smbdLog);
            }
            if (count % LinesBetweenReports == 0)
                report(log);
            if (m_folder.batchFull() && !saveAndGoOn(key, positionIn(log, lines)))
                return false;
        }
        if (finished) {
            readLine(lines.takeRest(), lines, smbdLog);
            finishSmbdMessage(lines);
        } else if (m_smbd.kind == SmbdMessage::Kind::Audit) {
            finishSmbdMessage(lines);
        }
        return save(key, positionIn(log, lines));
    }

    // Where a later reading goes on: after the last line read, or at the header of a message of
    // smbd's log whose end is not seen yet.
    SourcePosition positionIn(const LogStream& log, const LogLines& lines) const
    {
        const bool waiting = m_smbd.kind == SmbdMessage::Kind::Audit;
        const qint64 offset = waiting ? m_smbd.start : lines.end();
        SourcePosition::Within within = SourcePosition::Within::Lines;
        if (!waiting && lines.inLongLine())
            within = SourcePosition::Within::LongLine;
        else if (m_smbd.kind == SmbdMessage::Kind::Other)
            within = SourcePosition::Within::PassedOverMessage;
        return SourcePosition{log.file().device,
                              log.file().inode,
                              offset,
                              log.head().left(std::min<qint64>(offset, LogStream::HeadBytes)),
                              {},
                              lines.tailBefore(offset),
                              within};
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
        m_folder.committed();
        return true;
    }

    void report(const LogStream& log)
    {
        constexpr qint64 ReportMilliseconds = 500;
        if (!m_progress || !m_sinceReport.hasExpired(ReportMilliseconds))
            return;
        m_sinceReport.restart();
        const qint64 size = log.file().size;
        const qint64 percent = size > 0 ? qMin<qint64>(100, log.filePosition() * 100 / size) : 100;
        m_progress(u"Reading the audit trail of %1: %2 (%3%)"_s.arg(m_volumeName, log.path()).arg(percent));
    }

    void readLine(QByteArrayView line, LogLines& lines, bool smbdLog)
    {
        if (smbdLog)
            readSmbdLogLine(line, lines);
        else
            readSyslogLine(line);
    }

    void readSyslogLine(QByteArrayView line)
    {
        if (line.isEmpty())
            return;
        qint64 time = 0;
        switch (m_syslog.read(line, time, m_message)) {
        case SyslogLineReader::Outcome::Message:
            readSyslogMessage(time);
            break;
        case SyslogLineReader::Outcome::Foreign:
            ++m_reading.foreign;
            break;
        case SyslogLineReader::Outcome::Garbled:
            ++m_reading.unreadable;
            break;
        }
    }

    // rsyslog writes a control character as "#ooo" but leaves "#" itself alone, so "#012" may
    // be either. Names that SMB3 clients give hold no control characters, so the text is read as
    // written unless the decoded name is the one on disk and the written one is not.
    void readSyslogMessage(qint64 time)
    {
        const QByteArray decoded = m_message.contains('#') ? decodedSyslogEscapes(m_message) : QByteArray();
        const bool escaped = !decoded.isEmpty() && decoded.size() != m_message.size();
        readMessage(escaped && namesAreOnDisk(decoded) && !namesAreOnDisk(m_message) ? decoded : m_message, time);
    }

    bool namesAreOnDisk(const QByteArray& message)
    {
        AuditRecord record;
        return m_parser.parse(message, record) == AuditMessageParser::Outcome::Record &&
               (isOnDisk(record.path) || isOnDisk(record.target));
    }

    // A header starts a message; the lines up to the next header are its text, each indented by
    // two spaces, joined by the newlines a name may hold.
    void readSmbdLogLine(QByteArrayView line, LogLines& lines)
    {
        bool audit = false;
        const std::optional<qint64> time = line.startsWith('[') ? smbdLogHeaderTime(line, m_clock, audit) : std::nullopt;
        if (time) {
            finishSmbdMessage(lines);
            m_smbd = SmbdMessage{audit ? SmbdMessage::Kind::Audit : SmbdMessage::Kind::Other, *time, 0,
                                 lines.lineStart(), {}};
            if (audit)
                lines.hold(m_smbd.start);
            else
                ++m_reading.foreign;
            return;
        }
        if (m_smbd.kind == SmbdMessage::Kind::None) { // text before any header: a cut message
            ++m_reading.unreadable;
            return;
        }
        if (m_smbd.kind != SmbdMessage::Kind::Audit)
            return;
        if (m_smbd.lines++ > 0)
            m_smbd.text += '\n';
        m_smbd.text += line.startsWith("  ") ? line.sliced(2) : line;
        if (m_smbd.text.size() > LogLines::LongestLine) {
            ++m_reading.overlong;
            passOverSmbdMessage(lines);
        }
    }

    void passOverSmbdMessage(LogLines& lines)
    {
        lines.release();
        m_smbd = SmbdMessage{};
        m_smbd.kind = SmbdMessage::Kind::Other;
    }

    void finishSmbdMessage(LogLines& lines)
    {
        if (m_smbd.kind == SmbdMessage::Kind::Audit) {
            lines.release();
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
        // From the entry read last on, so that whether the journal still holds it can be seen.
        if (!cursor.isEmpty())
            arguments << u"--cursor=%1"_s.arg(QString::fromUtf8(cursor));
        return arguments;
    }

    // How a reading of the journal ended: only one that journalctl refused is tried again.
    enum class JournalOutcome
    {
        Read,
        StoreFailed,   // reported already
        JournalFailed, // the failure is told to the caller
    };

    // Entries after the stored cursor; where journalctl no longer knows the cursor (the journal
    // was cleaned), entries no later than the last one read are passed over. Each try starts
    // from the stored position: what a failed one read is not kept.
    void readJournal(const AuditSource& source)
    {
        const QString key = source.text();
        const AuditStore::Lookup<SourcePosition> lookup = storedPosition(key);
        if (lookup.failed)
            return;
        const SourcePosition stored = lookup.found.value_or(SourcePosition{});
        QString failure;
        if (runJournal(source, key, stored, stored.cursor, failure) != JournalOutcome::JournalFailed)
            return;
        if (!stored.cursor.isEmpty() &&
            runJournal(source, key, stored, {}, failure) != JournalOutcome::JournalFailed)
            return;
        problem(u"the journal cannot be read: %1"_s.arg(failure));
    }

    JournalOutcome runJournal(const AuditSource& source, const QString& key, SourcePosition position,
                              const QByteArray& cursor, QString& failure)
    {
        m_journal = JournalStart{cursor, position.offset, 0, true, {}};
        QProcess journal;
        journal.start(m_settings.journalctl, journalArguments(source, cursor));
        if (!journal.waitForStarted()) {
            failure = u"%1 cannot be started"_s.arg(m_settings.journalctl);
            return JournalOutcome::JournalFailed;
        }
        if (!begin())
            return JournalOutcome::StoreFailed;
        QByteArray carry;
        qint64 sinceSave = 0;
        constexpr qint64 EntriesBeforeWrite = 50000;
        for (;;) {
            const bool more = journal.waitForReadyRead(m_settings.journalSilenceMs);
            if (!more && journal.state() == QProcess::Running)
                return journalFailed(journal,
                                     u"%1 wrote nothing for %2 ms and was stopped"_s.arg(m_settings.journalctl)
                                         .arg(m_settings.journalSilenceMs),
                                     failure);
            carry += journal.readAllStandardOutput();
            qsizetype start = 0;
            for (qsizetype end = carry.indexOf('\n'); end >= 0; end = carry.indexOf('\n', start)) {
                readJournalEntry(QByteArrayView(carry).sliced(start, end - start), position);
                start = end + 1;
                ++sinceSave;
            }
            carry.remove(0, start);
            if (sinceSave >= EntriesBeforeWrite) {
                if (!saveAndGoOn(key, position))
                    return JournalOutcome::StoreFailed;
                sinceSave = 0;
            }
            if (!more)
                break;
        }
        journal.waitForFinished(-1); // its output has ended: it is ending
        if (journal.exitStatus() != QProcess::NormalExit || journal.exitCode() != 0) {
            const QString said = QString::fromLocal8Bit(journal.readAllStandardError()).trimmed();
            return journalFailed(
                journal, said.isEmpty() ? u"%1 ended with status %2"_s.arg(m_settings.journalctl).arg(journal.exitCode()) : said,
                failure);
        }
        if (!save(key, position))
            return JournalOutcome::StoreFailed;
        if (!m_journal.loss.isEmpty())
            problem(m_journal.loss);
        return JournalOutcome::Read;
    }

    // What the failed reading applied is forgotten; journalctl, where it still runs, is stopped.
    JournalOutcome journalFailed(QProcess& journal, const QString& why, QString& failure)
    {
        journal.kill();
        journal.waitForFinished(-1);
        m_store.rollback();
        m_folder.forget();
        failure = why;
        return JournalOutcome::JournalFailed;
    }

    // At the first entry of a reading: the entry read last, where the journal still holds it, is
    // passed over. Otherwise entries up to its time count as read, and a journal that now begins
    // after it may have lost entries in between.
    bool isEntryReadLast(const QByteArray& cursor, qint64 micros)
    {
        if (!m_journal.atStart)
            return false;
        m_journal.atStart = false;
        if (!m_journal.cursor.isEmpty() && cursor == m_journal.cursor)
            return true;
        m_journal.after = m_journal.lastRead;
        if (m_journal.lastRead > 0 && micros > m_journal.lastRead) {
            const auto local = [](qint64 at) {
                return QDateTime::fromMSecsSinceEpoch(at / 1000).toString(u"yyyy-MM-dd HH:mm:ss"_s);
            };
            m_journal.loss = u"the journal no longer holds the entries after the one read last (%1): "
                             "records written before %2 may be lost"_s.arg(local(m_journal.lastRead), local(micros));
        }
        return false;
    }

    void readJournalEntry(QByteArrayView line, SourcePosition& position)
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
        if (isEntryReadLast(entry.value("__CURSOR"_L1).toString().toUtf8(), micros))
            return;
        position.cursor = entry.value("__CURSOR"_L1).toString().toUtf8();
        if (entry.value("SYSLOG_IDENTIFIER"_L1).toString() != "smbd_audit"_L1) {
            ++m_reading.foreign;
            return;
        }
        if (micros <= m_journal.after)
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
        qint64 start = 0; // the offset of its header
        QByteArray text;
    };
    SmbdMessage m_smbd;
    // How a reading of the journal began.
    struct JournalStart
    {
        QByteArray cursor;   // of the entry read last, as asked for
        qint64 lastRead = 0; // its time, in microseconds
        qint64 after = 0;    // entries no later than this count as read
        bool atStart = true;
        QString loss;        // entries the journal may have lost, said once the reading is kept
    };
    JournalStart m_journal;
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
    QString text = u"%1: %2 audit records read"_s.arg(volume, QString::number(records));
    if (unreadable > 0)
        text += u", %1 unreadable lines skipped"_s.arg(QString::number(unreadable));
    if (foreign > 0)
        text += u", %1 other lines passed over"_s.arg(QString::number(foreign));
    if (overlong > 0)
        text += u", %1 lines longer than %2 KiB skipped"_s.arg(QString::number(overlong)).arg(LogLines::LongestLine >> 10);
    if (ambiguousRenames > 0)
        text += u", %1 renames that could be read more than one way left both names without history"_s.arg(
            QString::number(ambiguousRenames));
    if (notFromSmbd > 0)
        text += u", %1 journal records not written by smbd were passed over"_s.arg(QString::number(notFromSmbd));
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
