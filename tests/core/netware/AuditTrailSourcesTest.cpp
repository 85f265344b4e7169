#include "AuditTrailFixture.h"
#include "SambaRecords.h"

#include "core/netware/samba/AuditLogFiles.h"

#include <QProcess>
#include <QStandardPaths>

#include <sqlite3.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

QByteArray pwrite(const QByteArray& user, const QByteArray& name)
{
    return syslogLine(user + "|1|pwrite|ok|@ROOT@/share/" + name);
}

// Writes by al of count files, named by stem and a number.
QByteArray pwrites(int count, const QByteArray& stem)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += pwrite("al", stem + QByteArray::number(i));
    return lines;
}

// Runs a compressor of the system as logrotate does ("gzip log.1" leaves log.1.gz only).
void compress(const QString& program, const QString& file)
{
    const QString found = QStandardPaths::findExecutable(program);
    ASSERT_FALSE(found.isEmpty()) << program.toStdString() << " is needed (apt-get install gzip xz-utils zstd)";
    QStringList arguments{u"-q"_s};
    if (program == u"zstd"_s)
        arguments << u"--rm"_s; // gzip and xz remove the file themselves
    QProcess run;
    run.start(found, arguments << file);
    ASSERT_TRUE(run.waitForFinished()) << program.toStdString();
    ASSERT_EQ(run.exitCode(), 0) << program.toStdString() << ": " << run.readAllStandardError().constData();
}

void expectEveryPathOnce(const Trail& trail, const QList<QByteArray>& paths)
{
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    for (const QByteArray& path : paths)
        EXPECT_TRUE(facts.contains(path)) << path.constData();
    EXPECT_EQ(facts.size(), paths.size());
}

TEST(AuditLogFiles, CutsLinesWithoutTheirEndsAndTheHoleBeforeThem)
{
    Trail trail;
    trail.write(u"log"_s, QByteArray("one\r\n") + QByteArray(100000, '\0') + "two\n\r\n" + QByteArray(3, '\0') +
                              "\n" + QByteArray(LogLines::LongestLine + 1, 'x') + "\nthree\n" +
                              QByteArray(LogLines::LongestLine + 5, 'y'));
    QString error;
    const std::unique_ptr<LogStream> log = LogStream::open(trail.path(u"log"_s), LogStream::Generation::Live, error);
    ASSERT_TRUE(log) << error.toStdString();
    LogLines lines(*log, {}, false);
    QByteArrayView line;
    QByteArrayList seen;
    for (LogLines::Next next = lines.next(line); next != LogLines::Next::End; next = lines.next(line))
        seen.append(next == LogLines::Next::Overlong ? QByteArray("<overlong>") : line.toByteArray());
    EXPECT_EQ(seen, QByteArrayList({"one", "two", "", "", "<overlong>", "three", "<overlong>"}));
    EXPECT_TRUE(lines.inLongLine());
    EXPECT_EQ(lines.end(), log->position());
    EXPECT_EQ(lines.tailBefore(lines.end()), QByteArray(LogLines::TailBytes, 'y'));
}

// The live log is text whatever its first bytes (a cut line, a hole, garbage) look like; only a
// rotated one may be compressed.
TEST(AuditLogFiles, TheLiveLogIsReadAsItLiesWhateverItsFirstBytes)
{
    for (const QByteArray& start : {QByteArray("BZh"), QByteArray("\x1f\x8b\x08", 3), QByteArray("\x28\xb5\x2f\xfd", 4)}) {
        Trail trail;
        trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
        trail.write(u"audit.log"_s, start + "\n" + pwrite("al", "a"));
        const AuditReading reading = trail.read();
        EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u"; "_s).toStdString();
        EXPECT_EQ(reading.records, 1);
        EXPECT_EQ(reading.unreadable, 1);
    }
}

