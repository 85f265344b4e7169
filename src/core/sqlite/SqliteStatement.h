#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <string>
#include <vector>

namespace corvane {

// One prepared SQLite statement, finalized when the object goes. Values bind and read as
// QVariant: a null QVariant is NULL, texts are UTF-16, whole numbers 64-bit. A bound text is
// encoded into a buffer of its parameter, kept until that parameter is bound again, so SQLite
// needs no copy of its own and an append of row after row reuses the same buffers.
class SqliteStatement
{
public:
    SqliteStatement() = default;
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // What prepare() gives beside SQLite's own result codes: a text without any statement,
    // and a second statement after the first (blanks, semicolons and comments may follow), refused so that
    // a typed "SELECT ...; DELETE ..." never runs half.
    static constexpr int noStatement = SQLITE_EMPTY;
    static constexpr int textAfterStatement = SQLITE_MISUSE;

    // A statement kept for many uses (reset between them) is prepared as such, so SQLite keeps it
    // out of its lookaside memory.
    enum class Use
    {
        Once,
        Often
    };
    int prepare(sqlite3* db, const QString& sql, Use use = Use::Once);
    bool isPrepared() const { return m_statement != nullptr; }
    void finalize();

    // 1-based, as SQLite counts parameters. SQLite keeps a binding from one step to the next: a
    // value equal to the one bound last (a row's directory, a user's name, the scan's date; a text
    // by its UTF-8 bytes) is not bound again.
    void bind(int index, const QVariant& value);
    // Values already in their stored form; the text is in UTF-8 and copied.
    void bindUtf8(int index, const char* text, int size);
    void bindInteger(int index, qint64 value);
    void bindNull(int index);
    int parameterCount() const;
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Steps past every row: SQLITE_DONE or the error that stopped it.
    int stepToEnd();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QVariant value(int column) const;
    // A column read as the type its caller stores there: NULL is 0 or empty.
    qint64 integer(int column) const;
    QByteArray bytes(int column) const;

private:
    // What a parameter holds, so that the same value needs no new binding: its kind, the number,
    // or the UTF-8 that SQLite reads while stepping.
    struct BoundParameter
    {
        enum class Kind
        {
            Other,
            Null,
            Integer,
            Text
        };
        Kind kind = Kind::Other;
        qint64 integer = 0;
        std::string utf8;
    };

    void bindText(int index, QStringView text);
    BoundParameter* rebind(int index, BoundParameter::Kind kind);

    sqlite3_stmt* m_statement = nullptr;
    std::vector<BoundParameter> m_bound; // by parameter index - 1
    std::string m_encoded; // a text in UTF-8 on its way to its parameter
};

// A table or column name as an SQL identifier, quoted whatever it holds.
QString quotedIdentifier(const QString& name);

} // namespace corvane
