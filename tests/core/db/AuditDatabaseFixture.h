#pragma once

#include "core/db/AuditDatabase.h"
#include "core/db/RowSet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace corvane::test {

// A copy of the empty cv.mdb the build delivers, in a temporary folder.
struct TempAuditDatabase
{
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("cv.mdb"));

    TempAuditDatabase()
    {
        QFile::copy(QStringLiteral(CV_DATABASE_FILE), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    QStringList folderEntries() const
    {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QByteArray bytes() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

using Fields = QList<std::pair<QString, QVariant>>;

// Appends one row the way the scan run does: add, set each field, update.
inline void appendRow(RowSet& rows, const Fields& fields)
{
    rows.addNew();
    for (const auto& [column, value] : fields)
        ASSERT_FALSE(rows.setField(column, value).isError()) << column.toStdString();
    ASSERT_FALSE(rows.update().isError());
}

inline void appendRows(AuditDatabase& database, const QString& table, const QList<Fields>& rows)
{
    RowSet rowSet(database);
    ASSERT_FALSE(rowSet.open(table).isError()) << table.toStdString();
    for (const Fields& fields : rows)
        appendRow(rowSet, fields);
}

inline qint64 rowCount(AuditDatabase& database, const QString& table)
{
    RowSet rowSet(database);
    if (rowSet.open(table).isError())
        return -1;
    return rowSet.rowCount().value;
}

} // namespace corvane::test
