#include "core/netware/samba/AuditLogFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <initializer_list>
#include <optional>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

constexpr int MostLinksFollowed = 8;
constexpr qsizetype InputBytes = 256 << 10;

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

bool trustedOwner(uid_t owner)
{
    return owner == 0 || owner == ::geteuid();
}

// The target of the symbolic link at path, read through a handle on the link itself, so that the
// link whose owner was judged is the link followed; empty with error set otherwise.
QByteArray trustedLinkTarget(const QByteArray& path, QString& error)
{
    const int link = ::open(path.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (link < 0) {
        error = systemError(errno);
        return {};
    }
    struct stat status;
    char target[PATH_MAX];
    ssize_t length = -1;
    if (::fstat(link, &status) != 0) {
        error = systemError(errno);
    } else if (!S_ISLNK(status.st_mode)) {
        error = systemError(ELOOP);
    } else if (!trustedOwner(status.st_uid)) {
        error = u"it is a symbolic link of another account (uid %1), which is not followed"_s.arg(status.st_uid);
    } else {
        length = ::readlinkat(link, "", target, sizeof target);
        if (length < 0)
            error = systemError(errno);
        else if (length == sizeof target)
            error = systemError(ENAMETOOLONG);
    }
    ::close(link);
    if (length < 0 || length == sizeof target)
        return {};
    const QByteArray text(target, length);
    return text.startsWith('/') ? text : folderOf(path) + '/' + text;
}

// A descriptor of the regular file at path, reached through links of root or of the account
// reading only; -1 with error set otherwise.
int openTrusted(const QString& path, QString& error, bool& missing)
{
    QByteArray name = QFile::encodeName(path);
    for (int links = 0; links <= MostLinksFollowed; ++links) {
        const int descriptor = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (descriptor >= 0) {
            struct stat status;
            if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode))
                return descriptor;
            ::close(descriptor);
            missing = true;
            error = u"it is no regular file"_s;
            return -1;
        }
        if (errno != ELOOP) {
            missing = errno == ENOENT;
            error = systemError(errno);
            return -1;
        }
        name = trustedLinkTarget(name, error);
        if (name.isEmpty())
            return -1;
    }
    error = systemError(ELOOP);
    return -1;
}

class PlainLogStream final : public LogStream
{
public:
    PlainLogStream(const QString& path, int descriptor, const LogFileIdentity& file)
        : LogStream(path, descriptor, file)
    {}
    bool compressed() const override { return false; }
    qint64 filePosition() const override { return m_filePosition; }

protected:
    qint64 readText(char* data, qint64 size) override
    {
        for (;;) {
            const ssize_t got = ::read(descriptor(), data, static_cast<size_t>(size));
            if (got >= 0) {
                m_filePosition += got;
                return got;
            }
            if (errno != EINTR)
                return fail(systemError(errno));
        }
    }

    bool seekable() const override { return true; }
    bool seekText(qint64 offset) override
    {
        struct stat status;
        if (::fstat(descriptor(), &status) != 0 || offset > status.st_size)
            return false;
        if (::lseek(descriptor(), offset, SEEK_SET) != offset) {
            fail(systemError(errno));
            return false;
        }
        m_filePosition = offset;
        return true;
    }

private:
    qint64 m_filePosition = 0;
};

// A compressed file, read through its decoder: input comes from the file in large pieces, and
// several compressed streams one after the other (as "cat a.gz b.gz" makes) are one text.
class CompressedLogStream : public LogStream
{
public:
    using LogStream::LogStream;
    bool compressed() const override { return true; }
    qint64 filePosition() const override { return m_filePosition; }

protected:
    struct Buffers
    {
        const char* in;
        size_t inLeft;
        char* out;
        size_t outLeft;
        bool inputEnded;
    };
    // One step of the decoder; false when the data is damaged. complete() tells whether the
    // input decoded so far ends where a compressed stream ends.
    virtual bool decode(Buffers& buffers) = 0;
    virtual bool complete() const = 0;

