#include "core/sqlite/SqliteLibrary.h"

#include <sqlite3.h>

namespace corvane {

void configureSqliteLibrary()
{
    static_cast<void>(sqlite3_config(SQLITE_CONFIG_MULTITHREAD));
    static_cast<void>(sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0));
}

} // namespace corvane
