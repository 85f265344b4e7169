#pragma once

#include "CentralDatabase.h"
#include "core/db/AuditDatabase.h"
#include "core/db/AuditDatabaseFixture.h"

#include <QList>
#include <QVariantList>

namespace corvane::test {

enum class Engine
{
    Sqlite,
    Postgres
};

// The same test against cv.mdb and against a station of a fresh central database (station
// "st1" set up), so that what the program does with its audit database is checked on both.
class AuditEngines : public CentralDatabase, public ::testing::WithParamInterface<Engine>
{
protected:
    static inline const QString station = QStringLiteral("st1");

    void SetUp() override;
    bool central() const { return GetParam() == Engine::Postgres; }
    // A cv.mdb path or the central database's connection text.
    QString databaseName() const { return central() ? connectionText() : file_.path; }

    // The run's and the purges' connection, as station st1; the readers' connection.
    void openWriter(AuditDatabase& database, const QString& asStation = station);
    void openReader(AuditDatabase& database, int statementTimeoutMs = AuditDatabase::defaultStatementTimeoutMs);
    // The rows appended and committed in one run of the station.
    void commitRows(const QString& table, const QList<Fields>& rows, const QString& asStation = station);

    // Every row of a Jet SELECT as a reader sees it (QueryCursor), or the error's text.
    QList<QVariantList> rowsOf(const QString& jetStatement);
    QStringList fieldNamesOf(const QString& jetStatement);

private:
    TempAuditDatabase file_;
};

std::string engineName(const ::testing::TestParamInfo<Engine>& info);

} // namespace corvane::test
