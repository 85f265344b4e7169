#include "core/netware/DemoVolume.h"

#include "core/common/FileWriting.h"
#include "core/netware/NetWareConfiguration.h"
#include "core/netware/VolumeMetadata.h"
#include "core/netware/VolumeTrash.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

constexpr int FirstMinute = 8 * 60;    // the demo's working day starts at 8:00
constexpr int WorkingMinutes = 9 * 60; // and ends by 17:00

bool fail(QString* failure, const QString& reason)
{
    if (failure)
        *failure = reason;
    return false;
}

QString datedText(const QString& templateText, const QDate& today)
{
    static const QRegularExpression placeholder(u"\\{today(?:([+-])(\\d+))?\\}"_s);
    QString text;
    qsizetype copied = 0;
    QRegularExpressionMatchIterator matches = placeholder.globalMatch(templateText);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const qint64 days = match.captured(2).toLongLong() * (match.captured(1) == u"-"_s ? -1 : 1);
        text += templateText.mid(copied, match.capturedStart() - copied) +
                today.addDays(days).toString(u"yyyy-MM-dd"_s);
        copied = match.capturedEnd();
    }
    return text + templateText.mid(copied);
}

bool writeMetadata(const QString& templatePath, const QString& volumeRoot, const QDate& today,
                   QString* failure)
{
    QFile source(templatePath);
    if (!source.open(QIODevice::ReadOnly))
        return fail(failure, templatePath + u": "_s + source.errorString());
    const QString target = volumeRoot + u'/' + QString::fromLatin1(VolumeMetadataFileName);
    const QByteArray text = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return fail(failure, templatePath + u": "_s + source.errorString());
    if (const int error = replaceFile(target, datedText(QString::fromUtf8(text), today).toUtf8(), privateFileMode))
        return fail(failure, target + u": "_s + systemErrorText(error));
    return true;
}

// Spread over the working day, so that the files do not all carry one time.
bool touchFiles(const QString& volumeRoot, const QDate& today, QString* failure)
{
    QDirIterator files(volumeRoot, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    const QString top = QDir::cleanPath(volumeRoot);
    for (int index = 0; files.hasNext(); ++index) {
        const QString path = files.next();
        const QFileInfo file = files.fileInfo();
        if (file.isSymLink() ||
            (file.absolutePath() == top && isServerFileName(QFile::encodeName(file.fileName()))))
            continue;
        const int minute = FirstMinute + (index * 7) % WorkingMinutes;
        const qint64 seconds = QDateTime(today, QTime(minute / 60, minute % 60)).toSecsSinceEpoch();
        const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
        if (utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return fail(failure, path + u": cannot set its times"_s);
    }
    return true;
}

bool isInside(const QString& path, const QString& folder)
{
    const QString cleanFolder = QDir::cleanPath(folder);
    return QDir::cleanPath(path).startsWith(cleanFolder + u'/');
}

} // namespace

bool prepareDemoVolume(const QString& folder, const QDate& today, QString* failure)
{
    const QString configurationPath = folder + u"/netware.conf"_s;
    const NetWareConfiguration::Loaded loaded = NetWareConfiguration::load(configurationPath);
    if (!loaded.configuration)
        return fail(failure, loaded.error);
    if (loaded.configuration->servers().isEmpty())
        return fail(failure, configurationPath + u": no demo servers"_s);
    const QString absoluteFolder = QDir(folder).absolutePath();
    for (const NetWareServer& server : loaded.configuration->servers()) {
        for (const NetWareVolume& volume : server.volumes) {
            const QString root = QFile::decodeName(volume.root);
            const QString templatePath = root + u".meta.in"_s;
            // Only the demo's own volumes are touched, whatever the file says.
            if (!isInside(root, absoluteFolder) || !QFile::exists(templatePath))
                continue;
            if (!writeMetadata(templatePath, root, today, failure) || !touchFiles(root, today, failure))
                return false;
        }
    }
    return true;
}

} // namespace corvane
