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
};

// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DDTHH:MM:SS[.fff]".
bool ParseStoredDate(const char* p, size_t n, DateTime& dt);
// Writes the stored form "YYYY-MM-DD HH:MM:SS" (19 characters + NUL into buf[20]).
void StoreDate(const DateTime& dt, char* buf);
std::string StoreDate(const DateTime& dt);
DateTime Now();
int DaysInMonth(int year, int month);
DateTime AddMonths(const DateTime& dt, int months);

// A compiled date format model (YYYY, YY, RRRR, RR, MM, MON, MONTH, DD, DDD, D, DY, DAY, HH24, HH,
// HH12, MI, SS, AM/PM, FM, "quoted text" and punctuation).
class DateFormat {
public:
    // Compiles `model`; ORA-01821 when an element is not recognised.
    OraError Compile(std::string_view model);
    // Writes the text of dt; returns its length (at most cap-1 characters, NUL-terminated).
    size_t Format(const DateTime& dt, char* buf, size_t cap) const;
    std::string Format(const DateTime& dt) const;
    // Reads text by the model, as TO_DATE does (Oracle's defaults for missing fields).
    OraError Parse(std::string_view text, DateTime& dt) const;
    bool IsDefault() const { return isDefault_; }

private:
    enum class El : uint8_t {
        Literal, FillMode, YYYY, YYY, YY, Y, RRRR, RR, MM, MON, MONTH, DD, DDD, D, DY, DAY,
        HH24, HH12, MI, SS, AMPM,
    };
    enum class Case : uint8_t { Upper, Capital, Lower };
    struct Element {
        El el;
        Case letterCase;
        std::string literal;
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
