#include "core/settings/SettingConversions.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace corvane {

namespace {

std::optional<double> numberFromText(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Conversions to whole numbers round halves to the even neighbour.
std::optional<long long> wholeNumberFromText(const QString& text, long long lowest, long long highest)
{
    const auto value = numberFromText(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (rounded < static_cast<double>(lowest) || rounded > static_cast<double>(highest))
        return std::nullopt;
    return static_cast<long long>(rounded);
}

} // namespace

std::optional<bool> flagFromText(const QString& text)
{
    const auto value = wholeNumberFromText(text, 0, 255);
    if (!value)
        return std::nullopt;
    return *value != 0;
}

std::optional<qint16> int16FromText(const QString& text)
{
    const auto value =
        wholeNumberFromText(text, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
    if (!value)
        return std::nullopt;
    return static_cast<qint16>(*value);
}

std::optional<float> singleFromText(const QString& text)
{
    const auto value = numberFromText(text);
    if (!value || std::abs(*value) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(*value);
}

std::optional<bool> booleanFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    const auto value = numberFromText(trimmed);
    if (!value)
        return std::nullopt;
    return *value != 0;
}

double leadingNumber(const QString& text)
{
    static const QRegularExpression leading(QStringLiteral("^\\s*[-+]?\\d+"));
    const auto match = leading.match(text);
    return match.hasMatch() ? match.captured().trimmed().toDouble() : 0.0;
}

} // namespace corvane
