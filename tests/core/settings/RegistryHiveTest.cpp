#include "core/settings/RegistryHive.h"
#include "core/settings/RegistryData.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

using namespace corvane;

namespace {

const QString currentUser = QStringLiteral("HKEY_CURRENT_USER");
const QStringList appKey = {QStringLiteral("Software"), QStringLiteral("Corvane Net")};

RegistryValue sz(const QString& name, const QString& text)
{
    return {name, RegType::Sz, RegistryData::szFromText(text)};
}

QByteArray multiSz(const QStringList& texts)
{
    return RegistryData::fromText(texts.join(QChar(u'\0')) + QChar(u'\0') + QChar(u'\0'));
}

QList<RegistryValue> valuesOf(const RegistryHive& hive, const QStringList& key)
{
    QList<RegistryValue> values;
    for (const QString& name : hive.valueNames(key))
        values.append(*hive.value(key, name));
    return values;
}

ParsedHive parse(const QByteArray& file)
{
    return RegistryHive::parse(currentUser, file);
}

QByteArray withHeader(const QByteArray& body)
{
    return "Windows Registry Editor Version 5.00\r\n\r\n" + body;
}

QList<int> damagedLines(const ParsedHive& parsed)
{
    QList<int> lines;
    for (const HiveDamage& damage : parsed.damage)
        lines.append(damage.line);
    return lines;
}

} // namespace

