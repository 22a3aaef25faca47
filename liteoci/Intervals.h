// Oracle's INTERVAL YEAR TO MONTH and INTERVAL DAY TO SECOND values.
//
// An interval travels through SQLite as the text Oracle shows for it: "+01-02" (years, months) or
// "+03 04:05:06.789" (days, hours, minutes, seconds and the fraction). The widths of the leading
// field and of the fraction are the type's precisions, so that the text alone says how to show the
// value again after arithmetic.
#ifndef LITEOCI_INTERVALS_H
#define LITEOCI_INTERVALS_H

#include <cstdint>
#include <string>
#include <string_view>

#include "Errors.h"
#include "OraFormat.h"

namespace liteoci {

struct Interval {
    bool yearToMonth = false;
    int64_t months = 0;   // YEAR TO MONTH: the signed number of months
    int64_t seconds = 0;  // DAY TO SECOND: the signed whole seconds ...
    int nanos = 0;        // ... and the nanoseconds, with the same sign
    int leading = 2;      // leading field precision (digits of the years or the days)
    int fraction = 6;     // fractional seconds precision (DAY TO SECOND)
};

// Reads the text of an interval literal by its qualifier ("DAY", "YEAR(3) TO MONTH",
// "DAY TO SECOND(3)", "SECOND(2,3)"): ORA-01867 when the text does not fit the qualifier,
// ORA-01873 when the leading field has more digits than its precision.
OraError ParseIntervalLiteral(std::string_view text, std::string_view qualifier, Interval& out);
// The precisions of an interval qualifier ("DAY(9) TO SECOND"); false when it is none.
bool IntervalPrecisions(std::string_view qualifier, bool& yearToMonth, int& leading, int& fraction);
// Reads the stored text of an interval; false when the text is none.
bool ParseStoredInterval(std::string_view text, Interval& out);
// The stored text: what Oracle shows for the value.
std::string StoreInterval(const Interval& iv);

// dt + iv (or dt - iv): a DATE stays a DATE (the fraction dropped), a TIMESTAMP keeps its precision.
// Adding months to a day the target month lacks is ORA-01839, as Oracle does (no move to the last day).
OraError AddInterval(const DateTime& dt, const Interval& iv, bool subtract, DateTime& out);
// a + b or a - b of two intervals of the same kind; ORA-00932 for a YEAR TO MONTH with a DAY TO SECOND.
OraError CombineIntervals(const Interval& a, const Interval& b, bool subtract, Interval& out);
// iv with the precisions of a column: the fraction rounded to `fraction` digits; ORA-01873 when the
// leading field has more than `leading` digits.
OraError FitInterval(Interval& iv, int leading, int fraction);
// iv * n (or iv / n, n not 0); ORA-01873 when the result has more than 9 digits of years or days.
OraError ScaleInterval(Interval& iv, double n, bool divide);
// The DAY TO SECOND interval from b to a (a - b of two datetimes, one of which is a TIMESTAMP).
Interval Between(const DateTime& a, const DateTime& b);

}  // namespace liteoci

#endif
