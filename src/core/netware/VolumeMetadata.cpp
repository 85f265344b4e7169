#include "core/netware/VolumeMetadata.h"

#include "core/netware/PackedDateTime.h"
#include "core/netware/SystemUsers.h"
#include "core/netware/VolumePaths.h"

#include <QBuffer>
#include <QByteArrayView>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTime>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

enum class Section
{
    None,
    Users,
    Entry,
    Deleted,
    Unknown
};

// One line of the file as the parser reads it; the views point into the line read.
struct ParsedLine
{
    enum class Kind
    {
        Blank, // also a comment
        Header,
        Setting,
        Malformed
    };
    Kind kind = Kind::Blank;
    Section section = Section::None; // of a header
    QByteArray path;                 // of an [entry] or [deleted] header, as the metadata keys it
    QByteArrayView key;              // of a setting
    QByteArrayView value;
    QString problem; // of a malformed line or an unknown header
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool startsWithHexPrefix(QByteArrayView text)
{
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// The lengths first: a setting's key is held against each known word in turn.
bool isWord(QByteArrayView text, QByteArrayView word)
{
    return text.size() == word.size() && text.compare(word, Qt::CaseInsensitive) == 0;
}

std::optional<quint32> numberOf(QByteArrayView text, quint32 largest)
{
    bool ok = false;
    const qulonglong number =
        startsWithHexPrefix(text) ? text.sliced(2).toULongLong(&ok, 16) : text.toULongLong(&ok, 10);
    if (!ok || number > largest)
        return std::nullopt;
    return static_cast<quint32>(number);
}

// One to most ASCII digits at position, which moves past them.
std::optional<int> digitsAt(QByteArrayView text, qsizetype& position, int most)
{
    int value = 0;
    const qsizetype start = position;
    while (position < text.size() && position - start < most && isDigit(text[position]))
        value = value * 10 + (text[position++] - '0');
    if (position == start)
        return std::nullopt;
    return value;
}

bool skipped(QByteArrayView text, qsizetype& position, char wanted)
{
    if (position >= text.size() || text[position] != wanted)
        return false;
    ++position;
    return true;
}

// YYYY-MM-DD, optionally followed by spaces or "T" and HH:MM or HH:MM:SS.
std::optional<quint32> packedCalendarDateTimeOf(QByteArrayView text)
{
    qsizetype at = 0;
    const std::optional<int> year = digitsAt(text, at, 4);
    if (at != 4 || !skipped(text, at, '-'))
        return std::nullopt;
    const std::optional<int> month = digitsAt(text, at, 2);
    const std::optional<int> day = month && skipped(text, at, '-') ? digitsAt(text, at, 2) : std::nullopt;
    if (!day)
        return std::nullopt;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (at < text.size()) {
        const qsizetype separator = at;
        while (at < text.size() && (text[at] == ' ' || text[at] == 'T'))
            ++at;
        const std::optional<int> hours = at > separator ? digitsAt(text, at, 2) : std::nullopt;
        const std::optional<int> minutes = hours && skipped(text, at, ':') ? digitsAt(text, at, 2) : std::nullopt;
        if (!minutes)
            return std::nullopt;
        const std::optional<int> seconds = skipped(text, at, ':') ? digitsAt(text, at, 2) : std::optional(0);
        if (!seconds || at != text.size())
            return std::nullopt;
        hour = *hours;
        minute = *minutes;
        second = *seconds;
    }
    const quint32 packed = packDateTime(*year, *month, *day, hour, minute, second);
    if (packed == 0)
        return std::nullopt;
    return packed;
}

std::optional<quint32> packedDateTimeOf(QByteArrayView text)
{
    if (isWord(text, "none"))
        return 0;
    if (startsWithHexPrefix(text))
        return numberOf(text, 0xFFFFFFFF);
    return packedCalendarDateTimeOf(text);
}

std::optional<quint16> packedDateOf(QByteArrayView text)
{
    if (startsWithHexPrefix(text)) {
        const std::optional<quint32> date = numberOf(text, 0xFFFF);
        return date ? std::optional<quint16>(static_cast<quint16>(*date)) : std::nullopt;
    }
    const std::optional<quint32> packed = packedDateTimeOf(text);
    return packed ? std::optional<quint16>(static_cast<quint16>(*packed >> 16)) : std::nullopt;
}

std::optional<bool> flagOf(QByteArrayView text)
{
    if (isWord(text, "yes") || isWord(text, "true") || text == "1")
        return true;
    if (isWord(text, "no") || isWord(text, "false") || text == "0")
        return false;
    return std::nullopt;
}

std::optional<quint64> sizeOf(QByteArrayView text)
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
std::optional<QByteArray> unquoted(QByteArrayView text)
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

std::optional<QByteArray> pathOf(QByteArrayView text)
{
    const std::optional<QByteArray> path = text.startsWith('"') ? unquoted(text) : text.toByteArray();
    if (!path)
        return std::nullopt;
    const std::optional<QByteArray> key = metadataKey(*path);
    if (!key || key->isEmpty())
        return std::nullopt;
    return key;
}

// "[users]", "[entry PATH]" or "[deleted PATH]", the word in any letter case.
ParsedLine parsedHeader(QByteArrayView line)
{
    ParsedLine header{ParsedLine::Kind::Header, Section::Unknown, {}, {}, {}, {}};
    const auto unknown = [&header, line] {
        header.problem = u"unknown section %1 (expected [users], [entry PATH] or [deleted PATH])"_s.arg(
            QString::fromUtf8(line));
        return header;
    };
    if (!line.endsWith(']'))
        return unknown();
    const QByteArrayView inside = line.sliced(1, line.size() - 2).trimmed();
    for (const auto& [word, section] : {std::pair{"users", Section::Users}, std::pair{"entry", Section::Entry},
                                        std::pair{"deleted", Section::Deleted}}) {
        const QByteArrayView kind(word);
        if (inside.size() < kind.size() || !isWord(inside.first(kind.size()), kind))
            continue;
        const QByteArrayView rest = inside.sliced(kind.size()).trimmed();
        if ((section == Section::Users) != rest.isEmpty())
            return unknown();
        if (section != Section::Users) {
            std::optional<QByteArray> path = pathOf(rest);
            if (!path) {
                header.problem = u"invalid path %1"_s.arg(QString::fromUtf8(rest));
                return header;
            }
            header.path = std::move(*path);
        }
        header.section = section;
        return header;
    }
    return unknown();
}

// The one parser of the file's lines, for the indexing and for reading a folder alike.
ParsedLine parsedLine(QByteArrayView text)
{
    const QByteArrayView line = text.trimmed();
    if (line.isEmpty() || line.front() == '#' || line.front() == ';')
        return {};
    if (line.front() == '[')
        return parsedHeader(line);
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return ParsedLine{ParsedLine::Kind::Malformed, Section::None, {}, {}, {}, u"expected \"name = value\""_s};
    return ParsedLine{ParsedLine::Kind::Setting, Section::None, {}, line.first(equals).trimmed(),
                      line.sliced(equals + 1).trimmed(), {}};
}

// The folder part of a metadata key ("" for an entry at the top) and its name.
std::pair<QByteArrayView, QByteArrayView> folderAndName(const QByteArray& key)
{
    const qsizetype slash = key.lastIndexOf('/');
    const QByteArrayView path(key);
    if (slash < 0)
        return {QByteArrayView(), path};
    return {path.first(slash), path.sliced(slash + 1)};
}

// The lines between two offsets of a file (the end -1 for the file's end), read a chunk at a time
// so that a large file is never held whole.
class ChunkedLines
{
public:
    ChunkedLines(QIODevice& device, qint64 chunkSize, const VolumeMetadataFile::Span& span)
        : m_device(device), m_chunkSize(chunkSize), m_end(span.end), m_bufferOffset(span.offset),
          m_lineNumber(span.firstLine - 1)
    {
        m_exhausted = !m_device.seek(span.offset);
        m_failed = m_exhausted;
    }

    // The next line, without its line end; false after the last.
    bool next()
    {
        while (!m_done) {
            const qsizetype newline = m_buffer.indexOf('\n', m_position);
            if (newline >= 0 || m_exhausted) {
                const qsizetype end = newline >= 0 ? newline : m_buffer.size();
                m_line = QByteArrayView(m_buffer).sliced(m_position, end - m_position);
                m_lineOffset = m_bufferOffset + m_position;
                m_position = end + 1;
                m_done = newline < 0;
                ++m_lineNumber;
                return true;
            }
            readChunk();
        }
        return false;
    }

    QByteArrayView line() const { return m_line; }
    qint64 lineOffset() const { return m_lineOffset; }
    int lineNumber() const { return m_lineNumber; }
    // Where the lines read end: the end of the file or of the span.
    qint64 endOffset() const { return m_bufferOffset + m_buffer.size(); }
    bool failed() const { return m_failed; }
    QString error() const { return m_device.errorString(); }

private:
    void readChunk()
    {
        m_buffer.remove(0, m_position);
        m_bufferOffset += m_position;
        m_position = 0;
        const qint64 wanted = m_end < 0 ? m_chunkSize : std::min(m_chunkSize, m_end - endOffset());
        const qsizetype held = m_buffer.size();
        m_buffer.resize(held + wanted);
        const qint64 read = wanted > 0 ? m_device.read(m_buffer.data() + held, wanted) : 0;
        m_buffer.resize(held + std::max<qint64>(read, 0));
        m_failed = read < 0;
        m_exhausted = read <= 0;
    }

    QIODevice& m_device;
    qint64 m_chunkSize;
    qint64 m_end;
    QByteArray m_buffer;
    qint64 m_bufferOffset;
    qsizetype m_position = 0;
    QByteArrayView m_line;
    qint64 m_lineOffset = 0;
    int m_lineNumber;
    bool m_exhausted = false;
    bool m_failed = false;
    bool m_done = false;
};

// Reads the values of settings, warning about those it cannot read.
class SettingReader
{
public:
    SettingReader(const QString& filePath, const QHash<QString, quint32>& userIds, QStringList& warnings)
        : m_filePath(filePath), m_userIds(userIds), m_warnings(warnings)
    {}

    void warn(int lineNumber, const QString& reason)
    {
        m_warnings.append(m_filePath + u':' + QString::number(lineNumber) + u": "_s + reason);
    }

    void readEntrySetting(EntryOverrides& entry, const ParsedLine& setting, int lineNumber)
    {
        m_setting = &setting;
        m_lineNumber = lineNumber;
        const QByteArrayView key = setting.key;
        const QByteArrayView value = setting.value;
        if (isWord(key, "created"))
            store(entry.created, packedDateTimeOf(value));
        else if (isWord(key, "archived"))
            store(entry.archived, packedDateTimeOf(value));
        else if (isWord(key, "modified"))
            store(entry.modified, packedDateTimeOf(value));
        else if (isWord(key, "accessed"))
            store(entry.accessed, packedDateOf(value));
        else if (isWord(key, "creator"))
            store(entry.creator, userIdOf(value));
        else if (isWord(key, "archiver"))
            store(entry.archiver, userIdOf(value));
        else if (isWord(key, "modifier"))
            store(entry.modifier, userIdOf(value));
        else if (isWord(key, "system"))
            store(entry.system, flagOf(value));
        else
            warn(lineNumber, u"unknown entry setting \"%1\""_s.arg(keyText()));
    }

    void readDeletedSetting(SalvageableEntry& entry, const ParsedLine& setting, int lineNumber)
    {
        m_setting = &setting;
        m_lineNumber = lineNumber;
        if (isWord(setting.key, "size"))
            assign(entry.size, sizeOf(setting.value));
        else if (isWord(setting.key, "deleted"))
            assign(entry.deletedDateTime, packedDateTimeOf(setting.value));
        else if (isWord(setting.key, "deletor"))
            assign(entry.deletorId, userIdOf(setting.value));
        else
            warn(lineNumber, u"unknown deleted-entry setting \"%1\""_s.arg(keyText()));
    }

private:
    QString keyText() const { return QString::fromUtf8(m_setting->key).toLower(); }

    std::optional<quint32> userIdOf(QByteArrayView text) const
    {
        if (text.isEmpty())
            return std::nullopt;
        if (isWord(text, "none"))
            return 0;
        if (isDigit(text.front()))
            return numberOf(text, 0xFFFFFFFF);
        const QString name = QString::fromUtf8(text);
        const auto user = m_userIds.constFind(name.toCaseFolded());
        if (user != m_userIds.cend())
            return *user;
        const std::optional<quint32> uid = SystemUserNames::uidOf(name);
        return uid ? std::optional(objectIdOfUid(*uid)) : std::nullopt;
    }

    void warnUnreadable()
    {
        warn(m_lineNumber, u"cannot read %1 \"%2\""_s.arg(keyText(), QString::fromUtf8(m_setting->value)));
    }

    template <typename Value> void store(std::optional<Value>& field, const std::optional<Value>& value)
    {
        if (value)
            field = value;
        else
            warnUnreadable();
    }

    template <typename Value> void assign(Value& field, const std::optional<Value>& value)
    {
        if (value)
            field = *value;
        else
            warnUnreadable();
    }

    const QString& m_filePath;
    const QHash<QString, quint32>& m_userIds;
    QStringList& m_warnings;
    const ParsedLine* m_setting = nullptr;
    int m_lineNumber = 0;
};

// A path without empty, "." or ".." components is its own key: most are, and every header's path
// is keyed twice, when the file is indexed and when its folder is read.
bool isCleanPath(QByteArrayView path)
{
    for (qsizetype start = 0; start <= path.size();) {
        qsizetype end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        const QByteArrayView component = path.sliced(start, end - start);
        if (component.isEmpty() || component == "." || component == "..")
            return false;
        start = end + 1;
    }
    return true;
}

using FolderSpan = std::pair<size_t, VolumeMetadataFile::Span>;

bool byFolder(const FolderSpan& left, const FolderSpan& right)
{
    return left.first < right.first;
}

// The spans of [entry] sections that may hold those of the case-folded folder.
QList<VolumeMetadataFile::Span> spansOf(const QList<FolderSpan>& sections, const QByteArray& foldedFolder)
{
    const auto [first, last] =
        std::equal_range(sections.cbegin(), sections.cend(), FolderSpan{qHash(foldedFolder), {}}, byFolder);
    QList<VolumeMetadataFile::Span> spans;
    for (auto section = first; section != last; ++section)
        spans.append(section->second);
    return spans;
}

// Walks the lines of spans: each header, then each setting below it.
template <typename OnHeader, typename OnSetting>
void readSpans(QIODevice& device, qint64 chunkSize, const QList<VolumeMetadataFile::Span>& spans,
               SettingReader& reader, const OnHeader& onHeader, const OnSetting& onSetting)
{
    for (const VolumeMetadataFile::Span& span : spans) {
        ChunkedLines lines(device, chunkSize, span);
        while (lines.next()) {
            const ParsedLine parsed = parsedLine(lines.line());
            if (parsed.kind == ParsedLine::Kind::Header)
                onHeader(parsed);
            else if (parsed.kind == ParsedLine::Kind::Setting)
                onSetting(parsed, lines.lineNumber());
        }
        if (lines.failed()) {
            reader.warn(span.firstLine, u"cannot be read: "_s + lines.error());
            return;
        }
    }
}

void readUser(VolumeMetadataFile::Index& index, const ParsedLine& setting, int lineNumber, SettingReader& reader)
{
    const std::optional<quint32> id = numberOf(setting.key, 0xFFFFFFFF);
    if (!id || *id == 0 || setting.value.isEmpty())
        reader.warn(lineNumber, u"expected \"OBJECT-ID = NAME\" with an ID other than 0"_s);
    else
        index.users.insert(*id, QString::fromUtf8(setting.value));
}

// A name given to several IDs stands for the lowest of them.
QHash<QString, quint32> userIdsOf(const QHash<quint32, QString>& users)
{
    QHash<QString, quint32> ids;
    for (auto user = users.cbegin(); user != users.cend(); ++user) {
        const QString name = user->toCaseFolded();
        const auto known = ids.constFind(name);
        if (known == ids.cend() || *known > user.key())
            ids.insert(name, user.key());
    }
    return ids;
}

// Where the sections being indexed lie: consecutive sections of one kind, and for [entry]
// sections of one folder, make one span.
class SpanCollector
{
public:
    explicit SpanCollector(VolumeMetadataFile::Index& index) : m_index(index) {}

    // A header begins at offset.
    void header(const ParsedLine& header, qint64 offset, int lineNumber)
    {
        const QByteArrayView folder = folderAndName(header.path).first;
        if (!continuesSpan(header.section, folder)) {
            close(offset);
            if (header.section == Section::Deleted || header.section == Section::Entry)
                m_span = VolumeMetadataFile::Span{offset, -1, lineNumber};
            if (header.section == Section::Entry)
                m_folder = caseFolded(folder.toByteArray());
        }
        if (folder != m_folderAsWritten)
            m_folderAsWritten = folder.toByteArray();
        m_section = header.section;
    }

    void close(qint64 end)
    {
        if (!m_span)
            return;
        m_span->end = end;
        if (m_section == Section::Deleted)
            m_deletedSections.append(*m_span);
        else
            m_index.entrySections.append({qHash(m_folder), *m_span});
        m_span.reset();
    }

    Section section() const { return m_section; }
    const QList<VolumeMetadataFile::Span>& deletedSections() const { return m_deletedSections; }

private:
    // The folder as the last header wrote it spares folding the next one's, as sections of one
    // folder usually follow each other spelled alike.
    bool continuesSpan(Section section, QByteArrayView folder) const
    {
        if (!m_span || section != m_section)
            return false;
        return section == Section::Deleted || folder == m_folderAsWritten ||
               caseFolded(folder.toByteArray()) == m_folder;
    }

    VolumeMetadataFile::Index& m_index;
    QList<VolumeMetadataFile::Span> m_deletedSections;
    Section m_section = Section::None;
    std::optional<VolumeMetadataFile::Span> m_span;
    QByteArray m_folder; // of the [entry] span, case-folded
    QByteArray m_folderAsWritten;
};

// The deleted entries are read after the indexing, as they may name users defined further down.
void readDeletedEntries(QIODevice& device, qint64 chunkSize, const QList<VolumeMetadataFile::Span>& spans,
                        SettingReader& reader, QList<SalvageableEntry>& deleted)
{
    readSpans(
        device, chunkSize, spans, reader,
        [&deleted](const ParsedLine& header) {
            const auto [folder, name] = folderAndName(header.path);
            deleted.append(SalvageableEntry{folder.toByteArray(), name.toByteArray(), 0, 0, 0});
        },
        [&deleted, &reader](const ParsedLine& setting, int lineNumber) {
            reader.readDeletedSetting(deleted.last(), setting, lineNumber);
        });
}

// One pass over the file: the users are read, and where the [entry] sections of each folder and
// the [deleted] sections lie is noted.
VolumeMetadataFile::Index indexOf(QIODevice& device, qint64 chunkSize, const QString& filePath)
{
    VolumeMetadataFile::Index index;
    SettingReader reader(filePath, index.userIds, index.warnings);
    SpanCollector spans(index);
    ChunkedLines lines(device, chunkSize, VolumeMetadataFile::Span{0, -1, 1});
    while (lines.next()) {
        const ParsedLine parsed = parsedLine(lines.line());
        if (parsed.kind == ParsedLine::Kind::Header) {
            if (parsed.section == Section::Unknown)
                reader.warn(lines.lineNumber(), parsed.problem);
            spans.header(parsed, lines.lineOffset(), lines.lineNumber());
        } else if (parsed.kind == ParsedLine::Kind::Malformed && spans.section() != Section::Unknown) {
            reader.warn(lines.lineNumber(), parsed.problem);
        } else if (parsed.kind == ParsedLine::Kind::Setting && spans.section() == Section::Users) {
            readUser(index, parsed, lines.lineNumber(), reader);
        }
    }
    spans.close(lines.endOffset());
    if (lines.failed())
        reader.warn(lines.lineNumber(), u"cannot be read: "_s + lines.error());
    std::stable_sort(index.entrySections.begin(), index.entrySections.end(), byFolder);
    index.entrySections.squeeze();
    index.userIds = userIdsOf(index.users);
    readDeletedEntries(device, chunkSize, spans.deletedSections(), reader, index.deleted);
    return index;
}

} // namespace

std::optional<QByteArray> metadataKey(const QByteArray& path)
{
    if (isCleanPath(path))
        return path;
    const std::optional<QByteArrayList> components = pathComponents(path, false);
    if (!components)
        return std::nullopt;
    return components->join('/');
}

VolumeMetadataFile::VolumeMetadataFile() = default;
VolumeMetadataFile::~VolumeMetadataFile() = default;
VolumeMetadataFile::VolumeMetadataFile(VolumeMetadataFile&&) noexcept = default;
VolumeMetadataFile& VolumeMetadataFile::operator=(VolumeMetadataFile&&) noexcept = default;

VolumeMetadataFile::VolumeMetadataFile(const QString& filePath, qint64 chunkSize)
    : m_filePath(filePath), m_chunkSize(chunkSize)
{
    // A named pipe or device there would block the server or feed it without end.
    const QFileInfo info(filePath);
    if (info.exists() && !info.isFile()) {
        m_index.warnings.append(filePath + u":0: cannot be read: not a regular file"_s);
        return;
    }
    auto file = std::make_unique<QFile>(filePath);
    // Read in chunks of its own: a buffer of the device would only copy them again.
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (file->exists())
            m_index.warnings.append(filePath + u":0: cannot be read: "_s + file->errorString());
        return;
    }
    m_device = std::move(file);
    m_index = indexOf(*m_device, m_chunkSize, m_filePath);
}

