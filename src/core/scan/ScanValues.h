#pragma once

#include "core/db/RowSet.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace corvane {

// Reading the decoded date texts of the scans (M/D/YYYY h:m:s, see DecodeDateTime) and appending
// their rows. The texts are read field by field without regular expressions or time-zone look-ups:
// a file has up to four dates, and a local date-time made for each would cost more than the file.

// Whether the date part of a date text (up to its first space), read month first, is the day. A
// text whose date part is no valid date falls on no day.
bool fallsOn(const QString& dateText, const QDate& day);

// The date-time a date text denotes, as the value of a date column: its wall-clock date and time,
// in the column's stored form (YYYY-MM-DD HH:MM:SS), made without a QDateTime, which would cost
// more than the append. Null, leaving the column empty, when the text is empty or its fields form
// no valid date and time (month 13, 60 seconds).
QVariant dateTimeValue(const QString& dateText);

// One row appended through a row set: add-new at construction, then the fields in order, then
// update. A step that fails is left out: a field that does not convert stays empty, a failed update
// loses this row only.
class NewRow
{
public:
    explicit NewRow(RowSet& rows) : m_rows(rows) { m_rows.addNew(); }
    NewRow& set(const QString& column, const QVariant& value)
    {
        m_rows.setField(column, value);
        return *this;
    }
    NewRow& setIf(bool wanted, const QString& column, const QVariant& value)
    {
        return wanted ? set(column, value) : *this;
    }
    void update() { m_rows.update(); }

private:
    RowSet& m_rows;
};

} // namespace corvane
