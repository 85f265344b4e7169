#include "EmulatedNetwork.h"

#include "core/netware/DriveType.h"

#include <sys/statfs.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

class DriveTypes : public ::testing::Test
{
protected:
    int driveType(const QString& path) { return GetDriveTypeA(path, network.client().configuration()); }

    test::EmulatedNetwork network;
};

TEST_F(DriveTypes, NetworkPathsAreRemoteOrWithoutRoot)
{
    EXPECT_EQ(driveType(u"\\\\SRV1\\VOL1\\DATA"_s), DriveType::NoRootDirectory);
    EXPECT_EQ(driveType(u"//anything/share"_s), DriveType::NoRootDirectory);
    EXPECT_EQ(driveType(u"F:\\DATA"_s), DriveType::Remote);
    EXPECT_EQ(driveType(u"f:"_s), DriveType::Remote);
    EXPECT_EQ(driveType(u"Q:\\"_s), DriveType::NoRootDirectory); // not mapped
    EXPECT_EQ(driveType(QString()), DriveType::NoRootDirectory);
}

TEST_F(DriveTypes, PathsInsideAVolumeAreRemote)
{
    EXPECT_EQ(driveType(network.path(u"vol1"_s)), DriveType::Remote);
    EXPECT_EQ(driveType(network.path(u"vol1/not/yet/there"_s)), DriveType::Remote);
    EXPECT_NE(driveType(network.path(u"netware.conf"_s)), DriveType::Remote);
}

TEST_F(DriveTypes, LocalFileSystemsDecide)
{
    EXPECT_EQ(driveType(network.path(u"missing"_s)), DriveType::Unknown);
    EXPECT_EQ(driveType(u"/proc/self"_s), DriveType::Fixed); // no block device behind it
    struct statfs system;
    if (statfs("/dev/shm", &system) != 0 || system.f_type != 0x01021994)
        GTEST_SKIP() << "/dev/shm is no tmpfs here";
    EXPECT_EQ(driveType(u"/dev/shm"_s), DriveType::RamDisk);
}

} // namespace
} // namespace corvane
