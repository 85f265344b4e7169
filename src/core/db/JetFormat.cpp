#include "core/db/JetFormat.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>

namespace corvane {
namespace {

using namespace Qt::StringLiterals;

constexpr std::array monthNames{"January", "February", "March",     "April",   "May",      "June",
                                "July",    "August",   "September", "October", "November", "December"};
constexpr std::array dayNames{"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

// The decimal digits of a non-negative value rounded to a number of decimals,
// taken from its 15 significant digits as Jet converts a double to decimal.
struct DecimalDigits
{
    QString whole; // without leading zeros: empty for a value below 1
    QString fraction;
};

void incrementDigits(QString& digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return;
        }
        digits[i] = u'0';
    }
    digits.prepend(u'1');
}

bool roundsUp(const QString& kept, const QString& dropped, bool halfEven)
{
    if (dropped.isEmpty() || dropped[0] < u'5')
        return false;
    if (!halfEven || dropped[0] > u'5')
        return true;
    if (QStringView(dropped).mid(1).count(u'0') != dropped.size() - 1)
        return true;
    const QChar last = kept.isEmpty() ? u'0' : kept.back();
    return (last.unicode() - u'0') % 2 == 1;
}

DecimalDigits decimalDigits(double absValue, int decimals, bool halfEven)
{
    const QString scientific = QString::number(absValue, 'e', 14);
    const QString digits = scientific.left(1) + scientific.mid(2, 14);
    const int point = scientific.mid(scientific.indexOf(u'e') + 1).toInt() + 1;
    QString whole;
    QString fraction;
    if (point <= 0) {
        fraction = QString(-point, u'0') + digits;
    } else if (point >= digits.size()) {
        whole = digits + QString(point - digits.size(), u'0');
    } else {
        whole = digits.left(point);
        fraction = digits.mid(point);
    }
    if (fraction.size() > decimals) {
        const QString dropped = fraction.mid(decimals);
        fraction.truncate(decimals);
        QString kept = whole + fraction;
        if (roundsUp(kept, dropped, halfEven)) {
            incrementDigits(kept);
            whole = kept.left(kept.size() - decimals);
            fraction = kept.right(decimals);
        }
    }
    fraction = fraction.leftJustified(decimals, u'0');
    while (whole.startsWith(u'0'))
        whole.remove(0, 1);
    return {whole, fraction};
}

QString padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// ---- dates ----

QString namedDateFormat(const QString& format)
{
    static const QList<std::pair<QString, QString>> named = {
        {u"Long Date"_s, u"dddd, mmmm d, yyyy"_s}, {u"Medium Date"_s, u"dd-mmm-yy"_s},
        {u"Short Date"_s, u"m/d/yyyy"_s},          {u"Long Time"_s, u"h:nn:ss AM/PM"_s},
        {u"Medium Time"_s, u"hh:nn AM/PM"_s},      {u"Short Time"_s, u"hh:nn"_s},
    };
    for (const auto& [name, pattern] : named) {
        if (format.compare(name, Qt::CaseInsensitive) == 0)
            return pattern;
    }
    return {};
}

QString generalDate(const JetDateTime& value)
{
    if (value.date == jetDayZero())
        return formatJetDateTime(value, u"Long Time"_s);
    if (value.seconds == 0)
        return formatJetDateTime(value, u"Short Date"_s);
    return formatJetDateTime(value, u"Short Date"_s) + u' ' + formatJetDateTime(value, u"Long Time"_s);
}

// Week 1 is the week holding January 1, weeks starting on Sunday.
int weekOfYear(const QDate& date)
{
    const QDate first(date.year(), 1, 1);
    const int offset = first.dayOfWeek() % 7; // Sunday 0
    return (first.daysTo(date) + offset) / 7 + 1;
}

class DateFormatter
{
public:
    DateFormatter(const JetDateTime& value, const QString& format)
        : m_value(value), m_format(format), m_twelveHour(format.contains("AM/PM"_L1, Qt::CaseInsensitive) ||
                                                         format.contains("A/P"_L1, Qt::CaseInsensitive) ||
                                                         format.contains("AMPM"_L1, Qt::CaseInsensitive))
    {}

