#include "core/graphs/GraphKinds.h"
#include "core/graphs/CustomStatementFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

GraphChoice choiceOf(const QString& kind, const QString& user = u"adm"_s)
{
    GraphChoice choice;
    choice.kind = kind;
    choice.startDate = u"01/30/03"_s;
    choice.endDate = u"02/01/03"_s;
    choice.userName = user;
    choice.userNameVisible = needsUserName(kind);
    return choice;
}

// The per-day tail of the daily-total graphs, as the statements of those graphs end.
const QString dailyTail =
    u"WHERE SysDate >= #01/30/03# AND SysDate <= #02/01/03# GROUP BY SysDate ORDER BY SysDate"_s;

} // namespace

TEST(GraphKindsTest, ThirteenKindsInListOrderAndTheUserRuleIsCaseSensitive)
{
    const QStringList expected = {u"File Activity"_s,
                                  u"New Directories"_s,
                                  u"Deleted Directories"_s,
                                  u"Deleted Files by User"_s,
                                  u"Edited Files by User"_s,
                                  u"New Files by User"_s,
                                  u"Archived Files by User"_s,
                                  u"New Files"_s,
                                  u"Deleted Files"_s,
                                  u"Archived Files"_s,
                                  u"Opened Files"_s,
                                  u"Edited Files"_s,
                                  u"Custom"_s};
    EXPECT_EQ(graphKinds(), expected);
    QStringList perUser;
    for (const QString& kind : graphKinds()) {
        if (needsUserName(kind))
            perUser.append(kind);
    }
    EXPECT_EQ(perUser, expected.mid(3, 4));
    EXPECT_FALSE(needsUserName(u"Files by user"_s));
}

TEST(GraphKindsTest, EveryPredefinedKindBuildsItsStatementPieceByPiece)
{
    const QList<std::pair<QString, QString>> statements = {
        {u"File Activity"_s,
         u"SELECT SysDate,SUM(Deleted) AS Deleted,SUM(Created) AS New,SUM(Modified) AS"_s +
             u" Modified, SUM(Opened) AS Opened, SUM(Archived) AS Archived FROM DirActivity "_s + dailyTail},
        {u"Deleted Files by User"_s,
         u"SELECT LEFT(Deleted,10) AS SysDate,COUNT(Deleted) As Deleted FROM DeletedFiles "
         u"WHERE LEFT(Deleted,10) >= #01/30/03# AND LEFT(Deleted,10) <= #02/01/03# AND Deletor LIKE '*adm*' "
         u"GROUP BY LEFT(Deleted,10) ORDER BY LEFT(Deleted,10)"_s},
        {u"Edited Files by User"_s,
         u"SELECT LEFT(Edited,10) AS SysDate,COUNT(Edited) As Modified FROM EditedFiles "
         u"WHERE LEFT(Edited,10) >= #01/30/03# AND LEFT(Edited,10) <= #02/01/03# AND Editor LIKE '*adm*' "
         u"GROUP BY LEFT(Edited,10) ORDER BY LEFT(Edited,10)"_s},
        {u"New Files by User"_s,
         u"SELECT LEFT(Created,10) AS SysDate,COUNT(Created) As New FROM NewFiles "
         u"WHERE LEFT(Created,10) >= #01/30/03# AND LEFT(Created,10) <= #02/01/03# AND Owner LIKE '*adm*' "
         u"GROUP BY LEFT(Created,10) ORDER BY LEFT(Created,10)"_s},
        {u"Archived Files by User"_s,
         u"SELECT LEFT(Archived,10) AS SysDate,COUNT(Archived) As Archived FROM ArchivedFiles "
         u"WHERE LEFT(Archived,10) >= #01/30/03# AND LEFT(Archived,10) <= #02/01/03# AND Archivor LIKE "
         u"'*adm*' "
         u"GROUP BY LEFT(Archived,10) ORDER BY LEFT(Archived,10)"_s},
        {u"Deleted Files"_s, u"SELECT SysDate,SUM(Deleted) As Deleted FROM DirActivity "_s + dailyTail},
        {u"New Files"_s, u"SELECT SysDate,SUM(Created) As New FROM DirActivity "_s + dailyTail},
        {u"Archived Files"_s, u"SELECT SysDate,SUM(Archived) As Archived FROM DirActivity "_s + dailyTail},
        {u"Opened Files"_s, u"SELECT SysDate,SUM(Opened) As Opened FROM DirActivity "_s + dailyTail},
        {u"Edited Files"_s, u"SELECT SysDate,SUM(Modified) As Modified FROM DirActivity "_s + dailyTail},
        {u"New Directories"_s,
         u"SELECT Created,COUNT(Created) As New FROM NewDirs WHERE Created >= #01/30/03# AND Created <= "
         u"#02/01/03# GROUP BY Created ORDER BY Created"_s},
        {u"Deleted Directories"_s, u"SELECT Deleted,COUNT(Deleted) As Deleted FROM DeletedDirs WHERE Deleted "
                                   u">= #01/30/03# AND Deleted <= "
                                   u"#02/01/03# GROUP BY Deleted ORDER BY Deleted"_s},
    };
    for (const auto& [kind, statement] : statements)
        EXPECT_EQ(buildGraphStatement(choiceOf(kind)), statement) << kind.toStdString();
}

