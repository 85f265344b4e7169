#include "core/sqlite/SqliteWriteback.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdlib>

namespace corvane {

namespace {

// An open descriptor of the file with that device and inode, or -1. Which one does not matter:
// the writeback is the file's, whichever descriptor asks for it.
int descriptorOf(const struct stat& file)
{
    DIR* descriptors = opendir("/proc/self/fd");
    if (!descriptors)
        return -1;
    const int own = dirfd(descriptors);
    int found = -1;
    while (const dirent* entry = readdir(descriptors)) {
        char* end = nullptr;
        const long number = std::strtol(entry->d_name, &end, 10);
        struct stat status;
        if (end != entry->d_name && *end == '\0' && number != own &&
            fstat(static_cast<int>(number), &status) == 0 && status.st_dev == file.st_dev &&
            status.st_ino == file.st_ino) {
            found = static_cast<int>(number);
            break;
        }
    }
    closedir(descriptors);
    return found;
}

} // namespace

SqliteWriteback::SqliteWriteback(sqlite3* db)
{
    const char* path = db ? sqlite3_db_filename(db, "main") : nullptr;
    struct stat file;
    if (path && *path != '\0' && stat(path, &file) == 0 && S_ISREG(file.st_mode))
        m_descriptor = descriptorOf(file);
}

// A hint only: a failure leaves the writing to the commit's sync, as before.
void SqliteWriteback::start() const
{
    if (m_descriptor >= 0)
        static_cast<void>(sync_file_range(m_descriptor, 0, 0, SYNC_FILE_RANGE_WRITE));
}

} // namespace corvane
