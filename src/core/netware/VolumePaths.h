#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QVarLengthArray>

#include <optional>

namespace corvane {

// Paths inside the emulated volumes are handled as the file system's bytes, so that any name
// (quotes, newlines, bytes that are not UTF-8) survives.

// The components of a path split at "/" (and at "\" too when backslashSeparates), without empty
// and "." components, ".." taking back the previous one. nullopt when ".." climbs above the start.
std::optional<QByteArrayList> pathComponents(const QByteArray& path, bool backslashSeparates);

QByteArray joinedPath(const QByteArray& root, const QByteArrayList& components);

// The name as the directory holds it: the name itself when it exists, else the one entry that
// equals it ignoring case; nullopt when there is none or several.
std::optional<QByteArray> nameOnDisk(const QByteArray& directory, const QByteArray& name);

// The name with its letter case folded, so that names equal ignoring case give one key, as NetWare
// matches names. Bytes that are not UTF-8 are kept, with their ASCII letters folded.
QByteArray caseFolded(QByteArray name);
// caseFolded() for a lookup: an ASCII name is folded into the buffer, which the result refers to,
// rather than into a new allocation.
using CaseFoldingBuffer = QVarLengthArray<char, 256>;
QByteArray caseFoldedKey(const QByteArray& name, CaseFoldingBuffer& buffer);

// The components spelled as on disk as far as they exist below root; the rest as given.
QByteArrayList componentsOnDisk(const QByteArray& root, const QByteArrayList& components);

} // namespace corvane
