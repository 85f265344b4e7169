#include "core/settings/ScanSettings.h"

namespace corvane {

const std::array<FlagKey, flagCount>& flagKeys()
{
    static const std::array<FlagKey, flagCount> keys{{
        {Flag::Hidden, u"FileType", u"Hidden", false},
        {Flag::System, u"FileType", u"System", false},
        {Flag::Created, u"FileInfo", u"Created", true},
        {Flag::Owner, u"FileInfo", u"Owner", true},
        {Flag::LastAccess, u"FileInfo", u"LastAccess", true},
        {Flag::LastArchive, u"FileInfo", u"LastArchive", true},
        {Flag::LastArchiveBy, u"FileInfo", u"LastArchiveBy", true},
        {Flag::LastModify, u"FileInfo", u"LastModify", true},
        {Flag::LastModifyBy, u"FileInfo", u"LastModifyBy", true},
        {Flag::Deleted, u"FileInfo", u"Deleted", true},
        {Flag::Deletor, u"FileInfo", u"Deletor", true},
        {Flag::Size, u"FileInfo", u"Size", true},
        {Flag::FileDetail, u"Tables", u"FileDetail", true},
        {Flag::DeletedFiles, u"Tables", u"DeletedFiles", true},
        {Flag::NewFiles, u"Tables", u"NewFiles", true},
        {Flag::EditedFiles, u"Tables", u"EditedFiles", true},
        {Flag::OpenedFiles, u"Tables", u"OpenedFiles", true},
        {Flag::DeletedDirs, u"Tables", u"DeletedDirs", true},
        {Flag::NewDirs, u"Tables", u"NewDirs", true},
        {Flag::DirActivity, u"Tables", u"DirActivity", true},
        {Flag::ArchivedFiles, u"Tables", u"ArchivedFiles", true},
        {Flag::AutoPurge, u"Misc", u"AutoPurge", false},
        {Flag::AutoScan, u"Misc", u"AutoScan", false},
        {Flag::AutoRun, u"Misc", u"AutoRun", false},
        {Flag::ExitAfterScan, u"Misc", u"ExitAfterScan", false},
    }};
    return keys;
}

} // namespace corvane