    qint64 readText(char* data, qint64 size) override
    {
        Buffers buffers{m_in, m_inLeft, data, static_cast<size_t>(size), m_inputEnded};
        while (buffers.outLeft == static_cast<size_t>(size)) {
            if (buffers.inLeft == 0 && !m_inputEnded && !fillInput(buffers))
                return -1;
            const size_t inBefore = buffers.inLeft;
            if (!decode(buffers))
                return fail(u"its compressed data is damaged"_s);
            const bool progress = buffers.inLeft != inBefore || buffers.outLeft != static_cast<size_t>(size);
            if (!progress && m_inputEnded) {
                if (!complete())
                    return fail(u"it ends in the middle of its compressed data"_s);
                break;
            }
            if (!progress && buffers.inLeft > 0)
                return fail(u"its compressed data is damaged"_s);
        }
        m_in = buffers.in;
        m_inLeft = buffers.inLeft;
        return size - static_cast<qint64>(buffers.outLeft);
    }

private:
    bool fillInput(Buffers& buffers)
    {
        m_input.resize(InputBytes);
        for (;;) {
            const ssize_t got = ::read(descriptor(), m_input.data(), static_cast<size_t>(m_input.size()));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                fail(systemError(errno));
                return false;
            }
            m_filePosition += got;
            m_inputEnded = got == 0;
            buffers.inputEnded = m_inputEnded;
            buffers.in = m_input.constData();
            buffers.inLeft = static_cast<size_t>(got);
            return true;
        }
    }

    QByteArray m_input;
    const char* m_in = nullptr;
    size_t m_inLeft = 0;
    bool m_inputEnded = false;
    qint64 m_filePosition = 0;
};

class GzipLogStream final : public CompressedLogStream
{
public:
    GzipLogStream(const QString& path, int descriptor, const LogFileIdentity& file)
        : CompressedLogStream(path, descriptor, file)
    {
        m_ready = inflateInit2(&m_stream, 15 + 16) == Z_OK; // a gzip wrapper, the largest window
    }
    ~GzipLogStream() override
    {
        if (m_ready)
            inflateEnd(&m_stream);
    }

protected:
    bool decode(Buffers& buffers) override
    {
        if (!m_ready)
            return false;
        if (m_ended) { // another gzip member may follow
            if (buffers.inLeft == 0)
                return true;
            inflateReset(&m_stream);
            m_ended = false;
        }
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(buffers.in));
        m_stream.avail_in = static_cast<uInt>(buffers.inLeft);
        m_stream.next_out = reinterpret_cast<Bytef*>(buffers.out);
        m_stream.avail_out = static_cast<uInt>(std::min<size_t>(buffers.outLeft, UINT_MAX));
        const uInt outBefore = m_stream.avail_out;
        const int result = inflate(&m_stream, Z_NO_FLUSH);
        buffers.in = reinterpret_cast<const char*>(m_stream.next_in);
        buffers.inLeft = m_stream.avail_in;
        buffers.out += outBefore - m_stream.avail_out;
        buffers.outLeft -= outBefore - m_stream.avail_out;
        m_ended = result == Z_STREAM_END;
        return result == Z_OK || result == Z_STREAM_END || result == Z_BUF_ERROR;
    }
    bool complete() const override { return m_ended; }

private:
    z_stream m_stream{};
    bool m_ready = false;
    bool m_ended = false;
};

