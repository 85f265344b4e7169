#include "core/query/QueryRowsOutput.h"

#include "core/db/CsvWriter.h"
#include "core/db/QueryCursor.h"
#include "core/query/QueryTexts.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

const QString crLf = u"\r\n"_s;

DbError permissionDenied()
{
    return {FileErrorNumber::PermissionDenied, u"Permission denied"_s};
}

// Office programs on the desktop mark a file they hold open with a lock file beside it.
bool heldOpenByOfficeProgram(const QString& path)
{
    const QFileInfo file(path);
    return QFileInfo::exists(file.absolutePath() + u"/.~lock."_s + file.fileName() + u'#');
}

DbError openForWriting(QFile& file)
{
    if (heldOpenByOfficeProgram(file.fileName()))
        return permissionDenied();
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    if (file.error() == QFileDevice::PermissionsError)
        return permissionDenied();
    return {FileErrorNumber::PathAccessError, u"Path/File access error"_s};
}

} // namespace

DbResult<QString> clipboardText(AuditDatabase& database, const QString& jetStatement, bool commaForm,
                                int spaces)
{
    QueryCursor cursor(database);
    if (const DbError error = cursor.open(jetStatement); error.isError())
        return {{}, error};
    QString text;
    while (cursor.next()) {
        const QVariantList values = cursor.values();
        text += (commaForm ? CsvWriter::line(values) : spaceSeparatedLine(values, spaces)) + crLf;
    }
    return {text, cursor.error()};
}

DbError writeCsvFile(AuditDatabase& database, const QString& jetStatement, const QString& path)
{
    QueryCursor cursor(database);
    if (const DbError error = cursor.open(jetStatement); error.isError())
        return error;
    QFile file(path);
    if (const DbError error = openForWriting(file); error.isError())
        return error;
    QTextStream out(&file);
    CsvWriter writer(out);
    writer.writeFieldNames(cursor.fieldNames());
    while (cursor.next())
        writer.writeRow(cursor.values());
    out.flush();
    // A close that succeeds clears the error of an earlier write, so that is taken first; the close
    // itself may fail too (a network file system reports a full disk only there).
    const bool written = out.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        return {FileErrorNumber::DeviceError, u"Device I/O error"_s};
    return cursor.error();
}

} // namespace corvane
