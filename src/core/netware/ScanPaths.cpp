#include "core/netware/ScanPaths.h"

#include "core/netware/NetWareConfiguration.h"

namespace corvane {

char separatorOf(const QByteArray& path)
{
    if (path.startsWith('\\'))
        return '\\';
    if (isDriveLetterPath(path))
        return path.size() > 2 && path[2] == '/' ? '/' : '\\';
    return '/';
}

QByteArray withSeparator(const QByteArray& path)
{
    const char separator = separatorOf(path);
    return path.endsWith(separator) ? path : path + separator;
}

PlainFilePath splitPlainFilePath(const QByteArray& fullPath)
{
    const char separator = separatorOf(fullPath);
    const qsizetype last = fullPath.lastIndexOf(separator);
    PlainFilePath parts{fullPath.left(last < 0 ? 0 : last), fullPath.mid(last + 1)};
    if (parts.directory.isEmpty())
        parts.directory = QByteArray(1, separator);
    else if (separator == '\\' && parts.directory.size() == 2)
        parts.directory += '\\';
    return parts;
}

} // namespace corvane
