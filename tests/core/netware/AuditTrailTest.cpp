#include "AuditTrailFixture.h"
#include "SambaRecords.h"

#include "core/netware/samba/AuditLogLines.h"
#include "core/netware/samba/AuditRecord.h"

#include <QDateTime>

#include <thread>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

TEST(AuditRecords, ParsesWhatThePrefixAndOperationDefine)
{
    const AuditMessageParser parser("user=%u|%I|%S", {"/srv/a|b", "/srv/c"});
    AuditRecord record;
    using Outcome = AuditMessageParser::Outcome;
    ASSERT_EQ(parser.parse("user=bob|10.0.0.1|data|openat|ok|w|/srv/a|b/x|y.txt", record), Outcome::Record);
    EXPECT_EQ(record.user, "bob");
    EXPECT_EQ(record.share, "data");
    EXPECT_EQ(record.action, AuditAction::Create);
    EXPECT_EQ(record.path, "/srv/a|b/x|y.txt");
    // Both paths hold "|/": the share folder tells where the second starts.
    ASSERT_EQ(parser.parse("user=bob|::1|data|renameat|ok|/srv/a|b/d|/e|/srv/a|b/f|/g", record), Outcome::Record);
    EXPECT_EQ(record.action, AuditAction::Rename);
    EXPECT_EQ(record.path, "/srv/a|b/d|/e");
    EXPECT_EQ(record.target, "/srv/a|b/f|/g");
    ASSERT_EQ(parser.parse("user=al|1|data|create_file|ok|0x80|dir|create|/srv/c/new", record), Outcome::Record);
    EXPECT_EQ(record.action, AuditAction::MakeFolder);
    ASSERT_EQ(parser.parse("user=al|1|data|create_file|ok|0x12019f|file|overwrite_if|/srv/c/n", record), Outcome::Record);
    EXPECT_EQ(record.action, AuditAction::Create);
    ASSERT_EQ(parser.parse("user=al|1|data|fset_dos_attributes|ok|/srv/c/n", record), Outcome::Record);
    EXPECT_EQ(record.action, AuditAction::AttributesChange);
    ASSERT_EQ(parser.parse("user=al|1|data|pread_send|ok|/srv/c/n\nline two", record), Outcome::Record);
    EXPECT_EQ(record.path, "/srv/c/n\nline two");

    for (const char* ignored : {"user=al|1|data|unlinkat|fail|/srv/c/n", "user=al|1|data|fstat|ok|/srv/c/n",
                                "user=al|1|data|create_file|ok|0x80|file|open|/srv/c/n"})
        EXPECT_EQ(parser.parse(ignored, record), Outcome::Ignored) << ignored;
    for (const char* garbled : {"user=al|1|data|unlinkat|ok", "user=al|1|data|unlinkat|maybe|/srv/c/n",
                                "user=al|1|data|openat|ok|x|/srv/c/n", "user=al|1|data", "",
                                "user=al|1|data|unlinkat|ok|relative/path", "|1|data|unlinkat|ok|/srv/c/n",
                                "user=al|1|data|renameat|ok|/srv/c/a"})
        EXPECT_EQ(parser.parse(garbled, record), Outcome::Garbled) << garbled;
}

TEST(AuditRecords, ARenameThatSplitsMoreThanOneWayCarriesEveryReading)
{
    const AuditMessageParser parser("%u|%I", {"/S"});
    AuditRecord record;
    ASSERT_EQ(parser.parse("al|1|renameat|ok|/S/v.txt|/S/x|/S/z", record), AuditMessageParser::Outcome::Record);
    EXPECT_EQ(record.path, "/S/v.txt");
    EXPECT_EQ(record.target, "/S/x|/S/z");
    ASSERT_EQ(record.otherRenameReadings.size(), 1);
    EXPECT_EQ(record.otherRenameReadings[0].first, "/S/v.txt|/S/x");
    EXPECT_EQ(record.otherRenameReadings[0].second, "/S/z");
    // The next record starts afresh.
    ASSERT_EQ(parser.parse("al|1|renameat|ok|/S/a|/S/b", record), AuditMessageParser::Outcome::Record);
    EXPECT_TRUE(record.otherRenameReadings.isEmpty());
}