    QString run()
    {
        while (m_pos < m_format.size()) {
            if (!literal() && !amPm())
                token();
        }
        return m_out;
    }

private:
    int hour() const { return m_value.seconds / 3600; }
    int minute() const { return m_value.seconds / 60 % 60; }
    int second() const { return m_value.seconds % 60; }

    // The length of the run of c at the current position, counted no further than the longest
    // token ("dddddd") needs: each token looks at its run, so a longer count would make a long
    // run cost the square of its length.
    qsizetype runLength(QChar c) const
    {
        constexpr qsizetype LongestToken = 6;
        const qsizetype last = std::min(m_format.size(), m_pos + LongestToken);
        qsizetype end = m_pos;
        while (end < last && m_format[end].toLower() == c)
            ++end;
        return end - m_pos;
    }

    bool literal()
    {
        const QChar c = m_format[m_pos];
        if (c == u'"') {
            const qsizetype close = m_format.indexOf(u'"', m_pos + 1);
            const qsizetype end = close < 0 ? m_format.size() : close;
            m_out += m_format.mid(m_pos + 1, end - m_pos - 1);
            m_pos = end + 1;
            return true;
        }
        if (c == u'\\') {
            m_out += m_format.mid(m_pos + 1, 1);
            m_pos += 2;
            return true;
        }
        return false;
    }

    bool amPm()
    {
        const QStringView rest = QStringView(m_format).mid(m_pos);
        const bool afternoon = hour() >= 12;
        for (const QLatin1StringView marker : {"AM/PM"_L1, "A/P"_L1}) {
            if (rest.startsWith(marker, Qt::CaseInsensitive)) {
                // The case of the marker as written is the case of the output.
                const qsizetype half = marker.size() / 2;
                m_out += afternoon ? rest.mid(half + 1, half).toString() : rest.left(half).toString();
                m_pos += marker.size();
                return true;
            }
        }
        if (rest.startsWith("AMPM"_L1, Qt::CaseInsensitive)) {
            m_out += afternoon ? u"PM"_s : u"AM"_s;
            m_pos += 4;
            return true;
        }
        return false;
    }

    void token()
    {
        const QChar c = m_format[m_pos].toLower();
        const qsizetype n = runLength(c);
        const QDate& date = m_value.date;
        qsizetype used = std::min<qsizetype>(n, 2);
        bool hourToken = false;
        switch (c.unicode()) {
        case u'c':
            m_out += generalDate(m_value);
            used = 1;
            break;
        case u'd':
            used = std::min<qsizetype>(n, 6);
            m_out += used == 1   ? QString::number(date.day())
                     : used == 2 ? padded(date.day(), 2)
                     : used == 3 ? QString::fromLatin1(dayNames[size_t(date.dayOfWeek() - 1)]).left(3)
                     : used == 4 ? QString::fromLatin1(dayNames[size_t(date.dayOfWeek() - 1)])
                     : used == 5 ? formatJetDateTime(m_value, u"Short Date"_s)
                                 : formatJetDateTime(m_value, u"Long Date"_s);
            break;
        case u'w':
            m_out += QString::number(used == 1 ? date.dayOfWeek() % 7 + 1 : weekOfYear(date));
            break;
        case u'm':
            if (m_afterHour) {
                m_out += used == 1 ? QString::number(minute()) : padded(minute(), 2);
                break;
            }
            used = std::min<qsizetype>(n, 4);
            m_out += used == 1   ? QString::number(date.month())
                     : used == 2 ? padded(date.month(), 2)
                     : used == 3 ? QString::fromLatin1(monthNames[size_t(date.month() - 1)]).left(3)
                                 : QString::fromLatin1(monthNames[size_t(date.month() - 1)]);
            break;
        case u'q':
            m_out += QString::number((date.month() - 1) / 3 + 1);
            used = 1;
            break;
        case u'y':
            used = std::min<qsizetype>(n, 4);
            m_out += used == 1   ? QString::number(date.dayOfYear())
                     : used == 2 ? padded(date.year() % 100, 2)
                     : used == 3 ? padded(date.year() % 100, 2) + QString::number(date.dayOfYear())
                                 : padded(date.year(), 4);
            break;
        case u'h': {
            const int shown = m_twelveHour ? (hour() + 11) % 12 + 1 : hour();
            m_out += used == 1 ? QString::number(shown) : padded(shown, 2);
            hourToken = true;
            break;
        }
        case u'n':
            m_out += used == 1 ? QString::number(minute()) : padded(minute(), 2);
            break;
        case u's':
            m_out += used == 1 ? QString::number(second()) : padded(second(), 2);
            break;
        default:
            if (c == u't' && n >= 5) {
                m_out += formatJetDateTime(m_value, u"Long Time"_s);
                used = 5;
                break;
            }
            // Separators and other literals leave the hour context alone.
            m_out += m_format.mid(m_pos, n);
            m_pos += n;
            return;
        }
        m_afterHour = hourToken;
        m_pos += used;
    }

