#include "cli/InterruptSignal.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace corvane::cli {

namespace {

int s_pipe[2] = {-1, -1};
struct sigaction s_previous = {};

extern "C" void noteInterrupt(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(s_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

InterruptSignal::InterruptSignal()
{
    if (pipe2(s_pipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    m_installed = sigaction(SIGINT, &action, &s_previous) == 0;
}

InterruptSignal::~InterruptSignal()
{
    if (m_installed)
        sigaction(SIGINT, &s_previous, nullptr);
    for (int& end : s_pipe) {
        if (end >= 0)
            close(end);
        end = -1;
    }
}

bool InterruptSignal::takeInterrupt()
{
    char bytes[16];
    bool interrupted = false;
    while (s_pipe[0] >= 0 && read(s_pipe[0], bytes, sizeof bytes) > 0)
        interrupted = true;
    return interrupted;
}

void InterruptSignal::waitFor(int milliseconds)
{
    if (s_pipe[0] < 0) {
        usleep(static_cast<useconds_t>(milliseconds) * 1000);
        return;
    }
    pollfd readable{s_pipe[0], POLLIN, 0};
    poll(&readable, 1, milliseconds);
}

} // namespace corvane::cli
