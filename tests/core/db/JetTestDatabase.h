#pragma once

#include "core/db/JetFunctions.h"
#include "core/db/JetTranslator.h"

#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace corvane {

// An in-memory SQLite database with the Jet functions registered: statements
// go through the translator and come back as rows of text.
class JetTestDatabase
{
public:
    JetTestDatabase()
    {
        sqlite3_open(":memory:", &m_db);
        registerJetFunctions(m_db);
    }
    ~JetTestDatabase() { sqlite3_close(m_db); }
    JetTestDatabase(const JetTestDatabase&) = delete;
    JetTestDatabase& operator=(const JetTestDatabase&) = delete;

    // Plain SQLite, for setting up tables.
    void execute(const char* sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "unknown error";
            sqlite3_free(message);
            throw std::runtime_error(text);
        }
    }

    // Every row of a Jet statement, its cells joined by "|"; NULL reads "NULL".
    // A failure gives one entry "error: <description>".
    QStringList rows(const QString& jet)
    {
        const JetTranslation translation = translateJet(jet);
        if (!translation.ok())
            return {QStringLiteral("error: ") + translation.errorDescription};
        sqlite3_stmt* statement = nullptr;
        const QByteArray sql = translation.sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
            return {QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db))};
        QStringList rows;
        int status = SQLITE_ROW;
        while ((status = sqlite3_step(statement)) == SQLITE_ROW)
            rows.append(rowText(statement));
        if (status != SQLITE_DONE)
            rows = QStringList{QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db))};
        sqlite3_finalize(statement);
        return rows;
    }

    // The first cell of a Jet statement (or its error).
    QString value(const QString& jet)
    {
        const QStringList all = rows(jet);
        return all.isEmpty() ? QStringLiteral("no row") : all.front().section(QLatin1Char('|'), 0, 0);
    }

    // The column headings of a Jet statement.
    QStringList columnNames(const QString& jet)
    {
        sqlite3_stmt* statement = nullptr;
        const QByteArray sql = translateJet(jet).sql.toUtf8();
        QStringList names;
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK) {
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
                names.append(QString::fromUtf8(sqlite3_column_name(statement, i)));
        }
        sqlite3_finalize(statement);
        return names;
    }

    sqlite3* handle() const { return m_db; }

private:
    static QString rowText(sqlite3_stmt* statement)
    {
        QStringList cells;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            if (sqlite3_column_type(statement, i) == SQLITE_NULL)
                cells.append(QStringLiteral("NULL"));
            else
                cells.append(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i))));
        }
        return cells.join(QLatin1Char('|'));
    }

    sqlite3* m_db = nullptr;
};

} // namespace corvane