class XzLogStream final : public CompressedLogStream
{
public:
    XzLogStream(const QString& path, int descriptor, const LogFileIdentity& file)
        : CompressedLogStream(path, descriptor, file)
    {
        m_ready = lzma_stream_decoder(&m_stream, UINT64_MAX, LZMA_CONCATENATED) == LZMA_OK;
    }
    ~XzLogStream() override { lzma_end(&m_stream); }

protected:
    bool decode(Buffers& buffers) override
    {
        if (!m_ready || m_ended)
            return m_ready;
        m_stream.next_in = reinterpret_cast<const uint8_t*>(buffers.in);
        m_stream.avail_in = buffers.inLeft;
        m_stream.next_out = reinterpret_cast<uint8_t*>(buffers.out);
        m_stream.avail_out = buffers.outLeft;
        const lzma_ret result = lzma_code(&m_stream, buffers.inputEnded ? LZMA_FINISH : LZMA_RUN);
        buffers.in = reinterpret_cast<const char*>(m_stream.next_in);
        buffers.inLeft = m_stream.avail_in;
        buffers.out += buffers.outLeft - m_stream.avail_out;
        buffers.outLeft = m_stream.avail_out;
        m_ended = result == LZMA_STREAM_END;
        return result == LZMA_OK || result == LZMA_STREAM_END || result == LZMA_BUF_ERROR;
    }
    bool complete() const override { return m_ended; }

private:
    lzma_stream m_stream = LZMA_STREAM_INIT;
    bool m_ready = false;
    bool m_ended = false;
};

class ZstdLogStream final : public CompressedLogStream
{
public:
    ZstdLogStream(const QString& path, int descriptor, const LogFileIdentity& file)
        : CompressedLogStream(path, descriptor, file), m_context(ZSTD_createDStream())
    {}
    ~ZstdLogStream() override { ZSTD_freeDStream(m_context); }

protected:
    bool decode(Buffers& buffers) override
    {
        if (!m_context)
            return false;
        ZSTD_inBuffer in{buffers.in, buffers.inLeft, 0};
        ZSTD_outBuffer out{buffers.out, buffers.outLeft, 0};
        const size_t result = ZSTD_decompressStream(m_context, &out, &in);
        if (ZSTD_isError(result))
            return false;
        buffers.in += in.pos;
        buffers.inLeft -= in.pos;
        buffers.out += out.pos;
        buffers.outLeft -= out.pos;
        if (in.pos > 0 || out.pos > 0)
            m_frameEnded = result == 0;
        return true;
    }
    bool complete() const override { return m_frameEnded; }

private:
    ZSTD_DStream* m_context;
    bool m_frameEnded = false;
};

enum class Compression
{
    None,
    Gzip,
    Xz,
    Zstd,
    Other, // a form this reader does not decode
};

Compression compressionOf(int descriptor)
{
    unsigned char magic[6] = {};
    const ssize_t got = ::pread(descriptor, magic, sizeof magic, 0);
    const auto starts = [&](std::initializer_list<unsigned char> bytes) {
        return got >= static_cast<ssize_t>(bytes.size()) && std::equal(bytes.begin(), bytes.end(), magic);
    };
    if (starts({0x1f, 0x8b}))
        return Compression::Gzip;
    if (starts({0xfd, '7', 'z', 'X', 'Z', 0x00}))
        return Compression::Xz;
    if (starts({0x28, 0xb5, 0x2f, 0xfd}))
        return Compression::Zstd;
    if (starts({'B', 'Z', 'h'}) || starts({0x04, 0x22, 0x4d, 0x18}) || starts({0x1f, 0x9d}))
        return Compression::Other; // bzip2, lz4, compress
    return Compression::None;
}

bool isCompressedName(const QString& name)
{
    for (const char* suffix : {".gz", ".xz", ".zst", ".bz2", ".lz4", ".lzma", ".Z"}) {
        if (name.endsWith(QLatin1String(suffix)))
            return true;
    }
    return false;
}

// Where a rotated name stands among its log's generations, oldest first.
struct GenerationOrder
{
    bool numbered = false; // logrotate's numbers: the highest is the oldest
    qint64 number = 0;
    QString name;          // dates and smbd's ".old": in the order of their names
    bool compressed = false;

    bool operator<(const GenerationOrder& other) const
    {
        if (numbered != other.numbered)
            return !numbered;
        if (numbered && number != other.number)
            return number > other.number;
        if (name != other.name)
            return name < other.name;
        // While logrotate compresses "log.1", the two are one generation: the one that stays is read.
        return compressed && !other.compressed;
    }
};

