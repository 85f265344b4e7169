#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"

#include <optional>
#include <vector>

namespace corvane {

// What the audit trail taught about one live path of a volume (times in seconds since the epoch).
struct PathFacts
{
    QByteArray creator;
    qint64 created = 0;
    QByteArray modifier;
    qint64 modified = 0;
    QByteArray reader;
    qint64 read = 0;
    QByteArray archiver; // the last one to set the DOS attributes
    qint64 archived = 0;
    bool folder = false;
};

struct PathDeletion
{
    QByteArray path;
    QByteArray deletor;
    qint64 deleted = 0;
    bool folder = false;
};

// Where reading of one source stopped: a file by offset and by the bytes that tell it from any
// other (its first bytes in head, the bytes before the offset in tail; a store of an earlier
// version knows only 64 bytes of head and the file's device and inode), a journal by cursor.
struct SourcePosition
{
    // Where in the text the offset lies.
    enum class Within
    {
        Lines,             // between lines
        LongLine,          // inside a line too long to be read
        PassedOverMessage, // among the lines of a message of smbd's log that is passed over
    };

    quint64 device = 0;
    quint64 inode = 0;
    qint64 offset = 0;
    QByteArray head;
    QByteArray cursor;
    QByteArray tail;
    Within within = Within::Lines;
};

// The server's own store for one volume: an SQLite file beside the configuration, never the
// audit database. A store that cannot be opened or fails its check is set aside under a new name
// and made again empty, so that the sources still there are read anew.
class AuditStore
{
public:
    AuditStore() = default;
    ~AuditStore();
    AuditStore(const AuditStore&) = delete;
    AuditStore& operator=(const AuditStore&) = delete;

    // Opens or makes the store; false with error() when even a new one cannot be made.
    // setAside() names where a damaged store went (empty when none was).
    bool open(const QString& filePath);
    // Opens an existing store only to read it, changing nothing; false when there is none.
    bool openForReading(const QString& filePath);
    const QString& error() const { return m_error; }
    const QString& setAside() const { return m_setAside; }

    bool begin();
    bool commit();
    void rollback();

    // What the store knows: found, not known, or not read at all (error() says why). A failed
    // lookup is no "not known": taken as one, a path's history or a log's position would be lost.
    template <typename T> struct Lookup
    {
        std::optional<T> found;
        bool failed = false;
    };
    Lookup<PathFacts> facts(const QByteArray& path);
    bool writeFacts(const QByteArray& path, const PathFacts& facts);
    bool eraseFacts(const QByteArray& path);
    // Moves every path under folder/ to target/.
    bool moveFolderContents(const QByteArray& folder, const QByteArray& target);
    // Forgets every path under folder/.
    bool eraseFolderContents(const QByteArray& folder);
    bool addDeletion(const PathDeletion& deletion);

    Lookup<SourcePosition> position(const QString& source);
    bool setPosition(const QString& source, const SourcePosition& position);

    QHash<QByteArray, PathFacts> allFacts();
    QList<PathDeletion> allDeletions();
    // Changes whenever another connection commits: whether the store must be read again.
    qint64 dataVersion();

private:
    bool openFile(const QString& filePath);
    bool check();
    bool createSchema();
    void close();
    bool exec(const char* sql);
    SqliteStatement* prepared(int slot, const char* sql);
    template <typename T, typename Read> Lookup<T> lookedUp(SqliteStatement& statement, Read read);
    bool stepped(SqliteStatement& statement);
    bool fail();

    SqliteConnection m_db;
    std::vector<SqliteStatement> m_statements;
    QString m_error;
    QString m_setAside;
};

} // namespace corvane
