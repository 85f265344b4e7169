// Reading a Samba share's audit log into the server's store:
//   cv_audit_bench generate FOLDER RECORDS   writes FOLDER/audit.log (syslog form)
//   cv_audit_bench read FOLDER               reads FOLDER/audit.log into FOLDER/store, prints
//                                            records/s and peak memory; run twice, the second
//                                            reading must read none
#include "core/netware/samba/AuditTrailReader.h"
#include "core/sqlite/SqliteLibrary.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <sys/resource.h>

#include <cstdio>
#include <random>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

constexpr const char* SharePath = "/srv/samba/data";

int generate(const QString& folder, qint64 records)
{
    QFile file(folder + u"/audit.log"_s);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    std::mt19937 random(7);
    const char* const operations[] = {"openat|ok|w|", "pwrite_send|ok|", "pread_send|ok|", "openat|ok|r|",
                                      "create_file|ok|0x12019f|file|overwrite_if|", "fset_dos_attributes|ok|",
                                      "pread_send|ok|", "pwrite_send|ok|", "unlinkat|ok|", "ftruncate|ok|"};
    QByteArray block;
    for (qint64 i = 0; i < records; ++i) {
        const unsigned user = random() % 40;
        const unsigned folderNumber = random() % 500;
        const unsigned fileNumber = random() % 100;
        const unsigned operation = random() % 10;
        const int second = static_cast<int>(i / 20 % 60);
        block += "Dec  8 05:" + QByteArray::number(10 + i / 1200 % 40) + ':' +
                 QByteArray::number(second).rightJustified(2, '0') + " fileserver smbd_audit: user" +
                 QByteArray::number(user).rightJustified(2, '0') + "|192.168.10." + QByteArray::number(user + 20) +
                 "|data|" + operations[operation] + SharePath + "/projects/p" + QByteArray::number(folderNumber) +
                 "/documents/report-" + QByteArray::number(fileNumber).rightJustified(4, '0') + ".docx\n";
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    std::printf("%lld records, %.1f MB\n", static_cast<long long>(records), file.size() / 1e6);
    return 0;
}

int read(const QString& folder)
{
    SambaVolumeSettings settings;
    settings.share.name = "data";
    settings.share.path = SharePath;
    settings.share.auditPrefix = "%u|%I|%S";
    settings.sources = {AuditSource{AuditSource::Kind::Syslog, folder + u"/audit.log"_s}};
    settings.storeFile = folder + u"/store/SRV/DATA.sqlite"_s;
    QElapsedTimer timer;
    timer.start();
    const AuditReading reading = readAuditTrail(u"SRV/DATA"_s, settings);
    const double seconds = timer.nsecsElapsed() / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%lld records in %.2f s: %.0f records/s, peak %.1f MiB, %lld unreadable, %lld overlong%s%s\n",
                static_cast<long long>(reading.records), seconds, reading.records / seconds,
                usage.ru_maxrss / 1024.0, static_cast<long long>(reading.unreadable),
                static_cast<long long>(reading.overlong),
                reading.problems.isEmpty() ? "" : ", ", qPrintable(reading.problems.join(u"; "_s)));
    return reading.problems.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    corvane::configureSqliteLibrary();
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 4 && arguments[1] == u"generate"_s)
        return generate(arguments[2], arguments[3].toLongLong());
    if (arguments.size() == 3 && arguments[1] == u"read"_s)
        return read(arguments[2]);
    QTextStream(stderr) << "usage: cv_audit_bench generate FOLDER RECORDS | read FOLDER\n";
    return 2;
}
