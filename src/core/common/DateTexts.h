#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace corvane {

// The short-date form of stored dates (PurgeDate) and of dates shown in
// messages: month/day/year, the form the database statements also read.
QString shortDateText(const QDate& date);
// Reads month/day/year (with or without leading zeros) or ISO yyyy-mm-dd.
std::optional<QDate> parseShortDate(const QString& text);

} // namespace corvane
