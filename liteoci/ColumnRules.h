// The rules of Oracle's column types that SQLite does not keep: a VARCHAR2 or CHAR value may not be
// longer than its column (ORA-12899), a CHAR value is stored padded with blanks to the column's length, a NUMBER(p,s) value is rounded to s places and may not have more
// than p - s digits before the point (ORA-01438), and a NUMBER column takes numbers only (ORA-01722).
// The length and precision checks travel with the table as CHECK conditions calling LITEOCI_FITS; the
// rounding and the padding are an AFTER trigger of SQLite's that the table gets at CREATE TABLE.
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
    long long padTo = 0;    // CHAR and NCHAR: values are stored blank-padded to this many...
    char padUnit = 'B';     // ... bytes (B) or characters (C)
    size_t lastToken = 0;   // the definition's last token
};

// The column definitions of the CREATE TABLE or ALTER TABLE ... ADD statement in toks (empty for any
// other statement); `table` receives the table's name.
std::vector<ColumnRule> ColumnRulesOf(std::string_view text, const std::vector<Token>& toks, std::string& table);

// The CHECK conditions to append after each definition's last token.
std::vector<std::pair<size_t, std::string>> ColumnChecks(const std::vector<ColumnRule>& rules, const std::string& table);

// The columns of a primary key may not be NULL in Oracle, while SQLite lets a key that is not an
// INTEGER PRIMARY KEY take NULLs: for CREATE TABLE in toks, the NOT NULL to append after the
// definition of each key column that lacks one. The constraint is named so that the dictionary can
// tell it from the user's own.
std::vector<std::pair<size_t, std::string>> PrimaryKeyNotNull(std::string_view text, const std::vector<Token>& toks);
inline constexpr std::string_view kKeyNotNull = " CONSTRAINT \"liteoci$key\" NOT NULL";

// After CREATE TABLE: the trigger that rounds the NUMBER(p,s) columns to their scale and turns what is
// given to DATE, TIMESTAMP and INTERVAL columns into their values (LITEOCI_DATETIME_VALUE,
// LITEOCI_INTERVAL_VALUE).
void CreateRoundingTrigger(Session& s, const std::string& table, const std::vector<ColumnRule>& rules);

// Puts `sql` in place of the table's CREATE TABLE text without building the table again: for changes
// that leave the rows' stored form as it is (constraints' texts, types' rules). The schema's version
// moves on so that every connection reads the definition again; a text SQLite refuses changes nothing.
OraError ReplaceTableDefinition(Session& s, const std::string& table, const std::string& sql);

// After a table was renamed: its length and precision checks name it by its new name in their messages.
void RenameInColumnChecks(Session& s, const std::string& from, const std::string& to);

// Makes the rounding trigger of `table` again from the table's definition as it is now (after ALTER
// TABLE ADD, or after the table was built again).
void RefreshRoundingTrigger(Session& s, const std::string& table);

// LITEOCI_FITS, LITEOCI_PADCHAR(value, length, 'B' | 'C') and the collation LITEOCI_CHAR of
// CHAR columns, which compares texts as Oracle compares blank-padded ones: trailing blanks do not count.
int RegisterColumnRuleFunctions(sqlite3* db, SessionSettings* settings);

}  // namespace liteoci

#endif
