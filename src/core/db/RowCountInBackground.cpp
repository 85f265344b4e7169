#include "core/db/RowCountInBackground.h"

#include "core/db/AuditDatabase.h"
#include "core/db/QueryPages.h"
#include "core/db/postgresql/PgConnection.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace corvane {

struct RowCountInBackground::Shared
{
    std::mutex mutex;
    std::condition_variable ended;
    bool givenUp = false;
    bool done = false;
    std::unique_ptr<PgCancel> cancel; // set while the count runs
};

namespace {

void countOnThisThread(RowCountInBackground::Shared& shared, AuditDatabase& reader, const QString& sql,
                       const RowCountInBackground::Counted& counted)
{
    {
        const std::lock_guard lock(shared.mutex);
        if (shared.givenUp)
            return;
        shared.cancel = reader.canceller();
    }
    const DbResult<qint64> count = countRowsOf(reader, sql);
    const std::lock_guard lock(shared.mutex);
    shared.cancel.reset();
    if (!shared.givenUp)
        counted(count);
}

void markEnded(RowCountInBackground::Shared& shared)
{
    const std::lock_guard lock(shared.mutex);
    shared.done = true;
    shared.ended.notify_all();
}

} // namespace

RowCountInBackground::RowCountInBackground(const AuditDatabase& database, const QString& sql, Counted counted)
    : m_shared(std::make_shared<Shared>())
{
    auto reader = std::make_shared<AuditDatabase>();
    // Opened here, not on the thread: the connection text stays with the database it came from.
    const DbError opened = database.openSecondReader(*reader);
    m_thread = std::thread([shared = m_shared, reader, sql, counted = std::move(counted), opened] {
        if (opened.isError()) {
            const std::lock_guard lock(shared->mutex);
            if (!shared->givenUp)
                counted({0, opened});
        } else {
            countOnThisThread(*shared, *reader, sql, counted);
        }
        reader->close();
        markEnded(*shared);
    });
}

RowCountInBackground::~RowCountInBackground()
{
    {
        std::unique_lock lock(m_shared->mutex);
        m_shared->givenUp = true;
        // A request that comes between two messages of the count's statement finds nothing to
        // stop, so it is sent again until the thread has ended.
        while (!m_shared->done) {
            if (m_shared->cancel)
                m_shared->cancel->send();
            m_shared->ended.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    m_thread.join();
}

} // namespace corvane
