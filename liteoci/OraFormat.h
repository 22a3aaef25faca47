// Oracle's text forms of numbers and dates, and the format models of TO_CHAR / TO_DATE.
//
// Dates are stored as text "YYYY-MM-DD HH:MM:SS" (sorts and compares correctly as text); they are
// shown in the session's date format, DD-MON-RR unless the session changed it.
#ifndef LITEOCI_ORAFORMAT_H
#define LITEOCI_ORAFORMAT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"

namespace liteoci {

constexpr size_t kNumberTextMax = 64;  // enough for any text FormatNumber writes

// Oracle's default number text: no trailing zeros, ".5", "-.5", integers without a point, decimal
// notation up to 40 characters and "1.5E+45" beyond. Returns the length written into buf.
size_t FormatDouble(double v, char* buf);
size_t FormatInteger(int64_t v, char* buf);

struct DateTime {
    int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int nanos = 0;         // fractional second of a TIMESTAMP, in nanoseconds
    int precision = -1;    // digits of the fractional second: -1 for a DATE, 0..9 for a TIMESTAMP
    bool hasZone = false;  // a TIMESTAMP WITH TIME ZONE ...
    int zoneMinutes = 0;   // ... this many minutes ahead of UTC
    bool IsTimestamp() const { return precision >= 0; }
};

// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DD[ T]HH:MM:SS.f..." (a TIMESTAMP: the
// number of fraction digits is its precision), which may end in " +HH:MM" (a TIMESTAMP WITH TIME ZONE).
bool ParseStoredDate(const char* p, size_t n, DateTime& dt);
// Writes the stored form "YYYY-MM-DD HH:MM:SS" (19 characters + NUL into buf[20]).
void StoreDate(const DateTime& dt, char* buf);
std::string StoreDate(const DateTime& dt);
// The stored form of a TIMESTAMP: "YYYY-MM-DD HH:MM:SS.fffffffff" with `precision` digits (0 to 9),
// and " +HH:MM" after them when it has a time zone.
std::string StoreTimestamp(const DateTime& dt, int precision);
// The same instant in UTC, without a time zone (dt itself when it has none).
DateTime InUtc(const DateTime& dt);
// dt with its fractional second rounded to `precision` digits (0 to 9), as a TIMESTAMP(precision)
// column keeps it; the carry may reach the next second, day or year.
DateTime RoundFraction(const DateTime& dt, int precision);
DateTime Now();
int DaysInMonth(int year, int month);
DateTime AddMonths(const DateTime& dt, int months);
// Days since 1970-01-01 of dt's calendar day (proleptic Gregorian), and the day of such a number.
int64_t DayNumber(const DateTime& dt);
DateTime FromDayNumber(int64_t days);
int DayOfWeek(const DateTime& dt);  // 0 = Sunday
// The first day (Monday) of the ISO 8601 year that contains dt, and that year.
int64_t IsoYearStart(const DateTime& dt, int& isoYear);

// A compiled datetime format model (SCC/CC, SYYYY/YYYY/YYY/YY/Y, IYYY/IYY/IY/I, RRRR/RR, Q, MM, MON,
// MONTH, RM, WW, IW, W, DDD, DD, D, DY, DAY, J, HH24/HH/HH12, MI, SS, SSSSS, FF[1-9], X, AM/PM, TZH,
// TZM, TZR (an offset), FM, "quoted text" and punctuation).
class DateFormat {
public:
    // Compiles `model`; ORA-01821 when an element is not recognised.
    OraError Compile(std::string_view model);
    // Writes the text of dt; returns its length (at most cap-1 characters, NUL-terminated).
    size_t Format(const DateTime& dt, char* buf, size_t cap) const;
    std::string Format(const DateTime& dt) const;
    // Reads text by the model, as TO_DATE does (Oracle's defaults for missing fields). Fractional
    // seconds (FF) are read only when `timestamp` is set, as TO_TIMESTAMP does.
    OraError Parse(std::string_view text, DateTime& dt, bool timestamp = false) const;
    bool IsDefault() const { return isDefault_; }
    // Whether the model has an element of a TIMESTAMP only (FF), which a DATE cannot show.
    bool HasFraction() const;
    // Whether the model has an element of a time zone (TZH, TZM, TZR).
    bool HasZone() const;

private:
    enum class El : uint8_t {
        Literal, FillMode, YYYY, YYY, YY, Y, RRRR, RR, MM, MON, MONTH, DD, DDD, D, DY, DAY,
        HH24, HH12, MI, SS, AMPM, SCC, CC, SYYYY, IYYY, IYY, IY, I, Q, RM, WW, IW, W, J, SSSSS, FF, X, TZH, TZM,
        TZR,
    };
    enum class Case : uint8_t { Upper, Capital, Lower };
    struct Element {
        El el;
        Case letterCase;
        std::string literal;
        int digits = 0;  // FF1..FF9; 0: the value's own precision
    };
    std::vector<Element> els_;
    bool isDefault_ = false;
};

// TO_CHAR(number, model): 9, 0, ".", "D", ",", "G", "$", "S", "MI", "FM". Overflow gives "#"s.
OraError FormatNumberModel(double v, std::string_view model, std::string& out);
// TO_NUMBER: the text of a number, blanks around it allowed. ORA-01722 otherwise.
OraError ParseNumberText(std::string_view text, double& value);

}  // namespace liteoci

#endif
