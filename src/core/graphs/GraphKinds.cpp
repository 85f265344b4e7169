#include "core/graphs/GraphKinds.h"

#include "core/settings/SettingsStore.h"

#include <array>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// One predefined graph: its select list, and the table and day expression it groups by. The
// per-user graphs also name the column whose user must contain the typed name.
struct KindStatement
{
    const char16_t* kind;
    const char16_t* selectList;
    const char16_t* table;
    const char16_t* day;
    const char16_t* userColumn;
};

// In list order; "Custom" follows them.
constexpr std::array<KindStatement, 12> kindStatements{{
    {u"File Activity",
     u"SysDate,SUM(Deleted) AS Deleted,SUM(Created) AS New,SUM(Modified) AS Modified, SUM(Opened) AS "
     u"Opened, SUM(Archived) AS Archived",
     u"DirActivity", u"SysDate", nullptr},
    {u"New Directories", u"Created,COUNT(Created) As New", u"NewDirs", u"Created", nullptr},
    {u"Deleted Directories", u"Deleted,COUNT(Deleted) As Deleted", u"DeletedDirs", u"Deleted", nullptr},
    {u"Deleted Files by User", u"LEFT(Deleted,10) AS SysDate,COUNT(Deleted) As Deleted", u"DeletedFiles",
     u"LEFT(Deleted,10)", u"Deletor"},
    {u"Edited Files by User", u"LEFT(Edited,10) AS SysDate,COUNT(Edited) As Modified", u"EditedFiles",
     u"LEFT(Edited,10)", u"Editor"},
    {u"New Files by User", u"LEFT(Created,10) AS SysDate,COUNT(Created) As New", u"NewFiles",
     u"LEFT(Created,10)", u"Owner"},
    {u"Archived Files by User", u"LEFT(Archived,10) AS SysDate,COUNT(Archived) As Archived", u"ArchivedFiles",
     u"LEFT(Archived,10)", u"Archivor"},
    {u"New Files", u"SysDate,SUM(Created) As New", u"DirActivity", u"SysDate", nullptr},
    {u"Deleted Files", u"SysDate,SUM(Deleted) As Deleted", u"DirActivity", u"SysDate", nullptr},
    {u"Archived Files", u"SysDate,SUM(Archived) As Archived", u"DirActivity", u"SysDate", nullptr},
    {u"Opened Files", u"SysDate,SUM(Opened) As Opened", u"DirActivity", u"SysDate", nullptr},
    {u"Edited Files", u"SysDate,SUM(Modified) As Modified", u"DirActivity", u"SysDate", nullptr},
}};

const KindStatement* kindStatementOf(const QString& kind)
{
    for (const KindStatement& entry : kindStatements) {
        if (kind == QStringView(entry.kind))
            return &entry;
    }
    return nullptr;
}

// The name goes inside a quoted LIKE text: an apostrophe in it (O'Brien) would end the text
// early and leave the rest to be read as statement, so it is doubled.
QString quotedTextContent(const QString& text)
{
    return QString(text).replace(u'\'', u"''"_s);
}

} // namespace

const QStringList& graphKinds()
{
    static const QStringList kinds = [] {
        QStringList list;
        for (const KindStatement& entry : kindStatements)
            list.append(QString::fromUtf16(entry.kind));
        list.append(customGraphKind());
        return list;
    }();
    return kinds;
}

QString customGraphKind()
{
    return u"Custom"_s;
}

bool needsUserName(const QString& kind)
{
    return kind.contains(u"User"_s, Qt::CaseSensitive);
}

QString& customGraphStatement()
{
    static QString statement;
    return statement;
}

QString buildGraphStatement(const GraphChoice& choice)
{
    if (choice.kind == customGraphKind())
        return choice.customStatement;
    const KindStatement* entry = kindStatementOf(choice.kind);
    if (entry == nullptr)
        return {};
    const QString day = QString::fromUtf16(entry->day);
    QString statement = u"SELECT "_s + QString::fromUtf16(entry->selectList) + u" FROM "_s +
                        QString::fromUtf16(entry->table) + u" WHERE "_s + day + u" >= #"_s +
                        choice.startDate + u"# AND "_s + day + u" <= #"_s + choice.endDate + u'#';
    if (entry->userColumn != nullptr)
        statement += u" AND "_s + QString::fromUtf16(entry->userColumn) + u" LIKE '*"_s +
                     quotedTextContent(choice.userName) + u"*'"_s;
    return statement + u" GROUP BY "_s + day + u" ORDER BY "_s + day;
}

QString chartWindowCaption(const GraphChoice& choice)
{
    QString caption = QString::fromUtf16(SettingsStore::applicationName) + u" - "_s + choice.kind;
    if (choice.userNameVisible)
        caption += u" Name Like '"_s + choice.userName + u'\'';
    return caption;
}

} // namespace corvane
