#pragma once

struct sqlite3;

namespace corvane {

// Starts the kernel writing back what SQLite has already written to a connection's main database
// file, without waiting for it. A long transaction spills its pages to the file as its cache
// fills; left alone they all wait for the commit's sync, which then writes the whole file at once.
// Started early, that writing goes on alongside the work that follows, and the commit only waits
// for the rest. The pages are the ones SQLite wrote after its journal was made safe, which the
// kernel may write back at any time anyway, so a crash leaves what it always did.
//
// The descriptor is SQLite's own, found among the open ones by the file's device and inode:
// opening the file once more would drop the locks of every connection to it in this process as
// soon as that descriptor was closed. The connection must stay open while this is used.
class SqliteWriteback
{
public:
    explicit SqliteWriteback(sqlite3* db);

    // False for a database without a file of its own (in memory, temporary) or whose descriptor
    // could not be found; start() then does nothing.
    bool found() const { return m_descriptor >= 0; }
    void start() const;

private:
    int m_descriptor = -1;
};

} // namespace corvane
