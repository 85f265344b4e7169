#include "core/scan/ScanValues.h"

#include "core/common/StoredDateTexts.h"
#include "core/netware/DateDecoding.h"

#include <QTime>

namespace corvane {

ScannedDate scannedDate(quint32 packed, bool secondsCorrected)
{
    if (packed == 0)
        return {};
    PackedDateTimeFields f = unpackDateTime(packed);
    if (secondsCorrected && f.second == 60)
        f.second = 59;
    ScannedDate date;
    if (QDate::isValid(f.year, f.month, f.day))
        date.day = QDate(f.year, f.month, f.day);
    if (date.day.isValid() && QTime::isValid(f.hour, f.minute, f.second))
        date.value = storedDateTimeText(f.year, f.month, f.day, f.hour, f.minute, f.second);
    return date;
}

ScannedDate scannedDay(quint16 packedDate)
{
    if (packedDate == 0)
        return {};
    const PackedDateTimeFields f = unpackDateTime(quint32{packedDate} << 16);
    ScannedDate date;
    if (QDate::isValid(f.year, f.month, f.day)) {
        date.day = QDate(f.year, f.month, f.day);
        date.value = storedDateText(f.year, f.month, f.day);
    }
    return date;
}

} // namespace corvane