TEST(GraphKindsTest, CustomRunsTheCustomStatementAndAnUnknownKindNothing)
{
    GraphChoice custom = choiceOf(u"Custom"_s);
    custom.customStatement = u"SELECT SysDate, Deleted FROM DirActivity"_s;
    EXPECT_EQ(buildGraphStatement(custom), custom.customStatement);
    EXPECT_EQ(buildGraphStatement(choiceOf(u"Pie of the Week"_s)), QString());
}

TEST(GraphKindsTest, AnApostropheInTheUserNameStaysInsideTheLikeText)
{
    const QString statement = buildGraphStatement(choiceOf(u"Deleted Files by User"_s, u"O'Brien"_s));
    EXPECT_TRUE(statement.contains(u"Deletor LIKE '*O''Brien*' GROUP BY"_s)) << statement.toStdString();
    EXPECT_TRUE(buildGraphStatement(choiceOf(u"New Files by User"_s, QString())).contains(u"LIKE '**'"_s));
}

TEST(GraphKindsTest, TheCaptionNamesTheUserOnlyWhileTheUserBoxShows)
{
    EXPECT_EQ(chartWindowCaption(choiceOf(u"Deleted Files by User"_s, u"jsmith"_s)),
              u"Corvane Net - Deleted Files by User Name Like 'jsmith'"_s);
    EXPECT_EQ(chartWindowCaption(choiceOf(u"File Activity"_s, u"jsmith"_s)),
              u"Corvane Net - File Activity"_s);
}

TEST(CustomStatementFileTest, CommentLinesAreSkippedAndStatementLinesJoinedByOneBlank)
{
    EXPECT_EQ(
        customStatementFromLines({u"' deleted per day"_s, u"SELECT SysDate, Deleted FROM DirActivity"_s}),
        u"SELECT SysDate, Deleted FROM DirActivity"_s);
    EXPECT_EQ(customStatementFromLines({u"  SELECT SysDate,\t"_s, u"   ' a comment after blanks"_s, u""_s,
                                        u"Deleted FROM DirActivity  "_s, u"ORDER BY SysDate"_s}),
              u"SELECT SysDate, Deleted FROM DirActivity ORDER BY SysDate"_s);
}

TEST(CustomStatementFileTest, AFileIsReadLineByLineAndAMissingOneGivesNothing)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"deleted.sql"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("' deleted per day\r\nSELECT SysDate, Deleted FROM DirActivity\r\n");
    file.close();
    EXPECT_EQ(readCustomStatementFile(path), u"SELECT SysDate, Deleted FROM DirActivity"_s);
    EXPECT_EQ(readCustomStatementFile(folder.filePath(u"missing.sql"_s)), QString());
}
