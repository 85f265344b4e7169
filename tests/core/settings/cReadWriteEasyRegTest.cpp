#include "core/settings/RegistryData.h"
#include "core/settings/cReadWriteEasyReg.h"
#include "mock/FakeUserInterface.h"
#include "mock/TempRegistry.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const QString testKey = QStringLiteral("Software\\Corvane Test");

class EasyRegTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        temp.registry.createKey(RootKey::CurrentUser, testKey);
        ASSERT_TRUE(reg.OpenRegistry(RootKey::CurrentUser, testKey));
    }

    void putRaw(const QString& name, quint32 type, const QByteArray& data)
    {
        ASSERT_EQ(temp.registry.setValue(RootKey::CurrentUser, testKey, {name, type, data}), RegError::Success);
    }

    RegistryValue stored(const QString& name)
    {
        RegistryValue value;
        temp.registry.queryValue(RootKey::CurrentUser, testKey, name, &value);
        return value;
    }

    test::TempRegistry temp;
    test::FakeUserInterface ui;
    cReadWriteEasyReg reg{temp.registry, ui};
};

TEST(EasyRegFreshObject, StartsClosedAndEveryValueOperationFails)
{
    test::TempRegistry temp;
    test::FakeUserInterface ui;
    cReadWriteEasyReg reg(temp.registry, ui);
    EXPECT_EQ(reg.RegistryRootKey(), 0u);
    EXPECT_TRUE(reg.SubDirectory().isEmpty());
    EXPECT_FALSE(reg.CreateValue(QStringLiteral("x"), QStringLiteral("y"), RegType::Sz));
    EXPECT_FALSE(reg.DeleteValue(QStringLiteral("x")));
    EXPECT_FALSE(reg.GetValue(QStringLiteral("x"), false).isValid());
    EXPECT_FALSE(reg.CreateDirectory(QStringLiteral("x")));
    EXPECT_FALSE(reg.CloseRegistry());
}

