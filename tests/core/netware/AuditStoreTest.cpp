#include "core/netware/samba/AuditStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

class AuditStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(store.open(file)) << store.error().toStdString(); }

    QTemporaryDir folder;
    QString file = folder.path() + u"/DATA.sqlite"_s;
    AuditStore store;
};

PathFacts someFacts()
{
    PathFacts facts;
    facts.creator = "al";
    facts.created = 1765171460;
    facts.modified = 1765171461; // by no one known: an empty name, not a missing one
    facts.folder = true;
    return facts;
}

void expectSameFacts(const PathFacts& actual, const PathFacts& expected)
{
    EXPECT_EQ(actual.creator, expected.creator);
    EXPECT_EQ(actual.created, expected.created);
    EXPECT_EQ(actual.modifier, expected.modifier);
    EXPECT_EQ(actual.modified, expected.modified);
    EXPECT_EQ(actual.reader, expected.reader);
    EXPECT_EQ(actual.archived, expected.archived);
    EXPECT_EQ(actual.folder, expected.folder);
}

// Paths are blobs: "a/b" lies under "a", "ab" and "a0" do not, and an empty path is a path.
TEST_F(AuditStoreTest, FactsAndFolderMovesKeepEveryPathApart)
{
    ASSERT_TRUE(store.begin());
    for (const QByteArray& path : {QByteArray("a/b"), QByteArray("a/c/d"), QByteArray("ab"), QByteArray("a0"),
                                   QByteArray("")})
        ASSERT_TRUE(store.writeFacts(path, someFacts()));
    ASSERT_TRUE(store.moveFolderContents("a", "z"));
    ASSERT_TRUE(store.eraseFacts("ab"));
    ASSERT_TRUE(store.commit());

    const QHash<QByteArray, PathFacts> all = store.allFacts();
    EXPECT_EQ(QSet<QByteArray>(all.keyBegin(), all.keyEnd()),
              (QSet<QByteArray>{"z/b", "z/c/d", "a0", ""}));
    expectSameFacts(all.value("z/c/d"), someFacts());
    const AuditStore::Lookup<PathFacts> moved = store.facts("z/b");
    ASSERT_TRUE(moved.found.has_value());
    EXPECT_FALSE(moved.failed);
    expectSameFacts(*moved.found, someFacts());
    const AuditStore::Lookup<PathFacts> gone = store.facts("a/b");
    EXPECT_FALSE(gone.found.has_value());
    EXPECT_FALSE(gone.failed);
}

TEST_F(AuditStoreTest, PositionsAndDeletionsComeBackAsWritten)
{
    const SourcePosition position{7, 8, 4096, "head", "s=1", "tail", SourcePosition::Within::PassedOverMessage};
    ASSERT_TRUE(store.begin());
    ASSERT_TRUE(store.setPosition(u"smbd-log /var/log/ü"_s, position));
    ASSERT_TRUE(store.addDeletion(PathDeletion{"x", "bo", 20, false}));
    ASSERT_TRUE(store.addDeletion(PathDeletion{"y", "al", 10, true}));
    ASSERT_TRUE(store.commit());

    const std::optional<SourcePosition> read = store.position(u"smbd-log /var/log/ü"_s).found;
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->device, 7u);
    EXPECT_EQ(read->inode, 8u);
    EXPECT_EQ(read->offset, 4096);
    EXPECT_EQ(read->head, "head");
    EXPECT_EQ(read->cursor, "s=1");
    EXPECT_EQ(read->tail, "tail");
    EXPECT_EQ(read->within, SourcePosition::Within::PassedOverMessage);
    EXPECT_FALSE(store.position(u"smbd-log /var/log/u"_s).found.has_value());

    const QList<PathDeletion> deletions = store.allDeletions();
    ASSERT_EQ(deletions.size(), 2);
    EXPECT_EQ(deletions[0].path, "y"); // oldest first
    EXPECT_EQ(deletions[0].deletor, "al");
    EXPECT_TRUE(deletions[0].folder);
    EXPECT_EQ(deletions[1].deleted, 20);
}

// A lookup the store cannot answer is no "never seen": taken as one, a path's history would be
// written over with nothing, a log read again from its start.
TEST_F(AuditStoreTest, AFailedLookupIsToldFromAPathNeverSeen)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "DROP TABLE facts; DROP TABLE positions", nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(other);
    sqlite3_close(other);
    AuditStore reader;
    ASSERT_TRUE(reader.openForReading(file));

    const AuditStore::Lookup<PathFacts> facts = reader.facts("a");
    EXPECT_TRUE(facts.failed);
    EXPECT_FALSE(facts.found.has_value());
    EXPECT_TRUE(reader.error().contains(u"facts"_s)) << reader.error().toStdString();
    const AuditStore::Lookup<SourcePosition> position = reader.position(u"journal"_s);
    EXPECT_TRUE(position.failed);
    EXPECT_TRUE(reader.error().contains(u"positions"_s)) << reader.error().toStdString();
}

} // namespace
} // namespace corvane