    const JetDateTime& m_value;
    const QString& m_format;
    const bool m_twelveHour;
    qsizetype m_pos = 0;
    bool m_afterHour = false; // an m right after an hour is a minute
    QString m_out;
};

// ---- numbers ----

QString namedNumberFormat(const QString& format)
{
    static const QList<std::pair<QString, QString>> named = {
        {u"Currency"_s, u"$#,##0.00;($#,##0.00)"_s},
        {u"Fixed"_s, u"0.00"_s},
        {u"Standard"_s, u"#,##0.00"_s},
        {u"Percent"_s, u"0.00%"_s},
        {u"Scientific"_s, u"0.00E+00"_s},
    };
    for (const auto& [name, pattern] : named) {
        if (format.compare(name, Qt::CaseInsensitive) == 0)
            return pattern;
    }
    return {};
}

bool isNamedNumberFormat(const QString& format)
{
    static const QStringList others = {u"General Number"_s, u"Yes/No"_s, u"True/False"_s, u"On/Off"_s};
    return !namedNumberFormat(format).isEmpty() || others.contains(format, Qt::CaseInsensitive);
}

QStringList formatSections(const QString& format)
{
    QStringList sections{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'"')
            quoted = !quoted;
        if (c == u';' && !quoted) {
            sections.append(QString());
            continue;
        }
        sections.back() += c;
        if (c == u'\\' && !quoted && i + 1 < format.size())
            sections.back() += format[++i];
    }
    return sections;
}

struct NumberPattern
{
    enum class Part
    {
        Literal,
        Digit, // 0 or #
        Point,
        Group,
        Exponent,
    };
    struct Element
    {
        Part part;
        QString text;
    };
    std::vector<Element> elements;
    int scale = 0; // powers of ten from % signs, thousands from trailing commas
    bool grouping = false;
};

