#pragma once

#include <QByteArray>
#include <QString>

namespace corvane::RegistryData {

// Conversions between the bytes the registry stores and texts.
QByteArray fromText(const QString& text);         // UTF-16LE, no terminator added
QString toText(const QByteArray& utf16le);        // the inverse
QByteArray szFromText(const QString& text);       // a REG_SZ: UTF-16LE with its NUL
QString textFromSz(const QByteArray& data);       // a REG_SZ's text without its NUL
QString bytesAsCharacters(const QByteArray& raw); // one character per byte
QString bytesAsHexPairs(const QByteArray& raw);   // "05 00 00 00 "

} // namespace corvane::RegistryData
