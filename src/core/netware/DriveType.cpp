#include "core/netware/DriveType.h"

#include "core/netware/NetWareConfiguration.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// File-system magic numbers (statfs f_type).
constexpr quint32 NfsMagic = 0x6969;
constexpr quint32 SmbMagic = 0x517B;
constexpr quint32 CifsMagic = 0xFF534D42;
constexpr quint32 Smb2Magic = 0xFE534D42;
constexpr quint32 NcpMagic = 0x564C;
constexpr quint32 AfsMagic = 0x5346414F;
constexpr quint32 KernelAfsMagic = 0x6B414653;
constexpr quint32 CephMagic = 0x00C36400;
constexpr quint32 CodaMagic = 0x73757245;
constexpr quint32 NinePMagic = 0x01021997;
constexpr quint32 LustreMagic = 0x0BD00BD0;
constexpr quint32 FuseMagic = 0x65735546;
constexpr quint32 Iso9660Magic = 0x9660;
constexpr quint32 UdfMagic = 0x15013346;
constexpr quint32 TmpfsMagic = 0x01021994;
constexpr quint32 RamfsMagic = 0x858458F6;

bool isNetworkMagic(quint32 magic)
{
    static const QSet<quint32> network{NfsMagic,       SmbMagic,  CifsMagic, Smb2Magic,  NcpMagic,   AfsMagic,
                                       KernelAfsMagic, CephMagic, CodaMagic, NinePMagic, LustreMagic};
    return network.contains(magic);
}

// The type of the mount holding a device, as /proc/self/mountinfo names it ("fuse.sshfs").
QByteArray mountType(dev_t device)
{
    QFile mounts(u"/proc/self/mountinfo"_s);
    if (!mounts.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wanted = QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QByteArrayList fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() > 2 && fields[2] == wanted && separator >= 0 && separator + 1 < fields.size())
            return fields[separator + 1];
    }
    return {};
}

bool isNetworkFuseMount(dev_t device)
{
    static const QSet<QByteArray> network{
        "fuse.sshfs",     "fuse.s3fs",     "fuse.rclone", "fuse.gcsfuse", "fuse.glusterfs", "fuse.ceph-fuse",
        "fuse.curlftpfs", "fuse.smbnetfs", "fuse.afpfs",  "fuse.mfs",     "fuse.juicefs",   "fuse.goofys",
        "fuse.blobfuse",  "fuse.davfs",    "davfs",       "fuse.httpfs"};
    return network.contains(mountType(device));
}

bool isRemovableDevice(dev_t device)
{
    const QString block = u"/sys/dev/block/%1:%2/"_s.arg(major(device)).arg(minor(device));
    // A partition has no flag of its own: its disk, the folder above, has it.
    const QString flags[] = {block + u"removable"_s, block + u"../removable"_s};
    for (const QString& flag : flags) {
        QFile file(flag);
        if (file.open(QIODevice::ReadOnly))
            return file.readAll().trimmed() == "1";
    }
    return false;
}

int localDriveType(const QByteArray& path)
{
    struct statfs system;
    struct stat status;
    if (statfs(path.constData(), &system) != 0 || stat(path.constData(), &status) != 0)
        return DriveType::Unknown;
    const quint32 magic = static_cast<quint32>(system.f_type);
    if (magic == TmpfsMagic || magic == RamfsMagic)
        return DriveType::RamDisk;
    if (isNetworkMagic(magic) || (magic == FuseMagic && isNetworkFuseMount(status.st_dev)))
        return DriveType::Remote;
    if (magic == Iso9660Magic || magic == UdfMagic)
        return DriveType::CdRom;
    return isRemovableDevice(status.st_dev) ? DriveType::Removable : DriveType::Fixed;
}

} // namespace

int GetDriveTypeA(const QString& path, const NetWareConfiguration& network)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.isEmpty() || isUncPath(bytes))
        return DriveType::NoRootDirectory;
    if (isDriveLetterPath(bytes))
        return network.locate(bytes) ? DriveType::Remote : DriveType::NoRootDirectory;
    const QByteArray absolute = QFile::encodeName(QDir::current().absoluteFilePath(path));
    if (network.locate(absolute))
        return DriveType::Remote;
    return localDriveType(absolute);
}

} // namespace corvane
