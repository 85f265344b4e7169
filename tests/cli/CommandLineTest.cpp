#include "ProgramRun.h"

#include "cli/CommandLine.h"
#include "core/common/DateTexts.h"
#include "core/settings/Registry.h"
#include "core/settings/SettingsStore.h"
#include "mock/PermissionOverride.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

#include <algorithm>

#include <sqlite3.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// The built cv run against a temporary application folder and registry.
class CommandLineTest : public ::testing::Test
{
protected:
    using Run = test::ProgramRun;

    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(CV_DATABASE_FILE), databasePath));
        QFile::setPermissions(databasePath, QFile::ReadOwner | QFile::WriteOwner);
        sql("INSERT INTO Detail (Directory, file, SysDate, Bytes) VALUES "
            "('\\\\S\\V:DATA', 'say \"hi\".txt', '2026-12-07', 10), ('\\\\S\\V:DATA', 'plain.txt', NULL, "
            "NULL);"
            "INSERT INTO Temp VALUES ('\\\\S\\V:DATA', '2026-12-07')");
    }

    Run cv(const QStringList& arguments, const QByteArray& input = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CORVANE_NET_HOME"), home.path());
        environment.insert(QStringLiteral("CORVANE_NET_REGISTRY"), registryFolder.path());
        return test::runProgram(QStringLiteral(CV_EXECUTABLE), arguments, environment, input);
    }

    void sql(const char* statements)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(databasePath.toUtf8().constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, statements, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    int count(const char* table)
    {
        const Run run = cv({QStringLiteral("--query"),
                            QStringLiteral("SELECT COUNT(*) AS n FROM ") + QString::fromLatin1(table)});
        return run.out.split('\n').value(1).replace('"', "").trimmed().toInt();
    }

    QString lastScan()
    {
        Registry registry({registryFolder.path(), registryFolder.path()});
        return SettingsStore(registry).get(QStringLiteral("System"), QStringLiteral("LastScan"),
                                           QStringLiteral("<unset>"));
    }
    void setLastScan(const QString& stamp)
    {
        Registry registry({registryFolder.path(), registryFolder.path()});
        SettingsStore(registry).save(QStringLiteral("System"), QStringLiteral("LastScan"), stamp);
    }

    QTemporaryDir home;
    QTemporaryDir registryFolder;
    QString databasePath = home.filePath(QStringLiteral("cv.mdb"));
};