// %U is whatever name the client typed; %u the Unix account smbd works as.
TEST(AuditRecords, TheUserIsTheUnixAccountWhereThePrefixNamesIt)
{
    AuditRecord record;
    for (const QByteArray& prefix : {QByteArray("%U|%u|%I"), QByteArray("%u|%U|%I")}) {
        const AuditMessageParser parser(prefix, {"/S"});
        EXPECT_FALSE(parser.userIsTyped()) << prefix.constData();
        const QByteArray message = prefix.startsWith("%U") ? "root|nobody|1|unlinkat|ok|/S/a" : "nobody|root|1|unlinkat|ok|/S/a";
        ASSERT_EQ(parser.parse(message, record), AuditMessageParser::Outcome::Record);
        EXPECT_EQ(record.user, "nobody") << prefix.constData();
    }
    EXPECT_TRUE(AuditMessageParser("%U|%I|%S", {}).userIsTyped());
    EXPECT_FALSE(AuditMessageParser("%I|%S", {}).userIsTyped());
}

TEST(AuditRecords, ReadsSyslogLinesInEveryForm)
{
    const qint64 now = QDateTime(QDate(2026, 12, 8), QTime(12, 0)).toSecsSinceEpoch();
    SyslogLineReader reader(now);
    qint64 time = 0;
    QByteArray message;
    using Outcome = SyslogLineReader::Outcome;
    // The message as written: whether "#012" is an escape depends on the names on disk.
    ASSERT_EQ(reader.read("Dec  8 05:24:24 host smbd_audit: a|b#012c", time, message), Outcome::Message);
    EXPECT_EQ(time, QDateTime(QDate(2026, 12, 8), QTime(5, 24, 24)).toSecsSinceEpoch());
    EXPECT_EQ(message, "a|b#012c");
    EXPECT_EQ(decodedSyslogEscapes("a|b#012c #35 #200 #177#0 #8"), "a|b\nc #35 #200 \x7f#0 #8");
    ASSERT_EQ(reader.read("<173>Dec  8 05:24:24 smbd_audit: x", time, message), Outcome::Message);
    EXPECT_EQ(message, "x");
    ASSERT_EQ(reader.read("2026-12-08T05:24:24.123456+01:00 host smbd_audit[77]: y #35 z", time, message),
              Outcome::Message);
    EXPECT_EQ(time, QDateTime(QDate(2026, 12, 8), QTime(4, 24, 24), Qt::UTC).toSecsSinceEpoch());
    EXPECT_EQ(message, "y #35 z");
    // Read in January, a December line is of the year before.
    SyslogLineReader january(QDateTime(QDate(2027, 1, 2), QTime(0, 0)).toSecsSinceEpoch());
    ASSERT_EQ(january.read("Dec 31 23:00:00 host smbd_audit: z", time, message), Outcome::Message);
    EXPECT_EQ(time, QDateTime(QDate(2026, 12, 31), QTime(23, 0)).toSecsSinceEpoch());
    EXPECT_EQ(reader.read("Dec  8 05:24:24 host sshd[1]: accepted", time, message), Outcome::Foreign);
    EXPECT_EQ(reader.read("Dec 99 05:24:24 host smbd_audit: cut", time, message), Outcome::Garbled);
    EXPECT_EQ(reader.read("4:24 host smbd_audit: cut", time, message), Outcome::Garbled);
}

