#include "Intervals.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "Lexer.h"
#include "OraCodes.h"

namespace liteoci {
namespace {

enum Field { kYear, kMonth, kDay, kHour, kMinute, kSecond, kNone };

Field FieldNamed(std::string_view w) {
    static const char* const kNames[] = {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND"};
    for (int k = 0; k < 6; ++k)
        if (w == kNames[k]) return static_cast<Field>(k);
    return kNone;
}

struct Qualifier {
    Field from = kNone, to = kNone;
    int leading = 2, fraction = 6;
};

// "DAY(2) TO SECOND(3)", "SECOND(2,3)", "YEAR": upper case, as the translator hands it over.
bool ParseQualifier(std::string_view q, Qualifier& out) {
    size_t i = 0;
    auto word = [&]() {
        while (i < q.size() && q[i] == ' ') ++i;
        size_t s = i;
        while (i < q.size() && std::isalpha(static_cast<unsigned char>(q[i]))) ++i;
        return q.substr(s, i - s);
    };
    auto numbers = [&](int& a, int* b) {
        while (i < q.size() && q[i] == ' ') ++i;
        if (i >= q.size() || q[i] != '(') return true;
        ++i;
        a = std::atoi(std::string(q.substr(i)).c_str());
        while (i < q.size() && q[i] != ')' && q[i] != ',') ++i;
        if (i < q.size() && q[i] == ',') {
            if (!b) return false;
            *b = std::atoi(std::string(q.substr(i + 1)).c_str());
            while (i < q.size() && q[i] != ')') ++i;
        }
        if (i >= q.size()) return false;
        ++i;
        return true;
    };
    out.from = FieldNamed(Upper(word()));
    if (out.from == kNone) return false;
    if (!numbers(out.leading, out.from == kSecond ? &out.fraction : nullptr)) return false;
    out.to = out.from;
    std::string next = Upper(word());
    if (next == "TO") {
        out.to = FieldNamed(Upper(word()));
        if (out.to == kNone || out.to <= out.from || (out.from <= kMonth) != (out.to <= kMonth)) return false;
        int f = out.fraction;
        if (!numbers(f, nullptr)) return false;
        if (out.to == kSecond) out.fraction = f;
    } else if (!next.empty()) {
        return false;
    }
    if (out.to != kSecond) out.fraction = 0;
    return out.leading >= 0 && out.leading <= 9 && out.fraction >= 0 && out.fraction <= 9;
}

// Reads digits at i; false when there are none.
bool Digits(std::string_view s, size_t& i, int64_t& value, int& count) {
    value = 0;
    count = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && count < 18) value = value * 10 + (s[i++] - '0'), ++count;
    return count > 0;
}

void Normalize(int64_t& seconds, int& nanos) {
    seconds += nanos / 1000000000;
    nanos %= 1000000000;
    if (nanos < 0) nanos += 1000000000, --seconds;
}

void PutNumber(std::string& out, int64_t v, int width) {
    std::string digits = std::to_string(v);
    if (static_cast<int>(digits.size()) < width) out.append(static_cast<size_t>(width) - digits.size(), '0');
    out += digits;
}

}  // namespace

bool IntervalPrecisions(std::string_view qualifier, bool& yearToMonth, int& leading, int& fraction) {
    Qualifier q;
    if (!ParseQualifier(qualifier, q)) return false;
    yearToMonth = q.from <= kMonth;
    leading = q.leading;
    fraction = q.fraction;
    return true;
}

OraError ParseIntervalLiteral(std::string_view text, std::string_view qualifier, Interval& out) {
    Qualifier q;
    if (!ParseQualifier(qualifier, q)) return MakeError(kOraInvalidInterval);
    out = Interval{};
    out.yearToMonth = q.from <= kMonth;
    out.leading = q.from == kMonth || q.from == kYear || q.from == kDay ? q.leading : 2;
    out.fraction = out.yearToMonth ? 0 : q.fraction;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t values[6] = {0, 0, 0, 0, 0, 0};
    int64_t nanos = 0;
    static const char kSeparator[6] = {0, '-', ' ', ' ', ':', ':'};
    static const int64_t kLimit[6] = {0, 12, 0, 24, 60, 60};
    for (int f = q.from; f <= q.to; ++f) {
        if (f > q.from) {
            char sep = kSeparator[f];
            if (f == kHour && q.from == kDay) sep = ' ';
            if (i >= text.size() || text[i] != sep) return MakeError(kOraInvalidInterval);
            ++i;
        }
        int count = 0;
        if (!Digits(text, i, values[f], count)) return MakeError(kOraInvalidInterval);
        if (f == q.from) {
            if (count > q.leading) return MakeError(kOraLeadingPrecisionTooSmall);
        } else if (values[f] >= kLimit[f]) {
            return MakeError(kOraInvalidInterval);
        }
    }
    if (q.to == kSecond && i < text.size() && text[i] == '.') {
        ++i;
        int count = 0;
        int64_t scale = 100000000;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (count < 9) nanos += (text[i] - '0') * scale;
            scale /= 10;
            ++i, ++count;
        }
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return MakeError(kOraInvalidInterval);
    if (out.yearToMonth) {
        out.months = values[kYear] * 12 + values[kMonth];
        if (negative) out.months = -out.months;
    } else {
        out.seconds = values[kDay] * 86400 + values[kHour] * 3600 + values[kMinute] * 60 + values[kSecond];
        out.nanos = static_cast<int>(nanos);
        if (negative) out.seconds = -out.seconds, out.nanos = -out.nanos;
    }
    return {};
}

bool ParseStoredInterval(std::string_view s, Interval& out) {
    if (s.size() < 4 || (s[0] != '+' && s[0] != '-')) return false;
    const bool negative = s[0] == '-';
    size_t i = 1;
    int64_t lead = 0;
    int count = 0;
    // the leading field has at most 9 digits, as Oracle's largest precision allows
    if (!Digits(s, i, lead, count) || count > 9 || i >= s.size()) return false;
    out = Interval{};
    out.leading = count;
    if (s[i] == '-') {
        ++i;
        int64_t months = 0;
        int mc = 0;
        if (!Digits(s, i, months, mc) || mc != 2 || i != s.size() || months > 11) return false;
        out.yearToMonth = true;
        out.months = lead * 12 + months;
        if (negative) out.months = -out.months;
        return true;
    }
    // "DD HH:MI:SS[.f]"
    if (s.size() < i + 9 || s[i] != ' ' || s[i + 3] != ':' || s[i + 6] != ':') return false;
    int64_t h = 0, m = 0, sec = 0;
    int c = 0;
    size_t k = i + 1;
    if (!Digits(s, k, h, c) || c != 2 || k != i + 3) return false;
    k = i + 4;
    if (!Digits(s, k, m, c) || c != 2 || k != i + 6) return false;
    k = i + 7;
    if (!Digits(s, k, sec, c) || c != 2 || k != i + 9) return false;
    out.fraction = 0;
    int64_t nanos = 0;
    if (k < s.size()) {
        if (s[k] != '.') return false;
        ++k;
        int64_t scale = 100000000;
        while (k < s.size() && s[k] >= '0' && s[k] <= '9' && out.fraction < 9) {
            nanos += (s[k++] - '0') * scale;
            scale /= 10;
            ++out.fraction;
        }
        if (k != s.size() || out.fraction == 0) return false;
    }
    if (h > 23 || m > 59 || sec > 59) return false;
    out.seconds = lead * 86400 + h * 3600 + m * 60 + sec;
    out.nanos = static_cast<int>(nanos);
    if (negative) out.seconds = -out.seconds, out.nanos = -out.nanos;
    return true;
}

std::string StoreInterval(const Interval& iv) {
    std::string out;
    if (iv.yearToMonth) {
        const int64_t m = iv.months < 0 ? -iv.months : iv.months;
        out += iv.months < 0 ? '-' : '+';
        PutNumber(out, m / 12, iv.leading);
        out += '-';
        PutNumber(out, m % 12, 2);
        return out;
    }
    int64_t s = iv.seconds;
    int n = iv.nanos;
    Normalize(s, n);
    const bool negative = s < 0;
    if (negative) {
        s = -s - (n > 0 ? 1 : 0);
        n = n > 0 ? 1000000000 - n : 0;
    }
    out += negative ? '-' : '+';
    PutNumber(out, s / 86400, iv.leading);
    out += ' ';
    PutNumber(out, s / 3600 % 24, 2);
    out += ':';
    PutNumber(out, s / 60 % 60, 2);
    out += ':';
    PutNumber(out, s % 60, 2);
    if (iv.fraction > 0) {
        std::string digits;
        PutNumber(digits, n, 9);
        out += '.';
        out += digits.substr(0, static_cast<size_t>(iv.fraction));
    }
    return out;
}

OraError AddInterval(const DateTime& dt, const Interval& iv, bool subtract, DateTime& out) {
    out = dt;
    if (iv.yearToMonth) {
        const int64_t total = static_cast<int64_t>(dt.year) * 12 + (dt.month - 1) + (subtract ? -iv.months : iv.months);
        int64_t year = total >= 0 ? total / 12 : -((-total + 11) / 12);
        out.year = static_cast<int>(year);
        out.month = static_cast<int>(total - year * 12) + 1;
        if (out.year < -4712 || out.year > 9999 || out.year == 0) return MakeError(kOraYearRange);
        if (out.day > DaysInMonth(out.year, out.month)) return MakeError(kOraDateNotValidForMonth);
        return {};
    }
    int64_t seconds = DayNumber(dt) * 86400 + dt.hour * 3600 + dt.minute * 60 + dt.second;
    int nanos = dt.IsTimestamp() ? dt.nanos : 0;
    seconds += subtract ? -iv.seconds : iv.seconds;
    nanos += subtract ? -iv.nanos : iv.nanos;
    Normalize(seconds, nanos);
    int64_t days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0) rest += 86400, --days;
    const DateTime day = FromDayNumber(days);
    out.year = day.year, out.month = day.month, out.day = day.day;
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    out.nanos = dt.IsTimestamp() ? nanos : 0;
    if (out.year < -4712 || out.year > 9999 || out.year == 0) return MakeError(kOraYearRange);
    return {};
}