TEST_F(CommandLineTest, QueryPrintsTheRowsAsCsv)
{
    const Run run =
        cv({QStringLiteral("--query"), QStringLiteral("SELECT Directory, file, Bytes FROM Detail")});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, QByteArray("\"Directory\",\"file\",\"Bytes\"\r\n"
                                  "\"\\\\S\\V:DATA\",\"say \"\"hi\"\".txt\",\"10\"\r\n"
                                  "\"\\\\S\\V:DATA\",\"plain.txt\",\"\"\r\n"));
    EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(CommandLineTest, ARejectedStatementGivesItsNumberAndDescription)
{
    const Run run = cv({QStringLiteral("--query"), QStringLiteral("SELECT * FROM Nowhere")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.startsWith("Error -2147217865 : ")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("'Nowhere'"));
}

TEST_F(CommandLineTest, QueryNeverChangesTheDatabase)
{
    // The first start fills the folder with what it lacks of the installed copies.
    ASSERT_EQ(count("Detail"), 2);
    const QStringList entries = QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QByteArray before = [&] {
        QFile file(databasePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    for (const char* statement : {"DELETE * FROM Detail", "UPDATE Detail SET file = 'x'",
                                  "INSERT INTO Temp (Directory) VALUES ('x')", "DROP TABLE Detail"}) {
        const Run run = cv({QStringLiteral("--query"), QString::fromLatin1(statement)});
        EXPECT_NE(run.exitCode, 0) << statement;
        EXPECT_TRUE(run.err.startsWith("Error ")) << statement << ": " << run.err.constData();
    }
    QFile file(databasePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entries);
}

// A cv.mdb gone from a folder in use is reported, never replaced by an empty one that would answer
// every question with nothing.
TEST_F(CommandLineTest, AMissingOrDamagedDatabaseIsReportedNotCreated)
{
    ASSERT_EQ(count("Detail"), 2);
    QFile::remove(databasePath);
    Run run = cv({QStringLiteral("--query"), QStringLiteral("SELECT COUNT(*) FROM Detail")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
    const QString installed = QFileInfo(QStringLiteral(CV_EXECUTABLE)).absolutePath() + QStringLiteral("/cv.mdb");
    EXPECT_EQ(QString::fromUtf8(run.err),
              QStringLiteral("Database file ") + databasePath +
                  QStringLiteral(" does not exist.\nRestore it from a backup, or start afresh with an empty "
                                 "audit database: copy ") +
                  installed + QStringLiteral(" to ") + databasePath + QStringLiteral(".\n"));
    EXPECT_FALSE(QFile::exists(databasePath));

    QFile file(databasePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    run = cv({QStringLiteral("--query"), QStringLiteral("SELECT * FROM Detail")});
    EXPECT_NE(run.exitCode, 0);
    const QByteArray words =
        QByteArray("Unable to open database ") + databasePath.toUtf8() + QByteArray(".\nError ");
    EXPECT_TRUE(run.err.startsWith(words)) << run.err.constData();
}

TEST_F(CommandLineTest, AReaderWaitsForAndThenReportsAWriterHoldingTheFile)
{
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath.toUtf8().constData(), &writer), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(writer, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr),
        SQLITE_OK);
    const Run run = cv({QStringLiteral("--query"), QStringLiteral("SELECT * FROM Detail")});
    sqlite3_close(writer);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("file already in use.")) << run.err.constData();
}

TEST_F(CommandLineTest, PurgeAllAsksOnTheTerminalAndYesAnswersForTheUser)
{
    setLastScan(QStringLiteral("12/07/2026 09:15 am"));
    Run run = cv({QStringLiteral("--purge-all")}, "n\n");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("Are you sure you want to delete all the data? [y/N]"));
    EXPECT_EQ(count("Detail"), 2);

    run = cv({QStringLiteral("--purge-all")}); // no answer: the default button, No
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(count("Temp"), 1);

    run = cv({QStringLiteral("--purge-all"), QStringLiteral("--yes")});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.contains("All data has been purged."));
    EXPECT_EQ(count("Detail"), 0);
    EXPECT_EQ(count("Temp"), 0);
    EXPECT_EQ(lastScan(), QString());
}

TEST_F(CommandLineTest, PurgeTodayNeedsAScanOfToday)
{
    setLastScan(QStringLiteral("01/02/2020 09:15 am"));
    Run run = cv({QStringLiteral("--purge-today"), QStringLiteral("--yes")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("No data to purge."));

    const QDate today = QDate::currentDate();
    sql(QStringLiteral("UPDATE Detail SET SysDate = '%1'")
            .arg(today.toString(Qt::ISODate))
            .toUtf8()
            .constData());
    setLastScan(today.toString(QStringLiteral("MM/dd/yyyy")) + QStringLiteral(" 09:15 am"));
    run = cv({QStringLiteral("--purge-today")}, "y\n");
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    const QString purged =
        QStringLiteral("Data for ") + shortDateText(today) + QStringLiteral(" has been purged.");
    EXPECT_TRUE(run.out.contains(purged.toUtf8()));
    EXPECT_EQ(count("Detail"), 0);
    EXPECT_EQ(count("Temp"), 1);
    EXPECT_EQ(lastScan(), QString());
}

TEST_F(CommandLineTest, HelpListsTheJobsAndWrongUseIsAnError)
{
    Run run = cv({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* job : {"--query STATEMENT", "--purge-today", "--purge-all", "--yes", "CORVANE_NET_HOME"})
        EXPECT_TRUE(run.out.contains(job)) << job;
    EXPECT_EQ(cv({QStringLiteral("--query")}).exitCode, 2);
    EXPECT_EQ(cv({QStringLiteral("--purge-all"), QStringLiteral("--no")}).exitCode, 2);
}

// The help lists every job of the command table in its synopsis and with its own lines, and the
// manual page gives each a term of its own: a job added to the table is documented everywhere.
TEST(CommandTableTest, EveryJobIsInTheSynopsisTheHelpAndTheManualPage)
{
    QString help;
    QTextStream out(&help);
    QTextStream err(stderr);
    const cli::Command* helpCommand = nullptr;
    for (const cli::Command& command : cli::commands()) {
        if (command.names.contains(u"--help"_s))
            helpCommand = &command;
    }
    ASSERT_NE(helpCommand, nullptr);
    ASSERT_EQ(helpCommand->run(u"--help"_s, {}, out, err), 0);
    out.flush();
    const QString synopsis = help.left(help.indexOf(u"\n\n"_s));

    QFile page(QStringLiteral(CV_SOURCE_DIR u"/data/cv.1"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString pageText = QString::fromUtf8(page.readAll());
    const QString options = pageText.mid(pageText.indexOf(u"\n.SH OPTIONS\n"_s));
    // The line after each ".TP" is a term.
    QStringList terms;
    static const QRegularExpression term(u"\n\\.TP\n([^\n]*)"_s);
    for (const QRegularExpressionMatch& match : term.globalMatch(options.left(options.indexOf(u"\n.SH "_s, 1))))
        terms.append(match.captured(1).replace(u"\\-"_s, u"-"_s));

    for (const cli::Command& command : cli::commands()) {
        const QString lines = QString::fromUtf8(command.help);
        EXPECT_TRUE(help.contains(lines)) << lines.toStdString();
        for (const QString& name : command.names) {
            const QRegularExpression named(u"(^|[^-a-z])"_s + QRegularExpression::escape(name) + u"($|[^-a-z])"_s);
            EXPECT_TRUE(named.match(synopsis).hasMatch()) << name.toStdString() << " is not in the synopsis";
            EXPECT_TRUE(named.match(lines).hasMatch()) << name.toStdString() << " is not in its help lines";
            EXPECT_TRUE(std::any_of(terms.cbegin(), terms.cend(),
                                    [&named](const QString& line) { return named.match(line).hasMatch(); }))
                << name.toStdString() << " has no term in data/cv.1";
        }
    }
}

// On a server without a display: what answers on the terminal must not need one, and nothing but
// "-t" may open the window.
TEST_F(CommandLineTest, WithoutADisplayHelpVersionAndWrongOptionsAnswerOnTheTerminal)
{
    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(QString::fromLatin1(variable));
    headless.insert(QStringLiteral("CORVANE_NET_HOME"), home.path());
    headless.insert(QStringLiteral("CORVANE_NET_REGISTRY"), registryFolder.path());
    const auto cvHeadless = [&headless](const QStringList& arguments) {
        return test::runProgram(QStringLiteral(CV_EXECUTABLE), arguments, headless);
    };

    const Run help = cvHeadless({QStringLiteral("-h")});
    EXPECT_EQ(help.exitCode, 0) << help.err.constData();
    EXPECT_TRUE(help.out.startsWith("Usage: cv ")) << help.out.constData();
    EXPECT_EQ(help.out, cv({QStringLiteral("--help")}).out);

    const Run version = cvHeadless({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0) << version.err.constData();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^cv \(Corvane Net\) \d+\.\d+\.\d+\n$)"))
                    .match(QString::fromUtf8(version.out))
                    .hasMatch())
        << version.out.constData();

    const QByteArray hint = "Try \"cv --help\" for the options.\n";
    for (const QStringList& wrong : {QStringList{QStringLiteral("-x")}, QStringList{QStringLiteral("--frobnicate")},
                                     QStringList{QStringLiteral("report.txt")}}) {
        const Run run = cvHeadless(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong.join(u' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err, QByteArray("cv: unknown option " + wrong.join(u' ').toUtf8() + '\n' + hint));
    }
    const Run timedLater = cvHeadless({QStringLiteral("-t"), QStringLiteral("now")});
    EXPECT_EQ(timedLater.exitCode, 2);
    EXPECT_EQ(timedLater.err, QByteArray("cv: -t takes no options\n" + hint));
    const Run missing = cvHeadless({QStringLiteral("--query")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, QByteArray("cv: --query takes one statement\n" + hint));
}

// A folder CORVANE_NET_HOME names is filled as the user's own folder is, and made private.
TEST_F(CommandLineTest, AFolderNamedByTheHomeVariableIsFilledAndPrivate)
{
    const QString fresh = home.filePath(QStringLiteral("new/audit"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CORVANE_NET_HOME"), fresh);
    environment.insert(QStringLiteral("CORVANE_NET_REGISTRY"), registryFolder.path());
    const Run run = test::runProgram(QStringLiteral(CV_EXECUTABLE),
                                     {QStringLiteral("--query"), QStringLiteral("SELECT COUNT(*) AS n FROM Detail")},
                                     environment);
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, "\"n\"\r\n\"0\"\r\n");
    EXPECT_EQ(test::modeOf(fresh), mode_t{0700});
    for (const char* file : {"cv.mdb", "faq.fil", "demo/netware.conf"})
        EXPECT_EQ(test::modeOf(fresh + u'/' + QLatin1String(file)), mode_t{0600}) << file;
    EXPECT_EQ(test::modeOf(fresh + QStringLiteral("/demo")), mode_t{0700});
}

} // namespace

namespace {

TEST_F(CommandLineTest, ReadAuditReadsNewRecordsOnceAndReportsAMissingLog)
{
    const QByteArray share = QFile::encodeName(home.filePath(QStringLiteral("share")));
    QDir().mkpath(QFile::decodeName(share));
    const auto write = [this](const char* name, const QByteArray& text) {
        QFile file(home.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("smb.conf", "[data]\n  path = " + share + "\n  vfs objects = full_audit\n");
    write("netware.conf", "[server FILES]\nversion = 4.11\nsamba config = smb.conf\n"
                          "audit source = syslog audit.log\n");
    write("audit.log", "Dec  8 05:24:24 host smbd_audit: al|1|pwrite|ok|" + share + "/a.txt\n");
    const Run first = cv({QStringLiteral("--read-audit")});
    EXPECT_EQ(first.exitCode, 0) << first.err.constData();
    EXPECT_EQ(first.out, "FILES/DATA: 1 audit records read\n");
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("netware-audit/FILES/DATA.sqlite"))));
    // Who read and wrote which file is private.
    for (const char* folder : {"netware-audit", "netware-audit/FILES"})
        EXPECT_EQ(test::modeOf(home.filePath(QLatin1String(folder))), mode_t{0700}) << folder;
    EXPECT_EQ(cv({QStringLiteral("--read-audit")}).out, "FILES/DATA: 0 audit records read\n");
    // Emptied in place and written again, with no copy left: what it gained last is lost, and the
    // status says so once.
    write("audit.log", "Dec  8 05:30:00 host smbd_audit: bo|1|pwrite|ok|/b\n");
    const Run emptied = cv({QStringLiteral("--read-audit")});
    EXPECT_EQ(emptied.exitCode, 1);
    EXPECT_TRUE(emptied.out.startsWith("FILES/DATA: 0 audit records read; the audit log ")) << emptied.out.constData();
    EXPECT_TRUE(emptied.out.contains("former file is gone: records between the last reading and the change are lost"));
    EXPECT_EQ(cv({QStringLiteral("--read-audit")}).exitCode, 0);
    QFile::remove(home.filePath(QStringLiteral("audit.log")));
    const Run missing = cv({QStringLiteral("--read-audit")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.out.contains("is not there")) << missing.out.constData();
    EXPECT_EQ(cv({QStringLiteral("--read-audit"), QStringLiteral("x")}).exitCode, 2);
}

} // namespace
