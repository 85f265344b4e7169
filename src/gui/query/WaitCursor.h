#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace corvane {

// The hourglass while an operation runs; the normal cursor again however it ends.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace corvane
