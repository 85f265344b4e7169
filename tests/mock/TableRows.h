#pragma once

#include <gtest/gtest.h>

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariantMap>

namespace corvane::test {

// Every row of a table in the given order, column name to stored value.
inline QList<QVariantMap> tableRows(const QSqlDatabase& connection, const QString& table, const QString& order)
{
    QSqlQuery query(connection);
    EXPECT_TRUE(query.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY ") + order))
        << table.toStdString();
    QList<QVariantMap> result;
    while (query.next()) {
        QVariantMap row;
        for (int i = 0; i < query.record().count(); ++i)
            row.insert(query.record().fieldName(i), query.value(i));
        result.append(row);
    }
    return result;
}

// One column of those rows, as texts.
inline QStringList columnTexts(const QList<QVariantMap>& rows, const QString& name)
{
    QStringList values;
    for (const QVariantMap& row : rows)
        values.append(row.value(name).toString());
    return values;
}

} // namespace corvane::test