TEST(RegistryHive, EveryValueTypeSurvivesWritingAndReading)
{
    const QList<RegistryValue> values = {
        sz(QString(), QString()),
        sz(QStringLiteral("Quoted \"name\" \\ here"), QStringLiteral("C:\\dir\\ \"x\" \\\\server")),
        sz(QStringLiteral("Lines"), QStringLiteral("one\r\ntwo\nthree")),
        sz(QStringLiteral("Accents"), QStringLiteral("Grüße, ÉTÉ, 日本, 😀")),
        {QStringLiteral("NoTerminator"), RegType::Sz, QByteArray("a\0b", 3)},
        {QStringLiteral("Expand"), RegType::ExpandSz, RegistryData::szFromText(QStringLiteral("%HOME%\\x"))},
        {QStringLiteral("Binary"), RegType::Binary, QByteArray("\x00\xff\x10\x7f", 4)},
        {QStringLiteral("EmptyBinary"), RegType::Binary, QByteArray()},
        {QStringLiteral("LongBinary"), RegType::Binary, QByteArray(1000, '\xab')},
        {QStringLiteral("Dword"), RegType::Dword, QByteArray("\x0a\x00\x00\x80", 4)},
        {QStringLiteral("ShortDword"), RegType::Dword, QByteArray("\x01\x02", 2)},
        {QStringLiteral("BigEndian"), RegType::DwordBigEndian, QByteArray("\x00\x00\x01\x02", 4)},
        {QStringLiteral("Multi"), RegType::MultiSz, multiSz({QStringLiteral("a"), QStringLiteral("b")})},
        {QStringLiteral("Qword"), 11, QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {QStringLiteral("Odd"), 0x1234, QByteArray("xyz")},
        {QStringLiteral("None"), RegType::None, QByteArray()},
    };
    RegistryHive hive(currentUser);
    hive.createKey(appKey);
    for (const RegistryValue& value : values)
        ASSERT_TRUE(hive.setValue(appKey, value));

    const ParsedHive parsed = parse(hive.serialise());

    EXPECT_TRUE(parsed.damage.isEmpty());
    EXPECT_EQ(valuesOf(parsed.hive, appKey), values);
    EXPECT_EQ(parsed.hive.serialise(), hive.serialise());
}

TEST(RegistryHive, WritesWhatRegeditWouldImport)
{
    RegistryHive hive(currentUser);
    hive.createKey(appKey);
    hive.setValue(appKey, sz(QString(), QStringLiteral("default")));
    hive.setValue(appKey, sz(QStringLiteral("Path"), QStringLiteral("C:\\Program Files\\\"cv\"")));
    hive.setValue(appKey, {QStringLiteral("Count"), RegType::Dword, QByteArray("\x0a\0\0\0", 4)});
    hive.setValue(appKey, {QStringLiteral("Bytes"), RegType::Binary, QByteArray("\x01\xfe", 2)});
    hive.setValue(appKey, {QStringLiteral("List"), RegType::MultiSz, multiSz({QStringLiteral("a")})});
    hive.setValue(appKey, sz(QStringLiteral("Two lines"), QStringLiteral("a\nb")));
    hive.setValue(appKey, {QStringLiteral("Quad"), 11, QByteArray(2, '\0')});
    hive.createKey({QStringLiteral("Software"), QStringLiteral("Alpha")});

    EXPECT_EQ(hive.serialise(), QByteArray("Windows Registry Editor Version 5.00\r\n"
                                           "\r\n"
                                           "[HKEY_CURRENT_USER]\r\n"
                                           "\r\n"
                                           "[HKEY_CURRENT_USER\\Software]\r\n"
                                           "\r\n"
                                           "[HKEY_CURRENT_USER\\Software\\Alpha]\r\n"
                                           "\r\n"
                                           "[HKEY_CURRENT_USER\\Software\\Corvane Net]\r\n"
                                           "@=\"default\"\r\n"
                                           "\"Path\"=\"C:\\\\Program Files\\\\\\\"cv\\\"\"\r\n"
                                           "\"Count\"=dword:0000000a\r\n"
                                           "\"Bytes\"=hex:01,fe\r\n"
                                           "\"List\"=hex(7):61,00,00,00,00,00\r\n"
                                           "\"Two lines\"=hex(1):61,00,0a,00,62,00,00,00\r\n"
                                           "\"Quad\"=hex(b):00,00\r\n"
                                           "\r\n"));
}

TEST(RegistryHive, WrapsLongHexLinesLikeRegedit)
{
    RegistryHive hive(currentUser);
    hive.setValue({}, {QStringLiteral("Bin"), RegType::Binary, QByteArray(100, '\xab')});

    const QList<QByteArray> lines = hive.serialise().split('\n');

    EXPECT_EQ(lines.at(3), "\"Bin\"=hex:" + QByteArray("ab,").repeated(23) + "\\\r");
    EXPECT_EQ(lines.at(4), "  " + QByteArray("ab,").repeated(25) + "\\\r");
    EXPECT_EQ(lines.at(7), "  " + QByteArray("ab,").repeated(1) + "ab\r");
}

TEST(RegistryHive, KeysAndValueNamesIgnoreCaseButKeepTheirSpelling)
{
    RegistryHive hive(currentUser);
    hive.createKey({QStringLiteral("Software"), QStringLiteral("MixedCase"), QStringLiteral("Deep")});
    hive.createKey({QStringLiteral("SOFTWARE"), QStringLiteral("mixedcase"), QStringLiteral("b")});
    hive.createKey({QStringLiteral("software"), QStringLiteral("A")});
    hive.setValue({QStringLiteral("software")}, sz(QStringLiteral("Value"), QStringLiteral("1")));
    hive.setValue({QStringLiteral("SOFTWARE")}, sz(QStringLiteral("VALUE"), QStringLiteral("2")));
    hive.setValue({QStringLiteral("Software")}, sz(QStringLiteral("Second"), QStringLiteral("3")));

    EXPECT_EQ(hive.subKeyNames({}), QStringList{QStringLiteral("Software")});
    EXPECT_EQ(hive.subKeyNames({QStringLiteral("SOFTWARE")}),
              (QStringList{QStringLiteral("A"), QStringLiteral("MixedCase")}));
    EXPECT_EQ(hive.subKeyNames({QStringLiteral("software"), QStringLiteral("MIXEDCASE")}),
              (QStringList{QStringLiteral("b"), QStringLiteral("Deep")}));
    EXPECT_EQ(hive.valueNames({QStringLiteral("Software")}),
              (QStringList{QStringLiteral("Value"), QStringLiteral("Second")}));
    EXPECT_EQ(hive.value({QStringLiteral("Software")}, QStringLiteral("value"))->data,
              RegistryData::szFromText(QStringLiteral("2")));

    EXPECT_TRUE(hive.deleteValue({QStringLiteral("Software")}, QStringLiteral("vAlUe")));
    EXPECT_FALSE(hive.deleteValue({QStringLiteral("Software")}, QStringLiteral("Value")));
    EXPECT_EQ(hive.value({QStringLiteral("Software")}, QStringLiteral("second"))->name,
              QStringLiteral("Second"));
    EXPECT_FALSE(hive.setValue({QStringLiteral("Missing")}, sz(QStringLiteral("x"), QString())));
}

TEST(RegistryHive, SplitsOnlyPathsAFileCanHold)
{
    EXPECT_EQ(RegistryHive::splitKeyPath(QString()), QStringList());
    EXPECT_EQ(RegistryHive::splitKeyPath(QStringLiteral("Software\\VB and VBA Program Settings")),
              (QStringList{QStringLiteral("Software"), QStringLiteral("VB and VBA Program Settings")}));
    for (const QString& bad :
         {QStringLiteral("\\Software"), QStringLiteral("Software\\"), QStringLiteral("a\\\\b"),
          QStringLiteral("a\nb"), QString(QStringLiteral("a") + QChar(u'\0'))})
        EXPECT_FALSE(RegistryHive::splitKeyPath(bad)) << bad.toStdString();
}

TEST(RegistryHive, ReadsRegeditsOwnUtf16FileWithWrappedHexLines)
{
    const QString text =
        QStringLiteral("Windows Registry Editor Version 5.00\r\n"
                       "\r\n"
                       "; exported by hand\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Corvane Net\\Sub]\r\n"
                       "\"Text\"=\"Grüße \\\"x\\\"\"\r\n"
                       "\"Gone\"=-\r\n"
                       "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
                       "  15,16,17\r\n"
                       "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                       "\r\n"
                       "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
                       "\"Ignored\"=dword:00000001\r\n");
    const QByteArray file = QByteArray("\xFF\xFE") + RegistryData::fromText(text);
    QByteArray longData;
    for (char byte = 0; byte < 0x18; ++byte)
        longData += byte;
    const QStringList key = appKey + QStringList{QStringLiteral("SUB")};

    const ParsedHive parsed = parse(file);

    EXPECT_TRUE(parsed.damage.isEmpty());
    EXPECT_EQ(valuesOf(parsed.hive, key),
              (QList<RegistryValue>{sz(QStringLiteral("Text"), QStringLiteral("Grüße \"x\"")),
                                    {QStringLiteral("Long"), RegType::Binary, longData},
                                    {QStringLiteral("Multi"), RegType::MultiSz,
                                     multiSz({QStringLiteral("a"), QStringLiteral("b")})}}));
    EXPECT_FALSE(parsed.hive.hasKey({QStringLiteral("Software"), QStringLiteral("Old")}));
}

TEST(RegistryHive, ReadsRegedit4FilesWithLfLineEnds)
{
    const ParsedHive parsed = parse("\xEF\xBB\xBFREGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n"
                                    "\"Multi\"=hex(7):61,00,62,00,00\n\"n\"=dword:1f\n");

    EXPECT_TRUE(parsed.damage.isEmpty());
    EXPECT_EQ(parsed.hive.value({QStringLiteral("Software")}, QStringLiteral("Multi"))->data,
              multiSz({QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(parsed.hive.value({QStringLiteral("Software")}, QStringLiteral("n"))->data,
              QByteArray("\x1f\0\0\0", 4));
}

TEST(RegistryHive, ReportsEachDamagedLineAndKeepsTheRest)
{
    const QByteArray file = withHeader(QByteArray("\"Early\"=\"before any key\"\r\n"  // 3
                                                  "[HKEY_CURRENT_USER\\Software]\r\n" // 4
                                                  "\"Good\"=\"1\"\r\n"                // 5
                                                  "garbage\r\n"                       // 6
                                                  "\"Bad\"=\"no end\r\n"              // 7
                                                  "\"Hex\"=hex:01,zz\r\n"             // 8
                                                  "\"Num\"=dword:123456789\r\n"       // 9
                                                  "\"Nul\"=\"a") +
                                       '\0' +
                                       "b\"\r\n"                                    // 10
                                       "\"Utf\"=\"\xC3\x28\"\r\n"                   // 11
                                       "\"Cut\"=hex:01,\\\r\n"                      // 12
                                       "[HKEY_LOCAL_MACHINE\\Software]\r\n"         // 13
                                       "\"Other\"=\"root\"\r\n"                     // 14
                                       "[HKEY_CURRENT_USER\\Software\\\\Empty]\r\n" // 15
                                       "[HKEY_CURRENT_USER\\Software\\Kept]\r\n"    // 16
                                       "\"Last\"=\"2\"\r\n");                       // 17

    const ParsedHive parsed = parse(file);

    EXPECT_EQ(damagedLines(parsed), (QList<int>{3, 6, 7, 8, 9, 10, 11, 12, 13, 15}));
    EXPECT_EQ(parsed.hive.valueNames({QStringLiteral("Software")}), QStringList{QStringLiteral("Good")});
    EXPECT_EQ(parsed.hive.valueNames({QStringLiteral("Software"), QStringLiteral("Kept")}),
              QStringList{QStringLiteral("Last")});
}

TEST(RegistryHive, ReportsAFileCutInTheMiddleOfALine)
{
    const QByteArray whole =
        withHeader("[HKEY_CURRENT_USER\\Software]\r\n\"A\"=\"1\"\r\n\"B\"=dword:00000010\r\n");

    const ParsedHive cutInText = parse(whole.first(whole.indexOf("\"1\"") + 2));
    const ParsedHive cutInNumber = parse(whole.first(whole.size() - 5));
    const ParsedHive cutInKey = parse(whole.first(whole.indexOf("Software")));

    EXPECT_EQ(damagedLines(cutInText), QList<int>{4});
    EXPECT_EQ(damagedLines(cutInNumber), QList<int>{5});
    EXPECT_TRUE(cutInNumber.hive.value({QStringLiteral("Software")}, QStringLiteral("A")));
    EXPECT_EQ(damagedLines(cutInKey), QList<int>{3});
    EXPECT_TRUE(parse(whole).damage.isEmpty());
}

TEST(RegistryHive, ReportsAHeaderlessFileButReadsIt)
{
    const ParsedHive parsed = parse("[HKEY_CURRENT_USER\\Software]\r\n\"A\"=\"1\"\r\n");

    EXPECT_EQ(damagedLines(parsed), QList<int>{1});
    EXPECT_TRUE(parsed.hive.value({QStringLiteral("Software")}, QStringLiteral("A")));
}

TEST(RegistryHive, HandlesHugeAndGarbledFilesInLinearTime)
{
    const QString million(1000000, u'x');
    RegistryHive hive(currentUser);
    hive.setValue({}, sz(QStringLiteral("Huge"), million));
    hive.setValue({}, {QStringLiteral("HugeBinary"), RegType::Binary, QByteArray(1000000, '\x5a')});
    QByteArray garbage =
        withHeader("[HKEY_CURRENT_USER]\r\n\"Unended\"=\"") + QByteArray(1000000, 'y') + "\r\n";
    for (int i = 0; i < 100000; ++i)
        garbage += '\0' + QByteArray("\xff\xfe\n\"\\\\\"[");

    QElapsedTimer timer;
    timer.start();
    const ParsedHive parsed = parse(hive.serialise());
    const ParsedHive garbled = parse(garbage);

    EXPECT_TRUE(parsed.damage.isEmpty());
    EXPECT_EQ(parsed.hive.value({}, QStringLiteral("Huge"))->data, RegistryData::szFromText(million));
    EXPECT_EQ(parsed.hive.value({}, QStringLiteral("HugeBinary"))->data.size(), 1000000);
    EXPECT_EQ(garbled.damage.size(), 100002);
    EXPECT_LT(timer.elapsed(), 20000);
}