// rsyslog writes "#012" for a newline but leaves a "#" of a name alone: "Order #0123.pdf" is
// read as written, a decoded name only where it is the one on disk.
TEST(AuditLogFiles, SyslogEscapesAreDecodedOnlyWhereTheNameOnDiskSaysSo)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.write(u"share/Order #0123.pdf"_s, "");
    trail.write(u"share/tab\there"_s, "");
    trail.write(u"share/both#011x"_s, "");
    trail.write(u"share/both\tx"_s, "");
    trail.write(u"audit.log"_s, pwrite("al", "Order #0123.pdf") + pwrite("al", "Gone #0123.pdf") +
                                    pwrite("al", "tab#011here") + pwrite("al", "both#011x") +
                                    syslogLine("al|1|renameat|ok|@ROOT@/share/old#011name|@ROOT@/share/tab#011here"));
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.unreadable, 0);
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    EXPECT_EQ(facts.value("Order #0123.pdf").modifier, "al");
    EXPECT_TRUE(facts.contains("Gone #0123.pdf"));
    EXPECT_TRUE(facts.contains("tab\there"));
    EXPECT_TRUE(facts.contains("both#011x"));
    EXPECT_FALSE(facts.contains("Order \n3.pdf") || facts.contains("Gone \n3.pdf") || facts.contains("tab#011here") ||
                 facts.contains("both\tx"));
}

// smbd indents every line of a message by two spaces, those of a name's later lines as well.
TEST(AuditLogFiles, SmbdLogNamesWithNewlinesLoseOnlyTheIndent)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::SmbdLog, u"log.smbd"_s);
    trail.write(u"log.smbd"_s, QByteArray(test::sambaRecordsFile("smbd-log-newline-names.log")).replace("\n", "\r\n"));
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.unreadable, 0);
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    for (const QByteArray& name : {QByteArray("nl\nx.txt"), QByteArray("  sp\n  two.txt"), QByteArray("a\nb1"),
                                   QByteArray("a\n b2"), QByteArray("a\n\nb3"), QByteArray("a\n\tb4")})
        EXPECT_EQ(facts.value(name).creator, "cvtestalice") << name.constData();
    for (const QByteArray& path : facts.keys())
        EXPECT_FALSE(path.contains("\n  x") || path.contains('\r')) << path.constData();
}

TEST(AuditLogFiles, CrLineEndsAndHolesOfNulsLoseNoRecord)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    // A writer that goes on at its offset after copytruncate leaves a hole of NULs before its next line.
    trail.write(u"audit.log"_s, QByteArray(pwrite("al", "a")).replace("\n", "\r\n") + QByteArray(300000, '\0') +
                                    pwrite("al", "b") + QByteArray(10, '\0'));
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.records, 2);
    EXPECT_EQ(reading.unreadable, 0);
    trail.append(u"audit.log"_s, pwrite("al", "c"));
    EXPECT_EQ(trail.read().records, 1);
    expectEveryPathOnce(trail, {"a", "b", "c"});
}

// copytruncate: what was written after the last reading is in the copy only.
TEST(AuditLogFiles, CopyTruncateReadsTheCopyFromWhereTheReadingStopped)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.write(u"audit.log"_s, pwrite("al", "a") + pwrite("al", "b"));
    EXPECT_EQ(trail.read().records, 2);
    trail.append(u"audit.log"_s, pwrite("bo", "c"));
    ASSERT_TRUE(QFile::copy(trail.path(u"audit.log"_s), trail.path(u"audit.log.1"_s)));
    trail.write(u"audit.log"_s, pwrite("cy", "d"));
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.records, 2);
    EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u"; "_s).toStdString();
    // The same when the new file grew past the old offset before the reading.
    trail.append(u"audit.log"_s, pwrite("cy", "e"));
    ASSERT_TRUE(QFile::remove(trail.path(u"audit.log.1"_s)));
    ASSERT_TRUE(QFile::copy(trail.path(u"audit.log"_s), trail.path(u"audit.log.1"_s)));
    trail.write(u"audit.log"_s, pwrite("cy", "f") + pwrite("cy", "g") + pwrite("cy", "h"));
    EXPECT_EQ(trail.read().records, 4);
    EXPECT_EQ(trail.read().records, 0);
    expectEveryPathOnce(trail, {"a", "b", "c", "d", "e", "f", "g", "h"});
}

