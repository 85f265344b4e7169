#include "core/common/AppFolder.h"

#include "core/common/FileWriting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

#include <sys/stat.h>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

bool holdsWritableDatabase(const QString& folder)
{
    const QFileInfo database(folder + u"cv.mdb"_s);
    return database.isFile() && database.isWritable() && QFileInfo(folder).isWritable();
}

// $XDG_DATA_HOME, or ~/.local/share when it is unset or relative, as the base directory rules say.
QString userDataFolder()
{
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    return QDir::isAbsolutePath(data) ? data : QDir::homePath() + u"/.local/share"_s;
}

// The machine's settings folder, as the registry chooses it: CORVANE_NET_REGISTRY or /etc/corvane-net.
QString machineSettingsFolder()
{
    const QString shared = qEnvironmentVariable("CORVANE_NET_REGISTRY");
    return shared.isEmpty() ? u"/etc/corvane-net"_s : shared;
}

bool copyFileIfMissing(const QString& from, const QString& to, QString* failure)
{
    if (QFileInfo::exists(to) || !QFileInfo::exists(from))
        return true;
    QFile source(from);
    if (!source.copy(to)) {
        *failure = u"cannot copy "_s + from + u" to "_s + to + u": "_s + source.errorString();
        return false;
    }
    // Theirs alone, and writable by them: an installed copy is read-only and readable by all.
    if (::chmod(QFile::encodeName(to).constData(), privateFileMode) != 0) {
        *failure = u"cannot make "_s + to + u" private: "_s + systemErrorText(errno);
        return false;
    }
    return true;
}

bool copyTree(const QString& from, const QString& to, QString* failure)
{
    if (!makeFolder(to, privateFolderMode, failure))
        return false;
    const QDir source(from);
    for (const QString& entry : source.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString path = source.filePath(entry);
        const bool copied = QFileInfo(path).isDir() ? copyTree(path, to + u'/' + entry, failure)
                                                    : copyFileIfMissing(path, to + u'/' + entry, failure);
        if (!copied)
            return false;
    }
    return true;
}

bool copyFolderIfMissing(const QString& from, const QString& to, QString* failure)
{
    if (QFileInfo::exists(to) || !QFileInfo(from).isDir())
        return true;
    // Made under a temporary name and renamed, so a start cut short never leaves half a folder
    // that later starts would take for a whole one.
    const QString partial = to + u".partial"_s;
    QDir(partial).removeRecursively();
    if (!copyTree(from, partial, failure))
        return false;
    if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *failure = u"cannot rename "_s + partial + u" to "_s + to + u": "_s + systemErrorText(errno);
    return false;
}

// A folder with anything in it has been in use.
bool isNewFolder(const QString& folder)
{
    return QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

QString programFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty())
        folder = QDir::currentPath();
    return withSlash(folder);
}

QString chooseApplicationFolder(const QString& homeOverride, const QString& programFolder,
                                const QString& userDataFolder)
{
    if (!homeOverride.isEmpty())
        return withSlash(homeOverride);
    if (holdsWritableDatabase(withSlash(programFolder)))
        return withSlash(programFolder);
    return withSlash(userDataFolder) + u"corvane-net/"_s;
}

QString applicationFolder()
{
    return chooseApplicationFolder(qEnvironmentVariable("CORVANE_NET_HOME"), programFolder(), userDataFolder());
}

QString installedCopiesFolder(const QString& programFolder)
{
    const QString folder = withSlash(programFolder);
    if (QFileInfo::exists(folder + u"cv.mdb"_s))
        return folder;
    return withSlash(QDir::cleanPath(folder + u"../share/corvane-net"_s));
}

bool seedApplicationFolder(const QString& folder, const QString& copiesFolder,
                           const QString& machineSettingsFolder, QString* failure)
{
    const QString target = withSlash(folder);
    const QString copies = withSlash(copiesFolder);
    // The cv.mdb of a folder in use is the record of its audits: when it is gone, an empty one in
    // its place would hide the loss, so only a new folder gets one.
    const bool isNew = isNewFolder(target);
    if (isNew && !QFileInfo::exists(copies + u"cv.mdb"_s)) {
        *failure = u"no installed cv.mdb in "_s + copies + u" to start "_s + target + u" from"_s;
        return false;
    }
    if (!makeFolder(target, privateFolderMode, failure))
        return false;
    return (!isNew || copyFileIfMissing(copies + u"cv.mdb"_s, target + u"cv.mdb"_s, failure)) &&
           copyFileIfMissing(copies + u"faq.fil"_s, target + u"faq.fil"_s, failure) &&
           copyFolderIfMissing(copies + u"demo"_s, target + u"demo"_s, failure) &&
           copyFileIfMissing(withSlash(machineSettingsFolder) + u"netware.conf"_s, target + u"netware.conf"_s,
                             failure);
}

bool prepareApplicationFolder(QString* failure)
{
    const QString folder = applicationFolder();
    // The program's own folder holds the copies themselves.
    if (folder == programFolder())
        return true;
    return seedApplicationFolder(folder, installedCopiesFolder(programFolder()), machineSettingsFolder(), failure);
}

} // namespace corvane
