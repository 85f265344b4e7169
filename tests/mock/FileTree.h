#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::test {

// Files, folders and links made by their bytes: QString paths would re-encode names that are not
// UTF-8. Each returns false when the file system refused.
inline bool makeFolderAt(const QByteArray& path, mode_t mode = 0755)
{
    return ::mkdir(path.constData(), mode) == 0 || errno == EEXIST;
}

inline bool writeFileAt(const QByteArray& path, const QByteArray& contents = "x")
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, contents.constData(), size_t(contents.size())) == contents.size();
    return ::close(fd) == 0 && written;
}

inline bool linkAt(const QByteArray& target, const QByteArray& path)
{
    return ::symlink(target.constData(), path.constData()) == 0;
}

// Names a volume may hold that break naive quoting, formatting, matching, line splitting or
// decoding: quotes, printf and LIKE characters, wildcards, a newline, bytes that are not UTF-8.
inline QByteArrayList hostileNames()
{
    return {"it's \"quoted\".doc", "100%_%s%n%x.doc", "star*and?mark[1].doc",       "new\nline.doc",
            "bad\xFF\xFEutf8.doc", "latin\xE9.doc",   " leading and trailing .doc "};
}

} // namespace corvane::test
