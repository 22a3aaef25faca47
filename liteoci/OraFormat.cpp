#include "OraFormat.h"

#include "Lexer.h"
#include "OraCodes.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace liteoci {
namespace {

const char* const kMonths[12] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                 "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
const char* const kDays[7] = {"SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY"};

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

int DayOfYear(const DateTime& dt) {
    return static_cast<int>(DaysFromCivil(dt.year, static_cast<unsigned>(dt.month), static_cast<unsigned>(dt.day)) -
                            DaysFromCivil(dt.year, 1, 1)) + 1;
}

bool Digits(const char* p, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

struct Writer {
    char* buf;
    size_t cap;
    size_t len = 0;
    void Put(char c) {
        if (len + 1 < cap) buf[len] = c;
        ++len;
    }
    void Put(std::string_view s) {
        for (char c : s) Put(c);
    }
    void Num(int v, int width, bool fill) {
        // hand-made: this runs for every date of every fetched row
        char tmp[16];
        int n = 0;
        unsigned u = static_cast<unsigned>(v < 0 ? -v : v);
        do {
            tmp[n++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u != 0 && n < 15);
        if (fill)
            while (n < width && n < 15) tmp[n++] = '0';
        if (v < 0) Put('-');
        while (n > 0) Put(tmp[--n]);
    }
};

// " +HH:MM" of a time zone offset in minutes.
std::string ZoneText(int minutes) {
    const int m = minutes < 0 ? -minutes : minutes;
    char buf[8];
    buf[0] = ' ';
    buf[1] = minutes < 0 ? '-' : '+';
    buf[2] = static_cast<char>('0' + m / 600 % 10);
    buf[3] = static_cast<char>('0' + m / 60 % 10);
    buf[4] = ':';
    buf[5] = static_cast<char>('0' + m % 60 / 10);
    buf[6] = static_cast<char>('0' + m % 10);
    return std::string(buf, 7);
}

const char* const kRoman[12] = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X", "XI", "XII"};

}  // namespace

int DayOfWeek(const DateTime& dt) {
    int64_t w = (DayNumber(dt) + 4) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

int64_t DayNumber(const DateTime& dt) {
    return DaysFromCivil(dt.year, static_cast<unsigned>(dt.month), static_cast<unsigned>(dt.day));
}

DateTime FromDayNumber(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    DateTime dt;
    dt.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    dt.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    dt.year = static_cast<int>(yoe + era * 400 + (dt.month <= 2));
    return dt;
}

int64_t IsoYearStart(const DateTime& dt, int& isoYear) {
    auto mondayOfWeek = [](int64_t days) {  // 1970-01-01 was a Thursday
        int64_t wd = (days + 3) % 7;
        if (wd < 0) wd += 7;
        return days - wd;
    };
    const int64_t days = DayNumber(dt);
    // the ISO year is the year of the week's Thursday; its first week holds January 4
    isoYear = FromDayNumber(mondayOfWeek(days) + 3).year;
    return mondayOfWeek(DaysFromCivil(isoYear, 1, 4));
}

size_t FormatInteger(int64_t v, char* buf) {
    char tmp[24];
    size_t n = 0;
    uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    do {
        tmp[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    size_t len = 0;
    if (v < 0) buf[len++] = '-';
    while (n > 0) buf[len++] = tmp[--n];
    buf[len] = '\0';
    return len;
}

size_t FormatDouble(double v, char* buf) {
    if (std::isnan(v)) return static_cast<size_t>(std::snprintf(buf, kNumberTextMax, "Nan"));
    if (std::isinf(v)) return static_cast<size_t>(std::snprintf(buf, kNumberTextMax, v < 0 ? "-Inf" : "Inf"));
    if (v == 0) {
        buf[0] = '0';
        buf[1] = '\0';
        return 1;
    }
    if (std::fabs(v) < 1e15 && v == std::trunc(v)) return FormatInteger(static_cast<int64_t>(v), buf);
    // 15 significant digits, as many as a double holds reliably.
    char sci[40];
    std::snprintf(sci, sizeof sci, "%.14e", std::fabs(v));
    char digits[20];
    size_t nd = 0;
    for (const char* p = sci; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits[nd++] = *p;
    while (nd > 1 && digits[nd - 1] == '0') --nd;
    int exp = std::atoi(std::strchr(sci, 'e') + 1);
    char plain[kNumberTextMax];
    size_t len = 0;
    if (v < 0) plain[len++] = '-';
    bool fits = true;
    if (exp >= 0) {
        if (exp + 2 > 40) fits = false;
        else {
            for (int i = 0; i <= exp; ++i) plain[len++] = i < static_cast<int>(nd) ? digits[i] : '0';
            if (static_cast<int>(nd) > exp + 1) {
                plain[len++] = '.';
                for (size_t i = static_cast<size_t>(exp) + 1; i < nd; ++i) plain[len++] = digits[i];
            }
        }
    } else {
        if (static_cast<int>(nd) - exp + 1 > 40) fits = false;
        else {
            plain[len++] = '.';
            for (int i = 0; i < -exp - 1; ++i) plain[len++] = '0';
            for (size_t i = 0; i < nd; ++i) plain[len++] = digits[i];
        }
    }
    if (fits) {
        std::memcpy(buf, plain, len);
        buf[len] = '\0';
        return len;
    }
    len = 0;
    if (v < 0) buf[len++] = '-';
    buf[len++] = digits[0];
    if (nd > 1) {
        buf[len++] = '.';
        for (size_t i = 1; i < nd; ++i) buf[len++] = digits[i];
    }
    char e[16];
    int n = std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp) % 1000);
    std::memcpy(buf + len, e, static_cast<size_t>(n) + 1);
    return len + static_cast<size_t>(n);
}

bool ParseStoredDate(const char* p, size_t n, DateTime& dt) {
    if (n < 10 || p[4] != '-' || p[7] != '-') return false;
    if (!Digits(p, 4, dt.year) || !Digits(p + 5, 2, dt.month) || !Digits(p + 8, 2, dt.day)) return false;
    dt.hour = dt.minute = dt.second = 0;
    if (n > 10) {
        if (n < 19 || (p[10] != ' ' && p[10] != 'T') || p[13] != ':' || p[16] != ':') return false;
        if (!Digits(p + 11, 2, dt.hour) || !Digits(p + 14, 2, dt.minute) || !Digits(p + 17, 2, dt.second))
            return false;
        if (dt.hour > 23 || dt.minute > 59 || dt.second > 59) return false;
        dt.nanos = 0;
        dt.precision = -1;
        dt.hasZone = false;
        dt.zoneMinutes = 0;
        if (n >= 26 && p[n - 7] == ' ' && (p[n - 6] == '+' || p[n - 6] == '-') && p[n - 3] == ':') {
            int zh = 0, zm = 0;
            if (!Digits(p + n - 5, 2, zh) || !Digits(p + n - 2, 2, zm) || zh > 14 || zm > 59) return false;
            dt.hasZone = true;
            dt.zoneMinutes = (zh * 60 + zm) * (p[n - 6] == '-' ? -1 : 1);
            n -= 7;
            if (n == 19) dt.precision = 0;
        }
        if (n > 19) {
            if (p[19] != '.' || n > 29) return false;
            int scale = 100000000;
            for (size_t k = 20; k < n; ++k, scale /= 10) {
                if (p[k] < '0' || p[k] > '9') return false;
                dt.nanos += (p[k] - '0') * scale;
            }
            dt.precision = static_cast<int>(n - 20);
        }
    } else {
        dt.nanos = 0;
        dt.precision = -1;
        dt.hasZone = false;
        dt.zoneMinutes = 0;
    }
    return dt.month >= 1 && dt.month <= 12 && dt.day >= 1 && dt.day <= 31;
}

void StoreDate(const DateTime& dt, char* buf) {
    auto put = [&](int at, int value, int width) {
        unsigned v = static_cast<unsigned>(value < 0 ? -value : value);
        for (int k = width - 1; k >= 0; --k, v /= 10) buf[at + k] = static_cast<char>('0' + v % 10);
    };
    put(0, dt.year, 4);
    buf[4] = '-';
    put(5, dt.month, 2);
    buf[7] = '-';
    put(8, dt.day, 2);
    buf[10] = ' ';
    put(11, dt.hour, 2);
    buf[13] = ':';
    put(14, dt.minute, 2);
    buf[16] = ':';
    put(17, dt.second, 2);
    buf[19] = '\0';
}

std::string StoreDate(const DateTime& dt) {
    char buf[20];
    StoreDate(dt, buf);
    return buf;
}

DateTime InUtc(const DateTime& dt) {
    if (!dt.hasZone) return dt;
    DateTime r = dt;
    int64_t minutes = DayNumber(dt) * 1440 + dt.hour * 60 + dt.minute - dt.zoneMinutes;
    int64_t days = minutes / 1440, rest = minutes % 1440;
    if (rest < 0) rest += 1440, --days;
    const DateTime day = FromDayNumber(days);
    r.year = day.year, r.month = day.month, r.day = day.day;
    r.hour = static_cast<int>(rest / 60), r.minute = static_cast<int>(rest % 60);
    r.hasZone = false;
    r.zoneMinutes = 0;
    return r;
}

DateTime RoundFraction(const DateTime& dt, int precision) {
    if (precision < 0) precision = 0;
    if (precision >= 9) return dt;
    int unit = 1;
    for (int k = precision; k < 9; ++k) unit *= 10;
    DateTime r = dt;
    r.nanos = (dt.nanos + unit / 2) / unit * unit;
    if (r.nanos < 1000000000) return r;
    r.nanos = 0;
    if (++r.second < 60) return r;
    r.second = 0;
    if (++r.minute < 60) return r;
    r.minute = 0;
    if (++r.hour < 24) return r;
    r.hour = 0;
    const DateTime next = FromDayNumber(DayNumber(r) + 1);
    r.year = next.year, r.month = next.month, r.day = next.day;
    return r;
}

std::string StoreTimestamp(const DateTime& value, int precision) {
    if (precision < 0) precision = 0;
    if (precision > 9) precision = 9;
    const DateTime dt = RoundFraction(value, precision);
    char buf[32];
    StoreDate(dt, buf);
    buf[19] = '.';
    int v = dt.nanos;
    char digits[9];
    for (int k = 8; k >= 0; --k, v /= 10) digits[k] = static_cast<char>('0' + v % 10);
    for (int k = 0; k < precision; ++k) buf[20 + k] = digits[k];
    std::string out(buf, static_cast<size_t>(20 + precision));
    if (dt.hasZone) out += ZoneText(dt.zoneMinutes);
    return out;
}

DateTime Now() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    DateTime dt;
    dt.year = tm.tm_year + 1900;
    dt.month = tm.tm_mon + 1;
    dt.day = tm.tm_mday;
    dt.hour = tm.tm_hour;
    dt.minute = tm.tm_min;
    dt.second = tm.tm_sec;
    return dt;
}

int DaysInMonth(int year, int month) {
    static const int kDaysIn[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return kDaysIn[(month - 1) % 12];
}

DateTime AddMonths(const DateTime& dt, int months) {
    DateTime r = dt;
    int total = dt.year * 12 + (dt.month - 1) + months;
    r.year = total / 12;
    r.month = total % 12 + 1;
    // Oracle: the last day of a month maps to the last day of the target month.
    if (dt.day >= DaysInMonth(dt.year, dt.month) || dt.day > DaysInMonth(r.year, r.month))
        r.day = DaysInMonth(r.year, r.month);
    return r;
}

OraError DateFormat::Compile(std::string_view model) {
    els_.clear();
    std::string up = Upper(model);
    isDefault_ = up == "DD-MON-RR";
    static const struct {
        const char* name;
        El el;
    } kNames[] = {
        {"TZH", El::TZH},   {"TZM", El::TZM},   {"TZR", El::TZR},
        {"SSSSS", El::SSSSS}, {"SYYYY", El::SYYYY}, {"IYYY", El::IYYY}, {"SCC", El::SCC}, {"IYY", El::IYY},
        {"IY", El::IY},     {"IW", El::IW},     {"CC", El::CC},     {"RM", El::RM},     {"WW", El::WW},
        {"FF", El::FF},
        {"YYYY", El::YYYY}, {"RRRR", El::RRRR}, {"HH24", El::HH24}, {"HH12", El::HH12}, {"MONTH", El::MONTH},
        {"YYY", El::YYY},   {"MON", El::MON},   {"DDD", El::DDD},   {"DAY", El::DAY},   {"A.M.", El::AMPM},
        {"P.M.", El::AMPM}, {"YY", El::YY},     {"RR", El::RR},     {"MM", El::MM},     {"DD", El::DD},
        {"DY", El::DY},     {"HH", El::HH12},   {"MI", El::MI},     {"SS", El::SS},     {"AM", El::AMPM},
        {"PM", El::AMPM},   {"FM", El::FillMode}, {"Y", El::Y},     {"D", El::D},  {"I", El::I},
        {"Q", El::Q},       {"W", El::W},       {"J", El::J},       {"X", El::X},
    };
    size_t i = 0;
    while (i < model.size()) {
        char c = model[i];
        if (c == '"') {
            size_t end = model.find('"', i + 1);
            if (end == std::string_view::npos) return MakeError(1821);
            els_.push_back({El::Literal, Case::Upper, std::string(model.substr(i + 1, end - i - 1))});
            i = end + 1;
            continue;
        }
        if (std::strchr("-/,.;: ", c) != nullptr) {
            els_.push_back({El::Literal, Case::Upper, std::string(1, c)});
            ++i;
            continue;
        }
        bool found = false;
        for (const auto& n : kNames) {
            size_t len = std::strlen(n.name);
            if (up.compare(i, len, n.name) == 0) {
                Case cs = Case::Upper;
                if (std::islower(static_cast<unsigned char>(model[i]))) cs = Case::Lower;
                else if (len > 1 && std::islower(static_cast<unsigned char>(model[i + 1]))) cs = Case::Capital;
                els_.push_back({n.el, cs, {}});
                i += len;
                if (n.el == El::FF && i < model.size() && model[i] >= '1' && model[i] <= '9')
                    els_.back().digits = model[i++] - '0';
                found = true;
                break;
            }
        }
        if (!found) return MakeError(1821);
    }
    return {};
}

size_t DateFormat::Format(const DateTime& dt, char* buf, size_t cap) const {
    Writer w{buf, cap};
    bool fill = true;  // zero-pad numbers and blank-pad names; FM toggles it off
    auto word = [&](const char* upper, Case cs, size_t padTo) {
        size_t n = std::strlen(upper);
        for (size_t i = 0; i < n; ++i) {
            char ch = upper[i];
            if (cs == Case::Lower || (cs == Case::Capital && i > 0)) ch = static_cast<char>(std::tolower(ch));
            w.Put(ch);
        }
        if (fill)
            for (size_t i = n; i < padTo; ++i) w.Put(' ');
    };
    for (const Element& e : els_) {
        switch (e.el) {
            case El::Literal: w.Put(e.literal); break;
            case El::FillMode: fill = !fill; break;
            case El::YYYY:
            case El::RRRR: w.Num(dt.year, 4, fill); break;
            case El::YYY: w.Num(dt.year % 1000, 3, fill); break;
            case El::YY:
            case El::RR: w.Num(dt.year % 100, 2, fill); break;
            case El::Y: w.Num(dt.year % 10, 1, fill); break;
            case El::MM: w.Num(dt.month, 2, fill); break;
            case El::MON: {
                char m[4] = {kMonths[dt.month - 1][0], kMonths[dt.month - 1][1], kMonths[dt.month - 1][2], 0};
                word(m, e.letterCase, 3);
                break;
            }
            case El::MONTH: word(kMonths[dt.month - 1], e.letterCase, 9); break;
            case El::DD: w.Num(dt.day, 2, fill); break;
            case El::DDD: w.Num(DayOfYear(dt), 3, fill); break;
            case El::D: w.Num(DayOfWeek(dt) + 1, 1, fill); break;
            case El::DY: {
                const char* d = kDays[DayOfWeek(dt)];
                char m[4] = {d[0], d[1], d[2], 0};
                word(m, e.letterCase, 3);
                break;
            }
            case El::DAY: word(kDays[DayOfWeek(dt)], e.letterCase, 9); break;
            case El::HH24: w.Num(dt.hour, 2, fill); break;
            case El::HH12: w.Num(dt.hour % 12 == 0 ? 12 : dt.hour % 12, 2, fill); break;
            case El::MI: w.Num(dt.minute, 2, fill); break;
            case El::SS: w.Num(dt.second, 2, fill); break;
            case El::AMPM: word(dt.hour < 12 ? "AM" : "PM", e.letterCase, 2); break;
            case El::SCC:
            case El::CC: {
                const int y = dt.year < 0 ? -dt.year : dt.year;
                const int cc = y / 100 + (y % 100 != 0 ? 1 : 0);
                if (e.el == El::SCC) w.Put(dt.year < 0 ? '-' : ' ');
                w.Num(cc, 2, fill);
                break;
            }
            case El::SYYYY:
                w.Put(dt.year < 0 ? '-' : ' ');
                w.Num(dt.year < 0 ? -dt.year : dt.year, 4, fill);
                break;
            case El::IYYY:
            case El::IYY:
            case El::IY:
            case El::I: {
                int iso = 0;
                IsoYearStart(dt, iso);
                const int mod = e.el == El::IYYY ? 10000 : e.el == El::IYY ? 1000 : e.el == El::IY ? 100 : 10;
                const int width = e.el == El::IYYY ? 4 : e.el == El::IYY ? 3 : e.el == El::IY ? 2 : 1;
                w.Num(iso % mod, width, fill);
                break;
            }
            case El::Q: w.Num((dt.month - 1) / 3 + 1, 1, fill); break;
            case El::RM: word(kRoman[dt.month - 1], e.letterCase, 4); break;
            case El::WW: w.Num((DayOfYear(dt) - 1) / 7 + 1, 2, fill); break;
            case El::IW: {
                int iso = 0;
                const int64_t start = IsoYearStart(dt, iso);
                w.Num(static_cast<int>((DayNumber(dt) - start) / 7 + 1), 2, fill);
                break;
            }
            case El::W: w.Num((dt.day - 1) / 7 + 1, 1, fill); break;
            case El::J: w.Num(static_cast<int>(DayNumber(dt) + 2440588), 7, fill); break;
            case El::SSSSS: w.Num(dt.hour * 3600 + dt.minute * 60 + dt.second, 5, fill); break;
            case El::X: w.Put('.'); break;
            case El::TZH: {
                const int m = dt.zoneMinutes < 0 ? -dt.zoneMinutes : dt.zoneMinutes;
                w.Put(dt.zoneMinutes < 0 ? '-' : '+');
                w.Num(m / 60, 2, true);
                break;
            }
            case El::TZM: w.Num((dt.zoneMinutes < 0 ? -dt.zoneMinutes : dt.zoneMinutes) % 60, 2, true); break;
            case El::TZR: w.Put(std::string_view(ZoneText(dt.zoneMinutes)).substr(1)); break;
            case El::FF: {
                const int digits = e.digits > 0 ? e.digits : dt.precision > 0 ? dt.precision : dt.precision == 0 ? 0 : 9;
                int v = dt.nanos;
                char d9[9];
                for (int k = 8; k >= 0; --k, v /= 10) d9[k] = static_cast<char>('0' + v % 10);
                for (int k = 0; k < digits; ++k) w.Put(d9[k]);
                break;
            }
        }
    }
    if (cap > 0) buf[w.len < cap ? w.len : cap - 1] = '\0';
    return w.len < cap ? w.len : cap - 1;
}

std::string DateFormat::Format(const DateTime& dt) const {
    char buf[256];
    size_t n = Format(dt, buf, sizeof buf);
    return std::string(buf, n);
}

bool DateFormat::HasFraction() const {
    for (const Element& e : els_)
        if (e.el == El::FF) return true;
    return false;
}

bool DateFormat::HasZone() const {
    for (const Element& e : els_)
        if (e.el == El::TZH || e.el == El::TZM || e.el == El::TZR) return true;
    return false;
}

OraError DateFormat::Parse(std::string_view s, DateTime& dt, bool timestamp) const {
    DateTime now = Now();
    dt = DateTime{};
    dt.year = now.year;
    dt.month = now.month;
    dt.day = 1;
    if (timestamp) dt.precision = 9;
    size_t i = 0;
    bool pm = false, hasAmPm = false;
    int dayOfYear = 0, julian = 0;
    auto skipBlanks = [&] {
        while (i < s.size() && s[i] == ' ') ++i;
    };
    auto number = [&](int maxDigits, int& out, int* digitsRead = nullptr) -> bool {
        skipBlanks();
        int v = 0, n = 0;
        while (i < s.size() && n < maxDigits && s[i] >= '0' && s[i] <= '9') v = v * 10 + (s[i++] - '0'), ++n;
        if (digitsRead) *digitsRead = n;
        out = v;
        return n > 0;
    };
    auto name = [&](const char* const* names, int count, bool full, int& out) -> bool {
        skipBlanks();
        for (int k = 0; k < count; ++k) {
            size_t len = full ? std::strlen(names[k]) : 3;
            if (i + len <= s.size() && Upper(s.substr(i, len)) == std::string_view(names[k], len)) {
                out = k;
                i += len;
                return true;
            }
        }
        // A full name element also accepts the abbreviation, as Oracle does.
        if (full) {
            for (int k = 0; k < count; ++k) {
                if (i + 3 <= s.size() && Upper(s.substr(i, 3)) == std::string_view(names[k], 3)) {
                    out = k;
                    i += 3;
                    return true;
                }
            }
        }
        return false;
    };
    for (const Element& e : els_) {
        if (e.el == El::FillMode) continue;
        if (i >= s.size()) break;
        int v = 0, nd = 0;
        switch (e.el) {
            case El::Literal:
                // Any punctuation in the input matches punctuation in the model.
                for (size_t k = 0; k < e.literal.size() && i < s.size(); ++k) {
                    if (std::isalnum(static_cast<unsigned char>(s[i]))) {
                        if (std::isalnum(static_cast<unsigned char>(e.literal[k])) &&
                            std::toupper(static_cast<unsigned char>(s[i])) ==
                                std::toupper(static_cast<unsigned char>(e.literal[k]))) {
                            ++i;
                            continue;
                        }
                        if (!std::isalnum(static_cast<unsigned char>(e.literal[k]))) continue;
                        return MakeError(1861);
                    }
                    ++i;
                }
                break;
            case El::YYYY:
            case El::RRRR:
            case El::RR:
            case El::YY:
            case El::YYY:
            case El::Y: {
                int width = e.el == El::YYYY || e.el == El::RRRR ? 4 : e.el == El::YYY ? 3 : e.el == El::Y ? 1 : 2;
                if ((e.el == El::RR || e.el == El::RRRR)) width = 4;
                if (!number(width, v, &nd)) return MakeError(1858);
                if (nd >= 3 || e.el == El::YYYY) dt.year = v;
                else if (e.el == El::RR || e.el == El::RRRR) {
                    int cy = now.year % 100, century = now.year - cy;
                    if (v < 50) dt.year = (cy < 50 ? century : century + 100) + v;
                    else dt.year = (cy < 50 ? century - 100 : century) + v;
                } else {
                    int mod = nd == 1 ? 10 : nd == 2 ? 100 : 1000;
                    dt.year = now.year - now.year % mod + v;
                }
                break;
            }
            case El::MM:
                // MM also takes the month's name or abbreviation, as Oracle's conversion rules allow
                skipBlanks();
                if (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) {
                    if (!name(kMonths, 12, true, v)) return MakeError(kOraNotValidMonth);
                    dt.month = v + 1;
                    break;
                }
                if (!number(2, v)) return MakeError(1858);
                if (v < 1 || v > 12) return MakeError(1843);
                dt.month = v;
                break;
            case El::MON:
            case El::MONTH:
                // either takes the other: the full name or the abbreviation
                if (!name(kMonths, 12, true, v)) return MakeError(1843);
                dt.month = v + 1;
                break;
            case El::DD:
                if (!number(2, v)) return MakeError(1858);
                if (v < 1 || v > 31) return MakeError(1847);
                dt.day = v;
                break;
            case El::DDD:
                if (!number(3, v)) return MakeError(1858);
                if (v < 1 || v > 366) return MakeError(kOraDayOfYearRange);
                dayOfYear = v;
                break;
            case El::D:
                if (!number(1, v)) return MakeError(1858);
                if (v < 1 || v > 7) return MakeError(kOraDayOfWeekRange);
                break;
            case El::J:
                if (!number(7, v)) return MakeError(1858);
                if (v < 1 || v > 5373484) return MakeError(kOraJulianRange);
                julian = v;
                break;
            case El::SSSSS:
                if (!number(5, v)) return MakeError(1858);
                if (v > 86399) return MakeError(kOraSecondsInDayRange);
                dt.hour = v / 3600, dt.minute = v / 60 % 60, dt.second = v % 60;
                break;
            case El::SYYYY: {
                skipBlanks();
                bool negative = false;
                if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
                if (!number(4, v)) return MakeError(1858);
                if (v == 0 || v > 9999 || (negative && v > 4712)) return MakeError(1841);
                dt.year = negative ? -v : v;
                break;
            }
            case El::RM: {
                skipBlanks();
                int best = -1;
                size_t bestLen = 0;
                for (int k = 0; k < 12; ++k) {
                    const size_t len = std::strlen(kRoman[k]);
                    if (len > bestLen && i + len <= s.size() && Upper(s.substr(i, len)) == kRoman[k])
                        best = k, bestLen = len;
                }
                if (best < 0) return MakeError(kOraInvalidRomanMonth);
                dt.month = best + 1;
                i += bestLen;
                break;
            }
            case El::X:
                skipBlanks();
                if (s[i] != '.') return MakeError(1861);
                ++i;
                break;
            case El::FF: {
                if (!timestamp) return MakeError(1821);
                int digits = 0;
                int scale = 100000000;
                while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 9) {
                    dt.nanos += (s[i++] - '0') * scale;
                    scale /= 10;
                    ++digits;
                }
                if (digits == 0) return MakeError(1858);
                if (e.digits > 0 && digits > e.digits) return MakeError(1830);
                break;
            }
            case El::TZH:
            case El::TZM:
            case El::TZR: {
                // +HH:MM (TZR), +HH (TZH) or MM (TZM)
                skipBlanks();
                bool negative = false;
                if (e.el != El::TZM && i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
                int hours = 0, minutes = 0;
                if (e.el == El::TZM) {
                    if (!number(2, minutes)) return MakeError(1858);
                    dt.zoneMinutes += dt.zoneMinutes < 0 ? -minutes : minutes;
                } else {
                    if (!number(2, hours)) return MakeError(1858);
                    if (e.el == El::TZR && i < s.size() && s[i] == ':') {
                        ++i;
                        if (!number(2, minutes)) return MakeError(1858);
                    }
                    dt.zoneMinutes = (hours * 60 + minutes) * (negative ? -1 : 1);
                }
                if (hours > 15) return MakeError(kOraTimeZoneHourRange);
                if (minutes > 59) return MakeError(kOraTimeZoneMinuteRange);
                dt.hasZone = true;
                break;
            }
            case El::SCC:
            case El::CC:
            case El::IYYY:
            case El::IYY:
            case El::IY:
            case El::I:
            case El::Q:
            case El::WW:
            case El::IW:
            case El::W: return MakeError(kOraFormatCodeNotInInput);
            case El::DY:
            case El::DAY:
                if (!name(kDays, 7, e.el == El::DAY, v)) return MakeError(kOraDayOfWeekRange);
                break;
            case El::HH24:
                if (!number(2, v)) return MakeError(1858);
                if (v > 23) return MakeError(1850);
                dt.hour = v;
                break;
            case El::HH12:
                if (!number(2, v)) return MakeError(1858);
                if (v < 1 || v > 12) return MakeError(kOraHour12Range);
                dt.hour = v % 12;
                break;
            case El::MI:
                if (!number(2, v)) return MakeError(1858);
                if (v > 59) return MakeError(1851);
                dt.minute = v;
                break;
            case El::SS:
                if (!number(2, v)) return MakeError(1858);
                if (v > 59) return MakeError(1852);
                dt.second = v;
                break;
            case El::AMPM: {
                skipBlanks();
                std::string rest = Upper(s.substr(i, 4));
                hasAmPm = true;
                if (rest.rfind("A.M.", 0) == 0 || rest.rfind("P.M.", 0) == 0) {
                    pm = rest[0] == 'P';
                    i += 4;
                } else if (rest.rfind("AM", 0) == 0 || rest.rfind("PM", 0) == 0) {
                    pm = rest[0] == 'P';
                    i += 2;
                } else {
                    return MakeError(1861);
                }
                break;
            }
            case El::FillMode: break;
        }
    }
    skipBlanks();
    if (i < s.size()) return MakeError(1830);
    if (hasAmPm && pm) dt.hour += 12;
    if (julian > 0) {
        const DateTime day = FromDayNumber(static_cast<int64_t>(julian) - 2440588);
        dt.year = day.year, dt.month = day.month, dt.day = day.day;
    } else if (dayOfYear > 0) {
        const bool leap = DaysInMonth(dt.year, 2) == 29;
        if (dayOfYear > (leap ? 366 : 365)) return MakeError(kOraDayOfYearRange);
        const DateTime day = FromDayNumber(DaysFromCivil(dt.year, 1, 1) + dayOfYear - 1);
        dt.month = day.month, dt.day = day.day;
    }
    if (dt.day > DaysInMonth(dt.year, dt.month)) return MakeError(kOraDateNotValidForMonth);
    return {};
}

OraError FormatNumberModel(double v, std::string_view model, std::string& out) {
    std::string up = Upper(model);
    bool fm = false, dollar = false, leadS = false, trailS = false, trailMI = false;
    size_t p = 0;
    if (up.compare(0, 2, "FM") == 0) fm = true, p = 2;
    if (p < up.size() && up[p] == 'S') leadS = true, ++p;
    if (p < up.size() && up[p] == '$') dollar = true, ++p;
    std::string body;  // 9, 0, ',', '.'
    for (; p < up.size(); ++p) {
        char c = up[p];
        if (c == '9' || c == '0' || c == ',' || c == '.') body.push_back(c);
        else if (c == 'G') body.push_back(',');
        else if (c == 'D') body.push_back('.');
        else if (c == '$' && !dollar) dollar = true;
        else if (c == 'S' && p + 1 == up.size() && !leadS) trailS = true;
        else if (up.compare(p, 2, "MI") == 0 && p + 2 == up.size()) trailMI = true, ++p;
        else return MakeRawError(1481, "invalid number format model");
    }
    size_t point = body.find('.');
    std::string intPart = body.substr(0, point), fracPart = point == std::string::npos ? "" : body.substr(point + 1);
    int intDigits = 0, fracDigits = 0;
    for (char c : intPart) intDigits += c != ',';
    for (char c : fracPart) fracDigits += c != ',';
    bool neg = v < 0;
    char tmp[400];
    std::snprintf(tmp, sizeof tmp, "%.*f", fracDigits, std::fabs(v));
    std::string num = tmp;
    size_t dot = num.find('.');
    std::string ip = num.substr(0, dot), fp = dot == std::string::npos ? "" : num.substr(dot + 1);
    if (ip == "0") ip.clear();
    if (neg && ip.empty() && fp.find_first_not_of('0') == std::string::npos) neg = false;
    size_t width = body.size() + (dollar ? 1 : 0) + 1;
    if (static_cast<int>(ip.size()) > intDigits) {
        out.assign(width, '#');
        return {};
    }
    size_t firstZero = intPart.find('0');
    std::string text;
    int pad = intDigits - static_cast<int>(ip.size());
    int k = 0;
    bool printed = false;
    for (size_t j = 0; j < intPart.size(); ++j) {
        char c = intPart[j];
        if (c == ',') {
            text.push_back(printed ? ',' : ' ');
            continue;
        }
        if (k < pad) {
            if (firstZero != std::string::npos && j >= firstZero) text.push_back('0'), printed = true;
            else text.push_back(' ');
        } else {
            text.push_back(ip[static_cast<size_t>(k - pad)]);
            printed = true;
        }
        ++k;
    }
    if (!printed && fracDigits == 0 && !text.empty()) text.back() = '0';
    if (point != std::string::npos) {
        text.push_back('.');
        size_t fi = 0;
        for (char c : fracPart) {
            if (c == ',') text.push_back(',');
            else text.push_back(fi < fp.size() ? fp[fi++] : '0');
        }
        if (fm) {
            // FM drops trailing zeros that stand in 9 positions.
            size_t j = fracPart.size();
            while (j > 0 && fracPart[j - 1] == '9' && text.back() == '0') text.pop_back(), --j;
        }
    }
    size_t lead = text.find_first_not_of(' ');
    if (lead == std::string::npos) lead = text.size();
    std::string sign;
    if (leadS) sign = neg ? "-" : "+";
    else if (!trailS && !trailMI) sign = neg ? "-" : " ";
    out = text.substr(0, lead) + sign + (dollar ? "$" : "") + text.substr(lead);
    if (trailS) out += neg ? "-" : "+";
    if (trailMI) out += neg ? "-" : " ";
    if (fm) {
        size_t a = out.find_first_not_of(' '), b = out.find_last_not_of(' ');
        out = a == std::string::npos ? std::string() : out.substr(a, b - a + 1);
    }
    return {};
}

OraError ParseNumberText(std::string_view s, double& value) {
    size_t a = 0, b = s.size();
    while (a < b && s[a] == ' ') ++a;
    while (b > a && s[b - 1] == ' ') --b;
    if (a == b) return MakeError(1722);
    std::string t(s.substr(a, b - a));
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') ++i;
    bool digits = false;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, digits = true;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, digits = true;
    }
    if (digits && i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        if (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) {
            i = j;
            while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
        }
    }
    if (!digits || i != t.size()) return MakeError(1722);
    value = std::strtod(t.c_str(), nullptr);
    return {};
}

}  // namespace liteoci
