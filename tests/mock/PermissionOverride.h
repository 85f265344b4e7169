#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace corvane::test {

// Root reads, writes and lists everything whatever its mode. Without the two capabilities that
// allow it, root obeys the modes as any user does, so tests run as root see what a user sees.
constexpr unsigned permissionOverrideBits = (1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH);

// For a child process just before it starts cv: dropped from the bounding and inheritable sets, the
// program starts without them. Without root there is nothing to drop.
inline void withoutPermissionOverride()
{
    ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) == 0) {
        data[0].inheritable = data[1].inheritable = 0;
        ::syscall(SYS_capset, &header, data);
    }
}

// For the calling thread while it lives (capabilities belong to a thread): the effective set loses
// the two, and gets back what it had at the end.
class WithoutPermissionOverride
{
public:
    WithoutPermissionOverride()
    {
        m_held = ::syscall(SYS_capget, &m_header, m_saved) == 0;
        if (!m_held)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~permissionOverrideBits;
        ::syscall(SYS_capset, &m_header, reduced);
    }
    ~WithoutPermissionOverride()
    {
        if (m_held)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
    bool m_held = false;
};

// Whether this thread may open the file for writing: what a test of a read-only file must rule out
// first, or it tests nothing.
inline bool opensForWriting(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

// The permission bits of a file or folder; 0 when it is not there.
inline mode_t modeOf(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace corvane::test
