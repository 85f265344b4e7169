#pragma once

#include <QStringView>

#include <string>

namespace corvane {

// Appends the text in UTF-8, the encoding SQLite keeps. Most texts are ASCII: copied a character
// to a byte into the string's room, without an allocation of their own.
void appendUtf8(std::string& out, QStringView text);

} // namespace corvane
