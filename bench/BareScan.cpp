// The practical limit of a scan: walk a folder tree with openat/readdir, statx every file and
// append the rows of a file whose events all fall today (Detail, NewFiles, OpenedFiles,
// ArchivedFiles, EditedFiles) with prepared statements in one transaction. Plain C++ and SQLite.
//
//   cv_bare_scan walk FOLDER          statx only
//   cv_bare_scan insert FOLDER DB     statx and rows; prints files/s

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

sqlite3* db = nullptr;
std::vector<sqlite3_stmt*> inserts; // Detail, NewFiles, OpenedFiles, ArchivedFiles, EditedFiles
std::map<uid_t, std::string> owners;
long files = 0;

std::string timeText(const statx_timestamp& time, const char* format)
{
    const time_t seconds = time.tv_sec;
    tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    strftime(text, sizeof text, format, &local);
    return text;
}

const std::string& ownerOf(uid_t uid)
{
    auto known = owners.find(uid);
    if (known == owners.end()) {
        const passwd* user = getpwuid(uid);
        std::string name = user ? user->pw_name : "";
        for (char& c : name)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        known = owners.emplace(uid, name).first;
    }
    return known->second;
}

// Binds the texts in order (nullptr: NULL) and the size last.
void insert(sqlite3_stmt* statement, std::initializer_list<const std::string*> texts, long long size)
{
    int index = 0;
    for (const std::string* text : texts) {
        ++index;
        if (text)
            sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()), SQLITE_STATIC);
        else
            sqlite3_bind_null(statement, index);
    }
    sqlite3_bind_int64(statement, index + 1, size);
    sqlite3_step(statement);
    sqlite3_reset(statement);
}

void addRows(const std::string& directory, const char* name, const struct statx& status)
{
    static const std::string archived = timeText({time(nullptr), 0, 0}, "%Y-%m-%d 18:00:00");
    static const std::string archiver = "BACKUP", editor, today = timeText({time(nullptr), 0, 0}, "%Y-%m-%d");
    const std::string file = name, owner = ownerOf(status.stx_uid);
    const std::string created = timeText(status.stx_btime, "%Y-%m-%d %H:%M:%S");
    const std::string edited = timeText(status.stx_mtime, "%Y-%m-%d %H:%M:%S");
    const std::string opened = timeText(status.stx_atime, "%Y-%m-%d");
    const long long size = static_cast<long long>(status.stx_size);
    insert(inserts[0],
           {&directory, &created, &owner, &opened, &archived, &archiver, &edited, &editor, &file, &today},
           size);
    insert(inserts[1], {&directory, &created, &owner, &file}, size);
    insert(inserts[2], {&directory, &opened, &file}, size);
    insert(inserts[3], {&directory, &archived, &archiver, &file}, size);
    insert(inserts[4], {&directory, &file, &edited, &editor}, size);
}

// directory: the folder's text as stored, \\BENCH\VOL:D00\S00.
void walk(int folder, const std::string& directory)
{
    DIR* listing = fdopendir(folder);
    std::vector<std::string> subfolders;
    while (const dirent* entry = readdir(listing)) {
        if (entry->d_name[0] == '.')
            continue;
        struct statx status;
        if (statx(folder, entry->d_name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &status) != 0)
            continue;
        if (S_ISDIR(status.stx_mode)) {
            subfolders.push_back(entry->d_name);
        } else if (S_ISREG(status.stx_mode)) {
            ++files;
            if (db)
                addRows(directory, entry->d_name, status);
        }
    }
    for (const std::string& name : subfolders) {
        const int subfolder = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (subfolder >= 0)
            walk(subfolder, directory + (directory.back() == ':' ? "" : "\\") + name);
    }
    closedir(listing);
}

} // namespace

int main(int argc, char** argv)
{
    const bool withRows = argc == 4 && std::strcmp(argv[1], "insert") == 0;
    if (!withRows && !(argc == 3 && std::strcmp(argv[1], "walk") == 0)) {
        std::fprintf(stderr, "usage: cv_bare_scan walk FOLDER | insert FOLDER DB\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    if (withRows) {
        sqlite3_open_v2(argv[3], &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA cache_size = -16384; BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (const char* sql :
             {"INSERT INTO Detail (Directory, Created, owner, LastAccess, LastArchive, Archivor, lastedit, "
              "Editor, "
              "file, SysDate, Bytes) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
              "INSERT INTO NewFiles (Directory, Created, owner, file, Bytes) VALUES (?, ?, ?, ?, ?)",
              "INSERT INTO OpenedFiles (Directory, Opened, file, Bytes) VALUES (?, ?, ?, ?)",
              "INSERT INTO ArchivedFiles (Directory, Archived, Archivor, file, Bytes) VALUES (?, ?, ?, ?, ?)",
              "INSERT INTO EditedFiles (Directory, file, Edited, Editor, Bytes) VALUES (?, ?, ?, ?, ?)"}) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
            inserts.push_back(statement);
        }
    }
    walk(open(argv[2], O_RDONLY | O_DIRECTORY), "\\\\BENCH\\VOL:");
    if (db) {
        for (sqlite3_stmt* statement : inserts)
            sqlite3_finalize(statement);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%ld %.0f\n", files, files / seconds);
    return 0;
}
