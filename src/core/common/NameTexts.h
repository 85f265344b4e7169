#pragma once

#include <QByteArray>
#include <QString>

namespace corvane {

// A name or path as stored and shown: UTF-8 when the bytes are UTF-8, else one character per byte
// (as an 8-bit code page shows it), so that no name turns into replacement characters. The scan
// makes its texts so, and a copy of cv.mdb reads a text that is no UTF-8 so again.
QString nameText(const QByteArray& bytes);

} // namespace corvane
