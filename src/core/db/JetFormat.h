#pragma once

#include "core/db/JetDates.h"

#include <QString>

namespace corvane {

// A number as Jet writes it as text: whole numbers without a point, others with
// up to 15 significant digits ("0.1", "1E+20").
QString jetNumberText(double value);

// Round to a number of decimals the way Jet's Round does: on the decimal digits
// of the value, halves to the even neighbour.
double jetRoundHalfEven(double value, int decimals);

// FORMAT with a date-time value: the named formats ("General Date", "Long Date",
// "Medium Date", "Short Date", "Long Time", "Medium Time", "Short Time") or a
// custom pattern (d dd ddd dddd ddddd dddddd w ww m mm mmm mmmm q y yy yyyy h hh
// n nn s ss ttttt c, AM/PM am/pm A/P a/p AMPM, "text" and \x literals).
// Names and separators are those of US English.
QString formatJetDateTime(const JetDateTime& value, const QString& format);

// FORMAT with a number: the named formats ("General Number", "Currency",
// "Fixed", "Standard", "Percent", "Scientific", "Yes/No", "True/False",
// "On/Off") or a custom pattern of up to four sections (positive; negative;
// zero) with 0 # . , % E+ E- and literals. Halves round away from zero.
QString formatJetNumber(double value, const QString& format);

// Whether a number given to FORMAT with this pattern is to be shown as a date.
bool isJetDateFormat(const QString& format);

} // namespace corvane