// A log is known by its first bytes and those before the offset: a new file that starts with the
// same records (the same second, user and operation) is not taken for the old one.
TEST(AuditLogFiles, ALogThatStartsAlikeIsAnotherLog)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    QByteArray alike;
    for (int i = 0; i < 100; ++i)
        alike += pwrite("al", "same");
    trail.write(u"audit.log"_s, alike + pwrite("al", "a"));
    EXPECT_EQ(trail.read().records, 101);
    // Emptied in place (the same inode) and written again, longer, with the same first records.
    trail.write(u"audit.log"_s, alike + pwrite("bo", "bb") + pwrite("bo", "c") + pwrite("bo", "d"));
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.records, 103);
    ASSERT_EQ(reading.problems.size(), 1); // the old file is gone: what it gained last is lost, and said
    EXPECT_TRUE(reading.problems[0].contains(u"former file is gone"_s));
    expectEveryPathOnce(trail, {"same", "a", "bb", "c", "d"});
}

// Rotated and compressed at once: the new log may even take the old one's inode, yet what the
// old one gained after the last reading is read from the compressed copy.
TEST(AuditLogFiles, RotatedLogsAreReadCompressedAsWell)
{
    for (const QString& compressor : {u"gzip"_s, u"xz"_s, u"zstd"_s}) {
        SCOPED_TRACE(compressor.toStdString());
        Trail trail;
        trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
        trail.write(u"audit.log"_s, pwrite("al", "a"));
        EXPECT_EQ(trail.read().records, 1);
        trail.append(u"audit.log"_s, pwrite("al", "b") + pwrite("al", "c"));
        ASSERT_TRUE(QFile::copy(trail.path(u"audit.log"_s), trail.path(u"audit.log.1"_s)));
        compress(compressor, trail.path(u"audit.log.1"_s));
        ASSERT_FALSE(QFile::exists(trail.path(u"audit.log.1"_s)));
        trail.write(u"audit.log"_s, pwrite("bo", "d")); // the same inode, new text
        const AuditReading reading = trail.read();
        EXPECT_EQ(reading.records, 3);
        EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u"; "_s).toStdString();
        expectEveryPathOnce(trail, {"a", "b", "c", "d"});
    }
}

// Two rotations between readings (logrotate's "log.1" and "log.2.gz"): the older generation is
// read on from the position, the newer one whole, then the live log.
TEST(AuditLogFiles, EveryGenerationRotatedSinceTheLastReadingIsRead)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.write(u"audit.log"_s, pwrite("al", "a"));
    EXPECT_EQ(trail.read().records, 1);
    trail.append(u"audit.log"_s, pwrite("al", "b"));
    const auto rotate = [&] {
        if (QFile::exists(trail.path(u"audit.log.1"_s))) {
            ASSERT_TRUE(QFile::rename(trail.path(u"audit.log.1"_s), trail.path(u"audit.log.2"_s)));
            compress(u"gzip"_s, trail.path(u"audit.log.2"_s));
        }
        ASSERT_TRUE(QFile::rename(trail.path(u"audit.log"_s), trail.path(u"audit.log.1"_s)));
    };
    rotate();
    trail.write(u"audit.log"_s, pwrite("bo", "c"));
    rotate();
    trail.write(u"audit.log"_s, pwrite("cy", "d"));
    trail.write(u"audit.log.bak"_s, pwrite("zz", "not-a-generation"));
    trail.write(u"audit.log-20261201"_s, pwrite("zz", "older-than-all"));
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.records, 3);
    EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u"; "_s).toStdString();
    expectEveryPathOnce(trail, {"a", "b", "c", "d"});
    EXPECT_EQ(trail.read().records, 0);

    QStringList order;
    for (const RotatedLog& log : rotatedLogs(trail.path(u"audit.log"_s)))
        order.append(QFileInfo(log.path).fileName() + (log.rotation ? u""_s : u"?"_s));
    EXPECT_EQ(order, QStringList({u"audit.log-20261201"_s, u"audit.log.2.gz"_s, u"audit.log.1"_s, u"audit.log.bak?"_s}));
}