TEST(EasyRegFreshObject, RootKeyZeroFailsAndLeavesNoKeyOpen)
{
    test::TempRegistry temp;
    test::FakeUserInterface ui;
    cReadWriteEasyReg reg(temp.registry, ui);
    EXPECT_FALSE(reg.OpenRegistry(0, QStringLiteral("Software")));
    EXPECT_FALSE(reg.CreateValue(QStringLiteral("x"), QStringLiteral("y"), RegType::Sz));
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST(EasyRegFreshObject, FailedOpenWritesNothing)
{
    test::TempRegistry temp;
    test::FakeUserInterface ui;
    cReadWriteEasyReg reg(temp.registry, ui);
    EXPECT_FALSE(reg.OpenRegistry(RootKey::CurrentUser, QStringLiteral("Software\\Missing")));
    EXPECT_EQ(reg.RegistryRootKey(), RootKey::CurrentUser);
    EXPECT_EQ(reg.SubDirectory(), QStringLiteral("Software\\Missing"));
    EXPECT_FALSE(reg.CreateValue(QStringLiteral("x"), QStringLiteral("y"), RegType::Sz));
    EXPECT_EQ(temp.registry.openKey(RootKey::CurrentUser, QStringLiteral("Software\\Missing")),
              RegError::FileNotFound);
}

TEST_F(EasyRegTest, TextValuesRoundTripWithoutTheirTerminator)
{
    EXPECT_TRUE(reg.CreateValue(QStringLiteral("Plain"), QStringLiteral("C:\\Programs\\cv -t"), RegType::Sz));
    EXPECT_TRUE(reg.CreateValue(QStringLiteral("Expand"), QStringLiteral("%HOME%/x"), RegType::ExpandSz));
    EXPECT_EQ(reg.GetValue(QStringLiteral("Plain"), false).toString(), QStringLiteral("C:\\Programs\\cv -t"));
    // Environment variables are not expanded.
    EXPECT_EQ(reg.GetValue(QStringLiteral("Expand"), false).toString(), QStringLiteral("%HOME%/x"));
    EXPECT_EQ(stored(QStringLiteral("Plain")).data, RegistryData::szFromText(QStringLiteral("C:\\Programs\\cv -t")));
}

TEST_F(EasyRegTest, MissingValueIsTheEmptyResultNotAnErrorText)
{
    EXPECT_FALSE(reg.GetValue(QStringLiteral("Nothing here"), true).isValid());
}

TEST_F(EasyRegTest, DwordIsWrittenAsFourBytesAndReadAsHexPairsOrRawCharacters)
{
    EXPECT_TRUE(reg.CreateValue(QStringLiteral("Five"), 5, RegType::Dword));
    EXPECT_EQ(stored(QStringLiteral("Five")).data, QByteArray("\x05\x00\x00\x00", 4));
    EXPECT_EQ(reg.GetValue(QStringLiteral("Five"), false).toString(), QStringLiteral("05 00 00 00 "));
    EXPECT_EQ(reg.GetValue(QStringLiteral("Five"), true).toString(), QString::fromLatin1("\x05\x00\x00\x00", 4));
    EXPECT_TRUE(reg.CreateValue(QStringLiteral("Text number"), QStringLiteral("-2"), RegType::Dword));
    EXPECT_EQ(reg.GetValue(QStringLiteral("Text number"), false).toString(), QStringLiteral("FE FF FF FF "));
}

TEST_F(EasyRegTest, DwordThatDoesNotConvertWritesNothing)
{
    EXPECT_FALSE(reg.CreateValue(QStringLiteral("Bad"), QStringLiteral("many"), RegType::Dword));
    EXPECT_FALSE(reg.CreateValue(QStringLiteral("Huge"), 5e12, RegType::Dword));
    EXPECT_FALSE(reg.GetValue(QStringLiteral("Bad"), false).isValid());
    EXPECT_FALSE(reg.GetValue(QStringLiteral("Huge"), false).isValid());
}

TEST_F(EasyRegTest, BinaryAndBigEndianAreReturnedAsTheyAre)
{
    putRaw(QStringLiteral("Bin"), RegType::Binary, QByteArray("\xab\x01", 2));
    putRaw(QStringLiteral("Big"), RegType::DwordBigEndian, QByteArray("\x00\x00\x00\x07", 4));
    EXPECT_EQ(reg.GetValue(QStringLiteral("Bin"), false).toString(), QStringLiteral("AB 01 "));
    EXPECT_EQ(reg.GetValue(QStringLiteral("Bin"), true).toString(), QString::fromLatin1("\xab\x01", 2));
    // Big-endian numbers always come back raw, whatever ReturnBinStr says.
    EXPECT_EQ(reg.GetValue(QStringLiteral("Big"), false).toString(), QString::fromLatin1("\x00\x00\x00\x07", 4));
}

TEST_F(EasyRegTest, MultiStringListEndsWithOneEmptyText)
{
    EXPECT_TRUE(reg.CreateValue(QStringLiteral("List"), QStringLiteral("a"), RegType::MultiSz, QStringLiteral("b")));
    EXPECT_EQ(reg.GetValue(QStringLiteral("List"), false).toStringList(),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QString()}));
    EXPECT_EQ(stored(QStringLiteral("List")).data, RegistryData::fromText(QString::fromUtf16(u"a\0b\0\0", 5)));
}

TEST_F(EasyRegTest, MultiStringSkipsEmptyAndNulElements)
{
    const QStringList more{QString(), QStringLiteral("x"), QString(QChar(u'\0')), QStringLiteral("y")};
    EXPECT_TRUE(reg.CreateValue(QStringLiteral("List"), QStringLiteral("first"), RegType::MultiSz, more));
    EXPECT_EQ(reg.GetValue(QStringLiteral("List"), false).toStringList(),
              (QStringList{QStringLiteral("first"), QStringLiteral("x"), QStringLiteral("y"), QString()}));
}

