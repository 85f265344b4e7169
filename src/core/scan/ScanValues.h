#pragma once

#include "core/db/RowSet.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace corvane {

// A packed date-time of the server as the scans read it: as DecodeDateTime writes it and its
// text is read back month first, but taken from the fields without making or reading a text, as
// a file has up to four dates. Three of the four dates of an entry may say 60 seconds (a packed
// seconds field of 30); with secondsCorrected they read as 59.
struct ScannedDate
{
    QDate day;      // the date part; invalid when it forms no date, or for a packed value of 0
    QVariant value; // in the stored form YYYY-MM-DD HH:MM:SS; null when date or time is invalid

    // A date whose date part is no valid date falls on no day; its time of day does not matter.
    bool fallsOn(const QDate& scanDate) const { return day.isValid() && day == scanDate; }
};

ScannedDate scannedDate(quint32 packed, bool secondsCorrected = false);
// A packed date without a time (the last access), as scannedDate reads it at midnight; its value
// is the date alone, the stored form of a date column.
ScannedDate scannedDay(quint16 packedDate);

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
    NewRow& set(const QString& column, const QString& text)
    {
        m_rows.setField(column, text);
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
