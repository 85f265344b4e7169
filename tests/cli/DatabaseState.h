#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QMap>
#include <QString>

#include <sqlite3.h>

namespace corvane::test {

// One table of cv.mdb: its row count and a digest of every value of every row in rowid order.
struct TableState
{
    qint64 rows = 0;
    QByteArray digest;
    friend bool operator==(const TableState&, const TableState&) = default;
};

// What cv.mdb holds, read as the next cv would read it: opened read-write, so that the journal
// of a killed run is rolled back first.
struct DatabaseState
{
    QString integrity; // "ok", or what PRAGMA integrity_check or the opening reported
    QMap<QString, TableState> tables;

    qint64 rows(const char* table) const { return tables.value(QLatin1String(table)).rows; }
};

namespace detail {

inline QStringList tableNames(sqlite3* db)
{
    QStringList names;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1,
                       &statement, nullptr);
    while (statement && sqlite3_step(statement) == SQLITE_ROW)
        names.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    sqlite3_finalize(statement);
    return names;
}

inline TableState tableState(sqlite3* db, const QString& table)
{
    TableState state;
    QCryptographicHash digest(QCryptographicHash::Sha256);
    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = "SELECT * FROM \"" + table.toUtf8() + "\" ORDER BY rowid";
    sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        ++state.rows;
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            const int type = sqlite3_column_type(statement, column);
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
            const int size = sqlite3_column_bytes(statement, column);
            digest.addData(QByteArray(QByteArray::number(type) + ':' + QByteArray::number(size) + ':'));
            digest.addData(QByteArrayView(bytes, size));
        }
    }
    sqlite3_finalize(statement);
    state.digest = digest.result();
    return state;
}

} // namespace detail

inline DatabaseState readDatabaseState(const QString& path)
{
    DatabaseState state;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.integrity = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return state;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* check = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK) {
        while (sqlite3_step(check) == SQLITE_ROW)
            state.integrity +=
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
    } else {
        state.integrity = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(check);
    for (const QString& table : detail::tableNames(db))
        state.tables.insert(table, detail::tableState(db, table));
    sqlite3_close(db);
    return state;
}

} // namespace corvane::test
