#include "core/netware/samba/AuditStore.h"

#include <QDateTime>
#include <QFile>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

enum Slot
{
    SelectFacts,
    ReplaceFacts,
    DeleteFacts,
    MoveFolder,
    EraseFolder,
    InsertDeletion,
    SelectPosition,
    ReplacePosition,
    SlotCount
};

constexpr int SchemaVersion = 2;

const char* const Schema = R"(
PRAGMA user_version = 2;
CREATE TABLE IF NOT EXISTS facts(path BLOB PRIMARY KEY, creator BLOB, created INTEGER, modifier BLOB,
    modified INTEGER, reader BLOB, read INTEGER, archiver BLOB, archived INTEGER, folder INTEGER)
    WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS deletions(path BLOB, deletor BLOB, deleted INTEGER, folder INTEGER);
CREATE INDEX IF NOT EXISTS deletions_by_path ON deletions(path);
CREATE TABLE IF NOT EXISTS positions(source TEXT PRIMARY KEY, device INTEGER, inode INTEGER,
    offset INTEGER, head BLOB, cursor BLOB, tail BLOB, within INTEGER DEFAULT 0);
)";

// A store of the first version names a file by its device, inode and first 64 bytes; its
// positions are kept and read the way they were written once more.
const char* const FromVersion1 = R"(
BEGIN IMMEDIATE;
ALTER TABLE positions ADD COLUMN tail BLOB;
ALTER TABLE positions ADD COLUMN within INTEGER DEFAULT 0;
PRAGMA user_version = 2;
COMMIT;
)";

void bindBlob(sqlite3_stmt* statement, int index, const QByteArray& value)
{
    // An empty blob binds as a zero-length blob, not NULL, so paths always compare as blobs.
    sqlite3_bind_blob(statement, index, value.constData(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

QByteArray blobColumn(sqlite3_stmt* statement, int column)
{
    const void* data = sqlite3_column_blob(statement, column);
    return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(statement, column));
}

PathFacts factsFromRow(sqlite3_stmt* statement, int first)
{
    PathFacts facts;
    facts.creator = blobColumn(statement, first);
    facts.created = sqlite3_column_int64(statement, first + 1);
    facts.modifier = blobColumn(statement, first + 2);
    facts.modified = sqlite3_column_int64(statement, first + 3);
    facts.reader = blobColumn(statement, first + 4);
    facts.read = sqlite3_column_int64(statement, first + 5);
    facts.archiver = blobColumn(statement, first + 6);
    facts.archived = sqlite3_column_int64(statement, first + 7);
    facts.folder = sqlite3_column_int(statement, first + 8) != 0;
    return facts;
}

// Just past every path under folder/: "folder0", as "0" follows "/".
QByteArray folderEnd(const QByteArray& folder)
{
    return folder + '0';
}

} // namespace

AuditStore::~AuditStore()
{
    close();
}

void AuditStore::close()
{
    for (sqlite3_stmt* statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    m_statements.clear();
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool AuditStore::fail()
{
    m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : u"out of memory"_s;
    return false;
}

bool AuditStore::exec(const char* sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || fail();
}

bool AuditStore::open(const QString& filePath)
{
    m_setAside.clear();
    if (openFile(filePath) && check())
        return true;
    close();
    if (QFile::exists(filePath)) {
        const QString aside =
            filePath + u".damaged-"_s + QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss"_s);
        if (!QFile::rename(filePath, aside)) {
            m_error = u"the damaged store %1 cannot be set aside"_s.arg(filePath);
            return false;
        }
        QFile::remove(filePath + u"-wal"_s);
        QFile::remove(filePath + u"-shm"_s);
        m_setAside = aside;
    }
    if (openFile(filePath) && check())
        return true;
    close();
    return false;
}

bool AuditStore::openForReading(const QString& filePath)
{
    close();
    const QByteArray name = QFile::encodeName(filePath);
    if (!QFile::exists(filePath) || sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        fail();
        close();
        return false;
    }
    constexpr int BusyMilliseconds = 5000;
    sqlite3_busy_timeout(m_db, BusyMilliseconds);
    m_statements = QList<sqlite3_stmt*>(SlotCount, nullptr);
    return true;
}

bool AuditStore::openFile(const QString& filePath)
{
    const QByteArray name = QFile::encodeName(filePath);
    if (sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        return fail();
    // Two scans at once: the second waits for the first's writes instead of failing.
    constexpr int BusyMilliseconds = 120000;
    sqlite3_busy_timeout(m_db, BusyMilliseconds);
    m_statements = QList<sqlite3_stmt*>(SlotCount, nullptr);
    return exec("PRAGMA journal_mode = WAL") && exec("PRAGMA synchronous = NORMAL");
}

bool AuditStore::check()
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &statement, nullptr) != SQLITE_OK)
        return fail();
    const bool sound = sqlite3_step(statement) == SQLITE_ROW &&
                       qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "ok") == 0;
    sqlite3_finalize(statement);
    if (!sound) {
        m_error = u"the store failed its check"_s;
        return false;
    }
    return createSchema();
}

