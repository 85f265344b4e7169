#include "BothEngines.h"

#include "core/db/JetDates.h"
#include "core/db/JetFormat.h"

#include <QFile>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

// Type oids of PostgreSQL's catalogue.
constexpr unsigned int booleanType = 16;
constexpr unsigned int floatType = 700;
constexpr unsigned int doubleType = 701;
constexpr unsigned int dateTimeType = 1114;
constexpr unsigned int numericType = 1700;

QString numberShown(const QString& text)
{
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok ? jetNumberText(number) : text;
}

QString withDates(const QString& call, QString (*written)(const QString&))
{
    static const QRegularExpression date(
        u"\\{(\\d{4}-\\d\\d-\\d\\d(?: \\d\\d:\\d\\d:\\d\\d)?|\\d\\d:\\d\\d:\\d\\d)\\}"_s);
    QString out;
    qsizetype last = 0;
    for (auto matches = date.globalMatch(call); matches.hasNext();) {
        const QRegularExpressionMatch match = matches.next();
        out += call.mid(last, match.capturedStart() - last) + written(match.captured(1));
        last = match.capturedEnd();
    }
    return out + call.mid(last);
}

} // namespace

QString jetFunctionsScript()
{
    QFile file(QStringLiteral(CV_JET_FUNCTIONS_SQL));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString cellShownBySqlite(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return u"NULL"_s;
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return jetNumberText(sqlite3_column_double(statement, column));
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
    }
}

QString shownBySqlite(sqlite3* db, const QString& sql)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), -1, &statement, nullptr) != SQLITE_OK)
        return u"error: "_s + QString::fromUtf8(sqlite3_errmsg(db));
    QString shown = u"no row"_s;
    const int status = sqlite3_step(statement);
    if (status == SQLITE_ROW)
        shown = cellShownBySqlite(statement, 0);
    else if (status != SQLITE_DONE)
        shown = u"error: "_s + QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    return shown;
}

QString cellShownByPostgres(unsigned int type, const std::optional<QString>& cell)
{
    if (!cell)
        return u"NULL"_s;
    switch (type) {
    case booleanType:
        return *cell == "t"_L1 ? u"1"_s : u"0"_s;
    case floatType:
    case doubleType:
        return numberShown(*cell);
    case numericType: {
        // Whole numbers within 64 bits keep every digit, as SQLite's integers do; beyond, they
        // are the doubles SQLite gives there.
        bool whole = false;
        cell->toLongLong(&whole);
        return whole ? *cell : numberShown(*cell);
    }
    case dateTimeType:
        if (const auto value = parseJetDateText(*cell))
            return jetStorageText(*value);
        return *cell;
    default:
        return *cell;
    }
}

QString shownByPostgres(PostgresConnection& connection, const QString& sql)
{
    const PostgresConnection::Result result = connection.run(sql);
    if (!result.ok())
        return u"error: "_s + result.error;
    if (result.rows.isEmpty())
        return u"no row"_s;
    return cellShownByPostgres(result.types.front(), result.rows.front().front());
}

QString forSqlite(const QString& call)
{
    return withDates(call, [](const QString& value) -> QString { return u'\'' + value + u'\''; });
}

QString forPostgres(const QString& call)
{
    return withDates(call, [](const QString& value) -> QString {
        if (value.size() == 10)
            return u"date '"_s + value + u'\'';
        if (value.size() == 8)
            return u"timestamp '1899-12-30 "_s + value + u'\'';
        return u"timestamp '"_s + value + u'\'';
    });
}

void BothEngines::SetUpTestSuite()
{
    server_ = std::make_unique<PrivatePostgresServer>();
    setupError_ = server_->error();
    if (setupError_.isEmpty())
        setupError_ = server_->createOwnedDatabase(u"jet"_s, owner(), ownerPassword());
    if (!setupError_.isEmpty())
        return;
    const QString script = jetFunctionsScript();
    if (script.isEmpty()) {
        setupError_ = u"cannot read "_s + QStringLiteral(CV_JET_FUNCTIONS_SQL);
        return;
    }
    // The owner loads the functions: no superuser needed.
    PostgresConnection loader(connectionString());
    setupError_ = loader.connected() ? loader.run(script).error : loader.error();
    if (!setupError_.isEmpty())
        setupError_ = u"loading Jet's functions: "_s + setupError_;
}

void BothEngines::TearDownTestSuite()
{
    server_.reset();
}

void BothEngines::SetUp()
{
    ASSERT_TRUE(setupError_.isEmpty()) << setupError_.toStdString();
    connection_ = std::make_unique<PostgresConnection>(connectionString());
    ASSERT_TRUE(connection_->connected()) << connection_->error().toStdString();
}

QString BothEngines::connectionString()
{
    return server_->connectionString(u"jet"_s, owner(), ownerPassword());
}

void BothEngines::onPostgres(const QString& sql)
{
    const PostgresConnection::Result result = connection_->run(sql);
    ASSERT_TRUE(result.ok()) << sql.toStdString() << ": " << result.error.toStdString();
}

void BothEngines::expectSameOnBoth(const QStringList& calls)
{
    QStringList differences;
    for (const QString& call : calls) {
        const QString reference = shownBySqlite(sqlite(), u"SELECT "_s + forSqlite(call));
        const QString shown = shownByPostgres(postgres(), u"SELECT "_s + forPostgres(call));
        if (shown != reference)
            differences.append(call + u"\n    cv.mdb: "_s + reference + u"\n    PostgreSQL: "_s + shown);
    }
    EXPECT_TRUE(differences.isEmpty()) << differences.size() << " of " << calls.size() << " calls differ:\n"
                                       << differences.join(u'\n').toStdString();
}

} // namespace corvane::test
