#include "core/common/AppFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace corvane {

QString applicationFolder()
{
    QString folder = qEnvironmentVariable("CORVANE_NET_HOME");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty())
        folder = QDir::currentPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

} // namespace corvane
