#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include <sys/types.h>

namespace corvane {

// Modes of what cv makes for one user alone: who did what to which file is no one else's business.
constexpr mode_t privateFolderMode = 0700;
constexpr mode_t privateFileMode = 0600;

// The system's words for an errno value, e.g. "No space left on device".
QString systemErrorText(int error);

// Makes the folder and any missing folder above it, each with mode (less the umask), as the base
// directory rules want 0700 for the data folders they make. False, with "cannot make the folder
// PATH: reason", when a folder cannot be made.
bool makeFolder(const QString& path, mode_t mode, QString* failure);

// Replaces the file at path by bytes: they are written to a temporary file beside it, synced and
// renamed over it, so that a reader sees the old file or the new one, never a part. Every write, the
// sync and the close are checked; when one fails (a full disk) the temporary file goes and the old
// file stays as it was. A replaced file keeps its mode; a new one gets newFileMode, or the mode the
// umask gives. Returns 0, or the errno of the step that failed.
int replaceFile(const QString& path, const QByteArray& bytes, std::optional<mode_t> newFileMode = std::nullopt);

} // namespace corvane
