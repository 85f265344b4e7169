#include "core/db/JetFunctionTable.h"

#include <QString>

#include <array>

namespace corvane {
namespace {

using namespace Qt::StringLiterals;

using Kind = JetValueKind;
using Form = JetCallForm;

// Functions that SQLite has with other meanings (date, time, instr, round,
// format, ...) are registered under "jet" names, so SQLite's own stay intact
// for the database layer's internal statements.
constexpr std::array rules{
    JetFunctionRule{"Abs"_L1, 1, 1, "abs"_L1, Kind::Number},
    JetFunctionRule{"Asc"_L1, 1, 1, "jetasc"_L1, Kind::Number},
    JetFunctionRule{"Avg"_L1, 1, 1, "avg"_L1, Kind::Number, Form::Aggregate},
    JetFunctionRule{"CDate"_L1, 1, 1, "jetcdate"_L1, Kind::Date},
    JetFunctionRule{"CDbl"_L1, 1, 1, "jetcdbl"_L1, Kind::Number},
    JetFunctionRule{"Chr"_L1, 1, 1, "jetchr"_L1, Kind::Text},
    JetFunctionRule{"CInt"_L1, 1, 1, "jetcint"_L1, Kind::Number},
    JetFunctionRule{"CLng"_L1, 1, 1, "jetclng"_L1, Kind::Number},
    JetFunctionRule{"Count"_L1, 1, 1, "count"_L1, Kind::Number, Form::Aggregate},
    JetFunctionRule{"CStr"_L1, 1, 1, "jetcstr"_L1, Kind::Text},
    JetFunctionRule{"Date"_L1, 0, 0, "jetdate"_L1, Kind::Date},
    JetFunctionRule{"DateAdd"_L1, 3, 3, "jetdateadd"_L1, Kind::Date},
    JetFunctionRule{"DateDiff"_L1, 3, 4, "jetdatediff"_L1, Kind::Number},
    JetFunctionRule{"DatePart"_L1, 2, 4, "jetdatepart"_L1, Kind::Number},
    JetFunctionRule{"DateSerial"_L1, 3, 3, "jetdateserial"_L1, Kind::Date},
    JetFunctionRule{"DateValue"_L1, 1, 1, "jetdatevalue"_L1, Kind::Date},
    JetFunctionRule{"Day"_L1, 1, 1, "jetday"_L1, Kind::Number},
    JetFunctionRule{"Fix"_L1, 1, 1, "jetfix"_L1, Kind::Number},
    JetFunctionRule{"Format"_L1, 1, 2, "jetformat"_L1, Kind::Text},
    JetFunctionRule{"Hour"_L1, 1, 1, "jethour"_L1, Kind::Number},
    JetFunctionRule{"IIf"_L1, 3, 3, ""_L1, Kind::Unknown, Form::Iif},
    JetFunctionRule{"InStr"_L1, 2, 4, "jetinstr"_L1, Kind::Number},
    JetFunctionRule{"Int"_L1, 1, 1, "jetint"_L1, Kind::Number},
    JetFunctionRule{"IsNull"_L1, 1, 1, ""_L1, Kind::Number, Form::IsNull},
    JetFunctionRule{"LCase"_L1, 1, 1, "jetlcase"_L1, Kind::Text},
    JetFunctionRule{"Left"_L1, 2, 2, "jetleft"_L1, Kind::Text},
    JetFunctionRule{"Len"_L1, 1, 1, "jetlen"_L1, Kind::Number},
    JetFunctionRule{"LTrim"_L1, 1, 1, "ltrim"_L1, Kind::Text},
    JetFunctionRule{"Max"_L1, 1, 1, "max"_L1, Kind::Unknown, Form::Aggregate},
    JetFunctionRule{"Mid"_L1, 2, 3, "jetmid"_L1, Kind::Text},
    JetFunctionRule{"Min"_L1, 1, 1, "min"_L1, Kind::Unknown, Form::Aggregate},
    JetFunctionRule{"Minute"_L1, 1, 1, "jetminute"_L1, Kind::Number},
    JetFunctionRule{"Month"_L1, 1, 1, "jetmonth"_L1, Kind::Number},
    JetFunctionRule{"Now"_L1, 0, 0, "jetnow"_L1, Kind::Date},
    JetFunctionRule{"Nz"_L1, 1, 2, ""_L1, Kind::Unknown, Form::Nz},
    JetFunctionRule{"Right"_L1, 2, 2, "jetright"_L1, Kind::Text},
    JetFunctionRule{"Round"_L1, 1, 2, "jetround"_L1, Kind::Number},
    JetFunctionRule{"RTrim"_L1, 1, 1, "rtrim"_L1, Kind::Text},
    JetFunctionRule{"Second"_L1, 1, 1, "jetsecond"_L1, Kind::Number},
    JetFunctionRule{"Sgn"_L1, 1, 1, "jetsgn"_L1, Kind::Number},
    JetFunctionRule{"Space"_L1, 1, 1, "jetspace"_L1, Kind::Text},
    JetFunctionRule{"Sqr"_L1, 1, 1, "jetsqr"_L1, Kind::Number},
    JetFunctionRule{"Str"_L1, 1, 1, "jetstr"_L1, Kind::Text},
    JetFunctionRule{"String"_L1, 2, 2, "jetstring"_L1, Kind::Text},
    JetFunctionRule{"Sum"_L1, 1, 1, "sum"_L1, Kind::Number, Form::Aggregate},
    JetFunctionRule{"Time"_L1, 0, 0, "jettime"_L1, Kind::Date},
    JetFunctionRule{"TimeValue"_L1, 1, 1, "jettimevalue"_L1, Kind::Date},
    JetFunctionRule{"Trim"_L1, 1, 1, "trim"_L1, Kind::Text},
    JetFunctionRule{"UCase"_L1, 1, 1, "jetucase"_L1, Kind::Text},
    JetFunctionRule{"Val"_L1, 1, 1, "jetval"_L1, Kind::Number},
    JetFunctionRule{"Weekday"_L1, 1, 2, "jetweekday"_L1, Kind::Number},
    JetFunctionRule{"Year"_L1, 1, 1, "jetyear"_L1, Kind::Number},
};

} // namespace

const JetFunctionRule* findJetFunction(QStringView name)
{
    for (const JetFunctionRule& rule : rules) {
        if (name.compare(rule.jetName, Qt::CaseInsensitive) == 0)
            return &rule;
    }
    return nullptr;
}

} // namespace corvane
