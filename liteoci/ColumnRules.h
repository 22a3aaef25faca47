// The rules of Oracle's column types that SQLite does not keep: a VARCHAR2 or CHAR value may not be
// longer than its column (ORA-12899), a NUMBER(p,s) value is rounded to s places and may not have more
// than p - s digits before the point (ORA-01438), and a NUMBER column takes numbers only (ORA-01722).
// The length and precision checks travel with the table as CHECK conditions calling LITEOCI_FITS; the
// rounding is an AFTER trigger of SQLite's that the table gets at CREATE TABLE.
#ifndef LITEOCI_COLUMNRULES_H
#define LITEOCI_COLUMNRULES_H

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Lexer.h"

namespace liteoci {

class Session;
struct SessionSettings;

// One column definition of CREATE TABLE or ALTER TABLE ... ADD.
struct ColumnRule {
    std::string column;
    char kind = 0;          // 'C' text with a length, 'N' number, 'D' DATE, 'T' TIMESTAMP (precision: its digits),
                            // 'Z' TIMESTAMP WITH TIME ZONE,
                            // 'Y' INTERVAL YEAR TO MONTH, 'S' INTERVAL DAY TO SECOND (precision, scale: its two)
    long long length = 0;   // C: the maximum in bytes
    bool hasPrecision = false;
    long long precision = 0;
    bool hasScale = false;  // N: rounded to `scale` places
    long long scale = 0;
    size_t lastToken = 0;   // the definition's last token
};

// The column definitions of the CREATE TABLE or ALTER TABLE ... ADD statement in toks (empty for any
// other statement); `table` receives the table's name.
std::vector<ColumnRule> ColumnRulesOf(std::string_view text, const std::vector<Token>& toks, std::string& table);

// The CHECK conditions to append after each definition's last token.
std::vector<std::pair<size_t, std::string>> ColumnChecks(const std::vector<ColumnRule>& rules, const std::string& table);

// After CREATE TABLE: the trigger that rounds the NUMBER(p,s) columns to their scale and turns what is
// given to DATE, TIMESTAMP and INTERVAL columns into their values (LITEOCI_DATETIME_VALUE,
// LITEOCI_INTERVAL_VALUE).
void CreateRoundingTrigger(Session& s, const std::string& table, const std::vector<ColumnRule>& rules);

// LITEOCI_FITS on the connection.
int RegisterColumnRuleFunctions(sqlite3* db, SessionSettings* settings);

}  // namespace liteoci

#endif
