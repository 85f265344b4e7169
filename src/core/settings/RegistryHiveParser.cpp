// Reads hive files as regedit writes them, and as damage leaves them: every line that
// cannot be read is reported and skipped, everything else is kept. One pass, no
// backtracking, so a huge or garbled file costs time in proportion to its size.

#include "core/settings/HiveLineReader.h"
#include "core/settings/RegistryData.h"
#include "core/settings/RegistryHive.h"

#include <QtEndian>

#include <optional>
#include <utility>

namespace corvane {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// A number of one to eight hex digits, nothing else.
std::optional<quint32> hexNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    quint32 number = 0;
    for (const QChar c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        number = number << 4 | static_cast<quint32>(digit);
    }
    return number;
}

// Comma-separated bytes of one or two hex digits each; empty text is no bytes.
std::optional<QByteArray> hexBytes(QStringView text)
{
    QByteArray bytes;
    if (text.trimmed().isEmpty())
        return bytes;
    bytes.reserve(text.size() / 3 + 1);
    for (const QStringView token : text.tokenize(u',')) {
        const QStringView digits = token.trimmed();
        const std::optional<quint32> byte = digits.size() <= 2 ? hexNumber(digits) : std::nullopt;
        if (!byte)
            return std::nullopt;
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

bool isHexContinuation(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (hexDigit(c) < 0 && c != u',' && c != u'\\' && !c.isSpace())
            return false;
    }
    return true;
}

struct Quoted
{
    QString text;
    qsizetype end = 0; // just past the closing quote
};

// A quoted text from its opening quote on; \\ and \" stand for \ and ".
std::optional<Quoted> readQuoted(QStringView line, qsizetype start)
{
    Quoted quoted;
    for (qsizetype i = start + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"') {
            quoted.end = i + 1;
            return quoted;
        }
        if (c == u'\\' && i + 1 < line.size() && (line.at(i + 1) == u'\\' || line.at(i + 1) == u'"'))
            ++i;
        quoted.text += line.at(i);
    }
    return std::nullopt;
}

class HiveParser
{
public:
    HiveParser(const QString& rootName, const QByteArray& file)
        : m_reader(file), m_result{RegistryHive(rootName), {}}
    {}

    ParsedHive run()
    {
        while (std::optional<HiveLine> line = m_reader.next()) {
            if (!line->problem.isEmpty())
                addDamage(line->number, line->problem);
            else if (!takeHeader(*line))
                parseLine(*line);
        }
        // A cut that leaves a readable line behind (dword:00 for dword:00000010) shows only here.
        const int cut = m_reader.cutLine();
        if (cut > 0 && (m_result.damage.isEmpty() || m_result.damage.constLast().line != cut))
            addDamage(cut, QStringLiteral("the file ends in the middle of this line"));
        return std::move(m_result);
    }

private:
    enum class Section
    {
        None,    // no key line yet
        Skipped, // a key deleted, of another root, or unreadable: its values are dropped
        Key,
    };

    void addDamage(int line, const QString& reason) { m_result.damage.append({line, reason}); }

    // True when the line was the header (or blank before it).
    bool takeHeader(const HiveLine& line)
    {
        if (m_headerSeen)
            return false;
        const QStringView text = QStringView(line.text).trimmed();
        if (text.isEmpty())
            return true;
        m_headerSeen = true;
        m_regedit4 = text == u"REGEDIT4";
        if (m_regedit4 || text == QLatin1String(RegistryHive::fileHeader))
            return true;
        addDamage(line.number, QStringLiteral("no header line"));
        return false;
    }

    void parseLine(const HiveLine& line)
    {
        const QStringView text = QStringView(line.text).trimmed();
        if (text.isEmpty() || text.startsWith(u';'))
            return;
        if (text.startsWith(u'['))
            parseKeyLine(line.number, text);
        else if (text.startsWith(u'"') || text.startsWith(u'@'))
            parseValueLine(line.number, text);
        else
            addDamage(line.number, QStringLiteral("neither a key nor a value"));
    }

    void parseKeyLine(int number, QStringView text)
    {
        m_section = Section::Skipped;
        if (!text.endsWith(u']')) {
            addDamage(number, QStringLiteral("key line without closing bracket"));
            return;
        }
        const QStringView name = text.sliced(1, text.size() - 2);
        if (name.startsWith(u'-'))
            return;
        const qsizetype slash = name.indexOf(u'\\');
        const QStringView root = slash < 0 ? name : name.first(slash);
        if (root.compare(m_result.hive.rootName(), Qt::CaseInsensitive) != 0) {
            addDamage(number, QStringLiteral("key of another root"));
            return;
        }
        const std::optional<QStringList> path =
            RegistryHive::splitKeyPath(slash < 0 ? QString() : name.sliced(slash + 1).toString());
        if (!path) {
            addDamage(number, QStringLiteral("unreadable key path"));
            return;
        }
        m_result.hive.createKey(*path);
        m_key = *path;
        m_section = Section::Key;
    }

