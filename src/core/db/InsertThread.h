#pragma once

#include "core/db/StoredRow.h"
#include "core/sqlite/SqliteWriteback.h"

#include <condition_variable>
#include <deque>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace corvane {

class AuditDatabase;
class PgCopyWriter;
class SqliteStatement;

// The last row a run of appends put in: its rowid and values, for its row set to make current.
// Rows streamed into the central database get their numbers on the server, unseen: such a row
// stands after every other one.
struct AppendedRow
{
    static constexpr qint64 unknownRowid = std::numeric_limits<qint64>::max();

    bool appended = false;
    qint64 rowid = 0;
    StoredRow row;
};

// One append: a row set's prepared INSERT (cv.mdb) or COPY (the central database) with the row's
// values, in parameter order.
struct PendingInsert
{
    SqliteStatement* statement = nullptr;
    PgCopyWriter* copy = nullptr;
    StoredRow row;
    AppendedRow* appended = nullptr;
};

// Steps the inserts of a long run of appends on a thread of its own, one at a time in the order
// they were given, so that the thread making the rows (the scan, walking folders and asking the
// server) need not wait for SQLite. The connection is the database's: until finish() returns,
// nothing else may use it, which the database sees to. Inserts go over in batches and only a few
// batches may wait, so memory stays the same however many rows a run appends.
//
// The values come in their stored form, converted as they were set. An insert that fails loses its
// row only, as a failed append always has, and the database counts it. Once SQLite has ended the
// transaction by itself (a full disk), no insert is stepped any more: each would be committed on its
// own. The database records the error that ended it, and its commit reports it.
class InsertThread
{
public:
    explicit InsertThread(const AuditDatabase& database);
    ~InsertThread();
    InsertThread(const InsertThread&) = delete;
    InsertThread& operator=(const InsertThread&) = delete;

    void add(PendingInsert insert);
    // Returns once every insert added so far has been stepped.
    void finish();
    // The row of an insert stepped before, its buffers with room, for a new row to fill: rows made
    // one after another need no allocation of their own. Empty when none is spare.
    StoredRow spareRow();

private:
    using Batch = std::vector<PendingInsert>;
    static constexpr std::size_t BatchRows = 256;
    static constexpr std::size_t QueuedBatches = 4;
    // How often the writeback of the file is started: every few MiB of rows, so that few pages are
    // written twice and the commit's sync finds little left to write.
    static constexpr std::size_t WritebackBatches = 128;

    void handOver();
    void takeBackSteppedBatches();
    void run();
    void step(PendingInsert& insert) const;
    static void markAppended(PendingInsert& insert, qint64 rowid);

    const AuditDatabase& m_database;
    const SqliteWriteback m_writeback; // the embedded database's file; none for the central one
    std::size_t m_handedOver = 0;
    Batch m_filling;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_queue;
    // Stepped batches, holding the values of their rows (or of the rows they followed as current):
    // freed on the thread that made them, as a free from another thread waits for the allocator's
    // lock of the thread that made the memory.
    std::vector<Batch> m_stepped;
    std::vector<StoredRow> m_spareRows; // taken back from stepped batches, for new rows
    bool m_stepping = false; // the thread is working through a batch taken off the queue
    bool m_ending = false;
    std::thread m_thread;
};

} // namespace corvane
