#pragma once

#include <QString>

#include <optional>

namespace corvane {

// How stored texts convert to the record's field types. A text that does not
// convert gives nullopt, and the field keeps its initial value.
std::optional<bool> flagFromText(const QString& text);     // a byte: "0" and "1", any 0..255
std::optional<qint16> int16FromText(const QString& text);  // rounded to even, in range
std::optional<float> singleFromText(const QString& text);  // window sizes
std::optional<bool> booleanFromText(const QString& text);  // "True"/"False", or a number
// The leading number of a text, 0 when there is none ("12ab" is 12, "" is 0).
double leadingNumber(const QString& text);

} // namespace corvane
