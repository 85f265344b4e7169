#pragma once

#include "core/common/StoredDateTexts.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

namespace corvane {

// What a column of cv.mdb holds, from its declared type: DATETIME and DATE columns keep ISO
// text ('YYYY-MM-DD HH:MM:SS', 'YYYY-MM-DD'), INTEGER columns whole numbers, the rest text.
enum class ColumnKind
{
    Text,
    Integer,
    Date,
    DateTime
};

ColumnKind columnKindOfDeclaredType(const QString& declaredType);

// The form a value takes in a column of that kind; nullopt when it does not convert (a date
// text that is no date, a word in a number column), so the caller can leave the column empty.
// Dates may come as QDate, QDateTime or text read as a date literal is (month/day/year or
// ISO, with an optional time).
// A date column keeps a whole day as a date alone; a date-time column always has its time.
std::optional<QVariant> toStoredValue(const QVariant& value, ColumnKind kind);
// Converts the value in place to its stored form; a value that does not convert becomes null.
// Returns whether it converted. Text and whole numbers already in their stored form are left as
// they are: the scan hands over most of its values so.
bool convertToStoredValue(QVariant& value, ColumnKind kind);

// A stored value as callers read it: dates and date-times as QDate and QDateTime.
QVariant fromStoredValue(const QVariant& stored, ColumnKind kind);

} // namespace corvane