TEST(AuditTrail, LearnsWhoDidWhatFromARealSmbdLog)
{
    Trail trail;
    trail.write(u"log.smbd"_s, test::sambaRecordsFile("smbd-log-default-prefix.log"));
    trail.addSource(AuditSource::Kind::SmbdLog, u"log.smbd"_s);
    const AuditReading reading = trail.read();
    EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u"; "_s).toStdString();
    EXPECT_EQ(reading.unreadable, 0);
    EXPECT_GT(reading.foreign, 0); // smbd's own start-up messages
    EXPECT_GT(reading.records, 50);
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    const PathFacts report = facts.value("report.txt");
    EXPECT_EQ(report.creator, "cvtestalice");
    EXPECT_EQ(report.modifier, "cvtestbob");
    EXPECT_EQ(report.reader, "cvtestbob");
    EXPECT_GE(report.modified, QDateTime(QDate(2026, 12, 8), QTime(5, 23, 44)).toSecsSinceEpoch());
    // The history of draft.txt went with its new name.
    EXPECT_FALSE(facts.contains("draft.txt"));
    EXPECT_EQ(facts.value("final.txt").creator, "cvtestalice");
    EXPECT_EQ(facts.value("final.txt").archiver, "cvtestbob");
    EXPECT_TRUE(facts.value("projects").folder);
    EXPECT_FALSE(facts.contains("tmp"));
    for (const QByteArray& path : facts.keys())
        EXPECT_FALSE(path.startsWith(".recycle")) << path.constData();
    QHash<QByteArray, int> deleted;
    for (const PathDeletion& deletion : trail.deletions()) {
        ++deleted[deletion.path];
        EXPECT_EQ(deletion.folder, deletion.path == "tmp") << deletion.path.constData();
    }
    EXPECT_EQ(deleted.value("projects/plan.txt"), 1);
    EXPECT_EQ(deleted.value("old.txt"), 2);
    EXPECT_EQ(deleted.value("tmp/x.txt"), 1);
    EXPECT_EQ(deleted.value("tmp"), 1);
}

TEST(AuditTrail, ReadsTheSyslogFormAndTheShareNamedByThePrefix)
{
    Trail trail("%u|%I|%S");
    QByteArray text = test::sambaRecordsFile("syslog-share-prefix.log");
    text += syslogLine("cvtestbob|127.0.0.1|other|unlinkat|ok|@ROOT@/share/report.txt"); // another share's
    trail.write(u"audit.log"_s, text);
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    const AuditReading reading = trail.read();
    EXPECT_TRUE(reading.problems.isEmpty());
    EXPECT_EQ(reading.unreadable, 0);
    EXPECT_EQ(trail.facts().value("report.txt").modifier, "cvtestbob");
    EXPECT_EQ(trail.facts().value("final.txt").creator, "cvtestalice");
}

TEST(AuditTrail, SkipsAndCountsCutGarbledAndForeignLines)
{
    Trail trail;
    trail.write(u"audit.log"_s, syslogLine("al|1|openat|ok|w|@ROOT@/share/a") + "Dec  8 05:2\n" +
                                    syslogLine("al|1|openat|ok") + "Dec  8 05:24:24 host cron[2]: job\n" +
                                    QByteArray("\xff\xfe garbage\n") +
                                    syslogLine("al|1|pwrite|ok|@ROOT@/share/b") +
                                    syslogLine("al|1|pwrite|ok|/elsewhere/c"));
    trail.write(u"log.smbd"_s, "  cvtestalice|1|openat|ok|w|@ROOT@/share/d\n" + // cut off its header
                                   smbdLogRecord("al|1|pwrite|ok|@ROOT@/share/e") +
                                   "[2026/12/08 05:23:44.586998,  1] ../../source3/modules/vfs_full_audit.c:643(do_log)\n" +
                                   smbdLogRecord("al|1|pwrite|o"));
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.addSource(AuditSource::Kind::SmbdLog, u"log.smbd"_s);
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.records, 3);
    EXPECT_EQ(reading.unreadable, 6);
    EXPECT_EQ(reading.foreign, 1);
    EXPECT_TRUE(reading.summary(u"SRV/DATA"_s).contains(u"6 unreadable lines skipped"_s));
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    EXPECT_TRUE(facts.contains("a") && facts.contains("b") && facts.contains("e"));
}

