#include "core/netware/samba/SambaShares.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

using Parameters = QHash<QByteArray, QByteArray>;

struct Section
{
    QByteArray name;
    Parameters parameters;
};

// Samba matches parameter names without regard to case or blanks.
QByteArray parameterKey(const QByteArray& name)
{
    QByteArray key;
    key.reserve(name.size());
    for (const char c : name) {
        if (c != ' ' && c != '\t')
            key.append(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    }
    return key;
}

bool isTrue(const QByteArray& value)
{
    const QByteArray lower = value.toLower();
    return lower == "yes" || lower == "true" || lower == "1" || lower == "on";
}

// Physical lines ending in "\" continue on the next one.
QList<QByteArray> logicalLines(const QByteArray& text)
{
    QList<QByteArray> lines;
    QByteArray pending;
    for (const QByteArray& raw : text.split('\n')) {
        QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (line.endsWith('\\')) {
            pending += line.chopped(1);
            continue;
        }
        lines.append(pending + line);
        pending.clear();
    }
    if (!pending.isEmpty())
        lines.append(pending);
    return lines;
}

class ConfigurationReader
{
public:
    explicit ConfigurationReader(QString includeBase) : m_includeBase(std::move(includeBase)) {}

    QList<Section> read(const QByteArray& text)
    {
        readText(text, 0);
        return m_sections;
    }

private:
    void readText(const QByteArray& text, int depth)
    {
        for (const QByteArray& raw : logicalLines(text)) {
            const QByteArray line = raw.trimmed();
            if (line.isEmpty() || line.startsWith('#') || line.startsWith(';'))
                continue;
            if (line.startsWith('[') && line.endsWith(']')) {
                m_sections.append(Section{line.mid(1, line.size() - 2).trimmed(), {}});
                continue;
            }
            const qsizetype equals = line.indexOf('=');
            if (equals <= 0 || m_sections.isEmpty())
                continue; // Samba too passes over what it cannot read
            const QByteArray key = parameterKey(line.left(equals));
            const QByteArray value = line.mid(equals + 1).trimmed();
            if (key == "include")
                include(value, depth);
            else
                m_sections.last().parameters.insert(key, value);
        }
    }

    // Includes are followed a few levels deep, never when their name depends on the client.
    void include(const QByteArray& file, int depth)
    {
        constexpr int DeepestInclude = 8;
        if (m_includeBase.isEmpty() || depth >= DeepestInclude || file.contains('%'))
            return;
        const QString name = QFile::decodeName(file);
        QFile included(QFileInfo(name).isAbsolute() ? name : m_includeBase + u'/' + name);
        if (included.open(QIODevice::ReadOnly))
            readText(included.readAll(), depth + 1);
    }

    QString m_includeBase;
    QList<Section> m_sections;
};

bool isDiskShare(const Section& section)
{
    const QByteArray lower = section.name.toLower();
    if (lower == "global" || lower == "homes" || lower == "printers")
        return false;
    const QByteArray path = section.parameters.value("path");
    return !path.isEmpty() && !path.contains('%') && !isTrue(section.parameters.value("printable")) &&
           !isTrue(section.parameters.value("printok"));
}

QByteArrayList vfsObjects(const QByteArray& value)
{
    QByteArrayList objects;
    for (const QByteArray& word : value.simplified().split(' ')) {
        // "full_audit:name" loads the module under a second name; the module is what counts.
        const qsizetype colon = word.indexOf(':');
        objects.append((colon < 0 ? word : word.left(colon)).toLower());
    }
    return objects;
}

SambaShare shareOf(const Section& section, const Parameters& global)
{
    const auto parameter = [&](const QByteArray& key, const QByteArray& fallback) {
        return section.parameters.value(key, global.value(key, fallback));
    };
    SambaShare share;
    share.name = section.name;
    share.path = section.parameters.value("path");
    while (share.path.size() > 1 && share.path.endsWith('/'))
        share.path.chop(1);
    const QByteArrayList objects = vfsObjects(parameter("vfsobjects", {}));
    share.fullAudit = objects.contains("full_audit");
    share.auditPrefix = parameter("full_audit:prefix", share.auditPrefix);
    share.auditToSyslog = isTrue(parameter("full_audit:syslog", "yes"));
    share.recycle = objects.contains("recycle");
    share.recycleRepository = parameter("recycle:repository", share.recycleRepository);
    share.keepTree = isTrue(parameter("recycle:keeptree", "no"));
    share.versions = isTrue(parameter("recycle:versions", "no"));
    // "public" is another name of "guest ok".
    QByteArray guestOk = section.parameters.value("guestok", section.parameters.value("public"));
    if (guestOk.isEmpty())
        guestOk = global.value("guestok", global.value("public", "no"));
    share.guestsAllowed = isTrue(guestOk);
    share.failedLogonsAsGuests = global.value("maptoguest", "never").toLower() != "never";
    share.guestAccount = global.value("guestaccount", share.guestAccount);
    return share;
}

} // namespace

QList<SambaShare> parseSambaConfiguration(const QByteArray& text, const QString& includeBase)
{
    const QList<Section> sections = ConfigurationReader(includeBase).read(text);
    Parameters global;
    for (const Section& section : sections) {
        if (section.name.toLower() == "global")
            global.insert(section.parameters);
    }
    QList<SambaShare> shares;
    for (const Section& section : sections) {
        if (isDiskShare(section))
            shares.append(shareOf(section, global));
    }
    return shares;
}

SambaSharesRead readSambaShares(const QString& configurationFile, const QString& testparmProgram)
{
    if (!QFileInfo(configurationFile).isFile())
        return {{}, u"the Samba configuration %1 is not there"_s.arg(configurationFile)};
    constexpr int TestparmMilliseconds = 30000;
    QProcess testparm;
    testparm.start(testparmProgram, {u"-s"_s, u"--suppress-prompt"_s, configurationFile});
    if (!testparm.waitForStarted()) {
        QFile file(configurationFile);
        if (!file.open(QIODevice::ReadOnly))
            return {{}, u"the Samba configuration %1 cannot be read: %2"_s.arg(configurationFile, file.errorString())};
        return {parseSambaConfiguration(file.readAll(), QFileInfo(configurationFile).absolutePath()), {}};
    }
    if (!testparm.waitForFinished(TestparmMilliseconds)) {
        testparm.kill();
        testparm.waitForFinished();
        return {{}, u"testparm did not finish reading %1"_s.arg(configurationFile)};
    }
    const QByteArray output = testparm.readAllStandardOutput();
    // testparm complains about doubtful settings with a failing status and still prints them.
    if (testparm.exitStatus() != QProcess::NormalExit || output.trimmed().isEmpty())
        return {{}, u"testparm could not read %1: %2"_s.arg(
                        configurationFile, QString::fromLocal8Bit(testparm.readAllStandardError()).trimmed())};
    return {parseSambaConfiguration(output), {}};
}

} // namespace corvane