TEST(AuditLogFiles, ADamagedCompressedGenerationIsReportedAndTheLiveLogStillRead)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.write(u"audit.log"_s, pwrite("al", "a"));
    EXPECT_EQ(trail.read().records, 1);
    trail.append(u"audit.log"_s, pwrites(5000, "f"));
    ASSERT_TRUE(QFile::rename(trail.path(u"audit.log"_s), trail.path(u"audit.log.1"_s)));
    compress(u"gzip"_s, trail.path(u"audit.log.1"_s));
    QFile cut(trail.path(u"audit.log.1.gz"_s));
    ASSERT_TRUE(cut.resize(cut.size() / 2));
    trail.write(u"audit.log"_s, pwrite("bo", "b"));
    const AuditReading reading = trail.read();
    ASSERT_EQ(reading.problems.size(), 1);
    EXPECT_TRUE(reading.problems[0].contains(u"audit.log.1.gz cannot be read: it ends in the middle"_s))
        << reading.problems[0].toStdString();
    EXPECT_TRUE(trail.facts().contains("b"));
}

// A name renamed away keeps nothing of its history: written again, or renamed again, it starts
// afresh, whether the records come in one reading or two.
TEST(AuditLogFiles, ANameRenamedAwayStartsAfresh)
{
    for (const int cut : {0, 1, 2, 3}) {
        SCOPED_TRACE(cut);
        Trail trail;
        trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
        const QByteArrayList records{syslogLine("al|1|openat|ok|w|@ROOT@/share/a"),
                                     syslogLine("al|1|renameat|ok|@ROOT@/share/a|@ROOT@/share/b"),
                                     syslogLine("bo|1|renameat|ok|@ROOT@/share/a|@ROOT@/share/c"),
                                     pwrite("cy", "a")};
        trail.write(u"audit.log"_s, records.mid(0, cut).join());
        trail.read();
        trail.append(u"audit.log"_s, records.mid(cut).join());
        trail.read();
        const QHash<QByteArray, PathFacts> facts = trail.facts();
        EXPECT_EQ(facts.value("b").creator, "al");
        EXPECT_TRUE(facts.contains("c"));
        EXPECT_EQ(facts.value("c").creator, "");
        EXPECT_EQ(facts.value("a").creator, "");
        EXPECT_EQ(facts.value("a").modifier, "cy");
    }
}

// A line without end costs one pass and a bounded buffer, however long it grows; it is counted
// once and never read again.
TEST(AuditLogFiles, OverlongLinesAreSkippedOnceAndCounted)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.addSource(AuditSource::Kind::SmbdLog, u"log.smbd"_s);
    trail.write(u"audit.log"_s, pwrite("al", "a") + QByteArray(3 << 20, 'x'));
    trail.write(u"log.smbd"_s, smbdLogRecord("al|1|pwrite|ok|@ROOT@/share/s1") +
                                   smbdLogRecord("al|1|pwrite|ok|@ROOT@/share/" + QByteArray(LogLines::LongestLine, 'n')) +
                                   smbdLogRecord("al|1|pwrite|ok|@ROOT@/share/s2") + smbdLogRecord("al|1|pwrite|ok|@ROOT@/share/s3"));
    const AuditReading first = trail.read();
    EXPECT_EQ(first.records, 4);
    EXPECT_EQ(first.overlong, 2);
    EXPECT_TRUE(first.summary(u"V"_s).contains(u"2 lines longer than 64 KiB skipped"_s));
    trail.append(u"audit.log"_s, QByteArray(1 << 20, 'x') + "\n" + pwrite("al", "b"));
    const AuditReading second = trail.read();
    EXPECT_EQ(second.records, 1);
    EXPECT_EQ(second.overlong, 0);
    EXPECT_EQ(second.unreadable, 0);
    expectEveryPathOnce(trail, {"a", "b", "s1", "s2", "s3"});
}

