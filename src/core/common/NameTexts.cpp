#include "core/common/NameTexts.h"

namespace corvane {

QString nameText(const QByteArray& bytes)
{
    return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

} // namespace corvane
