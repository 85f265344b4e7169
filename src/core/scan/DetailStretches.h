#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>

namespace corvane {

struct DatabaseUpdate;

// The rowid of the first Detail row of the scan date: the first row whose SysDate is on or after
// the scan date, when it is of the scan date. nullopt when the Detail table has no rows of the
// scan date (none on or after it, or the first of them belongs to a later day). Found through the
// SysDate index: the history is not read.
std::optional<qint64> findFirstScanDateRow(DatabaseUpdate& update);

// Walks the Detail rows from that first one, in the order they were written, up to the first row
// of another day or of none, and calls onStretch with the directory that starts every stretch of
// rows of one directory (exact comparison; an empty directory at the start continues the empty
// "previous" one). The walk reads the day's rows once, through one statement; it yields once per
// stretch and ends early on a stop request.
void walkDirectoryStretches(DatabaseUpdate& update, qint64 firstRow,
                            const std::function<void(const QString& directory)>& onStretch);

// Whether the Detail table has rows of the scan date or a later day.
bool hasDetailRowsFrom(DatabaseUpdate& update);

// The stretches of the Detail rows a run appends, recorded as they are appended, by the same
// comparison as the walk. When the day had no Detail rows before the run and every row went in,
// they are what the walk would read back, and the tally and the snapshot need not read the day's
// rows twice. At most MostStretches are kept, so memory stays bounded; a larger day is read back.
class StretchRecorder
{
public:
    void add(const QString& directory);
    bool complete() const { return !m_overflowed; }
    bool anyRow() const { return m_anyRow; }
    const QStringList& directories() const { return m_directories; }

private:
    static constexpr qsizetype MostStretches = 50000;
    bool m_anyRow = false;
    bool m_overflowed = false;
    QString m_previous;
    QStringList m_directories;
};

// Calls onStretch for every stretch of the scan date's Detail rows: from the run's recording when
// the update carries one, otherwise walked from the table. Yields once per stretch and ends early
// on a stop request. False when the day has no Detail rows.
bool forEachDirectoryStretch(DatabaseUpdate& update, const std::function<void(const QString& directory)>& onStretch);

} // namespace corvane