// The rest of a message of smbd's log passed over at the end of a reading is passed over in the
// next one too, not taken for a cut record; saving on the way loses no message.
TEST(AuditLogFiles, AnSmbdLogMessagePassedOverStaysPassedOver)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::SmbdLog, u"log.smbd"_s);
    QByteArray many;
    for (int i = 0; i < 60000; ++i) // more paths than a batch holds, so that the reading saves on the way
        many += smbdLogRecord("al|1|pwrite|ok|@ROOT@/share/f" + QByteArray::number(i));
    trail.write(u"log.smbd"_s, many + "[2026/12/08 05:23:45.000000,  3] ../../source3/smbd/x.c:1(y)\n  other\n");
    EXPECT_EQ(trail.read().records, 60000);
    trail.append(u"log.smbd"_s, "  more of it\n" + smbdLogRecord("al|1|pwrite|ok|@ROOT@/share/two") +
                                    "  lines\n" + smbdLogRecord("al|1|pwrite|ok|@ROOT@/share/last"));
    const AuditReading second = trail.read();
    EXPECT_EQ(second.records, 2);
    EXPECT_EQ(second.unreadable, 0);
    EXPECT_TRUE(trail.facts().contains("two\nlines"));
}

// A link the reading account does not own is not followed (to /etc/shadow, as root); a FIFO is
// no log (reading it would wait for ever).
TEST(AuditLogFiles, ALinkOfAnotherAccountOrAFifoIsRefused)
{
    ASSERT_EQ(::geteuid(), 0u) << "this test gives a link to another account: run it as root, as CI does";
    Trail trail;
    trail.write(u"real.log"_s, pwrite("al", "a"));
    ASSERT_TRUE(QFile::link(trail.path(u"real.log"_s), trail.path(u"trusted.log"_s)));
    ASSERT_TRUE(QFile::link(u"/etc/shadow"_s, trail.path(u"planted.log"_s)));
    ASSERT_EQ(::lchown(QFile::encodeName(trail.path(u"planted.log"_s)).constData(), 65534, 65534), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(trail.path(u"fifo.log"_s)).constData(), 0600), 0);
    trail.addSource(AuditSource::Kind::Syslog, u"trusted.log"_s);
    trail.addSource(AuditSource::Kind::Syslog, u"planted.log"_s);
    trail.addSource(AuditSource::Kind::Syslog, u"fifo.log"_s);
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.records, 1);
    EXPECT_EQ(reading.unreadable, 0);
    ASSERT_EQ(reading.problems.size(), 2);
    EXPECT_TRUE(reading.problems[0].contains(u"planted.log cannot be read: it is a symbolic link of another account (uid 65534)"_s))
        << reading.problems[0].toStdString();
    EXPECT_TRUE(reading.problems[1].contains(u"fifo.log is not there or is no file"_s)) << reading.problems[1].toStdString();
}

// After a full disk the summary counts the records the store kept, not those read and lost.
TEST(AuditLogFiles, AFullDiskKeepsTheCountTrue)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.write(u"audit.log"_s, pwrites(120000, "folder/file-"));
    // Files of the process may grow to 4 MiB: the store takes the first batch, then fills up.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit full{4 << 20, limit.rlim_max};
    const auto signalBefore = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    const AuditReading reading = trail.read();
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, signalBefore);
    ASSERT_FALSE(reading.problems.isEmpty());
    EXPECT_TRUE(reading.problems.last().contains(u"cannot be written"_s)) << reading.problems.last().toStdString();
    EXPECT_GT(reading.records, 0);
    EXPECT_LT(reading.records, 120000);
    EXPECT_EQ(reading.records, trail.facts().size());
    // With room again, the rest is read and nothing twice.
    const AuditReading rest = trail.read();
    EXPECT_EQ(reading.records + rest.records, 120000);
    EXPECT_EQ(trail.facts().size(), 120000);
}

