#include "core/scan/DetailStretches.h"

#include "core/common/UserInterfacePort.h"
#include "core/db/RowSet.h"
#include "core/scan/RunTables.h"

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

bool isOnScanDate(const DatabaseUpdate& update, const RowSet& detail)
{
    return !detail.isEof() && detail.value(u"SysDate"_s).toDate() == update.ScanDate;
}

} // namespace

bool moveToScanDate(DatabaseUpdate& update, RowSet& detail)
{
    const Condition onOrAfterScanDate{u"SysDate"_s, Comparison::GreaterOrEqual, update.ScanDate};
    return !moveToFirstMatch(update.database, detail, u"Detail"_s, onOrAfterScanDate).isError() &&
           isOnScanDate(update, detail);
}

void walkDirectoryStretches(DatabaseUpdate& update, RowSet& detail,
                            const std::function<void(const QString& directory)>& onStretch)
{
    QString previous;
    for (DbError error; !error.isError() && isOnScanDate(update, detail); error = detail.moveNext()) {
        if (update.StopRequested)
            return;
        update.ui.yield();
        const QString directory = detail.value(u"Directory"_s).toString();
        if (directory != previous) {
            onStretch(directory);
            previous = directory;
        }
    }
}

} // namespace corvane
