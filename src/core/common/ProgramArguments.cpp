#include "core/common/ProgramArguments.h"

namespace corvane {

bool isTimedStart(const QStringList& arguments)
{
    return arguments.mid(1).join(u' ').trimmed().toLower() == u"-t";
}

bool opensMainWindow(const QStringList& arguments)
{
    return arguments.size() <= 1 || isTimedStart(arguments);
}

} // namespace corvane
