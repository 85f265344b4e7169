#include "core/scan/ScanValues.h"

#include "core/db/StoredValues.h"

#include <array>
#include <optional>

namespace corvane {

namespace {

constexpr qsizetype MostDigits = 4;

// Three whole numbers of 1 to 4 ASCII digits joined by the separator, and nothing else.
std::optional<std::array<int, 3>> threeNumbers(QStringView text, char16_t separator)
{
    std::array<int, 3> numbers{};
    qsizetype at = 0;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0 && (at >= text.size() || text[at++] != separator))
            return std::nullopt;
        const qsizetype start = at;
        while (at < text.size() && at - start < MostDigits && text[at] >= u'0' && text[at] <= u'9')
            numbers[i] = numbers[i] * 10 + (text[at++].unicode() - u'0');
        if (at == start)
            return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;
    return numbers;
}

QDate monthFirstDate(QStringView text)
{
    const auto numbers = threeNumbers(text, u'/');
    return numbers ? QDate((*numbers)[2], (*numbers)[0], (*numbers)[1]) : QDate();
}

} // namespace

bool fallsOn(const QString& dateText, const QDate& day)
{
    const QDate date = monthFirstDate(QStringView(dateText).left(dateText.indexOf(u' ')));
    return date.isValid() && date == day;
}

QVariant dateTimeValue(const QString& dateText)
{
    const qsizetype space = dateText.indexOf(u' ');
    if (space < 0)
        return {};
    const auto date = threeNumbers(QStringView(dateText).left(space), u'/');
    const auto time = threeNumbers(QStringView(dateText).mid(space + 1), u':');
    if (!date || !time)
        return {};
    const auto [month, day, year] = *date;
    const auto [hour, minute, second] = *time;
    if (!QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second))
        return {};
    return storedDateTimeText(year, month, day, hour, minute, second);
}

} // namespace corvane
