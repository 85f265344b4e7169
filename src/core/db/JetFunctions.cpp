#include "core/db/JetFunctions.h"

#include "core/db/JetDates.h"
#include "core/db/JetFormat.h"
#include "core/db/JetLike.h"

#include <QDateTime>
#include <QRegularExpression>

#include <sqlite3.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>

namespace corvane {
namespace {

using namespace Qt::StringLiterals;

// Jet's words for a failing function; the statement fails with them.
struct FunctionError
{
    const char* message;
};

constexpr FunctionError typeMismatch{"Data type mismatch in criteria expression."};
constexpr FunctionError invalidCall{"Invalid procedure call or argument."};
constexpr FunctionError overflow{"Overflow."};
constexpr FunctionError divisionByZero{"Division by zero."};

// Longest text SPACE and STRING build, far beyond any sensible use.
constexpr qint64 longestBuiltText = 1'000'000;

bool isStoredDateText(const QString& text)
{
    static const QRegularExpression stored(
        u"^(\\d{4}-\\d{2}-\\d{2}( \\d{2}:\\d{2}:\\d{2})?|\\d{2}:\\d{2}:\\d{2})$"_s);
    return stored.match(text).hasMatch();
}

// The arguments and the result of one call, read and written in Jet's terms.
class Call
{
public:
    Call(sqlite3_context* context, int count, sqlite3_value** values)
        : m_context(context), m_count(count), m_values(values)
    {}

    sqlite3_context* context() const { return m_context; }
    int count() const { return m_count; }
    sqlite3_value* value(int i) const { return m_values[i]; }
    int type(int i) const { return sqlite3_value_type(m_values[i]); }
    bool isNull(int i) const { return type(i) == SQLITE_NULL; }

    bool anyNull() const
    {
        for (int i = 0; i < m_count; ++i) {
            if (isNull(i))
                return true;
        }
        return false;
    }

    QString text(int i) const
    {
        switch (type(i)) {
        case SQLITE_INTEGER:
            return QString::number(sqlite3_value_int64(m_values[i]));
        case SQLITE_FLOAT:
            return jetNumberText(sqlite3_value_double(m_values[i]));
        case SQLITE_NULL:
            return {};
        default:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(m_values[i])),
                                     sqlite3_value_bytes(m_values[i]));
        }
    }

    bool isNumber(int i) const { return type(i) == SQLITE_INTEGER || type(i) == SQLITE_FLOAT; }

    std::optional<double> numberIfAny(int i) const
    {
        if (isNumber(i))
            return sqlite3_value_double(m_values[i]);
        // Qt also reads "inf" and "nan", which are no numbers to Jet.
        bool ok = false;
        const double number = text(i).trimmed().toDouble(&ok);
        if (ok && std::isfinite(number))
            return number;
        if (const auto date = parseJetDateText(text(i)))
            return jetSerial(*date);
        return std::nullopt;
    }

    double number(int i) const
    {
        const auto number = numberIfAny(i);
        if (!number)
            throw typeMismatch;
        return *number;
    }

    // A whole number the way Jet makes one: halves to the even neighbour.
    qint64 whole(int i) const
    {
        if (type(i) == SQLITE_INTEGER)
            return sqlite3_value_int64(m_values[i]);
        const double rounded = std::nearbyint(number(i));
        if (!(std::fabs(rounded) < 9.2e18))
            throw overflow;
        return static_cast<qint64>(rounded);
    }

    JetDateTime date(int i) const
    {
        const auto date =
            isNumber(i) ? jetDateFromSerial(sqlite3_value_double(m_values[i])) : parseJetDateText(text(i));
        if (!date)
            throw typeMismatch;
        return *date;
    }

    // A stored date: the text forms the database holds.
    bool isStoredDate(int i) const { return type(i) == SQLITE_TEXT && isStoredDateText(text(i)); }