TEST(AuditTrail, NamesWithBarsNewlinesQuotesAndForeignBytes)
{
    Trail trail;
    const QByteArray odd = "odd|na\"me 'q'\xe9\xff";
    trail.write(u"share/two\nlines"_s, "");
    trail.write(u"audit.log"_s, syslogLine("al|1|openat|ok|w|@ROOT@/share/" + odd) +
                                    syslogLine("al|1|renameat|ok|@ROOT@/share/" + odd + "|@ROOT@/share/x|y") +
                                    syslogLine("bo|1|pwrite|ok|@ROOT@/share/two#012lines"));
    trail.write(u"log.smbd"_s, smbdLogRecord("cy|1|pwrite|ok|@ROOT@/share/three\nlines|/x") +
                                   smbdLogRecord("cy|1|pread|ok|@ROOT@/share/x|y"));
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.addSource(AuditSource::Kind::SmbdLog, u"log.smbd"_s);
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.unreadable, 0);
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    EXPECT_FALSE(facts.contains(odd));
    EXPECT_EQ(facts.value("x|y").creator, "al");
    EXPECT_EQ(facts.value("x|y").reader, "cy");
    EXPECT_EQ(facts.value("two\nlines").modifier, "bo");
    EXPECT_EQ(facts.value("three\nlines|/x").modifier, "cy");
}

TEST(AuditTrail, ReadsEveryRecordOnceAcrossAppendsRotationAndTruncation)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.write(u"audit.log"_s, syslogLine("al|1|pwrite|ok|@ROOT@/share/a") + "Dec  8 05:24:24 host smbd_audit: al|1|pw");
    EXPECT_EQ(trail.read().records, 1); // the unfinished line waits
    EXPECT_EQ(trail.read().records, 0);
    trail.append(u"audit.log"_s, "rite|ok|@ROOT@/share/b\n" + syslogLine("al|1|pwrite|ok|@ROOT@/share/c"));
    EXPECT_EQ(trail.read().records, 2);
    // logrotate: renamed, more written to the renamed file, then a new file.
    ASSERT_TRUE(QFile::rename(trail.path(u"audit.log"_s), trail.path(u"audit.log.1"_s)));
    trail.append(u"audit.log.1"_s, syslogLine("bo|1|pwrite|ok|@ROOT@/share/d"));
    trail.write(u"audit.log"_s, syslogLine("bo|1|pwrite|ok|@ROOT@/share/e") + syslogLine("bo|1|pwrite|ok|@ROOT@/share/f"));
    AuditReading rotated = trail.read();
    EXPECT_EQ(rotated.records, 3);
    EXPECT_TRUE(rotated.problems.isEmpty());
    EXPECT_EQ(trail.read().records, 0);
    // copytruncate: emptied and written again past where the reading stopped.
    trail.write(u"audit.log"_s, syslogLine("cy|1|pwrite|ok|@ROOT@/share/g") + syslogLine("cy|1|pwrite|ok|@ROOT@/share/h") +
                                    syslogLine("cy|1|pwrite|ok|@ROOT@/share/i"));
    EXPECT_EQ(trail.read().records, 3);
    // Gone entirely (compressed away): the new file is read, the loss is said.
    trail.write(u"audit.log.new"_s, syslogLine("cy|1|pwrite|ok|@ROOT@/share/j"));
    ASSERT_TRUE(QFile::remove(trail.path(u"audit.log"_s)));
    ASSERT_TRUE(QFile::remove(trail.path(u"audit.log.1"_s)));
    ASSERT_TRUE(QFile::rename(trail.path(u"audit.log.new"_s), trail.path(u"audit.log"_s)));
    const AuditReading lost = trail.read();
    EXPECT_EQ(lost.records, 1);
    EXPECT_EQ(lost.problems.size(), 1);
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    for (const char* path : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"})
        EXPECT_TRUE(facts.contains(path)) << path;
    QFile::remove(trail.path(u"audit.log"_s));
    const AuditReading missing = trail.read();
    ASSERT_EQ(missing.problems.size(), 1);
    EXPECT_TRUE(missing.summary(u"V"_s).contains(u"not there"_s));
}