NumberPattern parseNumberPattern(const QString& section)
{
    using Part = NumberPattern::Part;
    NumberPattern pattern;
    bool afterPoint = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == u'"') {
            const qsizetype close = section.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? section.size() : close;
            pattern.elements.push_back({Part::Literal, section.mid(i + 1, end - i - 1)});
            i = end;
        } else if (c == u'\\') {
            pattern.elements.push_back({Part::Literal, section.mid(i + 1, 1)});
            ++i;
        } else if (c == u'0' || c == u'#') {
            pattern.elements.push_back({Part::Digit, QString(c)});
        } else if (c == u'.' && !afterPoint) {
            afterPoint = true;
            pattern.elements.push_back({Part::Point, u"."_s});
        } else if (c == u',' && !afterPoint) {
            pattern.elements.push_back({Part::Group, u","_s});
        } else if ((c == u'E' || c == u'e') && i + 1 < section.size() &&
                   (section[i + 1] == u'+' || section[i + 1] == u'-')) {
            pattern.elements.push_back({Part::Exponent, section.mid(i, 2)});
            ++i;
        } else {
            if (c == u'%')
                pattern.scale += 2;
            pattern.elements.push_back({Part::Literal, QString(c)});
        }
    }
    // A comma with digits after it (before the point) groups thousands; one
    // without divides by a thousand.
    bool digitFollows = false;
    for (auto it = pattern.elements.rbegin(); it != pattern.elements.rend(); ++it) {
        if (it->part == Part::Point || it->part == Part::Exponent)
            digitFollows = false;
        else if (it->part == Part::Digit)
            digitFollows = true;
        else if (it->part == Part::Group && digitFollows)
            pattern.grouping = true;
        else if (it->part == Part::Group)
            pattern.scale -= 3;
    }
    return pattern;
}

QString groupedThousands(const QString& digits)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return out;
}

class NumberFormatter
{
public:
    using Part = NumberPattern::Part;

    NumberFormatter(double absValue, const QString& section)
        : m_pattern(parseNumberPattern(section)), m_value(absValue * std::pow(10.0, m_pattern.scale))
    {}

    // Whether the rounded value shows as zero (no sign for it).
    bool showsZero()
    {
        const DecimalDigits& digits = prepare();
        return digits.whole.isEmpty() && digits.fraction.count(u'0') == digits.fraction.size();
    }

    QString run()
    {
        const DecimalDigits& digits = prepare();
        QString out;
        qsizetype wholeIndex = 0;
        qsizetype fractionIndex = 0;
        bool inFraction = false;
        bool inExponent = false;
        for (const auto& element : m_pattern.elements) {
            switch (element.part) {
            case Part::Literal:
                out += element.text;
                break;
            case Part::Group:
                break;
            case Part::Point:
                // With no placeholder before the point the whole digits still show.
                if (m_wholeSlots.empty())
                    out += digits.whole;
                inFraction = true;
                out += u'.';
                break;
            case Part::Exponent:
                inExponent = true;
                out += element.text.left(1) + (m_exponent < 0                  ? u"-"_s
                                               : element.text.mid(1) == "+"_L1 ? u"+"_s
                                                                               : QString());
                out += padded(std::abs(m_exponent), m_exponentDigits);
                break;
            case Part::Digit:
                if (inExponent)
                    break;
                if (inFraction)
                    out += fractionIndex < digits.fraction.size() ? QString(digits.fraction[fractionIndex++])
                                                                  : QString();
                else
                    out += m_wholeSlots[size_t(wholeIndex++)];
                break;
            }
        }
        return out;
    }

private:
    const DecimalDigits& prepare()
    {
        if (m_prepared)
            return m_digits;
        m_prepared = true;
        int wholeCount = 0;
        int requiredWhole = 0;
        int fractionCount = 0;
        int requiredFraction = 0;
        bool inFraction = false;
        bool inExponent = false;
        for (const auto& element : m_pattern.elements) {
            if (element.part == Part::Point)
                inFraction = true;
            if (element.part == Part::Exponent)
                inExponent = true;
            if (element.part != Part::Digit)
                continue;
            const bool zero = element.text == "0"_L1;
            if (inExponent)
                m_exponentDigits += zero ? 1 : 0;
            else if (inFraction)
                fractionCount += 1, requiredFraction += zero ? 1 : 0;
            else
                wholeCount += 1, requiredWhole += zero ? 1 : 0;
        }
        double value = m_value;
        if (inExponent && value != 0) {
            m_exponent = int(std::floor(std::log10(value))) - std::max(wholeCount, 1) + 1;
            value /= std::pow(10.0, m_exponent);
            if (decimalDigits(value, fractionCount, false).whole.size() > std::max(wholeCount, 1)) {
                ++m_exponent;
                value /= 10;
            }
        }
        m_digits = decimalDigits(value, fractionCount, false);
        while (m_digits.fraction.size() > requiredFraction && m_digits.fraction.endsWith(u'0'))
            m_digits.fraction.chop(1);
        distributeWholeDigits(wholeCount, requiredWhole);
        return m_digits;
    }