    void setNull() { sqlite3_result_null(m_context); }
    void setText(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_result_text(m_context, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void setInteger(qint64 value) { sqlite3_result_int64(m_context, value); }
    // Whole results come back as integers, so they read "2" rather than "2.0". A result beyond
    // the doubles' range is Jet's overflow, not an infinity (nor a NULL, as SQLite stores NaN).
    void setNumber(double value)
    {
        if (!std::isfinite(value))
            throw overflow;
        if (value == std::trunc(value) && std::fabs(value) < 9e15)
            sqlite3_result_int64(m_context, static_cast<qint64>(value));
        else
            sqlite3_result_double(m_context, value);
    }
    void setDate(const std::optional<JetDateTime>& value)
    {
        if (!value)
            throw invalidCall;
        setText(jetStorageText(*value));
    }

private:
    sqlite3_context* m_context;
    int m_count;
    sqlite3_value** m_values;
};

// ---- text ----

void jetLeft(Call& call)
{
    const qint64 length = call.whole(1);
    if (length < 0)
        throw invalidCall;
    call.setText(call.text(0).left(length));
}

void jetRight(Call& call)
{
    const qint64 length = call.whole(1);
    if (length < 0)
        throw invalidCall;
    call.setText(call.text(0).right(length));
}

void jetMid(Call& call)
{
    const qint64 start = call.whole(1);
    const qint64 length = call.count() == 3 ? call.whole(2) : -1;
    if (start < 1 || (call.count() == 3 && length < 0))
        throw invalidCall;
    call.setText(call.text(0).mid(start - 1, length));
}

void jetLen(Call& call)
{
    call.setInteger(call.text(0).size());
}

void jetUCase(Call& call)
{
    call.setText(call.text(0).toUpper());
}

void jetLCase(Call& call)
{
    call.setText(call.text(0).toLower());
}

// InStr([start,] text, sought [, compare]): 1-based; compare 0 is binary, 1
// (the default here, as Jet compares text) ignores case.
void jetInStr(Call& call)
{
    const bool withStart = call.count() >= 3;
    const qint64 start = withStart ? call.whole(0) : 1;
    const QString text = call.text(withStart ? 1 : 0);
    const QString sought = call.text(withStart ? 2 : 1);
    const qint64 compare = call.count() == 4 ? call.whole(3) : 1;
    if (start < 1 || compare < 0 || compare > 1)
        throw invalidCall;
    if (start > text.size())
        return call.setInteger(0);
    if (sought.isEmpty())
        return call.setInteger(start);
    const auto sensitivity = compare == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    call.setInteger(text.indexOf(sought, start - 1, sensitivity) + 1);
}

void jetStr(Call& call)
{
    const double number = call.number(0);
    call.setText((number >= 0 ? u" "_s : QString()) + jetNumberText(number));
}

qint64 builtLength(Call& call)
{
    const qint64 length = call.whole(0);
    if (length < 0 || length > longestBuiltText)
        throw invalidCall;
    return length;
}

void jetSpace(Call& call)
{
    call.setText(QString(builtLength(call), u' '));
}

void jetString(Call& call)
{
    const qint64 length = builtLength(call);
    QChar c;
    if (call.isNumber(1)) {
        const qint64 code = call.whole(1);
        if (code < 0 || code > 0xFFFF)
            throw invalidCall;
        c = QChar(char16_t(code));
    } else {
        const QString text = call.text(1);
        if (text.isEmpty())
            throw invalidCall;
        c = text[0];
    }
    call.setText(QString(length, c));
}

void jetAsc(Call& call)
{
    const QString text = call.text(0);
    if (text.isEmpty())
        throw invalidCall;
    call.setInteger(text[0].unicode());
}

void jetChr(Call& call)
{
    const qint64 code = call.whole(0);
    if (code < 0 || code > 255)
        throw invalidCall;
    call.setText(QString(QChar(char16_t(code))));
}

// Val reads the leading number of a text, skipping blanks, and stops at the
// first character that cannot continue it.
void jetVal(Call& call)
{
    if (call.isNumber(0))
        return call.setNumber(call.number(0));
    QString compact = call.text(0);
    compact.remove(QRegularExpression(u"\\s"_s));
    static const QRegularExpression leadingNumber(u"^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?"_s);
    const auto match = leadingNumber.match(compact);
    if (!match.hasMatch())
        return call.setInteger(0);
    call.setNumber(match.captured().replace(u'd', u'e').replace(u'D', u'e').toDouble());
}

// ---- conversion and arithmetic ----

void convertWhole(Call& call, qint64 lowest, qint64 highest)
{
    const qint64 value = call.whole(0);
    if (value < lowest || value > highest)
        throw overflow;
    call.setInteger(value);
}

void jetCInt(Call& call)
{
    convertWhole(call, -32768, 32767);
}

void jetCLng(Call& call)
{
    convertWhole(call, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
}

void jetCDbl(Call& call)
{
    call.setNumber(call.number(0));
}

void jetCStr(Call& call)
{
    call.setText(call.text(0));
}

void jetCDate(Call& call)
{
    call.setDate(call.date(0));
}

void jetInt(Call& call)
{
    call.setNumber(std::floor(call.number(0)));
}

void jetFix(Call& call)
{
    call.setNumber(std::trunc(call.number(0)));
}

void jetSgn(Call& call)
{
    const double number = call.number(0);
    call.setInteger(number > 0 ? 1 : number < 0 ? -1 : 0);
}

void jetSqr(Call& call)
{
    const double number = call.number(0);
    if (number < 0)
        throw invalidCall;
    call.setNumber(std::sqrt(number));
}

void jetRound(Call& call)
{
    const qint64 decimals = call.count() == 2 ? call.whole(1) : 0;
    if (decimals < 0 || decimals > 15)
        throw invalidCall;
    call.setNumber(jetRoundHalfEven(call.number(0), int(decimals)));
}

void jetConcat(Call& call)
{
    if (call.isNull(0) && call.isNull(1))
        return call.setNull();
    call.setText(call.text(0) + call.text(1));
}

std::optional<JetDateTime> addDays(const JetDateTime& date, double days)
{
    return jetDateFromLinearSeconds(jetLinearSeconds(date) + std::llround(days * secondsPerDay));
}

void addNumbers(Call& call, bool subtraction)
{
    if (call.type(0) == SQLITE_INTEGER && call.type(1) == SQLITE_INTEGER) {
        const qint64 a = sqlite3_value_int64(call.value(0));
        const qint64 b = sqlite3_value_int64(call.value(1));
        qint64 result = 0;
        if (!(subtraction ? __builtin_sub_overflow(a, b, &result) : __builtin_add_overflow(a, b, &result)))
            return call.setInteger(result);
    }
    const double a = call.number(0);
    const double b = call.number(1);
    call.setNumber(subtraction ? a - b : a + b);
}

// "+" adds numbers, joins two texts, and moves a date by a number of days.
void jetPlus(Call& call)
{
    if (call.isStoredDate(0) != call.isStoredDate(1))
        return call.setDate(
            addDays(call.date(call.isStoredDate(0) ? 0 : 1), call.number(call.isStoredDate(0) ? 1 : 0)));
    const bool bothText = call.type(0) == SQLITE_TEXT && call.type(1) == SQLITE_TEXT;
    if (bothText && !call.isStoredDate(0))
        return call.setText(call.text(0) + call.text(1));
    addNumbers(call, false);
}

// "-" between dates gives days; a date less a number is a date.
void jetMinus(Call& call)
{
    if (call.isStoredDate(0) && call.isStoredDate(1)) {
        const qint64 seconds = jetLinearSeconds(call.date(0)) - jetLinearSeconds(call.date(1));
        return call.setNumber(static_cast<double>(seconds) / secondsPerDay);
    }
    if (call.isStoredDate(0))
        return call.setDate(addDays(call.date(0), -call.number(1)));
    addNumbers(call, true);
}

void jetDiv(Call& call)
{
    const double divisor = call.number(1);
    if (divisor == 0)
        throw divisionByZero;
    call.setNumber(call.number(0) / divisor);
}

std::pair<qint64, qint64> wholeOperands(Call& call)
{
    const qint64 divisor = call.whole(1);
    if (divisor == 0)
        throw divisionByZero;
    const qint64 dividend = call.whole(0);
    if (dividend == std::numeric_limits<qint64>::min() && divisor == -1)
        throw overflow;
    return {dividend, divisor};
}

void jetIntDiv(Call& call)
{
    const auto [dividend, divisor] = wholeOperands(call);
    call.setInteger(dividend / divisor);
}

void jetMod(Call& call)
{
    const auto [dividend, divisor] = wholeOperands(call);
    call.setInteger(dividend % divisor);
}

void jetPower(Call& call)
{
    const double base = call.number(0);
    const double exponent = call.number(1);
    if (base < 0 && exponent != std::trunc(exponent))
        throw invalidCall;
    const double result = std::pow(base, exponent);
    if (!std::isfinite(result))
        throw overflow;
    call.setNumber(result);
}

// ---- dates ----

JetDateTime nowLocal()
{
    const QDateTime now = QDateTime::currentDateTime();
    return JetDateTime{now.date(), now.time().msecsSinceStartOfDay() / 1000};
}

void jetNow(Call& call)
{
    call.setDate(nowLocal());
}

void jetDate(Call& call)
{
    call.setDate(JetDateTime{nowLocal().date, 0});
}

void jetTime(Call& call)
{
    call.setDate(JetDateTime{jetDayZero(), nowLocal().seconds});
}

// The high spelling of a stored midnight, for comparisons (see the translator).
void jetDateHigh(Call& call)
{
    const QString text = call.text(0);
    if (call.type(0) == SQLITE_TEXT && text.size() == 10 && isStoredDateText(text))
        return call.setText(text + u" 00:00:00"_s);
    sqlite3_result_value(call.context(), call.value(0));
}

void jetYear(Call& call)
{
    call.setInteger(call.date(0).date.year());
}

void jetMonth(Call& call)
{
    call.setInteger(call.date(0).date.month());
}

void jetDay(Call& call)
{
    call.setInteger(call.date(0).date.day());
}

void jetHour(Call& call)
{
    call.setInteger(call.date(0).seconds / 3600);
}

void jetMinute(Call& call)
{
    call.setInteger(call.date(0).seconds / 60 % 60);
}

void jetSecond(Call& call)
{
    call.setInteger(call.date(0).seconds % 60);
}

// First day of the week: 1 Sunday (also for 0, "as the system") .. 7 Saturday.
int firstDayOfWeek(Call& call, int argument)
{
    if (call.count() <= argument)
        return 1;
    const qint64 first = call.whole(argument);
    if (first < 0 || first > 7)
        throw invalidCall;
    return first == 0 ? 1 : int(first);
}

int weekdayOf(const QDate& date, int firstDay)
{
    const int sundayBased = date.dayOfWeek() % 7 + 1; // Sunday 1 .. Saturday 7
    return (sundayBased - firstDay + 7) % 7 + 1;
}

void jetWeekday(Call& call)
{
    // The date is read first, as its place says (arguments of one call have no order in C++).
    const QDate date = call.date(0).date;
    call.setInteger(weekdayOf(date, firstDayOfWeek(call, 1)));
}

QString intervalOf(Call& call)
{
    static const QStringList intervals = {u"yyyy"_s, u"q"_s,  u"m"_s, u"y"_s, u"d"_s,
                                          u"w"_s,    u"ww"_s, u"h"_s, u"n"_s, u"s"_s};
    const QString interval = call.text(0).trimmed().toLower();
    if (!intervals.contains(interval))
        throw invalidCall;
    return interval;
}

void jetDateAdd(Call& call)
{
    const QString interval = intervalOf(call);
    const qint64 count = call.whole(1);
    const JetDateTime date = call.date(2);
    // Beyond these counts every result lies outside Jet's years anyway.
    const bool calendarInterval = interval == "yyyy"_L1 || interval == "q"_L1 || interval == "m"_L1;
    if (std::llabs(count) > (calendarInterval ? 1'000'000LL : 1'000'000'000'000LL))
        throw invalidCall;
    const auto withDate = [&](const QDate& moved) { return std::optional(JetDateTime{moved, date.seconds}); };
    std::optional<JetDateTime> result;
    if (interval == "yyyy"_L1)
        result = withDate(date.date.addYears(int(count)));
    else if (interval == "q"_L1)
        result = withDate(date.date.addMonths(int(count * 3)));
    else if (interval == "m"_L1)
        result = withDate(date.date.addMonths(int(count)));
    else if (interval == "ww"_L1)
        result = withDate(date.date.addDays(count * 7));
    else if (interval == "h"_L1 || interval == "n"_L1 || interval == "s"_L1)
        result = jetDateFromLinearSeconds(jetLinearSeconds(date) + count * (interval == "h"_L1   ? 3600
                                                                            : interval == "n"_L1 ? 60
                                                                                                 : 1));
    else
        result = withDate(date.date.addDays(count));
    if (result && (!result->date.isValid() || !isJetYear(result->date.year())))
        result.reset();
    call.setDate(result);
}

// Start of the week holding a date, weeks starting on firstDay.
qint64 weekStart(const QDate& date, int firstDay)
{
    return date.toJulianDay() - (weekdayOf(date, firstDay) - 1);
}

// DateDiff counts the interval boundaries crossed between the two dates.
void jetDateDiff(Call& call)
{
    const QString interval = intervalOf(call);
    const JetDateTime from = call.date(1);
    const JetDateTime to = call.date(2);
    const qint64 days = to.date.toJulianDay() - from.date.toJulianDay();
    const qint64 seconds = jetLinearSeconds(to) - jetLinearSeconds(from);
    const auto months = [](const QDate& d) { return qint64(d.year()) * 12 + d.month() - 1; };
    qint64 result = 0;
    if (interval == "yyyy"_L1)
        result = to.date.year() - from.date.year();
    else if (interval == "q"_L1)
        result = months(to.date) / 3 - months(from.date) / 3;
    else if (interval == "m"_L1)
        result = months(to.date) - months(from.date);
    else if (interval == "w"_L1)
        result = days / 7;
    else if (interval == "ww"_L1)
        result =
            (weekStart(to.date, firstDayOfWeek(call, 3)) - weekStart(from.date, firstDayOfWeek(call, 3))) / 7;
    else if (interval == "h"_L1)
        result = (jetLinearSeconds(to) / 3600) - (jetLinearSeconds(from) / 3600);
    else if (interval == "n"_L1)
        result = (jetLinearSeconds(to) / 60) - (jetLinearSeconds(from) / 60);
    else if (interval == "s"_L1)
        result = seconds;
    else
        result = days;
    call.setInteger(result);
}

// Week 1 is the one holding January 1 (the only rule supported for the week of the year).
int weekOfYear(const QDate& date, int firstDay)
{
    const QDate first(date.year(), 1, 1);
    return int((weekStart(date, firstDay) - weekStart(first, firstDay)) / 7) + 1;
}

void jetDatePart(Call& call)
{
    const QString interval = intervalOf(call);
    const JetDateTime value = call.date(1);
    const int firstDay = firstDayOfWeek(call, 2);
    if (call.count() == 4 && call.whole(3) > 1)
        throw invalidCall;
    const QDate& date = value.date;
    qint64 result = 0;
    if (interval == "yyyy"_L1)
        result = date.year();
    else if (interval == "q"_L1)
        result = (date.month() - 1) / 3 + 1;
    else if (interval == "m"_L1)
        result = date.month();
    else if (interval == "y"_L1)
        result = date.dayOfYear();
    else if (interval == "d"_L1)
        result = date.day();
    else if (interval == "w"_L1)
        result = weekdayOf(date, firstDay);
    else if (interval == "ww"_L1)
        result = weekOfYear(date, firstDay);
    else if (interval == "h"_L1)
        result = value.seconds / 3600;
    else if (interval == "n"_L1)
        result = value.seconds / 60 % 60;
    else
        result = value.seconds % 60;
    call.setInteger(result);
}

// DateSerial carries months and days over: month 13 is January of the next
// year, day 0 the last day of the month before.
void jetDateSerial(Call& call)
{
    qint64 year = call.whole(0);
    const qint64 month = call.whole(1);
    const qint64 day = call.whole(2);
    if (year >= 0 && year < 100)
        year += year < 30 ? 2000 : 1900;
    if (year < 100 || year > 9999 || std::llabs(month) > 120000 || std::llabs(day) > 4'000'000)
        throw invalidCall;
    const QDate date = QDate(int(year), 1, 1).addMonths(int(month - 1)).addDays(day - 1);
    call.setDate(isJetYear(date.year()) ? std::optional(JetDateTime{date, 0}) : std::nullopt);
}

void jetDateValue(Call& call)
{
    call.setDate(JetDateTime{call.date(0).date, 0});
}

void jetTimeValue(Call& call)
{
    call.setDate(JetDateTime{jetDayZero(), call.date(0).seconds});
}

void jetFormat(Call& call)
{
    const QString format = call.count() == 2 ? call.text(1) : QString();
    if (format.isEmpty())
        return call.setText(call.text(0));
    const QString text = call.text(0);
    const bool dateFormat = isJetDateFormat(format);
    if (call.isNumber(0))
        return call.setText(dateFormat ? formatJetDateTime(call.date(0), format)
                                       : formatJetNumber(call.number(0), format));
    if (const auto date = parseJetDateText(text))
        return call.setText(dateFormat ? formatJetDateTime(*date, format)
                                       : formatJetNumber(jetSerial(*date), format));
    if (const auto number = call.numberIfAny(0); number && !dateFormat)
        return call.setText(formatJetNumber(*number, format));
    call.setText(format == ">"_L1 ? text.toUpper() : format == "<"_L1 ? text.toLower() : text);
}

// ---- registration ----

using Handler = void (*)(Call&);

struct Function
{
    const char* name;
    int minArguments;
    int maxArguments;
    Handler handler;
    bool nullGivesNull = true; // a NULL argument makes the result NULL
    bool deterministic = true;
};

void dispatch(sqlite3_context* context, int count, sqlite3_value** values)
{
    const auto* function = static_cast<const Function*>(sqlite3_user_data(context));
    if (count < function->minArguments || count > function->maxArguments) {
        sqlite3_result_error(context, "Wrong number of arguments used with function in query expression.",
                             -1);
        return;
    }
    Call call(context, count, values);
    if (function->nullGivesNull && call.anyNull())
        return call.setNull();
    try {
        function->handler(call);
    } catch (const FunctionError& error) {
        sqlite3_result_error(context, error.message, -1);
    }
}

// LIKE compiles its pattern once per statement when the pattern is a constant.
void jetLike(sqlite3_context* context, int count, sqlite3_value** values)
{
    Call call(context, count, values);
    if (count != 2) {
        sqlite3_result_error(context, "Wrong number of arguments used with function in query expression.",
                             -1);
        return;
    }
    if (call.anyNull())
        return call.setNull();
    auto* cached = static_cast<JetLikePattern*>(sqlite3_get_auxdata(context, 0));
    std::unique_ptr<JetLikePattern> compiled;
    if (!cached) {
        try {
            compiled = std::make_unique<JetLikePattern>(call.text(0));
        } catch (const JetLikePatternError&) {
            sqlite3_result_error(context, "Invalid pattern string.", -1);
            return;
        }
        cached = compiled.get();
    }
    call.setInteger(cached->matches(call.text(1)) ? 1 : 0);
    if (compiled)
        sqlite3_set_auxdata(context, 0, compiled.release(),
                            [](void* p) { delete static_cast<JetLikePattern*>(p); });
}

constexpr std::array functions{
    Function{"jetleft", 2, 2, jetLeft},
    Function{"jetright", 2, 2, jetRight},
    Function{"jetmid", 2, 3, jetMid},
    Function{"jetlen", 1, 1, jetLen},
    Function{"jetucase", 1, 1, jetUCase},
    Function{"jetlcase", 1, 1, jetLCase},
    Function{"jetinstr", 2, 4, jetInStr},
    Function{"jetstr", 1, 1, jetStr},
    Function{"jetspace", 1, 1, jetSpace},
    Function{"jetstring", 2, 2, jetString},
    Function{"jetasc", 1, 1, jetAsc},
    Function{"jetchr", 1, 1, jetChr},
    Function{"jetval", 1, 1, jetVal},
    Function{"jetcint", 1, 1, jetCInt},
    Function{"jetclng", 1, 1, jetCLng},
    Function{"jetcdbl", 1, 1, jetCDbl},
    Function{"jetcstr", 1, 1, jetCStr},
    Function{"jetcdate", 1, 1, jetCDate},
    Function{"jetint", 1, 1, jetInt},
    Function{"jetfix", 1, 1, jetFix},
    Function{"jetsgn", 1, 1, jetSgn},
    Function{"jetsqr", 1, 1, jetSqr},
    Function{"jetround", 1, 2, jetRound},
    Function{"jetconcat", 2, 2, jetConcat, false},
    Function{"jetplus", 2, 2, jetPlus},
    Function{"jetminus", 2, 2, jetMinus},
    Function{"jetdiv", 2, 2, jetDiv},
    Function{"jetintdiv", 2, 2, jetIntDiv},
    Function{"jetmod", 2, 2, jetMod},
    Function{"jetpower", 2, 2, jetPower},
    Function{"jetnow", 0, 0, jetNow, true, false},
    Function{"jetdate", 0, 0, jetDate, true, false},
    Function{"jettime", 0, 0, jetTime, true, false},
    Function{"jetdatehigh", 1, 1, jetDateHigh},
    Function{"jetyear", 1, 1, jetYear},
    Function{"jetmonth", 1, 1, jetMonth},
    Function{"jetday", 1, 1, jetDay},
    Function{"jethour", 1, 1, jetHour},
    Function{"jetminute", 1, 1, jetMinute},
    Function{"jetsecond", 1, 1, jetSecond},
    Function{"jetweekday", 1, 2, jetWeekday},
    Function{"jetdateadd", 3, 3, jetDateAdd},
    Function{"jetdatediff", 3, 4, jetDateDiff},
    Function{"jetdatepart", 2, 4, jetDatePart},
    Function{"jetdateserial", 3, 3, jetDateSerial},
    Function{"jetdatevalue", 1, 1, jetDateValue},
    Function{"jettimevalue", 1, 1, jetTimeValue},
    Function{"jetformat", 1, 2, jetFormat},
};

} // namespace

void registerJetFunctions(sqlite3* db)
{
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, static_cast<int*>(nullptr));
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, static_cast<int*>(nullptr));
    for (const Function& function : functions) {
        const int flags = SQLITE_UTF8 | (function.deterministic ? SQLITE_DETERMINISTIC : 0);
        sqlite3_create_function_v2(db, function.name, -1, flags, const_cast<Function*>(&function), dispatch,
                                   nullptr, nullptr, nullptr);
    }
    sqlite3_create_function_v2(db, "jetlike", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, jetLike,
                               nullptr, nullptr, nullptr);
}

} // namespace corvane
