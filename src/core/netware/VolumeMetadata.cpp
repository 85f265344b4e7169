#include "core/netware/VolumeMetadata.h"

#include "core/netware/PackedDateTime.h"
#include "core/netware/SystemUsers.h"
#include "core/netware/VolumePaths.h"

#include <QByteArrayView>
#include <QFile>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

struct Setting
{
    QString key;
    QString value;
};

std::optional<Setting> settingOf(const QString& line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    return Setting{line.left(equals).trimmed().toLower(), line.mid(equals + 1).trimmed()};
}

std::optional<quint32> numberOf(const QString& text, quint32 largest)
{
    bool ok = false;
    const qulonglong number = text.startsWith(u"0x"_s, Qt::CaseInsensitive) ? text.mid(2).toULongLong(&ok, 16)
                                                                            : text.toULongLong(&ok, 10);
    if (!ok || number > largest)
        return std::nullopt;
    return static_cast<quint32>(number);
}

std::optional<quint32> packedDateTimeOf(const QString& text)
{
    static const QRegularExpression pattern(
        u"^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T]+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?$"_s);
    if (text.compare(u"none"_s, Qt::CaseInsensitive) == 0)
        return 0;
    if (text.startsWith(u"0x"_s, Qt::CaseInsensitive))
        return numberOf(text, 0xFFFFFFFF);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    const quint32 packed = packDateTime(date, time);
    if (packed == 0)
        return std::nullopt;
    return packed;
}

std::optional<quint16> packedDateOf(const QString& text)
{
    if (text.startsWith(u"0x"_s, Qt::CaseInsensitive)) {
        const std::optional<quint32> date = numberOf(text, 0xFFFF);
        return date ? std::optional<quint16>(static_cast<quint16>(*date)) : std::nullopt;
    }
    const std::optional<quint32> packed = packedDateTimeOf(text);
    return packed ? std::optional<quint16>(static_cast<quint16>(*packed >> 16)) : std::nullopt;
}

std::optional<bool> flagOf(const QString& text)
{
    const QString lower = text.toLower();
    if (lower == u"yes"_s || lower == u"true"_s || lower == u"1"_s)
        return true;
    if (lower == u"no"_s || lower == u"false"_s || lower == u"0"_s)
        return false;
    return std::nullopt;
}

