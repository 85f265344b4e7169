#include "core/common/Utf8Text.h"

#include <QByteArray>

namespace corvane {

// The loop has no early exit, so the compiler can copy many characters per step; the copy is
// undone when a character was not ASCII.
void appendUtf8(std::string& out, QStringView text)
{
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(text.size()));
    const char16_t* in = text.utf16();
    char* to = out.data() + start;
    char16_t seen = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        seen |= in[i];
        to[i] = static_cast<char>(in[i]);
    }
    if (seen < 0x80)
        return;
    out.resize(start);
    const QByteArray utf8 = text.toUtf8();
    out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

} // namespace corvane
