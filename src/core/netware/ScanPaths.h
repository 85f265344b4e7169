#pragma once

#include "core/common/NameTexts.h"

#include <QByteArray>
#include <QString>

namespace corvane {

// The scans carry paths and names as the file system's bytes: a Linux name may hold bytes that
// are not UTF-8, which a text cannot carry to the client and back. Texts are made only for the
// database and the status box, by nameText.

// The separator a listed path uses: "\" for \\SERVER\VOLUME and X:\ paths, "/" for the others
// (POSIX paths, //SERVER/VOLUME, X:/).
char separatorOf(const QByteArray& path);

// The path with its separator appended unless it already ends in one: the folder part of the
// paths of its entries ("F:\DATA\", "/srv/vol1/").
QByteArray withSeparator(const QByteArray& path);

// The directory and the name of a file's full path, as the plain scan stores them: split at the
// last separator; an empty directory is the root ("/"), a bare drive such as F: gets its "\".
struct PlainFilePath
{
    QByteArray directory;
    QByteArray file;
};
PlainFilePath splitPlainFilePath(const QByteArray& fullPath);

} // namespace corvane
