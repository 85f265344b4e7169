#include "cli/InterruptSignal.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace corvane::cli {

namespace {

int s_pipe[2] = {-1, -1};
volatile sig_atomic_t s_interrupted = 0;
struct sigaction s_previous = {};

// The flag is for the yields, which must not cost a system call each; the byte wakes a wait.
extern "C" void noteInterrupt(int)
{
    s_interrupted = 1;
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(s_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

InterruptSignal::InterruptSignal()
{
    s_interrupted = 0;
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
    if (!s_interrupted)
        return false;
    s_interrupted = 0;
    char bytes[16];
    while (s_pipe[0] >= 0 && read(s_pipe[0], bytes, sizeof bytes) > 0) {
    }
    return true;
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
