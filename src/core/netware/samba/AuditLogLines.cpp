#include "core/netware/samba/AuditLogLines.h"

#include <QDateTime>

namespace corvane {

namespace {

constexpr qint64 SecondsPerDay = 86400;

// The number of count digits at position, or -1; a leading blank counts as a zero ("Dec  8").
int number(QByteArrayView text, qsizetype position, int count, bool blankPadded = false)
{
    if (position + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[position + i];
        if (c == ' ' && blankPadded && i == 0)
            continue;
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int monthOf(QByteArrayView name)
{
    static constexpr const char* Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i) {
        if (name == QByteArrayView(Months[i]))
            return i + 1;
    }
    return -1;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
qint64 daysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool isTimeOfDay(int hour, int minute, int second)
{
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 61;
}

// "smbd_audit:" or "smbd_audit[PID]:" at the start of text; the length of the tag with its colon.
qsizetype auditTagLength(QByteArrayView text)
{
    constexpr QByteArrayView Tag = "smbd_audit";
    if (!text.startsWith(Tag))
        return -1;
    qsizetype end = Tag.size();
    if (end < text.size() && text[end] == '[') {
        const qsizetype close = text.indexOf(']', end);
        if (close < 0)
            return -1;
        end = close + 1;
    }
    return end < text.size() && text[end] == ':' ? end + 1 : -1;
}

} // namespace

std::optional<qint64> LocalLogClock::secondsOf(int year, int month, int day, int hour, int minute, int second)
{
    if (!isTimeOfDay(hour, minute, second))
        return std::nullopt;
    const qint64 key = ((static_cast<qint64>(year) * 13 + month) * 32 + day) * 24 + hour;
    auto start = m_hourStarts.constFind(key);
    if (start == m_hourStarts.cend()) {
        const QDate date(year, month, day);
        if (!date.isValid())
            return std::nullopt;
        const QDateTime local(date, QTime(hour, 0), Qt::LocalTime);
        if (!local.isValid())
            return std::nullopt;
        start = m_hourStarts.insert(key, local.toSecsSinceEpoch());
    }
    return *start + minute * 60 + second;
}

SyslogLineReader::SyslogLineReader(qint64 now)
    : m_now(now), m_year(QDateTime::fromSecsSinceEpoch(now).date().year())
{}

// "Dec  8 05:24:24"
std::optional<qint64> SyslogLineReader::traditionalTime(QByteArrayView text)
{
    if (text.size() < 15 || text[3] != ' ' || text[6] != ' ' || text[9] != ':' || text[12] != ':')
        return std::nullopt;
    const int month = monthOf(text.first(3));
    const int day = number(text, 4, 2, true);
    const int hour = number(text, 7, 2);
    const int minute = number(text, 10, 2);
    const int second = number(text, 13, 2);
    if (month < 0 || day < 1)
        return std::nullopt;
    std::optional<qint64> time = m_clock.secondsOf(m_year, month, day, hour, minute, second);
    // A line from December read in January belongs to the year before.
    if (time && *time > m_now + SecondsPerDay)
        time = m_clock.secondsOf(m_year - 1, month, day, hour, minute, second);
    return time;
}

// "2026-12-08T05:24:24.123456+01:00" (or "Z"); the length read goes into the caller's view.
std::optional<qint64> SyslogLineReader::isoTime(QByteArrayView text)
{
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    const int year = number(text, 0, 4);
    const int month = number(text, 5, 2);
    const int day = number(text, 8, 2);
    const int hour = number(text, 11, 2);
    const int minute = number(text, 14, 2);
    const int second = number(text, 17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || !isTimeOfDay(hour, minute, second))
        return std::nullopt;
    qsizetype zone = 19;
    if (text[zone] == '.') {
        ++zone;
        while (zone < text.size() && text[zone] >= '0' && text[zone] <= '9')
            ++zone;
    }
    qint64 offset = 0;
    if (zone < text.size() && (text[zone] == '+' || text[zone] == '-')) {
        const int offsetHours = number(text, zone + 1, 2);
        const int offsetMinutes = number(text, zone + 4, 2);
        if (offsetHours < 0 || offsetMinutes < 0)
            return std::nullopt;
        offset = (text[zone] == '-' ? -1 : 1) * (offsetHours * 3600 + offsetMinutes * 60);
    } else if (zone >= text.size() || text[zone] != 'Z') {
        return std::nullopt;
    }
    return daysFromCivil(year, month, day) * SecondsPerDay + hour * 3600 + minute * 60 + second - offset;
}

SyslogLineReader::Outcome SyslogLineReader::read(QByteArrayView line, qint64& time, QByteArray& message)
{
    if (line.startsWith('<')) {
        const qsizetype close = line.indexOf('>');
        if (close > 0 && close <= 4)
            line = line.sliced(close + 1);
    }
    const bool iso = line.size() > 4 && line[4] == '-';
    const std::optional<qint64> stamp = iso ? isoTime(line) : traditionalTime(line);
    const qsizetype stampEnd = line.indexOf(' ', iso ? 0 : 15);
    if (!stamp || stampEnd < 0)
        return Outcome::Garbled; // every program's line starts with its time
    QByteArrayView rest = line.sliced(stampEnd + 1);
    qsizetype tag = auditTagLength(rest);
    if (tag < 0) { // the host comes first
        const qsizetype space = rest.indexOf(' ');
        if (space < 0)
            return Outcome::Foreign;
        rest = rest.sliced(space + 1);
        tag = auditTagLength(rest);
    }
    if (tag < 0)
        return Outcome::Foreign;
    rest = rest.sliced(tag);
    if (rest.startsWith(' '))
        rest = rest.sliced(1);
    time = *stamp;
    message = rest.toByteArray();
    return Outcome::Message;
}

std::optional<qint64> smbdLogHeaderTime(QByteArrayView line, LocalLogClock& clock, bool& auditRecord)
{
    // "[YYYY/MM/DD HH:MM:SS"
    if (line.size() < 21 || line[0] != '[' || line[5] != '/' || line[8] != '/' || line[11] != ' ' ||
        line[14] != ':' || line[17] != ':')
        return std::nullopt;
    const int year = number(line, 1, 4);
    const int month = number(line, 6, 2);
    const int day = number(line, 9, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1)
        return std::nullopt;
    const std::optional<qint64> time =
        clock.secondsOf(year, month, day, number(line, 12, 2), number(line, 15, 2), number(line, 18, 2));
    auditRecord = line.indexOf("vfs_full_audit.c") > 0;
    return time;
}

QByteArray decodedSyslogEscapes(QByteArrayView text)
{
    QByteArray decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int value = text[i] == '#' ? number(text, i + 1, 3) : -1;
        const bool octal = value >= 0 && text[i + 1] <= '3' && text[i + 2] <= '7' && text[i + 3] <= '7';
        if (octal) {
            const int code = (text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0');
            if (code < 32 || code == 127) {
                decoded.append(static_cast<char>(code));
                i += 3;
                continue;
            }
        }
        decoded.append(text[i]);
    }
    return decoded;
}

} // namespace corvane
