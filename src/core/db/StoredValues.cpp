#include "core/db/StoredValues.h"

#include "core/db/JetDates.h"

#include <array>

namespace corvane {

namespace {

constexpr qsizetype dateLength = 10;
constexpr qsizetype dateTimeLength = 19;

// Writes value as `width` decimal digits at `at`; formatting by hand keeps appends cheap.
void putDigits(char16_t* at, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        at[i] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    }
}

// A date and time of day kept apart: building a local QDateTime asks the time zone
// database, which costs more than the whole append.
struct DateAndTime
{
    QDate date;
    QTime time{0, 0};
};

// Texts read as a date literal is read: month/day/year or ISO, with an optional time.
std::optional<DateAndTime> parseDateTimeText(const QString& text)
{
    const std::optional<JetDateTime> value = parseJetDateText(text);
    if (!value)
        return std::nullopt;
    return DateAndTime{value->date, QTime(0, 0).addSecs(value->seconds)};
}

std::optional<DateAndTime> toDateAndTime(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return DateAndTime{value.toDate()};
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        return DateAndTime{dateTime.date(), dateTime.time()};
    }
    case QMetaType::QString:
        return parseDateTimeText(value.toString());
    default:
        return std::nullopt;
    }
}

// Writes the date as YYYY-MM-DD at `at`.
void putDate(char16_t* at, const QDate& date)
{
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    putDigits(&at[0], year, 4);
    at[4] = u'-';
    putDigits(&at[5], month, 2);
    at[7] = u'-';
    putDigits(&at[8], day, 2);
}

QString storedText(const QDate& date, const QTime& time)
{
    std::array<char16_t, dateTimeLength> text{};
    putDate(text.data(), date);
    text[10] = u' ';
    putDigits(&text[11], time.hour(), 2);
    text[13] = u':';
    putDigits(&text[14], time.minute(), 2);
    text[16] = u':';
    putDigits(&text[17], time.second(), 2);
    return QString(reinterpret_cast<const QChar*>(text.data()), dateTimeLength);
}

std::optional<QVariant> toStoredDate(const QVariant& value, ColumnKind kind)
{
    const std::optional<DateAndTime> parts = toDateAndTime(value);
    if (!parts || !parts->date.isValid() || !parts->time.isValid() || !isJetYear(parts->date.year()))
        return std::nullopt;
    if (kind == ColumnKind::Date && parts->time == QTime(0, 0))
        return QVariant(storedDateText(parts->date));
    return QVariant(storedText(parts->date, parts->time));
}

std::optional<QVariant> toStoredInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::ULongLong:
        return QVariant(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QVariant(qRound64(value.toDouble()));
    case QMetaType::QString: {
        bool ok = false;
        const qlonglong number = value.toString().trimmed().toLongLong(&ok);
        return ok ? std::optional<QVariant>(QVariant(number)) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

ColumnKind columnKindOfDeclaredType(const QString& declaredType)
{
    const QString type = declaredType.trimmed().toUpper();
    if (type == QLatin1String("DATETIME"))
        return ColumnKind::DateTime;
    if (type == QLatin1String("DATE"))
        return ColumnKind::Date;
    if (type.contains(QLatin1String("INT")))
        return ColumnKind::Integer;
    return ColumnKind::Text;
}

QString storedDateText(const QDate& date)
{
    std::array<char16_t, dateLength> text{};
    putDate(text.data(), date);
    return QString(reinterpret_cast<const QChar*>(text.data()), dateLength);
}

QString storedDateTimeText(const QDateTime& dateTime)
{
    return storedText(dateTime.date(), dateTime.time());
}

std::optional<QVariant> toStoredValue(const QVariant& value, ColumnKind kind)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (kind) {
    case ColumnKind::Date:
    case ColumnKind::DateTime:
        return toStoredDate(value, kind);
    case ColumnKind::Integer:
        return toStoredInteger(value);
    case ColumnKind::Text:
        break;
    }
    if (value.typeId() == QMetaType::QString)
        return value;
    if (value.typeId() == QMetaType::QDateTime)
        return QVariant(storedDateTimeText(value.toDateTime()));
    return QVariant(value.toString());
}

QVariant fromStoredValue(const QVariant& stored, ColumnKind kind)
{
    if ((kind != ColumnKind::Date && kind != ColumnKind::DateTime) || stored.typeId() != QMetaType::QString)
        return stored;
    const QString text = stored.toString();
    if (text.size() == dateLength) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        return date.isValid() ? QVariant(date) : stored;
    }
    if (text.size() == dateTimeLength) {
        const QDateTime dateTime = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return dateTime.isValid() ? QVariant(dateTime) : stored;
    }
    return stored;
}

} // namespace corvane
