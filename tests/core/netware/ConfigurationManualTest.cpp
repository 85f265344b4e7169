#include "core/netware/NetWareConfiguration.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

// The documents checked here live in the source tree beside the demo network.
const QString DataFolder = QStringLiteral(CV_DEMO_SOURCE u"/..");

QString textOf(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// The part of a manual page from the heading ".SH TITLE" to the next heading.
QString sectionOf(const QString& page, const QString& title)
{
    const qsizetype start = page.indexOf(u"\n.SH "_s + title + u'\n');
    if (start < 0)
        return {};
    const qsizetype end = page.indexOf(u"\n.SH "_s, start + 1);
    return page.mid(start, end < 0 ? -1 : end - start);
}

QStringList sorted(const QSet<QString>& names)
{
    QStringList list(names.cbegin(), names.cend());
    list.sort();
    return list;
}

// The lines of the page's examples, as a reader types them.
QStringList examplesOf(const QString& page)
{
    static const QRegularExpression block(u"\n\\.nf\n(.*?)\n\\.fi\n"_s, QRegularExpression::DotMatchesEverythingOption);
    QStringList examples;
    for (const QRegularExpressionMatch& match : block.globalMatch(sectionOf(page, u"EXAMPLES"_s)))
        examples.append(match.captured(1).replace(u"\\e"_s, u"\\"_s).replace(u"\\-"_s, u"-"_s));
    return examples;
}

// A Samba configuration with one disk share, data, for the examples that name /etc/samba/smb.conf.
class SambaConfiguration
{
public:
    SambaConfiguration()
    {
        QDir(m_folder.path()).mkpath(u"data"_s);
        QFile file(path());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[global]\n  server role = standalone server\n[data]\n  path = " +
                   QFile::encodeName(m_folder.filePath(u"data"_s)) + "\n  read only = no\n");
    }
    QString path() const { return m_folder.filePath(u"smb.conf"_s); }

private:
    QTemporaryDir m_folder;
};

NetWareConfiguration::Loaded parseExample(QString text, const SambaConfiguration& samba)
{
    text.replace(u"/etc/samba/smb.conf"_s, samba.path());
    return NetWareConfiguration::parse(text.toUtf8(), QDir::tempPath() + u"/netware.conf"_s);
}

QStringList volumesOf(const NetWareConfiguration& configuration)
{
    QStringList volumes;
    for (const NetWareServer& server : configuration.servers()) {
        for (const NetWareVolume& volume : server.volumes)
            volumes.append(QString::fromLatin1(server.name + '/' + volume.name));
    }
    return volumes;
}

TEST(ConfigurationManual, ThePageDocumentsEverySettingTheReaderKnows)
{
    // The settings of a server as the page introduces them: .BI "name = " or .BI "volume " NAME.
    static const QRegularExpression documented(u"\n\\.(?:BI|B) \"?([a-z]+(?: [a-z]+)*)(?: =| \")"_s);
    QSet<QString> inPage;
    for (const QRegularExpressionMatch& match :
         documented.globalMatch(sectionOf(textOf(DataFolder + u"/netware.conf.5"_s), u"SERVER SETTINGS"_s)))
        inPage.insert(match.captured(1));

    // The names the reader compares a setting's name with.
    static const QRegularExpression known(uR"((?:key == |key\.compare\(|u"\^)u?"?([a-z]+(?: [a-z]+)*)(?:"_s|\\\\s))"_s);
    QSet<QString> inReader;
    const QString sources = QStringLiteral(CV_DEMO_SOURCE u"/../../src/core/netware/");
    const QString reader = textOf(sources + u"NetWareConfiguration.cpp"_s) + textOf(sources + u"samba/SambaServerKeys.cpp"_s);
    for (const QRegularExpressionMatch& match : known.globalMatch(reader))
        inReader.insert(match.captured(1));

    ASSERT_TRUE(inReader.contains(u"samba config"_s) && inReader.contains(u"volume"_s))
        << sorted(inReader).join(u", "_s).toStdString();
    EXPECT_EQ(sorted(inPage).join(u", "_s).toStdString(), sorted(inReader).join(u", "_s).toStdString())
        << "data/netware.conf.5 must document every setting the configuration reader and its Samba keys read";
}

TEST(ConfigurationManual, ThePagesExamplesAreReadAsTheySay)
{
    const SambaConfiguration samba;
    const QStringList examples = examplesOf(textOf(DataFolder + u"/netware.conf.5"_s));
    ASSERT_EQ(examples.size(), 2);

    const NetWareConfiguration::Loaded folders = parseExample(examples[0], samba);
    ASSERT_TRUE(folders.configuration) << folders.error.toStdString();
    EXPECT_EQ(volumesOf(*folders.configuration), (QStringList{u"SRV1/VOL1"_s, u"SRV4/DATA"_s, u"SRV4/APPS"_s}));
    EXPECT_TRUE(folders.configuration->locate("G:\\REPORTS"));

    const NetWareConfiguration::Loaded share = parseExample(examples[1], samba);
    ASSERT_TRUE(share.configuration) << share.error.toStdString();
    EXPECT_EQ(volumesOf(*share.configuration), QStringList{u"FILES/DATA"_s});
}

TEST(ConfigurationManual, TheServiceConfigurationsExamplesAreReadOnceUncommented)
{
    const QString shipped = textOf(DataFolder + u"/systemd/system/netware.conf"_s);
    const NetWareConfiguration::Loaded asShipped = NetWareConfiguration::parse(shipped.toUtf8(), u"netware.conf"_s);
    ASSERT_TRUE(asShipped.configuration) << asShipped.error.toStdString();
    EXPECT_TRUE(asShipped.configuration->servers().isEmpty()) << "shipped, it names no server";

    // Only the lines that read as sections or settings; the prose stays a comment.
    static const QRegularExpression commentedSetting(u"^# (\\[.*\\]|[A-Za-z][A-Za-z0-9 ]* = .*)$"_s,
                                                     QRegularExpression::MultilineOption);
    QString uncommented = shipped;
    uncommented.replace(commentedSetting, u"\\1"_s);
    const SambaConfiguration samba;
    const NetWareConfiguration::Loaded loaded = parseExample(uncommented, samba);
    ASSERT_TRUE(loaded.configuration) << loaded.error.toStdString();
    EXPECT_EQ(volumesOf(*loaded.configuration), (QStringList{u"FILES/DATA"_s, u"SRV1/VOL1"_s}));
}

} // namespace
} // namespace corvane