// The order of a name after the log's own name ("-20261208.gz", ".1"); nullopt for other names.
std::optional<GenerationOrder> generationOrder(QString rest)
{
    GenerationOrder order;
    order.compressed = isCompressedName(rest);
    if (order.compressed)
        rest.truncate(rest.lastIndexOf(u'.'));
    bool numeric = false;
    if (rest.startsWith(u'.'))
        order.number = rest.mid(1).toLongLong(&numeric);
    if (numeric && order.number >= 0) {
        order.numbered = true;
        return order;
    }
    if (rest == ".old"_L1 || (rest.size() > 1 && rest.startsWith(u'-') && rest[1].isDigit())) {
        order.name = rest;
        return order;
    }
    return std::nullopt;
}

} // namespace

LogStream::LogStream(QString path, int descriptor, const LogFileIdentity& file)
    : m_path(std::move(path)), m_descriptor(descriptor), m_file(file)
{}

LogStream::~LogStream()
{
    ::close(m_descriptor);
}

std::unique_ptr<LogStream> LogStream::open(const QString& path, Generation generation, QString& error, bool* missing)
{
    bool notThere = false;
    const int descriptor = openTrusted(path, error, notThere);
    if (missing)
        *missing = notThere;
    if (descriptor < 0)
        return nullptr;
    struct stat status;
    ::fstat(descriptor, &status);
    const LogFileIdentity file{static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino),
                               static_cast<qint64>(status.st_size)};
    std::unique_ptr<LogStream> stream;
    switch (generation == Generation::Live ? Compression::None : compressionOf(descriptor)) {
    case Compression::None:
        stream = std::make_unique<PlainLogStream>(path, descriptor, file);
        break;
    case Compression::Gzip:
        stream = std::make_unique<GzipLogStream>(path, descriptor, file);
        break;
    case Compression::Xz:
        stream = std::make_unique<XzLogStream>(path, descriptor, file);
        break;
    case Compression::Zstd:
        stream = std::make_unique<ZstdLogStream>(path, descriptor, file);
        break;
    case Compression::Other:
        ::close(descriptor);
        error = u"it is compressed in a form that cannot be read here (only gzip, xz and zstd)"_s;
        return nullptr;
    }
    if (!stream->readHead()) {
        error = stream->error();
        return nullptr;
    }
    return stream;
}

bool LogStream::readHead()
{
    m_head.resize(HeadBytes);
    qsizetype got = 0;
    while (got < HeadBytes) {
        const qint64 part = readText(m_head.data() + got, HeadBytes - got);
        if (part < 0)
            return false;
        if (part == 0)
            break;
        got += part;
    }
    m_head.resize(got);
    m_textPosition = got;
    return true;
}

qint64 LogStream::read(char* data, qint64 size)
{
    if (m_position < m_head.size()) {
        const qint64 part = std::min<qint64>(size, m_head.size() - m_position);
        std::memcpy(data, m_head.constData() + m_position, static_cast<size_t>(part));
        m_position += part;
        return part;
    }
    const qint64 got = readText(data, size);
    if (got > 0) {
        m_position += got;
        m_textPosition += got;
    }
    return got;
}

bool LogStream::skipTo(qint64 offset)
{
    if (offset <= m_position)
        return offset == m_position;
    if (offset <= m_head.size()) {
        m_position = offset;
        return true;
    }
    if (m_position < m_head.size())
        m_position = m_head.size();
    if (!seekable())
        return discardUpTo(offset);
    if (!seekText(offset))
        return false;
    m_position = m_textPosition = offset;
    return true;
}

bool LogStream::discardUpTo(qint64 offset)
{
    QByteArray scrap(InputBytes, Qt::Uninitialized);
    while (m_position < offset) {
        const qint64 got = read(scrap.data(), std::min<qint64>(scrap.size(), offset - m_position));
        if (got <= 0)
            return false;
    }
    return true;
}

