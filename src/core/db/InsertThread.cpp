#include "core/db/InsertThread.h"

#include "core/db/AuditDatabase.h"
#include "core/db/postgresql/PgCopyWriter.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/sqlite/SqliteWriteback.h"

#include <sqlite3.h>

#include <utility>

namespace corvane {

InsertThread::InsertThread(const AuditDatabase& database)
    : m_database(database), m_writeback(database.handle())
{
    m_filling.reserve(BatchRows);
    m_thread = std::thread([this] { run(); });
}

InsertThread::~InsertThread()
{
    finish();
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void InsertThread::add(PendingInsert insert)
{
    m_filling.push_back(std::move(insert));
    if (m_filling.size() >= BatchRows)
        handOver();
}

void InsertThread::finish()
{
    if (!m_filling.empty())
        handOver();
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.empty() && !m_stepping; });
    }
    takeBackSteppedBatches();
}

// Waits while the queue is full: the rows are made faster than SQLite takes them.
void InsertThread::handOver()
{
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < QueuedBatches; });
        m_queue.push_back(std::exchange(m_filling, {}));
    }
    m_changed.notify_all();
    // The writeback is started here, not on the inserting thread: that thread is the one the
    // scan waits for, and the kernel's writing would hold it up.
    if (++m_handedOver % WritebackBatches == 0)
        m_writeback.start();
    takeBackSteppedBatches();
    m_filling.reserve(BatchRows);
}

// The batches are freed as this goes, on the thread that made them; their rows are kept for the
// rows to come, up to as many as the queue holds.
void InsertThread::takeBackSteppedBatches()
{
    std::vector<Batch> stepped;
    {
        const std::lock_guard lock(m_mutex);
        stepped.swap(m_stepped);
    }
    constexpr std::size_t MostSpareRows = BatchRows * (QueuedBatches + 2);
    for (Batch& batch : stepped) {
        for (PendingInsert& insert : batch) {
            if (m_spareRows.size() >= MostSpareRows)
                return;
            m_spareRows.push_back(std::move(insert.row));
        }
    }
}

StoredRow InsertThread::spareRow()
{
    if (m_spareRows.empty())
        return {};
    StoredRow row = std::move(m_spareRows.back());
    m_spareRows.pop_back();
    return row;
}

void InsertThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_ending; });
        if (m_queue.empty())
            return;
        Batch batch = std::move(m_queue.front());
        m_queue.pop_front();
        m_stepping = true;
        lock.unlock();
        m_changed.notify_all();
        for (PendingInsert& insert : batch)
            step(insert);
        lock.lock();
        m_stepped.push_back(std::move(batch));
        m_stepping = false;
        m_changed.notify_all();
    }
}

void InsertThread::step(PendingInsert& insert) const
{
    if (m_database.transactionEnded())
        return;
    if (insert.copy != nullptr) {
        if (const DbError error = insert.copy->append(insert.row.values()); error.isError())
            m_database.countLostRow(error);
        else
            markAppended(insert, AppendedRow::unknownRowid);
        return;
    }
    SqliteStatement& statement = *insert.statement;
    insert.row.bindTo(statement);
    const int rc = statement.step();
    if (rc == SQLITE_DONE) {
        markAppended(insert, sqlite3_last_insert_rowid(m_database.handle()));
    } else {
        // The row is lost, which the run reports; when the error ended the transaction, the
        // database remembers it for its commit to report as well.
        m_database.countLostRow(m_database.errorOf(rc));
    }
    statement.reset();
}

// The row's buffers change places with those of the row set's last appended row: no copy.
void InsertThread::markAppended(PendingInsert& insert, qint64 rowid)
{
    AppendedRow& appended = *insert.appended;
    appended.appended = true;
    appended.rowid = rowid;
    std::swap(appended.row, insert.row);
}

} // namespace corvane