    // Digits fill the placeholders from the right; the leftmost takes any surplus.
    void distributeWholeDigits(int wholeCount, int requiredWhole)
    {
        QString whole = m_digits.whole.rightJustified(requiredWhole, u'0');
        if (m_pattern.grouping)
            whole = groupedThousands(whole);
        m_wholeSlots.assign(size_t(wholeCount), QString());
        if (wholeCount == 0)
            return;
        if (m_pattern.grouping) {
            m_wholeSlots.front() = whole;
            return;
        }
        for (int slot = wholeCount - 1; slot >= 0; --slot) {
            if (slot == 0) {
                m_wholeSlots[0] = whole;
            } else if (!whole.isEmpty()) {
                m_wholeSlots[size_t(slot)] = whole.right(1);
                whole.chop(1);
            }
        }
    }

    NumberPattern m_pattern;
    double m_value;
    bool m_prepared = false;
    DecimalDigits m_digits;
    int m_exponent = 0;
    int m_exponentDigits = 0;
    std::vector<QString> m_wholeSlots;
};

QString booleanText(double value, const QString& format)
{
    const QStringList words = format.split(u'/');
    return value != 0 ? words[0] : words[1];
}

} // namespace

QString jetNumberText(double value)
{
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 15).toUpper();
}

double jetRoundHalfEven(double value, int decimals)
{
    const DecimalDigits digits = decimalDigits(std::fabs(value), decimals, true);
    const QString text = (digits.whole.isEmpty() ? u"0"_s : digits.whole) + u'.' + digits.fraction;
    const double magnitude = text.toDouble();
    return value < 0 ? -magnitude : magnitude;
}

QString formatJetDateTime(const JetDateTime& value, const QString& format)
{
    if (format.compare("General Date"_L1, Qt::CaseInsensitive) == 0)
        return generalDate(value);
    const QString named = namedDateFormat(format);
    return DateFormatter(value, named.isEmpty() ? format : named).run();
}

QString formatJetNumber(double value, const QString& format)
{
    if (format.compare("General Number"_L1, Qt::CaseInsensitive) == 0)
        return jetNumberText(value);
    for (const QLatin1StringView words : {"Yes/No"_L1, "True/False"_L1, "On/Off"_L1}) {
        if (format.compare(words, Qt::CaseInsensitive) == 0)
            return booleanText(value, words);
    }
    const QString named = namedNumberFormat(format);
    const QStringList sections = formatSections(named.isEmpty() ? format : named);
    const bool negative = value < 0;
    if (negative && sections.size() >= 2 && !sections[1].isEmpty())
        return NumberFormatter(-value, sections[1]).run();
    if (value == 0 && sections.size() >= 3 && !sections[2].isEmpty())
        return NumberFormatter(0, sections[2]).run();
    NumberFormatter formatter(std::fabs(value), sections[0]);
    return (negative && !formatter.showsZero() ? u"-"_s : QString()) + formatter.run();
}

bool isJetDateFormat(const QString& format)
{
    if (!namedDateFormat(format).isEmpty() || format.compare("General Date"_L1, Qt::CaseInsensitive) == 0)
        return true;
    if (isNamedNumberFormat(format))
        return false;
    bool dateToken = false;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\\')
            ++i;
        else if (c == u'0' || c == u'#')
            return false;
        else if (QStringLiteral("dwmqyhnsct").contains(c.toLower()))
            dateToken = true;
    }
    return dateToken;
}

} // namespace corvane