OraError CombineIntervals(const Interval& a, const Interval& b, bool subtract, Interval& out) {
    if (a.yearToMonth != b.yearToMonth)
        return MakeError(kOraInconsistentTypes, a.yearToMonth ? "INTERVAL YEAR TO MONTH" : "INTERVAL DAY TO SECOND",
                         b.yearToMonth ? "INTERVAL YEAR TO MONTH" : "INTERVAL DAY TO SECOND");
    out = a;
    out.leading = a.leading > b.leading ? a.leading : b.leading;
    out.fraction = a.fraction > b.fraction ? a.fraction : b.fraction;
    if (a.yearToMonth) {
        out.months = subtract ? a.months - b.months : a.months + b.months;
        return {};
    }
    out.seconds = subtract ? a.seconds - b.seconds : a.seconds + b.seconds;
    int nanos = subtract ? a.nanos - b.nanos : a.nanos + b.nanos;
    Normalize(out.seconds, nanos);
    out.nanos = nanos;
    return {};
}

OraError FitInterval(Interval& iv, int leading, int fraction) {
    int64_t lead = 0;
    if (iv.yearToMonth) {
        lead = (iv.months < 0 ? -iv.months : iv.months) / 12;
    } else {
        int64_t unit = 1;
        for (int k = fraction; k < 9; ++k) unit *= 10;
        int64_t s = iv.seconds;
        int n = iv.nanos;
        Normalize(s, n);  // n in [0, 1e9): rounding it rounds the whole value upwards from the half
        const int64_t rounded = (n + unit / 2) / unit * unit;
        iv.seconds = s + rounded / 1000000000;
        iv.nanos = static_cast<int>(rounded % 1000000000);
        const int64_t whole = iv.seconds < 0 ? -(iv.seconds + (iv.nanos > 0 ? 1 : 0)) : iv.seconds;
        lead = whole / 86400;
        iv.fraction = fraction;
    }
    int digits = 1;
    for (int64_t v = lead; v >= 10; v /= 10) ++digits;
    if (lead > 0 && digits > leading) return MakeError(kOraLeadingPrecisionTooSmall);
    iv.leading = leading;
    return {};
}