TEST(AuditTrail, ReadsTheJournalAfterItsCursor)
{
    Trail trail;
    const QString script = trail.path(u"journalctl"_s);
    // A stand-in for journalctl that prints the entries of a file and notes its arguments.
    trail.write(u"journalctl"_s, "#!/bin/sh\necho \"$@\" >> " + QFile::encodeName(trail.path(u"arguments"_s)) +
                                     "\ncat " + QFile::encodeName(trail.path(u"entries.json"_s)) + "\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    trail.settings().journalctl = script;
    trail.addSource(AuditSource::Kind::Journal, u"journal"_s);
    // A message that is not UTF-8 comes as an array of its bytes.
    QByteArray bytes;
    for (const char c : QByteArray("bo|1|pread|ok|" + trail.root() + "/share/\xff"))
        bytes += QByteArray::number(static_cast<quint8>(c)) + ',';
    bytes.chop(1);
    trail.write(u"entries.json"_s,
                R"({"__CURSOR":"s=1","__REALTIME_TIMESTAMP":"1765171464000000","SYSLOG_IDENTIFIER":"smbd_audit",)"
                R"("_UID":"0","_COMM":"smbd","_EXE":"/usr/sbin/smbd","MESSAGE":"al|1|pwrite|ok|@ROOT@/share/a"})"
                "\n"
                R"({"__CURSOR":"s=2","__REALTIME_TIMESTAMP":"1765171465000000","MESSAGE":"no identifier"})"
                "\n"
                R"({"__CURSOR":"s=3","__REALTIME_TIMESTAMP":"1765171466000000","SYSLOG_IDENTIFIER":"smbd_audit",)"
                R"("_UID":"0","_COMM":"smbd","_EXE":"/usr/sbin/smbd","MESSAGE":[)" +
                    bytes + "]}\n{not json\n");
    const AuditReading first = trail.read();
    EXPECT_EQ(first.records, 2);
    EXPECT_EQ(first.foreign, 1);
    EXPECT_EQ(first.unreadable, 1);
    EXPECT_TRUE(trail.facts().contains("a"));
    EXPECT_EQ(trail.facts().value("\xff").reader, "bo");
    trail.read();
    QFile arguments(trail.path(u"arguments"_s));
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    const QList<QByteArray> calls = arguments.readAll().trimmed().split('\n');
    ASSERT_EQ(calls.size(), 2);
    EXPECT_TRUE(calls[0].contains(QByteArray("--directory=" + QFile::encodeName(trail.path(u"journal"_s)))));
    EXPECT_FALSE(calls[0].contains("--cursor"));
    EXPECT_TRUE(calls[1].contains("--cursor=s=3")) << calls[1].constData();
}

// A stand-in for journalctl that prints the entries of entries.json and notes its arguments.
void useJournalOf(Trail& trail)
{
    const QString script = trail.path(u"journalctl"_s);
    trail.write(u"journalctl"_s, "#!/bin/sh\necho \"$@\" >> " + QFile::encodeName(trail.path(u"arguments"_s)) +
                                     "\ncat " + QFile::encodeName(trail.path(u"entries.json"_s)) + "\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    trail.settings().journalctl = script;
    trail.addSource(AuditSource::Kind::Journal, {});
}

QByteArray journalEntry(int number, const QByteArray& trustedFields, const QByteArray& record)
{
    return R"({"__CURSOR":"s=)" + QByteArray::number(number) + R"(","__REALTIME_TIMESTAMP":")" +
           QByteArray::number(1765171464000000 + number * 1000000) + R"(","SYSLOG_IDENTIFIER":"smbd_audit",)" +
           trustedFields + R"("MESSAGE":")" + record + "\"}\n";
}

