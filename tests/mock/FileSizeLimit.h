#pragma once

#include <csignal>

#include <sys/resource.h>

namespace corvane::test {

// While it lives, this process cannot make a file longer than the limit: a write past it fails
// with EFBIG (the signal it would send is ignored), as a write to a full disk fails with ENOSPC,
// without a file system of its own. The limit is the soft one, so the old one comes back.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_handler)(int) = SIG_DFL;
};

} // namespace corvane::test
