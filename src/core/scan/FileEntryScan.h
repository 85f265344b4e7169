#pragma once

#include "core/netware/NetWareClient.h"
#include "core/netware/PathResolution.h"

#include <QByteArray>

#include <optional>

namespace corvane {

struct ScanContext;

// The server's extended information on one file and its rows, in two halves, for a full path in
// the file system's bytes as the directory scan lists it (a name that is not UTF-8 still reaches
// its entry). Construction resolves the file afresh and looks its entry up (network mode) in the
// scan's held directory; appendRows() writes its rows over the same connection and handle. Between the two the directory scan applies the System filter: only the server
// knows a file's system attribute.
class FileEntryScan
{
public:
    FileEntryScan(ScanContext& context, HeldDirectory& held, QByteArray fullPath);
    FileEntryScan(const FileEntryScan&) = delete;
    FileEntryScan& operator=(const FileEntryScan&) = delete;

    // Whether the server found the entry and marks it as a system file.
    bool isSystemFile() const;
    // size is the file's real length: Bytes stores it whole, also beyond the 32-bit range the
    // total of the directory scan keeps to.
    void appendRows(qint64 size);

private:
    ScanContext& m_context;
    const QByteArray m_fullPath;
    std::optional<ScannedFileLocation> m_location;
    const ClientDirectory* m_server = nullptr;
    std::optional<EntryRecord> m_entry;
};

} // namespace corvane
