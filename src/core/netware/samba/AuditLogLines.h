#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <optional>

namespace corvane {

// Local wall-clock times of log lines as seconds since the epoch. The conversion is made once
// per local hour and kept: a time-zone look-up per line would cost more than the line.
class LocalLogClock
{
public:
    // nullopt for a date or time that does not exist.
    std::optional<qint64> secondsOf(int year, int month, int day, int hour, int minute, int second);

private:
    QHash<qint64, qint64> m_hourStarts; // by year, month, day and hour packed together
};

// A line a syslog daemon wrote: "Dec  8 05:24:24 host smbd_audit: MESSAGE" (the traditional
// form, whose year is the one that puts the line no later than a day after now), or
// "2026-12-08T05:24:24.123456+01:00 host smbd_audit: MESSAGE", with or without the host and
// with an optional "<PRI>" in front. The message is given as written: "#ooo" may be a control
// character the daemon escaped or text of a name (see decodedSyslogEscapes).
class SyslogLineReader
{
public:
    enum class Outcome
    {
        Message, // an audit message
        Foreign, // a line of another program
        Garbled, // no time could be read
    };

    explicit SyslogLineReader(qint64 now);
    Outcome read(QByteArrayView line, qint64& time, QByteArray& message);

private:
    std::optional<qint64> traditionalTime(QByteArrayView text);
    static std::optional<qint64> isoTime(QByteArrayView text);

    qint64 m_now;
    int m_year;
    LocalLogClock m_clock;
};

// The header smbd writes before every message of its own log file,
// "[2026/12/08 05:23:44.586998,  1] ../../source3/modules/vfs_full_audit.c:643(do_log)":
// nullopt when the line is no header; auditRecord tells whether the message is a full_audit one.
std::optional<qint64> smbdLogHeaderTime(QByteArrayView line, LocalLogClock& clock, bool& auditRecord);

// Decodes rsyslog's "#ooo" escapes of control characters (codes 0-31 and 127; every other "#"
// stays as it is).
QByteArray decodedSyslogEscapes(QByteArrayView text);

} // namespace corvane
