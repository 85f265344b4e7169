#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

namespace corvane {

// Whether the name of a deleted file matches a scanned file spec such as *.doc, report?.xls or
// budget.*. The spec is turned into a candidate name, filling its wildcards from the name, and the
// two are compared without regard to case; a "*" leading a spec and not followed by "." matches all.
bool MatchFileSpec(const QString& spec, const QString& name);

// The bytes before the first zero byte, each read as its Latin-1 character so that a name
// converts back to the same bytes; a buffer without a zero byte gives all of its bytes.
QString BytesToText(QByteArrayView bytes);
// The same over one of the client's zero-padded name buffers.
template <std::size_t Size> QString BytesToText(const std::array<char, Size>& buffer)
{
    return BytesToText(QByteArrayView(buffer.data(), static_cast<qsizetype>(buffer.size())));
}

QString RemoveSpaces(const QString& text);

} // namespace corvane