qint64 LogStream::fail(const QString& reason)
{
    m_error = reason;
    return -1;
}

LogLines::LogLines(LogStream& stream, QByteArray before, bool inLongLine)
    : m_stream(stream), m_buffer(std::move(before)), m_bufferStart(stream.position() - m_buffer.size()),
      m_scan(m_buffer.size()), m_inLongLine(inLongLine)
{}

LogLines::Next LogLines::next(QByteArrayView& line)
{
    for (;;) {
        if (m_inLongLine) {
            const qsizetype newline = m_buffer.indexOf('\n', m_scan);
            m_scan = newline < 0 ? m_buffer.size() : newline + 1;
            m_inLongLine = newline < 0;
            if (m_inLongLine && !fill())
                return m_failed ? Next::Failed : Next::End;
            continue;
        }
        while (m_scan < m_buffer.size() && m_buffer[m_scan] == '\0')
            ++m_scan;
        const qsizetype newline = m_buffer.indexOf('\n', m_scan);
        if (newline >= 0) {
            const qsizetype start = m_scan;
            qsizetype length = newline - start;
            if (length > 0 && m_buffer[newline - 1] == '\r')
                --length;
            m_scan = newline + 1;
            if (length > LongestLine)
                return Next::Overlong;
            m_lineStart = m_bufferStart + start;
            line = QByteArrayView(m_buffer).sliced(start, length);
            return Next::Line;
        }
        if (m_buffer.size() - m_scan > LongestLine) {
            m_inLongLine = true;
            m_scan = m_buffer.size();
            return Next::Overlong;
        }
        if (!fill())
            return m_failed ? Next::Failed : Next::End;
    }
}

QByteArrayView LogLines::takeRest()
{
    const qsizetype start = m_scan;
    m_scan = m_buffer.size();
    return m_inLongLine ? QByteArrayView() : QByteArrayView(m_buffer).sliced(start);
}

QByteArray LogLines::tailBefore(qint64 offset) const
{
    const qint64 from = std::max(m_bufferStart, offset - TailBytes);
    return m_buffer.mid(from - m_bufferStart, offset - from);
}

// Reads the next block after what is kept: the held text, or the unfinished line, each with the
// TailBytes before it.
bool LogLines::fill()
{
    constexpr qsizetype BlockBytes = 1 << 20;
    if (m_ended || m_failed)
        return false;
    const qint64 kept = m_hold.value_or(end());
    const qsizetype dropped = std::max<qint64>(0, kept - TailBytes - m_bufferStart);
    m_buffer.remove(0, dropped);
    m_bufferStart += dropped;
    m_scan -= dropped;
    const qsizetype size = m_buffer.size();
    m_buffer.resize(size + BlockBytes);
    const qint64 got = m_stream.read(m_buffer.data() + size, BlockBytes);
    m_buffer.resize(size + std::max<qint64>(got, 0));
    m_failed = got < 0;
    m_ended = got == 0;
    return got > 0;
}

QList<RotatedLog> rotatedLogs(const QString& livePath)
{
    const QFileInfo live(livePath);
    const QDir folder = live.absoluteDir();
    const QString base = live.fileName();
    QList<std::pair<GenerationOrder, QString>> ordered;
    QList<RotatedLog> others;
    for (const QString& name : folder.entryList({base + u".*"_s, base + u"-*"_s}, QDir::Files | QDir::Hidden)) {
        const std::optional<GenerationOrder> order = generationOrder(name.mid(base.size()));
        if (order)
            ordered.append({*order, folder.filePath(name)});
        else
            others.append(RotatedLog{folder.filePath(name), false});
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& one, const auto& other) { return one.first < other.first; });
    QList<RotatedLog> logs;
    for (const auto& [order, path] : std::as_const(ordered))
        logs.append(RotatedLog{path, true});
    return logs + others;
}

} // namespace corvane
