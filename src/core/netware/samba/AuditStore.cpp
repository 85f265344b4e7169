#include "core/netware/samba/AuditStore.h"

#include <QDateTime>
#include <QFile>

#include <sqlite3.h>

#include <utility>

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

PathFacts factsFromRow(const SqliteStatement& statement, int first)
{
    PathFacts facts;
    facts.creator = statement.bytes(first);
    facts.created = statement.integer(first + 1);
    facts.modifier = statement.bytes(first + 2);
    facts.modified = statement.integer(first + 3);
    facts.reader = statement.bytes(first + 4);
    facts.read = statement.integer(first + 5);
    facts.archiver = statement.bytes(first + 6);
    facts.archived = statement.integer(first + 7);
    facts.folder = statement.integer(first + 8) != 0;
    return facts;
}

SourcePosition positionFromRow(const SqliteStatement& row)
{
    const qint64 within = row.integer(6);
    return SourcePosition{static_cast<quint64>(row.integer(0)),
                          static_cast<quint64>(row.integer(1)),
                          row.integer(2),
                          row.bytes(3),
                          row.bytes(4),
                          row.bytes(5),
                          within >= 0 && within <= static_cast<int>(SourcePosition::Within::PassedOverMessage)
                              ? static_cast<SourcePosition::Within>(within)
                              : SourcePosition::Within::Lines};
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
    m_statements.clear();
    m_db.close();
}

bool AuditStore::fail()
{
    m_error = m_db.errorMessage();
    return false;
}

bool AuditStore::exec(const char* sql)
{
    return m_db.executeScript(sql) == SQLITE_OK || fail();
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
    constexpr int BusyMilliseconds = 5000;
    if (!QFile::exists(filePath) ||
        m_db.open(filePath, SqliteConnection::Mode::ReadOnly, BusyMilliseconds) != SQLITE_OK) {
        fail();
        close();
        return false;
    }
    m_statements.resize(SlotCount);
    return true;
}

bool AuditStore::openFile(const QString& filePath)
{
    // Two scans at once: the second waits for the first's writes instead of failing.
    constexpr int BusyMilliseconds = 120000;
    if (m_db.open(filePath, SqliteConnection::Mode::ReadWriteNew, BusyMilliseconds) != SQLITE_OK)
        return fail();
    m_statements.resize(SlotCount);
    return exec("PRAGMA journal_mode = WAL") && exec("PRAGMA synchronous = NORMAL");
}

bool AuditStore::check()
{
    SqliteStatement statement;
    if (m_db.prepare(statement, u"PRAGMA quick_check"_s) != SQLITE_OK)
        return fail();
    const bool sound = statement.step() == SQLITE_ROW && statement.value(0).toString() == u"ok";
    statement.finalize();
    if (!sound) {
        m_error = u"the store failed its check"_s;
        return false;
    }
    return createSchema();
}

bool AuditStore::createSchema()
{
    SqliteStatement statement;
    if (m_db.prepare(statement, u"PRAGMA user_version"_s) != SQLITE_OK)
        return fail();
    const int version = statement.step() == SQLITE_ROW ? static_cast<int>(statement.integer(0)) : -1;
    statement.finalize();
    if (version == 1)
        return exec(FromVersion1);
    if (version != 0 && version != SchemaVersion) {
        m_error = u"the store has an unknown layout"_s;
        return false;
    }
    return version == SchemaVersion || exec(Schema);
}

SqliteStatement* AuditStore::prepared(int slot, const char* sql)
{
    SqliteStatement& statement = m_statements[static_cast<std::size_t>(slot)];
    if (!statement.isPrepared() &&
        statement.prepare(m_db.handle(), QString::fromLatin1(sql), SqliteStatement::Use::Often) != SQLITE_OK) {
        fail();
        return nullptr;
    }
    statement.reset();
    return &statement;
}

bool AuditStore::stepped(SqliteStatement& statement)
{
    return statement.step() == SQLITE_DONE || fail();
}

template <typename T, typename Read>
AuditStore::Lookup<T> AuditStore::lookedUp(SqliteStatement& statement, Read read)
{
    switch (statement.step()) {
    case SQLITE_ROW:
        return {read(statement), false};
    case SQLITE_DONE:
        return {};
    default:
        fail();
        return {std::nullopt, true};
    }
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
    m_db.executeScript("ROLLBACK");
}

AuditStore::Lookup<PathFacts> AuditStore::facts(const QByteArray& path)
{
    SqliteStatement* statement = prepared(SelectFacts, "SELECT creator, created, modifier, modified, reader, read, "
                                                       "archiver, archived, folder FROM facts WHERE path = ?");
    if (!statement)
        return {std::nullopt, true};
    statement->bind(1, path);
    return lookedUp<PathFacts>(*statement, [](const SqliteStatement& row) { return factsFromRow(row, 0); });
}