// A store of the first version knows a file by device, inode and 64 bytes: it is read on from
// where it stopped, and then knows the file as this version does.
TEST(AuditLogFiles, APositionOfTheFirstStoreVersionIsReadOn)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    const QByteArray first = QByteArray(pwrite("al", "a")).replace("@ROOT@", trail.root());
    trail.write(u"audit.log"_s, first + pwrite("bo", "b"));
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(trail.path(u"audit.log"_s)).constData(), &status), 0);
    QDir().mkpath(QFileInfo(trail.settings().storeFile).absolutePath());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(trail.settings().storeFile).constData(), &db), SQLITE_OK);
    const QByteArray sql =
        "PRAGMA user_version = 1;"
        "CREATE TABLE facts(path BLOB PRIMARY KEY, creator BLOB, created INTEGER, modifier BLOB, modified INTEGER, "
        "reader BLOB, read INTEGER, archiver BLOB, archived INTEGER, folder INTEGER) WITHOUT ROWID;"
        "CREATE TABLE deletions(path BLOB, deletor BLOB, deleted INTEGER, folder INTEGER);"
        "CREATE INDEX deletions_by_path ON deletions(path);"
        "CREATE TABLE positions(source TEXT PRIMARY KEY, device INTEGER, inode INTEGER, offset INTEGER, head BLOB, "
        "cursor BLOB);"
        "INSERT INTO facts VALUES (X'61', '', 0, X'616c', 1, '', 0, '', 0, 0);"
        "INSERT INTO positions VALUES ('syslog " + QFile::encodeName(trail.path(u"audit.log"_s)) + "', " +
        QByteArray::number(static_cast<qint64>(status.st_dev)) + ", " + QByteArray::number(static_cast<qint64>(status.st_ino)) +
        ", " + QByteArray::number(first.size()) + ", X'" + first.left(64).toHex() + "', X'');";
    ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    const AuditReading reading = trail.read();
    EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u"; "_s).toStdString();
    EXPECT_EQ(reading.records, 1);
    expectEveryPathOnce(trail, {"a", "b"});
    trail.append(u"audit.log"_s, pwrite("cy", "c"));
    EXPECT_EQ(trail.read().records, 1);
    AuditStore store;
    ASSERT_TRUE(store.open(trail.settings().storeFile));
    EXPECT_FALSE(store.position(u"syslog "_s + trail.path(u"audit.log"_s)).found->tail.isEmpty());
}

// The entry of second number, written by smbd; a journal written anew names its entries by other
// cursors.
QByteArray journalEntry(int number, const QByteArray& path, const QByteArray& cursors = "s=")
{
    return R"({"__CURSOR":")" + cursors + QByteArray::number(number) + R"(","__REALTIME_TIMESTAMP":")" +
           QByteArray::number(1765171460000000 + number * 1000000LL) +
           R"(","SYSLOG_IDENTIFIER":"smbd_audit","_UID":"0","_COMM":"smbd","_EXE":"/usr/sbin/smbd",)"
           R"("MESSAGE":"al|1|pwrite|ok|@ROOT@/share/)" + path + "\"}\n";
}

