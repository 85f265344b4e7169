#include "core/db/StoredRow.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"

#include <QDate>
#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

constexpr qsizetype columns = 5;
const ColumnKind kinds[columns] = {ColumnKind::Text, ColumnKind::Integer, ColumnKind::DateTime,
                                   ColumnKind::Date, ColumnKind::Text};

TEST(StoredRow, KeepsEachValueInItsStoredFormAndAsTheLastSet)
{
    StoredRow row;
    row.reset(columns);
    EXPECT_TRUE(row.set(0, u"\\\\SRV\\VOL:ÄRGER"_s, kinds[0]));
    EXPECT_TRUE(row.set(1, 42, kinds[1]));
    EXPECT_TRUE(row.set(2, QDateTime(QDate(2026, 12, 10), QTime(8, 5, 9)), kinds[2]));
    EXPECT_TRUE(row.set(3, u"2026-12-10 00:00:00"_s, kinds[3]));
    EXPECT_TRUE(row.set(4, QString(), kinds[4]));
    EXPECT_TRUE(row.set(0, u"second"_s, kinds[0])); // the last set counts
    const QVariantList values = row.values();
    ASSERT_EQ(values.size(), columns);
    EXPECT_EQ(values[0], QVariant(u"second"_s));
    EXPECT_EQ(values[1], QVariant(qlonglong{42}));
    EXPECT_EQ(values[2], QVariant(u"2026-12-10 08:05:09"_s));
    EXPECT_EQ(values[3], QVariant(u"2026-12-10"_s));
    EXPECT_EQ(values[4].typeId(), QMetaType::QString) << "an empty text stays a text";
}

TEST(StoredRow, AValueThatDoesNotConvertLeavesItsColumnNull)
{
    StoredRow row;
    row.reset(columns);
    EXPECT_TRUE(row.set(1, qint64{7}, kinds[1]));
    EXPECT_FALSE(row.set(1, u"many"_s, kinds[1]));
    EXPECT_FALSE(row.set(2, u"13/45/2026"_s, kinds[2]));
    EXPECT_TRUE(row.set(3, QVariant(), kinds[3]));
    const QVariantList values = row.values();
    EXPECT_TRUE(values[1].isNull());
    EXPECT_TRUE(values[2].isNull());
    EXPECT_TRUE(values[3].isNull());
}

// A text set as such is stored as the same text set as a QVariant.
TEST(StoredRow, ATextIsStoredAsTheSameTextInAQVariant)
{
    const QString texts[columns] = {u"É"_s, u" 12"_s, u"12/10/2026 8:05:09"_s, u"2026-12-10 00:00:00"_s,
                                    u"x"_s};
    StoredRow asText;
    StoredRow asVariant;
    asText.reset(columns);
    asVariant.reset(columns);
    for (qsizetype c = 0; c < columns; ++c) {
        EXPECT_EQ(asText.set(c, texts[c], kinds[c]), asVariant.set(c, QVariant(texts[c]), kinds[c]));
    }
    EXPECT_EQ(asText.values(), asVariant.values());
    EXPECT_EQ(asText.values()[1], QVariant(qlonglong{12}));
    EXPECT_EQ(asText.values()[3], QVariant(u"2026-12-10"_s));
    EXPECT_FALSE(asText.set(1, u"many"_s, kinds[1]));
}

// A row reused for the next one keeps nothing of it.
TEST(StoredRow, AResetRowHoldsOnlyNulls)
{
    StoredRow row;
    row.reset(columns);
    row.set(0, u"old"_s, kinds[0]);
    row.set(1, 3, kinds[1]);
    row.reset(columns);
    row.set(4, u"new"_s, kinds[4]);
    EXPECT_EQ(row.values(),
              (QVariantList{QVariant(), QVariant(), QVariant(), QVariant(), QVariant(u"new"_s)}));
}

// What SQLite stores of a bound row: the same types and texts, NULL only where nothing was set,
// whatever the row bound before it held.
TEST(StoredRow, BindsEveryColumnAsStored)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    SqliteConnection connection;
    ASSERT_EQ(connection.open(folder.filePath(u"t.db"_s), SqliteConnection::Mode::ReadWriteNew, 1000),
              SQLITE_OK);
    SqliteStatement select;
    ASSERT_EQ(connection.prepare(select, u"SELECT typeof(?1) || typeof(?2) || typeof(?3) || typeof(?4) || "
                                         u"typeof(?5), ?1, ?2, ?5"_s),
              SQLITE_OK);
    const auto read = [&select](const StoredRow& row) {
        row.bindTo(select);
        EXPECT_EQ(select.step(), SQLITE_ROW);
        const QStringList read{select.value(0).toString(), select.value(1).toString(),
                               select.value(2).toString(), select.value(3).toString()};
        select.reset();
        return read;
    };
    StoredRow row;
    row.reset(columns);
    row.set(0, u"ÉTÉ"_s, kinds[0]);
    row.set(1, qint64{1} << 40, kinds[1]);
    row.set(4, u""_s, kinds[4]);
    EXPECT_EQ(read(row), (QStringList{u"textintegernullnulltext"_s, u"ÉTÉ"_s, u"1099511627776"_s, u""_s}));
    row.reset(columns);
    row.set(1, u"12"_s, kinds[1]);
    EXPECT_EQ(read(row), (QStringList{u"nullintegernullnullnull"_s, QString(), u"12"_s, QString()}));
}

} // namespace
} // namespace corvane
