#pragma once

#include <QString>

namespace corvane {

class NetWareConfiguration;

namespace DriveType {
constexpr int Unknown = 0;
constexpr int NoRootDirectory = 1;
constexpr int Removable = 2;
constexpr int Fixed = 3;
constexpr int Remote = 4;
constexpr int CdRom = 5;
constexpr int RamDisk = 6;
} // namespace DriveType

// The kind of drive that holds a path, decided from the whole path: a UNC path (\\X or //X) has no
// root (1); a mapped drive letter or a path inside a volume of the emulated network is remote (4),
// an unmapped letter has no root (1); otherwise the file system holding the path decides:
// network file systems (NFS, SMB, NCP, AFS, Ceph, 9P, sshfs and other network FUSE mounts) are
// remote, iso9660/udf CD-ROM (5), tmpfs/ramfs RAM disk (6), a removable block device removable (2),
// the rest fixed (3). A path that does not exist is undetermined (0).
int GetDriveTypeA(const QString& path, const NetWareConfiguration& network);

} // namespace corvane
