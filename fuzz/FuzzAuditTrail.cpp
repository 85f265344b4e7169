#include "FuzzInput.h"

#include "core/netware/samba/AuditTrailReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace corvane;

namespace {

struct Counts
{
    qint64 records = 0;
    qint64 unreadable = 0;
    qint64 foreign = 0;
    qint64 overlong = 0;

    void add(const AuditReading& reading)
    {
        records += reading.records;
        unreadable += reading.unreadable;
        foreign += reading.foreign;
        overlong += reading.overlong;
    }
    bool operator==(const Counts&) const = default;
};

// A share at /s and a log with its store in a folder of their own, made anew for every input.
class Reading
{
public:
    Reading(const QString& folder, AuditSource::Kind kind, const QByteArray& prefix) : m_folder(folder)
    {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        m_settings.share.name = "data";
        m_settings.share.path = "/s";
        m_settings.share.auditPrefix = prefix;
        m_settings.storeFile = folder + u"/store/DATA.sqlite"_s;
        m_settings.sources = {AuditSource{kind, folder + u"/log"_s}};
    }

    void append(const QByteArray& bytes) const
    {
        QFile log(m_folder + u"/log"_s);
        fuzzCheck(log.open(QIODevice::Append) && log.write(bytes) == bytes.size(), "the log can be written");
    }

    AuditReading read() const
    {
        const AuditReading reading = readAuditTrail(u"SRV/DATA"_s, m_settings);
        fuzzCheck(reading.problems.isEmpty(), "a log that is there is read without a problem");
        return reading;
    }

    QHash<QByteArray, PathFacts> facts() const
    {
        AuditStore store;
        fuzzCheck(store.openForReading(m_settings.storeFile), "the store is there");
        return store.allFacts();
    }

private:
    QString m_folder;
    SambaVolumeSettings m_settings;
};

bool sameFacts(const QHash<QByteArray, PathFacts>& one, const QHash<QByteArray, PathFacts>& other)
{
    if (one.size() != other.size())
        return false;
    for (auto entry = one.cbegin(); entry != one.cend(); ++entry) {
        const auto match = other.constFind(entry.key());
        if (match == other.cend() || match->creator != entry->creator || match->modifier != entry->modifier ||
            match->reader != entry->reader || match->archiver != entry->archiver || match->folder != entry->folder)
            return false;
    }
    return true;
}

} // namespace

// Any bytes as the audit log of a share at /s. The first byte chooses the form (bit 0: smbd's
// own log, else syslog), the prefix (bit 2: "%u|%I|%S", else "%u|%I") and whether a line longer
// than any record is put in (bit 1); the second where the log is cut. Read, the log is not read
// again: a second reading finds nothing new. A syslog file read in two pieces, cut there,
// teaches what it teaches read at once.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // In memory where the system has it: every input makes and reads stores.
    static const QTemporaryDir work(QDir(u"/dev/shm"_s).exists() ? u"/dev/shm/cv-fuzz-XXXXXX"_s
                                                                  : QDir::tempPath() + u"/cv-fuzz-XXXXXX"_s);
    if (size < 2)
        return 0;
    const bool smbdLog = (data[0] & 1) != 0;
    const QByteArray prefix = (data[0] & 4) != 0 ? "%u|%I|%S" : "%u|%I";
    QByteArray log = fuzzBytes(data + 2, size - 2);
    const qsizetype cut = log.size() * data[1] / 255;
    if ((data[0] & 2) != 0)
        log.insert(cut, QByteArray(70000, 'x'));
    const AuditSource::Kind kind = smbdLog ? AuditSource::Kind::SmbdLog : AuditSource::Kind::Syslog;

    const Reading whole(work.path() + u"/whole"_s, kind, prefix);
    whole.append(log);
    Counts once;
    once.add(whole.read());
    Counts again;
    again.add(whole.read());
    fuzzCheck(again == Counts{}, "a second reading finds nothing new");
    if (smbdLog) // a message cut at the end of a reading is read as it stands then
        return 0;

    const Reading pieces(work.path() + u"/pieces"_s, kind, prefix);
    Counts both;
    pieces.append(log.left(cut));
    both.add(pieces.read());
    pieces.append(log.mid(cut));
    both.add(pieces.read());
    fuzzCheck(both == once, "a log read in two pieces counts what it counts read at once");
    fuzzCheck(sameFacts(pieces.facts(), whole.facts()), "a log read in two pieces teaches what it teaches at once");
    return 0;
}