    void parseValueLine(int number, QStringView text)
    {
        QString name;
        qsizetype position = 1;
        if (text.startsWith(u'"')) {
            std::optional<Quoted> quoted = readQuoted(text, 0);
            if (!quoted) {
                addDamage(number, QStringLiteral("value name without closing quote"));
                return;
            }
            name = std::move(quoted->text);
            position = quoted->end;
        }
        const QStringView rest = text.sliced(position).trimmed();
        if (!rest.startsWith(u'=')) {
            addDamage(number, QStringLiteral("no = after the value name"));
            return;
        }
        std::optional<RegistryValue> value = parseData(number, rest.sliced(1).trimmed());
        if (!value)
            return;
        value->name = std::move(name);
        if (m_section == Section::None)
            addDamage(number, QStringLiteral("value before any key line"));
        else if (m_section == Section::Key)
            m_result.hive.setValue(m_key, *value);
    }

    // The value's type and data; nothing for a deletion line or damaged data.
    std::optional<RegistryValue> parseData(int number, QStringView data)
    {
        if (data == u"-")
            return std::nullopt;
        if (data.startsWith(u'"'))
            return parseText(number, data);
        if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
            const std::optional<quint32> number32 = hexNumber(data.sliced(6));
            if (number32) {
                QByteArray bytes(4, Qt::Uninitialized);
                qToLittleEndian(*number32, bytes.data());
                return RegistryValue{{}, RegType::Dword, bytes};
            }
            addDamage(number, QStringLiteral("unreadable dword"));
            return std::nullopt;
        }
        if (data.startsWith(u"hex", Qt::CaseInsensitive))
            return parseHex(number, data.sliced(3));
        addDamage(number, QStringLiteral("unknown kind of value data"));
        return std::nullopt;
    }

    std::optional<RegistryValue> parseText(int number, QStringView data)
    {
        std::optional<Quoted> quoted = readQuoted(data, 0);
        if (!quoted) {
            addDamage(number, QStringLiteral("text without closing quote"));
            return std::nullopt;
        }
        if (quoted->end != data.size()) {
            addDamage(number, QStringLiteral("more after the closing quote"));
            return std::nullopt;
        }
        return RegistryValue{{}, RegType::Sz, RegistryData::szFromText(quoted->text)};
    }

    // From just after "hex": ":" or "(type):", then the bytes, possibly over several lines.
    std::optional<RegistryValue> parseHex(int number, QStringView data)
    {
        quint32 type = RegType::Binary;
        if (data.startsWith(u'(')) {
            const qsizetype close = data.indexOf(u')');
            const std::optional<quint32> typeNumber =
                close < 0 ? std::nullopt : hexNumber(data.sliced(1, close - 1));
            if (!typeNumber) {
                addDamage(number, QStringLiteral("unreadable value type"));
                return std::nullopt;
            }
            type = *typeNumber;
            data = data.sliced(close + 1);
        }
        if (!data.startsWith(u':')) {
            addDamage(number, QStringLiteral("unknown kind of value data"));
            return std::nullopt;
        }
        const std::optional<QByteArray> bytes = hexBytes(withContinuations(data.sliced(1)));
        if (!bytes) {
            addDamage(number, QStringLiteral("unreadable hex data"));
            return std::nullopt;
        }
        return RegistryValue{{}, type, widenedForRegedit4(type, *bytes)};
    }

    // Joins the lines a hex value goes on over, each ending in a backslash.
    QString withContinuations(QStringView first)
    {
        QString joined = first.toString();
        while (joined.endsWith(u'\\')) {
            joined.chop(1);
            std::optional<HiveLine> line = m_reader.next();
            if (!line)
                break;
            if (!line->problem.isEmpty() || !isHexContinuation(QStringView(line->text).trimmed())) {
                m_reader.pushBack(std::move(*line));
                break;
            }
            joined += QStringView(line->text).trimmed();
        }
        return joined;
    }

    // REGEDIT4 files hold expandable and multiple texts in 8-bit characters.
    QByteArray widenedForRegedit4(quint32 type, const QByteArray& bytes) const
    {
        if (!m_regedit4 || (type != RegType::ExpandSz && type != RegType::MultiSz))
            return bytes;
        return RegistryData::fromText(QString::fromLatin1(bytes));
    }

    HiveLineReader m_reader;
    ParsedHive m_result;
    Section m_section = Section::None;
    QStringList m_key;
    bool m_headerSeen = false;
    bool m_regedit4 = false;
};

} // namespace

ParsedHive RegistryHive::parse(const QString& rootName, const QByteArray& file)
{
    return HiveParser(rootName, file).run();
}

} // namespace corvane
