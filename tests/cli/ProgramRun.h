#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <functional>

namespace corvane::test {

// One run of a program: its exit status (-1 when it crashed or did not end) and its output.
struct ProgramRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// inChild runs in the child just before the program starts (limits, capabilities).
inline ProgramRun runProgram(const QString& program, const QStringList& arguments,
                             const QProcessEnvironment& environment, const QByteArray& input = {},
                             const std::function<void()>& inChild = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace corvane::test
