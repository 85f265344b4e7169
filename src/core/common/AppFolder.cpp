#include "core/common/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    if (source.copy(to)) {
        // An installed copy is read-only for users; theirs must be writable by them.
        QFile::setPermissions(to, QFile::permissions(to) | QFile::ReadOwner | QFile::WriteOwner);
        return true;
    }
    *failure = u"cannot copy "_s + from + u" to "_s + to + u": "_s + source.errorString();
    return false;
}

bool copyTree(const QString& from, const QString& to, QString* failure)
{
    if (!QDir().mkpath(to)) {
        *failure = u"cannot make the folder "_s + to;
        return false;
    }
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
    if (QDir().rename(partial, to))
        return true;
    *failure = u"cannot rename "_s + partial + u" to "_s + to;
    return false;
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
    if (!QFileInfo::exists(copies + u"cv.mdb"_s)) {
        *failure = u"no installed cv.mdb in "_s + copies + u" to start "_s + target + u" from"_s;
        return false;
    }
    if (!QDir().mkpath(target)) {
        *failure = u"cannot make the folder "_s + target;
        return false;
    }
    return copyFileIfMissing(copies + u"cv.mdb"_s, target + u"cv.mdb"_s, failure) &&
           copyFileIfMissing(copies + u"faq.fil"_s, target + u"faq.fil"_s, failure) &&
           copyFolderIfMissing(copies + u"demo"_s, target + u"demo"_s, failure) &&
           copyFileIfMissing(withSlash(machineSettingsFolder) + u"netware.conf"_s, target + u"netware.conf"_s,
                             failure);
}

bool prepareApplicationFolder(QString* failure)
{
    const QString folder = applicationFolder();
    if (!qEnvironmentVariableIsEmpty("CORVANE_NET_HOME") || folder == programFolder())
        return true;
    return seedApplicationFolder(folder, installedCopiesFolder(programFolder()), machineSettingsFolder(), failure);
}

} // namespace corvane