std::optional<quint64> sizeOf(const QString& text)
{
    bool ok = false;
    const qulonglong size = text.toULongLong(&ok, 10);
    return ok ? std::optional<quint64>(size) : std::nullopt;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes of a double-quoted text with its escapes; the quotes must enclose all of it.
std::optional<QByteArray> unquoted(const QByteArray& text)
{
    QByteArray bytes;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            return i == text.size() - 1 ? std::optional(bytes) : std::nullopt;
        if (c != '\\') {
            bytes += c;
            continue;
        }
        const char escaped = ++i < text.size() ? text[i] : '\0';
        if (escaped == 'n') {
            bytes += '\n';
        } else if (escaped == 't') {
            bytes += '\t';
        } else if (escaped == '"' || escaped == '\\') {
            bytes += escaped;
        } else if (escaped == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
                   hexDigit(text[i + 2]) >= 0) {
            bytes += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<QByteArray> pathOf(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const std::optional<QByteArray> path = bytes.startsWith('"') ? unquoted(bytes) : std::optional(bytes);
    if (!path)
        return std::nullopt;
    const std::optional<QByteArray> key = metadataKey(*path);
    if (!key || key->isEmpty())
        return std::nullopt;
    return key;
}

class MetadataReader
{
public:
    explicit MetadataReader(const QString& filePath) : m_filePath(filePath) {}

    VolumeMetadata read(const QByteArray& contents)
    {
        m_contents = contents;
        // Users first: entries may name users defined further down.
        forEachSetting([this](const Setting& setting) {
            if (m_section == Section::Users)
                readUser(setting);
        });
        m_secondPass = true;
        forEachSetting([this](const Setting& setting) {
            if (m_section == Section::Entry)
                readEntrySetting(setting);
            else if (m_section == Section::Deleted)
                readDeletedSetting(setting);
        });
        return m_result;
    }

private:
    enum class Section
    {
        None,
        Users,
        Entry,
        Deleted,
        Unknown
    };

    template <typename Reader> void forEachSetting(const Reader& readSetting)
    {
        m_section = Section::None;
        m_lineNumber = 0;
        // A line at a time: the lines of a large file, held all at once, would take several
        // times the file's size.
        for (qsizetype start = 0; start <= m_contents.size();) {
            qsizetype end = m_contents.indexOf('\n', start);
            if (end < 0)
                end = m_contents.size();
            ++m_lineNumber;
            const QString line = QString::fromUtf8(m_contents.sliced(start, end - start)).trimmed();
            start = end + 1;
            if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
                continue;
            if (line.startsWith(u'[')) {
                m_section = sectionOf(line);
                continue;
            }
            const std::optional<Setting> setting = settingOf(line);
            if (setting)
                readSetting(*setting);
            else if (warnsInThisPass(m_section))
                warn(u"expected \"name = value\""_s);
        }
    }

    // Each line is warned about once: users' lines in the first pass, the others in the second.
    bool warnsInThisPass(Section section) const
    {
        return section != Section::Unknown && (section == Section::Users) != m_secondPass;
    }

    void warn(const QString& reason)
    {
        m_result.warnings.append(m_filePath + u':' + QString::number(m_lineNumber) + u": "_s + reason);
    }

    // The second pass creates the entries and warns; the first only needs to know where users are.
    Section sectionOf(const QString& line)
    {
        static const QRegularExpression pattern(u"^\\[\\s*(users|entry|deleted)\\s*(.*?)\\s*\\]$"_s,
                                                QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = pattern.match(line);
        const QString kind = match.captured(1).toLower();
        if (!match.hasMatch() || (kind == u"users"_s) != match.captured(2).isEmpty()) {
            if (m_secondPass)
                warn(u"unknown section %1 (expected [users], [entry PATH] or [deleted PATH])"_s.arg(line));
            return Section::Unknown;
        }
        if (kind == u"users"_s)
            return Section::Users;
        const std::optional<QByteArray> path = pathOf(match.captured(2));
        if (!path) {
            if (m_secondPass)
                warn(u"invalid path %1"_s.arg(match.captured(2)));
            return Section::Unknown;
        }
        if (kind == u"entry"_s) {
            m_entryPath = caseFolded(*path);
            if (m_secondPass)
                m_result.entries[m_entryPath];
            return Section::Entry;
        }
        if (m_secondPass) {
            const qsizetype slash = path->lastIndexOf('/');
            m_result.deleted.append(SalvageableEntry{slash < 0 ? QByteArray() : path->left(slash),
                                                     path->mid(slash + 1), 0, 0, 0});
        }
        return Section::Deleted;
    }

    void readUser(const Setting& setting)
    {
        const std::optional<quint32> id = numberOf(setting.key, 0xFFFFFFFF);
        if (!id || *id == 0 || setting.value.isEmpty())
            warn(u"expected \"OBJECT-ID = NAME\" with an ID other than 0"_s);
        else
            m_result.users.insert(*id, setting.value);
    }

    std::optional<quint32> userIdOf(const QString& text) const
    {
        if (text.isEmpty())
            return std::nullopt;
        if (text.compare(u"none"_s, Qt::CaseInsensitive) == 0)
            return 0;
        if (text.front().isDigit())
            return numberOf(text, 0xFFFFFFFF);
        for (auto user = m_result.users.cbegin(); user != m_result.users.cend(); ++user) {
            if (user->compare(text, Qt::CaseInsensitive) == 0)
                return user.key();
        }
        const std::optional<quint32> uid = SystemUserNames::uidOf(text);
        return uid ? std::optional(objectIdOfUid(*uid)) : std::nullopt;
    }

    void warnUnreadable(const Setting& setting)
    {
        warn(u"cannot read %1 \"%2\""_s.arg(setting.key, setting.value));
    }

    template <typename Value>
    void store(std::optional<Value>& field, const std::optional<Value>& value, const Setting& setting)
    {
        if (value)
            field = value;
        else
            warnUnreadable(setting);
    }

    void readEntrySetting(const Setting& setting)
    {
        EntryOverrides& entry = m_result.entries[m_entryPath];
        const QString& key = setting.key;
        const QString& value = setting.value;
        if (key == u"created"_s)
            store(entry.created, packedDateTimeOf(value), setting);
        else if (key == u"archived"_s)
            store(entry.archived, packedDateTimeOf(value), setting);
        else if (key == u"modified"_s)
            store(entry.modified, packedDateTimeOf(value), setting);
        else if (key == u"accessed"_s)
            store(entry.accessed, packedDateOf(value), setting);
        else if (key == u"creator"_s)
            store(entry.creator, userIdOf(value), setting);
        else if (key == u"archiver"_s)
            store(entry.archiver, userIdOf(value), setting);
        else if (key == u"modifier"_s)
            store(entry.modifier, userIdOf(value), setting);
        else if (key == u"system"_s)
            store(entry.system, flagOf(value), setting);
        else
            warn(u"unknown entry setting \"%1\""_s.arg(key));
    }

    template <typename Value>
    void assign(Value& field, const std::optional<Value>& value, const Setting& setting)
    {
        if (value)
            field = *value;
        else
            warnUnreadable(setting);
    }

    void readDeletedSetting(const Setting& setting)
    {
        SalvageableEntry& entry = m_result.deleted.last();
        if (setting.key == u"size"_s)
            assign(entry.size, sizeOf(setting.value), setting);
        else if (setting.key == u"deleted"_s)
            assign(entry.deletedDateTime, packedDateTimeOf(setting.value), setting);
        else if (setting.key == u"deletor"_s)
            assign(entry.deletorId, userIdOf(setting.value), setting);
        else
            warn(u"unknown deleted-entry setting \"%1\""_s.arg(setting.key));
    }

    QString m_filePath;
    QByteArrayView m_contents;
    int m_lineNumber = 0;
    Section m_section = Section::None;
    bool m_secondPass = false;
    QByteArray m_entryPath;
    VolumeMetadata m_result;
};

} // namespace

std::optional<QByteArray> metadataKey(const QByteArray& path)
{
    const std::optional<QByteArrayList> components = pathComponents(path, false);
    if (!components)
        return std::nullopt;
    return components->join('/');
}

VolumeMetadata readVolumeMetadata(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        VolumeMetadata none;
        if (file.exists())
            none.warnings.append(filePath + u":0: cannot be read: "_s + file.errorString());
        return none;
    }
    return parseVolumeMetadata(file.readAll(), filePath);
}

VolumeMetadata parseVolumeMetadata(const QByteArray& contents, const QString& filePath)
{
    return MetadataReader(filePath).read(contents);
}

} // namespace corvane