TEST_F(EasyRegTest, UnsupportedTypeShowsTheMessageAndWritesNothing)
{
    EXPECT_FALSE(reg.CreateValue(QStringLiteral("Bin"), QStringLiteral("ab"), RegType::Binary));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages.first().text, QStringLiteral("Unable to process that Type of data."));
    EXPECT_EQ(ui.messages.first().icon, UserInterfacePort::Icon::None);
    EXPECT_FALSE(reg.GetValue(QStringLiteral("Bin"), false).isValid());
}

TEST_F(EasyRegTest, TypesWithoutConversionGiveTheirTexts)
{
    const std::pair<quint32, const char*> cases[] = {
        {RegType::None, "Not defined value_type=REG_NONE"},
        {RegType::Link, "Not defined value_type=REG_LINK"},
        {RegType::ResourceList, "Not defined value_type=REG_RESOURCE_LIST"},
        {RegType::FullResourceDescriptor, "Not defined value_type=REG_FULL_RESOURCE_DESCRIPTOR"},
        {RegType::ResourceRequirementsList, "Not defined value_type=REG_RESOURCE_REQUIREMENTS_LIST"},
        {11, "value_type=11"},
        {0x1234, "value_type=4660"},
    };
    for (const auto& [type, text] : cases) {
        putRaw(QStringLiteral("v"), type, QByteArray("\x01", 1));
        EXPECT_EQ(reg.GetValue(QStringLiteral("v"), false).toString(), QString::fromLatin1(text)) << type;
    }
}

TEST_F(EasyRegTest, DeleteValueRemovesOnlyThatValue)
{
    reg.CreateValue(QStringLiteral("keep"), QStringLiteral("1"), RegType::Sz);
    reg.CreateValue(QStringLiteral("drop"), QStringLiteral("2"), RegType::Sz);
    EXPECT_TRUE(reg.DeleteValue(QStringLiteral("drop")));
    EXPECT_FALSE(reg.DeleteValue(QStringLiteral("drop")));
    EXPECT_FALSE(reg.GetValue(QStringLiteral("drop"), false).isValid());
    EXPECT_EQ(reg.GetValue(QStringLiteral("keep"), false).toString(), QStringLiteral("1"));
}

TEST_F(EasyRegTest, CreateDirectoryStaysOnTheOpenKeyAndOneBackOnKeyClimbs)
{
    EXPECT_TRUE(reg.CreateDirectory(QStringLiteral("Child")));
    EXPECT_EQ(reg.SubDirectory(), testKey);
    ASSERT_TRUE(reg.OpenRegistry(RootKey::CurrentUser, testKey + QStringLiteral("\\Child")));
    EXPECT_TRUE(reg.OneBackOnKey());
    EXPECT_EQ(reg.SubDirectory(), testKey);
    EXPECT_TRUE(reg.CreateValue(QStringLiteral("here"), QStringLiteral("yes"), RegType::Sz));
    EXPECT_EQ(stored(QStringLiteral("here")).type, RegType::Sz);
}

TEST_F(EasyRegTest, OneBackOnKeyWithoutBackslashFailsBeforeAnythingChanges)
{
    ASSERT_TRUE(reg.OpenRegistry(RootKey::CurrentUser, QStringLiteral("Software")));
    EXPECT_FALSE(reg.OneBackOnKey());
    EXPECT_EQ(reg.SubDirectory(), QStringLiteral("Software"));
    EXPECT_TRUE(reg.CreateValue(QStringLiteral("still open"), QStringLiteral("1"), RegType::Sz));
}

TEST_F(EasyRegTest, CloseRegistryClosesOnce)
{
    EXPECT_TRUE(reg.CloseRegistry());
    EXPECT_FALSE(reg.CloseRegistry());
    EXPECT_FALSE(reg.CreateValue(QStringLiteral("x"), QStringLiteral("y"), RegType::Sz));
}

} // namespace