bool AuditStore::createSchema()
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &statement, nullptr) != SQLITE_OK)
        return fail();
    const int version = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_finalize(statement);
    if (version == 1)
        return exec(FromVersion1);
    if (version != 0 && version != SchemaVersion) {
        m_error = u"the store has an unknown layout"_s;
        return false;
    }
    return version == SchemaVersion || exec(Schema);
}

sqlite3_stmt* AuditStore::prepared(int slot, const char* sql)
{
    sqlite3_stmt*& statement = m_statements[slot];
    if (!statement && sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
        fail();
        return nullptr;
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return statement;
}

bool AuditStore::begin()
{
    return exec("BEGIN IMMEDIATE");
}

bool AuditStore::commit()
{
    return exec("COMMIT");
}

void AuditStore::rollback()
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::optional<PathFacts> AuditStore::facts(const QByteArray& path)
{
    sqlite3_stmt* statement = prepared(SelectFacts, "SELECT creator, created, modifier, modified, reader, read, "
                                                    "archiver, archived, folder FROM facts WHERE path = ?");
    if (!statement)
        return std::nullopt;
    bindBlob(statement, 1, path);
    if (sqlite3_step(statement) != SQLITE_ROW)
        return std::nullopt;
    return factsFromRow(statement, 0);
}

bool AuditStore::writeFacts(const QByteArray& path, const PathFacts& facts)
{
    sqlite3_stmt* statement = prepared(ReplaceFacts, "INSERT OR REPLACE INTO facts VALUES (?,?,?,?,?,?,?,?,?,?)");
    if (!statement)
        return false;
    bindBlob(statement, 1, path);
    bindBlob(statement, 2, facts.creator);
    sqlite3_bind_int64(statement, 3, facts.created);
    bindBlob(statement, 4, facts.modifier);
    sqlite3_bind_int64(statement, 5, facts.modified);
    bindBlob(statement, 6, facts.reader);
    sqlite3_bind_int64(statement, 7, facts.read);
    bindBlob(statement, 8, facts.archiver);
    sqlite3_bind_int64(statement, 9, facts.archived);
    sqlite3_bind_int(statement, 10, facts.folder ? 1 : 0);
    return sqlite3_step(statement) == SQLITE_DONE || fail();
}

bool AuditStore::eraseFacts(const QByteArray& path)
{
    sqlite3_stmt* statement = prepared(DeleteFacts, "DELETE FROM facts WHERE path = ?");
    if (!statement)
        return false;
    bindBlob(statement, 1, path);
    return sqlite3_step(statement) == SQLITE_DONE || fail();
}

bool AuditStore::moveFolderContents(const QByteArray& folder, const QByteArray& target)
{
    sqlite3_stmt* statement =
        prepared(MoveFolder, "UPDATE OR REPLACE facts SET path = CAST(?1 || substr(path, ?2) AS BLOB) "
                             "WHERE path > ?3 AND path < ?4");
    if (!statement)
        return false;
    bindBlob(statement, 1, target + '/');
    sqlite3_bind_int64(statement, 2, folder.size() + 2);
    bindBlob(statement, 3, folder + '/');
    bindBlob(statement, 4, folderEnd(folder));
    return sqlite3_step(statement) == SQLITE_DONE || fail();
}

bool AuditStore::eraseFolderContents(const QByteArray& folder)
{
    sqlite3_stmt* statement = prepared(EraseFolder, "DELETE FROM facts WHERE path > ?1 AND path < ?2");
    if (!statement)
        return false;
    bindBlob(statement, 1, folder + '/');
    bindBlob(statement, 2, folderEnd(folder));
    return sqlite3_step(statement) == SQLITE_DONE || fail();
}

bool AuditStore::addDeletion(const PathDeletion& deletion)
{
    sqlite3_stmt* statement = prepared(InsertDeletion, "INSERT INTO deletions VALUES (?,?,?,?)");
    if (!statement)
        return false;
    bindBlob(statement, 1, deletion.path);
    bindBlob(statement, 2, deletion.deletor);
    sqlite3_bind_int64(statement, 3, deletion.deleted);
    sqlite3_bind_int(statement, 4, deletion.folder ? 1 : 0);
    return sqlite3_step(statement) == SQLITE_DONE || fail();
}

std::optional<SourcePosition> AuditStore::position(const QString& source)
{
    sqlite3_stmt* statement =
        prepared(SelectPosition, "SELECT device, inode, offset, head, cursor, tail, within FROM positions "
                                 "WHERE source = ?");
    if (!statement)
        return std::nullopt;
    const QByteArray name = source.toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(statement) != SQLITE_ROW)
        return std::nullopt;
    const int within = sqlite3_column_int(statement, 6);
    return SourcePosition{static_cast<quint64>(sqlite3_column_int64(statement, 0)),
                          static_cast<quint64>(sqlite3_column_int64(statement, 1)),
                          sqlite3_column_int64(statement, 2),
                          blobColumn(statement, 3),
                          blobColumn(statement, 4),
                          blobColumn(statement, 5),
                          within >= 0 && within <= static_cast<int>(SourcePosition::Within::PassedOverMessage)
                              ? static_cast<SourcePosition::Within>(within)
                              : SourcePosition::Within::Lines};
}

