#include "core/db/StoredValues.h"

#include "core/db/JetDates.h"

#include <array>

namespace corvane {

namespace {

constexpr qsizetype dateLength = storedDateLength;
constexpr qsizetype dateTimeLength = storedDateTimeLength;

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

// The fields of a text in a stored form, YYYY-MM-DD HH:MM:SS or the date alone (its time of day
// then zero), read by position; nullopt for any other text.
std::optional<std::array<int, 6>> storedFormFields(QStringView text)
{
    static constexpr std::array<qsizetype, 6> starts{0, 5, 8, 11, 14, 17};
    static constexpr std::array<qsizetype, 6> widths{4, 2, 2, 2, 2, 2};
    static constexpr std::array<char16_t, 5> separators{u'-', u'-', u' ', u':', u':'};
    if (text.size() != dateTimeLength && text.size() != dateLength)
        return std::nullopt;
    const std::size_t read = text.size() == dateLength ? 3 : 6;
    std::array<int, 6> fields{};
    for (std::size_t f = 0; f < read; ++f) {
        if (f > 0 && text[starts[f] - 1] != separators[f - 1])
            return std::nullopt;
        for (qsizetype at = starts[f]; at < starts[f] + widths[f]; ++at) {
            if (text[at] < u'0' || text[at] > u'9')
                return std::nullopt;
            fields[f] = fields[f] * 10 + (text[at].unicode() - u'0');
        }
    }
    return fields;
}

// The scan hands its dates over in the stored form already: such a text is checked and kept as
// it is (a date column keeps the date alone at midnight), without being read as a date literal.
// The date alone is kept by a date column only; a date-time column has it written with its time.
// False for any other text.
bool keepStoredForm(QVariant& value, const QString& text, ColumnKind kind)
{
    const std::optional<std::array<int, 6>> f = storedFormFields(text);
    if (!f || !isJetYear((*f)[0]) || !QDate::isValid((*f)[0], (*f)[1], (*f)[2]) ||
        !QTime::isValid((*f)[3], (*f)[4], (*f)[5]))
        return false;
    if (text.size() == dateLength)
        return kind == ColumnKind::Date;
    if (kind == ColumnKind::Date && (*f)[3] == 0 && (*f)[4] == 0 && (*f)[5] == 0)
        value = QVariant(text.left(dateLength));
    return true;
}

std::optional<QVariant> toStoredDate(const QVariant& value, ColumnKind kind)
{
    const std::optional<DateAndTime> parts = toDateAndTime(value);
    if (!parts || !parts->date.isValid() || !parts->time.isValid() || !isJetYear(parts->date.year()))
        return std::nullopt;
    if (kind == ColumnKind::Date && parts->time == QTime(0, 0))
        return QVariant(storedDateText(parts->date));
    return QVariant(storedDateTimeText(parts->date, parts->time));
}

std::optional<QVariant> toStoredInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
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

std::optional<QVariant> toStoredText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return QVariant(storedDateTimeText(value.toDateTime()));
    return QVariant(value.toString());
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

std::optional<QVariant> toStoredValue(const QVariant& value, ColumnKind kind)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    QVariant stored = value;
    if (!convertToStoredValue(stored, kind))
        return std::nullopt;
    return stored;
}

// Values already in their stored form are neither copied nor read again: the scan hands most of
// its values over so, several a row.
bool convertToStoredValue(QVariant& value, ColumnKind kind)
{
    const int type = value.typeId();
    const bool isText = type == QMetaType::QString;
    if ((kind == ColumnKind::Text && isText) || (kind == ColumnKind::Integer && type == QMetaType::LongLong) ||
        !value.isValid() || value.isNull())
        return true;
    const bool isDate = kind == ColumnKind::Date || kind == ColumnKind::DateTime;
    if (isDate && isText && keepStoredForm(value, *static_cast<const QString*>(value.constData()), kind))
        return true;
    std::optional<QVariant> stored;
    switch (kind) {
    case ColumnKind::Date:
    case ColumnKind::DateTime:
        stored = toStoredDate(value, kind);
        break;
    case ColumnKind::Integer:
        stored = toStoredInteger(value);
        break;
    case ColumnKind::Text:
        stored = toStoredText(value);
        break;
    }
    value = stored ? std::move(*stored) : QVariant();
    return stored.has_value();
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