// The journal is read from the entry read last on; where it no longer holds that entry and now
// begins later, what came between may be lost, and the reading says so.
TEST(AuditJournal, AJournalThatLostTheEntryReadLastSaysWhatMayBeLost)
{
    Trail trail;
    // A stand-in for journalctl that prints the entries of a file, or refuses every cursor.
    trail.write(u"journalctl"_s, "#!/bin/sh\necho \"$@\" >> " + QFile::encodeName(trail.path(u"arguments"_s)) +
                                     "\ncase \"$*\" in *--cursor*) [ -e " + QFile::encodeName(trail.path(u"refuse"_s)) +
                                     " ] && { echo 'Failed to seek to cursor' >&2; exit 1; } ;; esac\ncat " +
                                     QFile::encodeName(trail.path(u"entries.json"_s)) + "\n");
    QFile::setPermissions(trail.path(u"journalctl"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    trail.settings().journalctl = trail.path(u"journalctl"_s);
    trail.addSource(AuditSource::Kind::Journal, {});
    trail.write(u"entries.json"_s, journalEntry(1, "a") + journalEntry(2, "b"));
    EXPECT_EQ(trail.read().records, 2);
    // Still there: the entry read last is passed over.
    trail.write(u"entries.json"_s, journalEntry(2, "b") + journalEntry(3, "c"));
    const AuditReading kept = trail.read();
    EXPECT_EQ(kept.records, 1);
    EXPECT_TRUE(kept.problems.isEmpty()) << kept.problems.join(u"; "_s).toStdString();
    // Cleaned: the journal now begins after it.
    trail.write(u"entries.json"_s, journalEntry(7, "g"));
    const AuditReading cleaned = trail.read();
    EXPECT_EQ(cleaned.records, 1);
    ASSERT_EQ(cleaned.problems.size(), 1);
    EXPECT_TRUE(cleaned.problems[0].contains(u"the journal no longer holds the entries after the one read last"_s))
        << cleaned.problems[0].toStdString();
    // Written anew, its cursors changed, but reaching back past it: nothing lost, nothing read twice.
    trail.write(u"entries.json"_s, journalEntry(7, "g", "t=") + journalEntry(8, "h", "t="));
    const AuditReading reaching = trail.read();
    EXPECT_EQ(reaching.records, 1);
    EXPECT_TRUE(reaching.problems.isEmpty()) << reaching.problems.join(u"; "_s).toStdString();
    // A cursor journalctl refuses: read again from the start, up to the entry read last passed over.
    trail.write(u"refuse"_s, "");
    trail.write(u"entries.json"_s, journalEntry(1, "a") + journalEntry(8, "h") + journalEntry(9, "i"));
    const AuditReading refused = trail.read();
    EXPECT_EQ(refused.records, 1);
    EXPECT_TRUE(refused.problems.isEmpty()) << refused.problems.join(u"; "_s).toStdString();
    expectEveryPathOnce(trail, {"a", "b", "c", "g", "h", "i"});
    QFile arguments(trail.path(u"arguments"_s));
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    EXPECT_TRUE(arguments.readAll().split('\n').at(1).contains("--cursor=s=2"));
}

// A journalctl that hangs after its first entries is stopped; what it gave is not taken, and the
// next reading reads it again.
TEST(AuditJournal, AJournalctlThatHangsIsStoppedAndNothingOfItKept)
{
    Trail trail;
    trail.write(u"entries.json"_s, journalEntry(1, "a"));
    trail.write(u"journalctl"_s, "#!/bin/sh\ncat " + QFile::encodeName(trail.path(u"entries.json"_s)) +
                                     "\nif [ -e " + QFile::encodeName(trail.path(u"hang"_s)) + " ]; then exec sleep 600; fi\n");
    QFile::setPermissions(trail.path(u"journalctl"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    trail.settings().journalctl = trail.path(u"journalctl"_s);
    trail.settings().journalSilenceMs = 1000;
    trail.addSource(AuditSource::Kind::Journal, {});
    trail.write(u"hang"_s, "");
    const AuditReading hung = trail.read();
    EXPECT_EQ(hung.records, 0);
    ASSERT_EQ(hung.problems.size(), 1);
    EXPECT_TRUE(hung.problems[0].startsWith(u"the journal cannot be read: "_s + trail.path(u"journalctl"_s) +
                                            u" wrote nothing for 1000 ms and was stopped"_s))
        << hung.problems[0].toStdString();
    EXPECT_TRUE(trail.facts().isEmpty());

    QFile::remove(trail.path(u"hang"_s));
    const AuditReading again = trail.read();
    EXPECT_EQ(again.records, 1);
    EXPECT_TRUE(again.problems.isEmpty()) << again.problems.join(u"; "_s).toStdString();
    expectEveryPathOnce(trail, {"a"});
}

} // namespace
} // namespace corvane
