#pragma once

#include "core/db/DbResult.h"

#include <QString>

#include <functional>
#include <memory>
#include <thread>

namespace corvane {

class AuditDatabase;

// Counts a statement's rows on a reader of the central database of its own, on a thread of its
// own, so that the query window shows a long result's first rows while the server counts.
class RowCountInBackground
{
public:
    // Called once, on the counting thread, with the count or the error that stopped it; never
    // after the count was given up.
    using Counted = std::function<void(const DbResult<qint64>&)>;

    RowCountInBackground(const AuditDatabase& database, const QString& sql, Counted counted);
    // Gives the count up: the server stops it, and the thread ends before this returns.
    ~RowCountInBackground();
    RowCountInBackground(const RowCountInBackground&) = delete;
    RowCountInBackground& operator=(const RowCountInBackground&) = delete;

    // What the counting thread and the owner share.
    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

} // namespace corvane