bool AuditStore::setPosition(const QString& source, const SourcePosition& position)
{
    sqlite3_stmt* statement = prepared(ReplacePosition, "INSERT OR REPLACE INTO positions VALUES (?,?,?,?,?,?,?,?)");
    if (!statement)
        return false;
    const QByteArray name = source.toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(statement, 2, static_cast<qint64>(position.device));
    sqlite3_bind_int64(statement, 3, static_cast<qint64>(position.inode));
    sqlite3_bind_int64(statement, 4, position.offset);
    bindBlob(statement, 5, position.head);
    bindBlob(statement, 6, position.cursor);
    bindBlob(statement, 7, position.tail);
    sqlite3_bind_int(statement, 8, static_cast<int>(position.within));
    return sqlite3_step(statement) == SQLITE_DONE || fail();
}

QHash<QByteArray, PathFacts> AuditStore::allFacts()
{
    QHash<QByteArray, PathFacts> all;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT path, creator, created, modifier, modified, reader, read, archiver, "
                                 "archived, folder FROM facts", -1, &statement, nullptr) != SQLITE_OK) {
        fail();
        return all;
    }
    while (sqlite3_step(statement) == SQLITE_ROW)
        all.insert(blobColumn(statement, 0), factsFromRow(statement, 1));
    sqlite3_finalize(statement);
    return all;
}

QList<PathDeletion> AuditStore::allDeletions()
{
    QList<PathDeletion> all;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT path, deletor, deleted, folder FROM deletions ORDER BY deleted", -1,
                           &statement, nullptr) != SQLITE_OK) {
        fail();
        return all;
    }
    while (sqlite3_step(statement) == SQLITE_ROW)
        all.append(PathDeletion{blobColumn(statement, 0), blobColumn(statement, 1),
                                sqlite3_column_int64(statement, 2), sqlite3_column_int(statement, 3) != 0});
    sqlite3_finalize(statement);
    return all;
}

qint64 AuditStore::dataVersion()
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA data_version", -1, &statement, nullptr) != SQLITE_OK)
        return -1;
    const qint64 version = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_finalize(statement);
    return version;
}

} // namespace corvane
