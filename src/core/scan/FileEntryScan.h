#pragma once

#include "core/netware/NetWareClient.h"
#include "core/netware/PathResolution.h"

#include <QByteArray>

#include <optional>

namespace corvane {

struct ScanContext;

// The server's extended information on one file and its rows, in two halves, for a name in the
// file system's bytes as the directory scan lists it (a name that is not UTF-8 still reaches its
// entry) in a folder whose path is given as listed. Construction locates the file in its folder
// and looks its entry up afresh (network mode) in the scan's held directory; appendRows() writes
// its rows over the same connection and handle. Between the two the directory scan applies the
// System filter: only the server knows a file's system attribute.
class FileEntryScan
{
public:
    FileEntryScan(ScanContext& context, HeldDirectory& held, const FolderFiles& folder,
                  const QByteArray& folderPath, const QByteArray& name);
    FileEntryScan(const FileEntryScan&) = delete;
    FileEntryScan& operator=(const FileEntryScan&) = delete;

    // Whether the server found the entry and marks it as a system file.
    bool isSystemFile() const;
    // size is the file's real length: Bytes stores it whole, also beyond the 32-bit range the
    // total of the directory scan keeps to.
    void appendRows(qint64 size);

private:
    ScanContext& m_context;
    const QByteArray& m_folderPath;
    const QByteArray& m_name;
    std::optional<ScannedFileLocation> m_location;
    const ClientDirectory* m_server = nullptr;
    std::optional<EntryRecord> m_entry;
};

} // namespace corvane
