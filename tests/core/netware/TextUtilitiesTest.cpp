#include "core/netware/TextUtilities.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

void expectMatching(const QString& spec, std::initializer_list<QString> matching,
                    std::initializer_list<QString> notMatching)
{
    for (const QString& name : matching)
        EXPECT_TRUE(MatchFileSpec(spec, name)) << spec.toStdString() << " vs " << name.toStdString();
    for (const QString& name : notMatching)
        EXPECT_FALSE(MatchFileSpec(spec, name)) << spec.toStdString() << " vs " << name.toStdString();
}

TEST(MatchFileSpec, PlainSpecComparesWholeNameIgnoringCase)
{
    expectMatching(u"Report.doc"_s, {u"report.DOC"_s}, {u"report.do"_s, u"report.docx"_s, u""_s});
}

TEST(MatchFileSpec, LoneStarsMatchEveryName)
{
    expectMatching(u"*"_s, {u"a.txt"_s, u"noext"_s, u""_s}, {});
    expectMatching(u"*.*"_s, {u"a.txt"_s, u"noext"_s}, {});
    expectMatching(u"*abc"_s, {u"xyz.txt"_s, u"abc"_s}, {});
}

TEST(MatchFileSpec, StarDotComparesTextAfterFirstDot)
{
    expectMatching(u"*.DOC"_s, {u"report.doc"_s, u"Report.Doc"_s, u"doc"_s},
                   {u"report.old.doc"_s, u"reportdoc"_s});
    expectMatching(u"*.t?t"_s, {u"notes.txt"_s, u"notes.tat"_s}, {u"notes.tt"_s, u"notes.txtx"_s});
    // Characters in front of "*." are not compared with the name.
    expectMatching(u"ab*.txt"_s, {u"abc.txt"_s, u"xyz.txt"_s}, {u"abc.doc"_s});
}

TEST(MatchFileSpec, QuestionMarkTakesExactlyOneCharacter)
{
    expectMatching(u"report?.xls"_s, {u"report1.xls"_s, u"REPORTx.XLS"_s},
                   {u"report12.xls"_s, u"report.xls"_s});
}

TEST(MatchFileSpec, DotStarTakesRestOfName)
{
    expectMatching(u"budget.*"_s, {u"budget.xls"_s, u"BUDGET.tar.gz"_s, u"budget."_s},
                   {u"budget"_s, u"budge.xls"_s});
    // The rest of the spec after ".*" is ignored.
    expectMatching(u"budget.*x"_s, {u"budget.doc"_s}, {});
}

TEST(MatchFileSpec, StarInsideLettersStandsForNothing)
{
    expectMatching(u"a*b"_s, {u"ab"_s, u"AB"_s}, {u"axb"_s, u"a"_s});
}

TEST(BytesToText, StopsAtFirstZeroByteWithinBuffer)
{
    EXPECT_EQ(BytesToText(QByteArray("\0JSMITH", 7)), QString());
    EXPECT_EQ(BytesToText(QByteArray("JSMITH\0XY\0", 10)), u"JSMITH"_s);
    EXPECT_EQ(BytesToText(QByteArray("ADMIN")), u"ADMIN"_s);
    EXPECT_EQ(BytesToText(QByteArray()), QString());
}

TEST(BytesToText, HighBytesRoundTrip)
{
    const QByteArray name("R\xC9SUM\xC9.DOC\0", 11);
    EXPECT_EQ(BytesToText(name).toLatin1(), name.left(10));
}

TEST(RemoveSpaces, RemovesEverySpace)
{
    EXPECT_EQ(RemoveSpaces(u" 12/ 11/ 2003"_s), u"12/11/2003"_s);
    EXPECT_EQ(RemoveSpaces(u"12/11/2003"_s), u"12/11/2003"_s);
    EXPECT_EQ(RemoveSpaces(u"   "_s), QString());
}

} // namespace
} // namespace corvane
