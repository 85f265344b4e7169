#include "AuditEngines.h"

#include "core/db/DatabaseChoice.h"
#include "core/db/DatabaseOpening.h"
#include "core/db/QueryCursor.h"

namespace corvane::test {

void AuditEngines::SetUp()
{
    CentralDatabase::SetUp();
    if (!HasFatalFailure() && central())
        initialise(station);
}

void AuditEngines::openWriter(AuditDatabase& database, const QString& asStation)
{
    chooseAuditDatabase({databaseName(), asStation});
    const DbError error = connectAuditDatabase(database, databaseName(), AuditDatabase::Access::ReadWrite);
    ASSERT_FALSE(error.isError()) << error.text().toStdString();
}

void AuditEngines::commitRows(const QString& table, const QList<Fields>& rows, const QString& asStation)
{
    AuditDatabase writer;
    ASSERT_NO_FATAL_FAILURE(openWriter(writer, asStation));
    ASSERT_FALSE(writer.beginTransaction().isError());
    ASSERT_NO_FATAL_FAILURE(appendRows(writer, table, rows));
    ASSERT_FALSE(writer.commit().isError());
}

void AuditEngines::openReader(AuditDatabase& database, int statementTimeoutMs)
{
    const DbError error = central() ? database.openCentral(databaseName(), {}, AuditDatabase::Access::ReadOnly,
                                                           statementTimeoutMs)
                                    : database.open(databaseName(), AuditDatabase::Access::ReadOnly);
    ASSERT_FALSE(error.isError()) << error.text().toStdString();
}

QList<QVariantList> AuditEngines::rowsOf(const QString& jetStatement)
{
    AuditDatabase reader;
    openReader(reader);
    QueryCursor cursor(reader);
    QList<QVariantList> rows;
    if (const DbError error = cursor.open(jetStatement); error.isError())
        return {QVariantList{QString(QStringLiteral("error: ") + error.text())}};
    while (cursor.next())
        rows.append(cursor.values());
    if (cursor.error().isError())
        rows.append(QVariantList{QString(QStringLiteral("error: ") + cursor.error().text())});
    return rows;
}

QStringList AuditEngines::fieldNamesOf(const QString& jetStatement)
{
    AuditDatabase reader;
    openReader(reader);
    QueryCursor cursor(reader);
    EXPECT_FALSE(cursor.open(jetStatement).isError());
    return cursor.fieldNames();
}

std::string engineName(const ::testing::TestParamInfo<Engine>& info)
{
    return info.param == Engine::Sqlite ? "CvMdb" : "PostgreSql";
}

} // namespace corvane::test
