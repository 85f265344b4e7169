#include "EmulatedNetwork.h"

#include "core/netware/PathResolution.h"
#include "core/netware/UserNames.h"

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

class UserNames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QByteArray users = "[users]\n50001 = alice\n50002 = Jos\xC3\xA9\n50003 = \xC5\x81ukasz\n";
        network.writeFile(u"vol1/.netware-meta"_s, users);
        network.writeFile(u"data4/.netware-meta"_s, users);
        bindery = ClientDirectory::open(network.client(), "SRV1", "VOL1:");
        directoryService = ClientDirectory::open(network.client(), "SRV4", "DATA:");
        ASSERT_TRUE(bindery && directoryService);
    }

    QString binderyName(quint32 id)
    {
        return GetBinderyObjectName(id, bindery->connection(), network.client());
    }
    QString directoryName(quint32 id)
    {
        return GetNdsObjectName(id, directoryService->connection(), network.client());
    }

    test::EmulatedNetwork network;
    std::unique_ptr<ClientDirectory> bindery;
    std::unique_ptr<ClientDirectory> directoryService;
};

TEST_F(UserNames, BinderyNamesAreUpperCase)
{
    EXPECT_EQ(binderyName(50001), u"ALICE"_s);
    EXPECT_EQ(binderyName(50002), u"JOS\u00C9"_s); // Latin-1, one character per byte
    EXPECT_EQ(binderyName(50003), u"?UKASZ"_s);    // beyond Latin-1
}

TEST_F(UserNames, DirectoryServiceNamesAreTyped)
{
    EXPECT_EQ(directoryName(50001), u"CN=alice.O=SRV4"_s);
    EXPECT_EQ(directoryName(50002), u"CN=Jos\u00E9.O=SRV4"_s);
}

TEST_F(UserNames, SystemUsersAreNamedByUid)
{
    const passwd* user = getpwuid(getuid());
    ASSERT_NE(user, nullptr);
    const QString name = QString::fromLatin1(user->pw_name);
    EXPECT_EQ(binderyName(getuid() + 1), name.toUpper());
    EXPECT_EQ(directoryName(getuid() + 1), u"CN="_s + name + u".O=SRV4"_s);
}

TEST_F(UserNames, UnknownUsersAndNobodyHaveNoName)
{
    const quint32 deletedUser = 3999999999u; // in no users table and no uid of the system
    ASSERT_EQ(getpwuid(deletedUser - 1), nullptr);
    EXPECT_EQ(binderyName(deletedUser), QString());
    EXPECT_EQ(directoryName(deletedUser), QString());
    EXPECT_EQ(binderyName(0), QString());
    EXPECT_EQ(directoryName(0), QString());
    EXPECT_EQ(GetBinderyObjectName(50001, 9999, network.client()), QString()); // no such connection
}

TEST_F(UserNames, ContextsLiveForOneLookup)
{
    quint32 context = 0;
    ASSERT_EQ(network.client().NWDSCreateContextHandle(context), NWResult::Success);
    EXPECT_EQ(network.client().NWDSFreeContext(context), NWResult::Success);
    DirectoryServiceNameBuffer name{};
    EXPECT_EQ(network.client().NWDSMapIDToName(context, directoryService->connection(), 50001, name),
              NWResult::BadContext);
    EXPECT_EQ(network.client().NWDSFreeContext(context), NWResult::BadContext);
}

} // namespace
} // namespace corvane
