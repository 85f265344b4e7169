#pragma once

namespace corvane::cli {

// Ctrl-C as the Stop button of a run without windows. While an object lives, SIGINT does not end
// the program: its handler only writes a byte to a pipe (all a signal handler may safely do), and
// the run sees it at its next yield. The handler then gives way to the default action, so a
// second Ctrl-C ends the program at once; cv.mdb stays intact either way, as the run's rows are
// one transaction. One object at a time.
class InterruptSignal
{
public:
    InterruptSignal();
    ~InterruptSignal();
    InterruptSignal(const InterruptSignal&) = delete;
    InterruptSignal& operator=(const InterruptSignal&) = delete;

    // True once for the Ctrl-C that came since the last call.
    bool takeInterrupt();
    // Returns after that long, or at once when Ctrl-C comes.
    void waitFor(int milliseconds);

private:
    bool m_installed = false;
};

} // namespace corvane::cli
