#include "core/graphs/ChartData.h"

#include <array>

namespace corvane {

namespace {

struct ChartTypeEntry
{
    ChartType type;
    const char* text;
    int flatCode;
    int threeDCode;
};

constexpr std::array<ChartTypeEntry, 4> chartTypes{{
    {ChartType::Line, "Line", 3, 2},
    {ChartType::Bar, "Bar", 1, 0},
    {ChartType::Area, "Area", 5, 4},
    {ChartType::Step, "Step", 7, 6},
}};

const ChartTypeEntry& entryOf(ChartType type)
{
    return chartTypes[static_cast<std::size_t>(type)];
}

} // namespace

int chartTypeCode(ChartType type, bool threeD)
{
    const ChartTypeEntry& entry = entryOf(type);
    return threeD ? entry.threeDCode : entry.flatCode;
}

std::optional<ChartType> chartTypeOfCode(int code)
{
    for (const ChartTypeEntry& entry : chartTypes) {
        if (entry.flatCode == code || entry.threeDCode == code)
            return entry.type;
    }
    return std::nullopt;
}

bool isThreeDimensionalCode(int code)
{
    const std::optional<ChartType> type = chartTypeOfCode(code);
    return type && entryOf(*type).threeDCode == code;
}

QString chartTypeText(ChartType type)
{
    return QLatin1String(entryOf(type).text);
}

std::optional<ChartType> chartTypeFromText(const QString& text)
{
    for (const ChartTypeEntry& entry : chartTypes) {
        if (text == QLatin1String(entry.text))
            return entry.type;
    }
    return std::nullopt;
}

} // namespace corvane
