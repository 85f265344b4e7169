#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace corvane {

// The file a log's bytes come from, as it was opened.
struct LogFileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0; // on disk: compressed where the file is
};

// The text of one generation of a log: the live file as it lies, or one logrotate or smbd set
// aside, uncompressed where its first bytes tell gzip, xz or zstd. A log is opened
// without being led elsewhere: a symbolic link is followed only where it belongs to root or to
// the account reading, and only a regular file is read.
class LogStream
{
public:
    // What head() holds: enough of a log's start to tell two logs apart.
    static constexpr qsizetype HeadBytes = 4096;

    virtual ~LogStream();
    LogStream(const LogStream&) = delete;
    LogStream& operator=(const LogStream&) = delete;

    enum class Generation
    {
        Live,    // written to now: text, whatever its first bytes look like
        Rotated, // set aside, perhaps compressed
    };

    // nullptr with the reason in error when the file is not there, is refused, cannot be read or
    // is compressed in a form that cannot be read; missing tells the first case.
    static std::unique_ptr<LogStream> open(const QString& path, Generation generation, QString& error,
                                           bool* missing = nullptr);

    const QString& path() const { return m_path; }
    const LogFileIdentity& file() const { return m_file; }
    virtual bool compressed() const = 0;
    // The first HeadBytes of the text (all of a shorter one).
    const QByteArray& head() const { return m_head; }

    // Up to size bytes of the text from position(); 0 at its end, -1 on failure (see error()).
    qint64 read(char* data, qint64 size);
    // Moves forward to offset; false where the text ends before it, or on failure.
    bool skipTo(qint64 offset);
    qint64 position() const { return m_position; }
    // How far into the file on disk the reading is, for progress.
    virtual qint64 filePosition() const = 0;
    const QString& error() const { return m_error; }

protected:
    LogStream(QString path, int descriptor, const LogFileIdentity& file);

    // The decoder's own reading, from where it last stopped.
    virtual qint64 readText(char* data, qint64 size) = 0;
    // Where the text can be reached directly (a file as it lies): moves the decoder to offset,
    // false where the file ends before it.
    virtual bool seekable() const { return false; }
    virtual bool seekText(qint64 /*offset*/) { return false; }
    qint64 fail(const QString& reason);
    int descriptor() const { return m_descriptor; }

private:
    bool readHead();
    bool discardUpTo(qint64 offset);

    QString m_path;
    int m_descriptor;
    LogFileIdentity m_file;
    QByteArray m_head;
    qint64 m_position = 0;    // of the next byte read() gives
    qint64 m_textPosition = 0; // of the next byte readText() gives
    QString m_error;
};

// The lines of a log's text, cut without ever holding more than a block of it and a line in
// memory, whatever the text holds.
class LogLines
{
public:
    // No record smbd writes comes near this; longer lines are passed over.
    static constexpr qsizetype LongestLine = 64 << 10;
    // What tailBefore() gives: enough of the text before an offset to tell two logs apart.
    static constexpr qsizetype TailBytes = 4096;

    enum class Next
    {
        Line,
        Overlong, // a line longer than LongestLine, passed over (reported once per line)
        End,      // the text ends; what follows the last line is rest()
        Failed,   // the stream could not be read: its error()
    };

    // Reads stream from its position() on. before: the bytes just before it (up to TailBytes);
    // inLongLine: the position lies inside a line already found overlong.
    LogLines(LogStream& stream, QByteArray before, bool inLongLine);

    // The next line without its "\n" or "\r\n", and without the NUL bytes before it that a file
    // written past its end (after it was emptied) holds.
    Next next(QByteArrayView& line);
    // The offset of the line next() gave last.
    qint64 lineStart() const { return m_lineStart; }
    // The offset after the last line given or passed over.
    qint64 end() const { return m_bufferStart + m_scan; }
    bool inLongLine() const { return m_inLongLine; }
    // After End: the unfinished line that follows the last one, taken as read.
    QByteArrayView takeRest();

    // Keeps the text from offset (a line start given already) on in memory until release(), so
    // that tailBefore(offset) stays known: a message of several lines is read again from its start.
    void hold(qint64 offset) { m_hold = offset; }
    void release() { m_hold.reset(); }
    // The up to TailBytes before offset, which lies no earlier than what is held or end().
    QByteArray tailBefore(qint64 offset) const;

private:
    bool fill();

    LogStream& m_stream;
    QByteArray m_buffer;
    qint64 m_bufferStart = 0; // the offset of m_buffer's first byte
    qsizetype m_scan = 0;     // where the next line starts in m_buffer
    qint64 m_lineStart = 0;
    std::optional<qint64> m_hold;
    bool m_inLongLine = false;
    bool m_ended = false;
    bool m_failed = false;
};

// The generations a log was rotated into beside it: "log.1", "log.2.gz" (logrotate's numbers),
// "log-20261208.xz" (its dates), "log.old" (smbd's own), oldest first; rotation tells whether the
// name is one of those forms, so that its place in the order is known.
struct RotatedLog
{
    QString path;
    bool rotation = false;
};
QList<RotatedLog> rotatedLogs(const QString& livePath);

} // namespace corvane
