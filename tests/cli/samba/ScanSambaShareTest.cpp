#include "ScanCommandFixture.h"
#include "SambaShareFixture.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

// A day of two users on the private server's share, then cv --scan of the share as volume DATA of
// server FILES, reading the trail from smbd's log file.
class ScanSambaShareTest : public ScanCommandTest
{
protected:
    static void SetUpTestSuite()
    {
        SuiteSambaServer::start();
        if (!server().running())
            return;
        dayStart = QDateTime::currentDateTime().addSecs(-1);
        workOnTheShare();
        dayEnd = QDateTime::currentDateTime().addSecs(1);
    }
    static void TearDownTestSuite() { SuiteSambaServer::stop(); }

    static PrivateSambaServer& server() { return SuiteSambaServer::get(); }

    static void workOnTheShare()
    {
        for (const auto& [name, contents] : std::initializer_list<std::pair<QString, QByteArray>>{
                 {u"report.txt"_s, "Quarterly figures, first draft\n"},
                 {u"report-bob.txt"_s, "Quarterly figures, checked by Bob\n"},
                 {u"plan.txt"_s, QByteArray(8000, 'p')},
                 {u"notes.txt"_s, "Notes from the meeting\n"},
                 {u"old.txt"_s, "Old stuff, 22 bytes.\n\n"}})
            ASSERT_TRUE(server().writeClientFile(name, contents));
        SuiteSambaServer::asUser(u"cvtestalice"_s, u"put report.txt; mkdir projects; put plan.txt projects/plan.txt; "
                                                 "put notes.txt projects/notes.txt; put notes.txt draft.txt; "
                                                 "put old.txt"_s);
        SuiteSambaServer::asUser(u"cvtestbob"_s, u"get report.txt seen.txt; put report-bob.txt report.txt; "
                                               "rename draft.txt final.txt; rm old.txt; rm projects/notes.txt; "
                                               "rm projects/plan.txt; setmode final.txt -a"_s);
        SuiteSambaServer::asUser(u"cvtestalice"_s, u"rename .recycle/cvtestbob/projects/plan.txt projects/plan.txt"_s);
    }

    void SetUp() override
    {
        SuiteSambaServer::expectRunning();
        writeHomeFile(u"netware.conf"_s, "[server FILES]\nversion = 3.12\nsamba config = " +
                                             server().configPath().toUtf8() + "\naudit source = smbd-log " +
                                             server().logPath().toUtf8() + "\n[drives]\nF = FILES/DATA\n");
        const Run add = cv({u"--add-path"_s, u"\\\\FILES\\DATA"_s});
        ASSERT_EQ(add.exitCode, 0) << add.err.constData();
        const Run scan = cv({u"--scan"_s});
        ASSERT_EQ(scan.exitCode, 0) << scan.err.constData() << scan.out.constData();
    }

    // The rows of a query without quotes, one a line, as text a failing check prints readably.
    std::string rows(const QString& statement) const
    {
        return query(statement).join('\n').replace('"', "").toStdString();
    }
    // The one value of a query's one row; empty when there is no such row.
    std::string value(const QString& statement) const
    {
        const QList<QByteArray> found = query(statement);
        EXPECT_LE(found.size(), 1) << statement.toStdString();
        return found.isEmpty() ? std::string() : QByteArray(found.first()).replace('"', "").toStdString();
    }

    static bool isDuringTheDay(const QByteArray& stamp)
    {
        const QDateTime at = QDateTime::fromString(QString::fromLatin1(stamp), u"yyyy-MM-dd HH:mm:ss"_s);
        return at.isValid() && at >= dayStart.addSecs(-1) && at <= dayEnd;
    }

    static inline QDateTime dayStart;
    static inline QDateTime dayEnd;
};

TEST_F(ScanSambaShareTest, EveryEventNamesTheUserWhoDidIt)
{
    // Created by alice, whoever owns the file now; a renamed file keeps its creator under its new name.
    EXPECT_EQ(value(u"SELECT owner FROM NewFiles WHERE file = 'report.txt'"_s), "CVTESTALICE");
    EXPECT_EQ(value(u"SELECT owner FROM NewFiles WHERE file = 'final.txt'"_s), "CVTESTALICE");
    EXPECT_EQ(value(u"SELECT owner FROM NewFiles WHERE file = 'plan.txt'"_s), "CVTESTALICE");
    EXPECT_EQ(value(u"SELECT Count(*) FROM Detail WHERE file = 'draft.txt'"_s), "0");

    // Alice wrote report.txt, Bob wrote it last.
    EXPECT_EQ(value(u"SELECT Editor FROM EditedFiles WHERE file = 'report.txt'"_s), "CVTESTBOB");
    EXPECT_EQ(value(u"SELECT Bytes FROM EditedFiles WHERE file = 'report.txt'"_s), "34");

    // Bob read it.
    EXPECT_FALSE(value(u"SELECT Opened FROM OpenedFiles WHERE file = 'report.txt'"_s).empty());

    // Bob cleared the archive attribute of final.txt.
    EXPECT_EQ(value(u"SELECT Archivor FROM ArchivedFiles WHERE file = 'final.txt'"_s), "CVTESTBOB");
}

TEST_F(ScanSambaShareTest, DeletedFilesComeFromTheRecycleRepositoryWithTheirDeletor)
{
    // plan.txt went in too, but was restored.
    EXPECT_EQ(rows(u"SELECT Directory, Deletor, file, Bytes FROM DeletedFiles ORDER BY file"_s),
              "\\\\FILES\\DATA:projects,CVTESTBOB,notes.txt,23\n"
              "\\\\FILES\\DATA:,CVTESTBOB,old.txt,22");
    for (const QByteArray& deleted : query(u"SELECT Deleted FROM DeletedFiles"_s))
        EXPECT_TRUE(isDuringTheDay(QByteArray(deleted).replace('"', ""))) << deleted.constData();
}

TEST_F(ScanSambaShareTest, TheRecycleRepositoryIsNoLiveFolder)
{
    EXPECT_EQ(rows(u"SELECT Directory, file, Bytes FROM Detail ORDER BY file"_s),
              "\\\\FILES\\DATA,final.txt,23\n"
              "\\\\FILES\\DATA:projects,plan.txt,8000\n"
              "\\\\FILES\\DATA,report.txt,34");
    EXPECT_EQ(rows(u"SELECT Directory FROM DirActivity ORDER BY Directory"_s),
              "\\\\FILES\\DATA\n\\\\FILES\\DATA:projects");
}

} // namespace
} // namespace corvane::test