bool AuditStore::writeFacts(const QByteArray& path, const PathFacts& facts)
{
    SqliteStatement* statement = prepared(ReplaceFacts, "INSERT OR REPLACE INTO facts VALUES (?,?,?,?,?,?,?,?,?,?)");
    if (!statement)
        return false;
    statement->bind(1, path);
    statement->bind(2, facts.creator);
    statement->bind(3, facts.created);
    statement->bind(4, facts.modifier);
    statement->bind(5, facts.modified);
    statement->bind(6, facts.reader);
    statement->bind(7, facts.read);
    statement->bind(8, facts.archiver);
    statement->bind(9, facts.archived);
    statement->bind(10, facts.folder ? 1 : 0);
    return stepped(*statement);
}

bool AuditStore::eraseFacts(const QByteArray& path)
{
    SqliteStatement* statement = prepared(DeleteFacts, "DELETE FROM facts WHERE path = ?");
    if (!statement)
        return false;
    statement->bind(1, path);
    return stepped(*statement);
}

bool AuditStore::moveFolderContents(const QByteArray& folder, const QByteArray& target)
{
    SqliteStatement* statement =
        prepared(MoveFolder, "UPDATE OR REPLACE facts SET path = CAST(?1 || substr(path, ?2) AS BLOB) "
                             "WHERE path > ?3 AND path < ?4");
    if (!statement)
        return false;
    statement->bind(1, QByteArray(target + '/'));
    statement->bind(2, static_cast<qint64>(folder.size() + 2));
    statement->bind(3, QByteArray(folder + '/'));
    statement->bind(4, folderEnd(folder));
    return stepped(*statement);
}

bool AuditStore::eraseFolderContents(const QByteArray& folder)
{
    SqliteStatement* statement = prepared(EraseFolder, "DELETE FROM facts WHERE path > ?1 AND path < ?2");
    if (!statement)
        return false;
    statement->bind(1, QByteArray(folder + '/'));
    statement->bind(2, folderEnd(folder));
    return stepped(*statement);
}

bool AuditStore::addDeletion(const PathDeletion& deletion)
{
    SqliteStatement* statement = prepared(InsertDeletion, "INSERT INTO deletions VALUES (?,?,?,?)");
    if (!statement)
        return false;
    statement->bind(1, deletion.path);
    statement->bind(2, deletion.deletor);
    statement->bind(3, deletion.deleted);
    statement->bind(4, deletion.folder ? 1 : 0);
    return stepped(*statement);
}

AuditStore::Lookup<SourcePosition> AuditStore::position(const QString& source)
{
    SqliteStatement* statement =
        prepared(SelectPosition, "SELECT device, inode, offset, head, cursor, tail, within FROM positions "
                                 "WHERE source = ?");
    if (!statement)
        return {std::nullopt, true};
    statement->bind(1, source);
    return lookedUp<SourcePosition>(*statement, positionFromRow);
}


bool AuditStore::setPosition(const QString& source, const SourcePosition& position)
{
    SqliteStatement* statement = prepared(ReplacePosition, "INSERT OR REPLACE INTO positions VALUES (?,?,?,?,?,?,?,?)");
    if (!statement)
        return false;
    statement->bind(1, source);
    statement->bind(2, static_cast<qint64>(position.device));
    statement->bind(3, static_cast<qint64>(position.inode));
    statement->bind(4, position.offset);
    statement->bind(5, position.head);
    statement->bind(6, position.cursor);
    statement->bind(7, position.tail);
    statement->bind(8, static_cast<int>(position.within));
    return stepped(*statement);
}

QHash<QByteArray, PathFacts> AuditStore::allFacts()
{
    QHash<QByteArray, PathFacts> all;
    SqliteStatement statement;
    if (m_db.prepare(statement, u"SELECT path, creator, created, modifier, modified, reader, read, archiver, "
                                u"archived, folder FROM facts"_s) != SQLITE_OK) {
        fail();
        return all;
    }
    while (statement.step() == SQLITE_ROW)
        all.insert(statement.bytes(0), factsFromRow(statement, 1));
    return all;
}

QList<PathDeletion> AuditStore::allDeletions()
{
    QList<PathDeletion> all;
    SqliteStatement statement;
    if (m_db.prepare(statement, u"SELECT path, deletor, deleted, folder FROM deletions ORDER BY deleted"_s) !=
        SQLITE_OK) {
        fail();
        return all;
    }
    while (statement.step() == SQLITE_ROW)
        all.append(PathDeletion{statement.bytes(0), statement.bytes(1), statement.integer(2),
                                statement.integer(3) != 0});
    return all;
}

qint64 AuditStore::dataVersion()
{
    SqliteStatement statement;
    if (m_db.prepare(statement, u"PRAGMA data_version"_s) != SQLITE_OK)
        return -1;
    return statement.step() == SQLITE_ROW ? statement.integer(0) : -1;
}

} // namespace corvane