// Anyone may write under smbd's identifier; what the journal itself knows of the writer decides.
TEST(AuditTrail, TakesJournalRecordsOnlyFromSmbd)
{
    Trail trail;
    useJournalOf(trail);
    trail.write(u"entries.json"_s,
                journalEntry(1, R"("_UID":"0","_COMM":"smbd","_EXE":"/usr/sbin/smbd",)", "al|1|pwrite|ok|@ROOT@/share/a") +
                    // smbd whose path the journal could no longer read
                    journalEntry(2, R"("_UID":"0","_COMM":"smbd",)", "al|1|pwrite|ok|@ROOT@/share/b") +
                    // logger run by a user, by root, and a writer the journal knows nothing of
                    journalEntry(3, R"("_UID":"1000","_COMM":"logger","_EXE":"/usr/bin/logger",)",
                                 "bob|1|pwrite|ok|@ROOT@/share/payroll.xls") +
                    journalEntry(4, R"("_UID":"0","_COMM":"logger","_EXE":"/usr/bin/logger",)",
                                 "bob|1|pwrite|ok|@ROOT@/share/payroll.xls") +
                    journalEntry(5, R"("_UID":"1000","_COMM":"smbd","_EXE":"/home/eve/smbd",)",
                                 "bob|1|pwrite|ok|@ROOT@/share/payroll.xls") +
                    journalEntry(6, {}, "bob|1|pwrite|ok|@ROOT@/share/payroll.xls"));
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.records, 2);
    EXPECT_EQ(reading.notFromSmbd, 4);
    EXPECT_TRUE(reading.summary(u"V"_s).contains(u"4 journal records not written by smbd were passed over"_s))
        << reading.summary(u"V"_s).toStdString();
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    EXPECT_TRUE(facts.contains("a") && facts.contains("b"));
    EXPECT_FALSE(facts.contains("payroll.xls"));
    QFile arguments(trail.path(u"arguments"_s));
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    const QByteArray call = arguments.readAll();
    const qsizetype fields = call.indexOf("--output-fields=");
    ASSERT_GE(fields, 0) << call.constData();
    const QByteArrayList asked = call.mid(fields + 16).split(' ').first().trimmed().split(',');
    for (const char* field : {"MESSAGE", "SYSLOG_IDENTIFIER", "_UID", "_COMM", "_EXE"})
        EXPECT_TRUE(asked.contains(field)) << field;
}

// Where any name may be typed by a guest, no typed name is taken for a person.
TEST(AuditTrail, WarnsWhereTheRecordedUserProvesNoOneAndRecordsGuestsAsTheGuestAccount)
{
    Trail typed("%U|%I");
    typed.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    typed.write(u"audit.log"_s, syslogLine("root|1|openat|ok|w|@ROOT@/share/a"));
    AuditReading reading = typed.read();
    ASSERT_EQ(reading.warnings.size(), 1);
    EXPECT_TRUE(reading.summary(u"V"_s).contains(u"; warning: the records of share data name users by %U"_s));
    EXPECT_EQ(typed.facts().value("a").creator, "root"); // no guest can type it

    typed.settings().share.guestsAllowed = true;
    typed.settings().share.failedLogonsAsGuests = true;
    typed.settings().share.guestAccount = "smbguest";
    typed.append(u"audit.log"_s, syslogLine("root|1|openat|ok|w|@ROOT@/share/b") +
                                     syslogLine("cvtestalice|1|pwrite|ok|@ROOT@/share/a"));
    reading = typed.read();
    EXPECT_EQ(reading.warnings.size(), 2);
    EXPECT_TRUE(reading.summary(u"V"_s).contains(
        u"share data lets guests in, so every user its records name is taken as its guest account smbguest"_s));
    EXPECT_EQ(typed.facts().value("b").creator, "smbguest");
    EXPECT_EQ(typed.facts().value("a").modifier, "smbguest");

    Trail unix("%u|%I");
    unix.settings().share.guestsAllowed = true;
    unix.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    unix.write(u"audit.log"_s, syslogLine("nobody|1|openat|ok|w|@ROOT@/share/a") +
                                   syslogLine("cvtestalice|1|pwrite|ok|@ROOT@/share/a"));
    reading = unix.read();
    ASSERT_EQ(reading.warnings.size(), 1);
    EXPECT_TRUE(reading.warnings[0].contains(u"share data lets guests in: what they do is recorded as its guest account nobody"_s));
    EXPECT_EQ(unix.facts().value("a").creator, "nobody");
    EXPECT_EQ(unix.facts().value("a").modifier, "cvtestalice");
}

