#include "core/sqlite/SqliteLibrary.h"

#include <sqlite3.h>

namespace corvane {

bool configureSqliteLibrary()
{
    const bool multiThread = sqlite3_config(SQLITE_CONFIG_MULTITHREAD) == SQLITE_OK;
    const bool noStatistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    return multiThread && noStatistics;
}

} // namespace corvane