VolumeMetadataFile::VolumeMetadataFile(const QByteArray& contents, const QString& filePath, qint64 chunkSize)
    : m_filePath(filePath), m_chunkSize(chunkSize)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(contents);
    buffer->open(QIODevice::ReadOnly);
    m_device = std::move(buffer);
    m_index = indexOf(*m_device, m_chunkSize, m_filePath);
}

OverridesByName VolumeMetadataFile::folder(const QByteArray& foldedFolder, QStringList& warnings) const
{
    OverridesByName entries;
    const QList<Span> spans = spansOf(m_index.entrySections, foldedFolder);
    if (spans.isEmpty())
        return entries;
    SettingReader reader(m_filePath, m_index.userIds, warnings);
    // A header of another folder (the file changed in place since it was indexed) ends what applies.
    QByteArray name;
    // Sections of one folder usually follow each other spelled alike: the spelling is folded once.
    // Null until the first header, so that the first (and any at the top) is always folded.
    QByteArray folderAsWritten;
    bool folderIsOurs = false;
    readSpans(
        *m_device, m_chunkSize, spans, reader,
        [&](const ParsedLine& header) {
            const auto [folder, entryName] = folderAndName(header.path);
            if (folder != folderAsWritten || folderAsWritten.isNull()) {
                folderAsWritten = folder.toByteArray();
                folderIsOurs = caseFolded(folderAsWritten) == foldedFolder;
            }
            const bool ours = header.section == Section::Entry && folderIsOurs;
            name = ours ? caseFolded(entryName.toByteArray()) : QByteArray();
        },
        [&name, &entries, &reader](const ParsedLine& setting, int lineNumber) {
            if (!name.isEmpty())
                reader.readEntrySetting(entries[name], setting, lineNumber);
        });
    return entries;
}

QByteArrayList VolumeMetadataFile::folders() const
{
    if (m_index.entrySections.isEmpty())
        return {};
    QList<Span> spans;
    for (const auto& [folder, span] : m_index.entrySections)
        spans.append(span);
    QStringList warnings;
    SettingReader reader(m_filePath, m_index.userIds, warnings);
    QSet<QByteArray> folders;
    readSpans(
        *m_device, m_chunkSize, spans, reader,
        [&folders](const ParsedLine& header) {
            if (header.section == Section::Entry)
                folders.insert(caseFolded(folderAndName(header.path).first.toByteArray()));
        },
        [](const ParsedLine&, int) {});
    return folders.values();
}

} // namespace corvane