// Both readings of the rename fit what is on disk: nothing under either name is known any more,
// whether it was read in the same batch or before.
TEST(AuditTrail, ARenameTheDiskCannotDecideForgetsEverySideAndWhatLiesUnderIt)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    const QByteArray share = trail.root() + "/share";
    QDir().mkpath(QFile::decodeName(share + "/g"));
    QDir().mkpath(QFile::decodeName(share + "/e|" + share + "/g"));
    trail.write(u"audit.log"_s, syslogLine("al|1|mkdirat|ok|@ROOT@/share/d") + syslogLine("al|1|openat|ok|w|@ROOT@/share/d/f"));
    ASSERT_EQ(trail.read().records, 2);
    trail.append(u"audit.log"_s, syslogLine("al|1|openat|ok|w|@ROOT@/share/d/h") +
                                     syslogLine("al|1|openat|ok|w|@ROOT@/share/g/old") +
                                     syslogLine("al|1|renameat|ok|@ROOT@/share/d|@ROOT@/share/e|@ROOT@/share/g") +
                                     syslogLine("bo|1|openat|ok|w|@ROOT@/share/g/new"));
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.ambiguousRenames, 1);
    EXPECT_TRUE(reading.problems.isEmpty());
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    EXPECT_EQ(facts.keys(), QList<QByteArray>{"g/new"});
}

TEST(AuditTrail, SetsADamagedStoreAsideAndRebuildsIt)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    trail.write(u"audit.log"_s, syslogLine("al|1|pwrite|ok|@ROOT@/share/a"));
    EXPECT_EQ(trail.read().records, 1);
    QFile store(trail.settings().storeFile);
    QFile::remove(trail.settings().storeFile + u"-wal"_s);
    ASSERT_TRUE(store.open(QIODevice::WriteOnly | QIODevice::Truncate));
    store.write(QByteArray(8192, 'x'));
    store.close();
    const AuditReading rebuilt = trail.read();
    EXPECT_EQ(rebuilt.records, 1);
    ASSERT_EQ(rebuilt.problems.size(), 1);
    EXPECT_TRUE(rebuilt.problems[0].contains(u"set aside"_s));
    EXPECT_EQ(trail.facts().value("a").modifier, "al");
    EXPECT_EQ(QDir(QFileInfo(store).absolutePath()).entryList({u"DATA.sqlite.damaged-*"_s}).size(), 1);
}

TEST(AuditTrail, TwoReadersAtOnceReadEveryRecordOnce)
{
    Trail trail;
    trail.addSource(AuditSource::Kind::Syslog, u"audit.log"_s);
    QByteArray text;
    for (int i = 0; i < 20000; ++i)
        text += syslogLine("al|1|pwrite|ok|@ROOT@/share/f" + QByteArray::number(i % 500));
    trail.write(u"audit.log"_s, text);
    AuditReading first;
    AuditReading second;
    std::thread one([&] { first = trail.read(); });
    std::thread two([&] { second = trail.read(); });
    one.join();
    two.join();
    EXPECT_EQ(first.records + second.records, 20000);
    EXPECT_TRUE(first.problems.isEmpty() && second.problems.isEmpty());
    EXPECT_EQ(trail.facts().size(), 500);
}

} // namespace
} // namespace corvane