OraError ScaleInterval(Interval& iv, double n, bool divide) {
    if (iv.yearToMonth) {
        const double months = std::trunc(divide ? static_cast<double>(iv.months) / n : static_cast<double>(iv.months) * n);
        if (!(std::fabs(months) < 1.2e10)) return MakeError(kOraLeadingPrecisionTooSmall);
        iv.months = static_cast<int64_t>(months);
        return {};
    }
    const double whole = static_cast<double>(iv.seconds) + iv.nanos / 1e9;
    const double seconds = divide ? whole / n : whole * n;
    if (!(std::fabs(seconds) < 8.64e13)) return MakeError(kOraLeadingPrecisionTooSmall);
    iv.seconds = static_cast<int64_t>(std::trunc(seconds));
    iv.nanos = static_cast<int>(std::llround((seconds - std::trunc(seconds)) * 1e9));
    return {};
}

Interval Between(const DateTime& a, const DateTime& b) {
    // instants with time zones are compared in UTC
    auto seconds = [](const DateTime& d) {
        return DayNumber(d) * 86400 + d.hour * 3600 + d.minute * 60 + d.second - (d.hasZone ? d.zoneMinutes * 60 : 0);
    };
    Interval iv;
    iv.leading = 9;
    const int pa = a.precision > 0 ? a.precision : 0, pb = b.precision > 0 ? b.precision : 0;
    iv.fraction = pa > pb ? pa : pb;
    iv.seconds = seconds(a) - seconds(b);
    int nanos = (a.IsTimestamp() ? a.nanos : 0) - (b.IsTimestamp() ? b.nanos : 0);
    Normalize(iv.seconds, nanos);
    iv.nanos = nanos;
    return iv;
}

}  // namespace liteoci
