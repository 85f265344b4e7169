#pragma once

#include <QString>

#include <memory>

class QProcess;

namespace corvane::test {

// A port on 127.0.0.1 that the kernel just handed out (and took back); 0 when there is none.
int freeLoopbackPort();

// Whether a process of the group led by leader is still there.
bool processGroupExists(qint64 leader);

// The last lines of a log, for an error message.
QString lastLines(const QString& path, int count);

// Stops a server that leads a process group of its own: signal to the group and its leader,
// KILL for what does not end in time, then waits until no process of the group is left. False
// when some outlived it all.
bool stopProcessGroup(QProcess& server, qint64 leader, int signal);

// stopProcessGroup for a server started as server with the pid kept in pid, both forgotten then;
// an empty text when its group is gone, else which processes (of what) outlived the stop.
QString stopServer(std::unique_ptr<QProcess>& server, qint64& pid, int signal, const QString& what);

} // namespace corvane::test
