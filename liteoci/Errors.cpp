#include "Errors.h"

#include <cstdio>
#include <cstdlib>

namespace liteoci {
namespace {

struct Message {
    int code;
    const char* text;
};

// Texts of the server and client messages this client raises.
constexpr Message kMessages[] = {
    {1, "unique constraint (%s) violated"},
    {36, "maximum number of recursive SQL levels (%s) exceeded"},
    {54, "resource busy and acquire with NOWAIT specified or timeout expired"},
    {600, "internal error code, arguments: [%s]"},
    {900, "invalid SQL statement"},
    {903, "invalid table name"},
    {905, "missing keyword"},
    {904, "%s: invalid identifier"},
    {906, "missing left parenthesis"},
    {907, "missing right parenthesis"},
    {909, "invalid number of arguments"},
    {911, "invalid character"},
    {917, "missing comma"},
    {918, "column ambiguously defined"},
    {922, "missing or invalid option"},
    {923, "FROM keyword not found where expected"},
    {926, "missing VALUES keyword"},
    {928, "missing SELECT keyword"},
    {932, "inconsistent datatypes: expected %s got %s"},
    {933, "SQL command not properly ended"},
    {934, "group function is not allowed here"},
    {936, "missing expression"},
    {937, "not a single-group group function"},
    {942, "table or view does not exist"},
    {955, "name is already used by an existing object"},
    {969, "missing ON keyword"},
    {975, "date + date not allowed"},
    {979, "not a GROUP BY expression"},
    {1001, "invalid cursor"},
    {1002, "fetch out of sequence"},
    {1007, "variable not in select list"},
    {1008, "not all variables bound"},
    {1013, "user requested cancel of current operation"},
    {1017, "invalid username/password; logon denied"},
    {1031, "insufficient privileges"},
    {1036, "illegal variable name/number"},
    {1400, "cannot insert NULL into (%s)"},
    {1416, "two tables cannot be outer-joined to each other"},
    {1439, "column to be modified must be empty to change datatype"},
    {1440, "column to be modified must be empty to decrease precision or scale"},
    {1441, "cannot decrease column length because some value is too big"},
    {1442, "column to be modified to NOT NULL is already NOT NULL"},
    {1451, "column to be modified to NULL cannot be modified to NULL"},
    {2296, "cannot enable (%s.%s) - null values found"},
    {1468, "a predicate may reference only one outer-joined table"},
    {1705, "an outer join cannot be specified on a correlation column"},
    {1719, "outer join operator (+) not allowed in operand of OR or IN"},
    {1799, "a column may not be outer-joined to a subquery"},
    {25156, "old style outer join (+) cannot be used with ANSI joins"},
    {30563, "outer join operator (+) is not allowed here"},
    {30926, "unable to get a stable set of rows in the source tables"},
    {38104, "Columns referenced in the ON Clause cannot be updated: %s"},
    {1407, "cannot update (%s) to NULL"},
    {1438, "value larger than specified precision allowed for this column"},
    {30001, "trim set should have only one character"},
    {30076, "invalid extract field for extract source"},
    {30081, "invalid data type for datetime/interval arithmetic"},
    {1760, "illegal argument for function"},
    {25137, "Data value out of range"},
    {2003, "invalid USERENV parameter"},
    {12725, "unmatched parentheses in regular expression"},
    {12726, "unmatched bracket in regular expression"},
    {12727, "invalid back reference in regular expression"},
    {12728, "invalid range in regular expression"},
    {12729, "invalid character class in regular expression"},
    {947, "not enough values"},
    {2437, "cannot validate (%s) - primary key violated"},
    {2299, "cannot validate (%s) - duplicate keys found"},
    {2293, "cannot validate (%s) - check constraint violated"},
    {2298, "cannot validate (%s) - parent keys not found"},
    {2264, "name already used by an existing constraint"},
    {2260, "table can have only one primary key"},
    {2270, "no matching unique or primary key for this column-list"},
    {2441, "Cannot drop nonexistent primary key"},
    {2443, "Cannot drop constraint  - nonexistent constraint"},
    {2273, "this unique/primary key is referenced by some foreign keys"},
    {1027, "bind variables not allowed for data definition operations"},
    {913, "too many values"},
    {28009, "connection as SYS should be as SYSDBA or SYSOPER"},
    {12899, "value too large for column %s (actual: %s, maximum: %s)"},
    {1086, "savepoint '%s' never established in this session or is invalid"},
    {1403, "no data found"},
    {1405, "fetched column value is NULL"},
    {1406, "fetched column value was truncated"},
    {1422, "exact fetch returns more than requested number of rows"},
    {1427, "single-row subquery returns more than one row"},
    {1436, "CONNECT BY loop in user data"},
    {1476, "divisor is equal to zero"},
    {1722, "invalid number"},
    {1489, "result of string concatenation is too long"},
    {32795, "cannot insert into a generated always identity column"},
    {32796, "cannot update a generated always identity column"},
    {1740, "missing double quote in identifier"},
    {1742, "comment not properly terminated"},
    {1756, "quoted string not properly terminated"},
    {1780, "string literal required"},
    {1789, "query block has incorrect number of result columns"},
    {1790, "expression must have same datatype as corresponding expression"},
    {1791, "not a SELECTed expression"},
    {1792, "maximum number of columns in a table or view is 1000"},
    {1820, "format code cannot appear in date input format"},
    {1821, "date format not recognized"},
    {1830, "date format picture ends before converting entire input string"},
    {1841, "(full) year must be between -4713 and +9999, and not be 0"},
    {1839, "date not valid for month specified"},
    {1843, "not a valid month"},
    {1846, "not a valid day of the week"},
    {1847, "day of month must be between 1 and last day of month"},
    {1848, "day of year must be between 1 and 365 (366 for leap year)"},
    {1849, "hour must be between 1 and 12"},
    {1850, "hour must be between 0 and 23"},
    {1851, "minutes must be between 0 and 59"},
    {1852, "seconds must be between 0 and 59"},
    {1853, "seconds in day must be between 0 and 86399"},
    {1854, "julian date must be between 1 and 5373484"},
    {1858, "a non-numeric character was found where a numeric was expected"},
    {1861, "literal does not match format string"},
    {1867, "the interval is invalid"},
    {1873, "the leading precision of the interval is too small"},
    {1874, "time zone hour must be between -15 and 15"},
    {1875, "time zone minute must be between -59 and 59"},
    {2277, "invalid sequence name"},
    {2289, "sequence does not exist"},
    {2290, "check constraint (%s) violated"},
    {2291, "integrity constraint (%s) violated - parent key not found"},
    {2292, "integrity constraint (%s) violated - child record found"},
    {3001, "unimplemented feature"},
    {3113, "end-of-file on communication channel"},
    {3114, "not connected to ORACLE"},
    {3135, "connection lost contact"},
    {6502, "PL/SQL: numeric or value error%s"},
    {6550, "line %s, column %s:\n%s"},
    {4002, "INCREMENT must be a non-zero integer"},
    {4043, "object %s does not exist"},
    {4071, "missing BEFORE, AFTER or INSTEAD OF keyword"},
    {4072, "invalid trigger type"},
    {4073, "column list not valid for this trigger type"},
    {4074, "invalid REFERENCING name"},
    {4075, "invalid trigger action"},
    {4077, "WHEN clause cannot be used with table level triggers"},
    {4080, "trigger '%s' does not exist"},
    {4081, "trigger '%s' already exists"},
    {4082, "NEW or OLD references not allowed in table level triggers"},
    {4084, "cannot change NEW values for this trigger type"},
    {4085, "cannot change the value of an OLD reference variable"},
    {4088, "error during execution of trigger '%s'"},
    {4092, "cannot %s in a trigger"},
    {4091, "table %s is mutating, trigger/function may not see it"},
    {4098, "trigger '%s' is invalid and failed re-validation"},
    {8002, "sequence %s.CURRVAL is not yet defined in this session"},
    {12154, "TNS:could not resolve the connect identifier specified"},
    {16000, "database or pluggable database open for read-only access"},
    {22275, "invalid LOB locator specified"},
    {22289, "cannot perform %s operation on an unopened file or LOB"},
    {22293, "LOB already opened in the same transaction"},
    {24315, "illegal attribute type"},
    {24801, "illegal parameter value in OCI lob function"},
    {24333, "zero iteration count"},
    {24334, "no descriptor for this position"},
    {24338, "statement handle not executed"},
    {24344, "success with compilation error"},
    {24345, "A Truncation or null fetch error occurred"},
    {24391, "invalid fetch operation"},
    {25002, "cannot create INSTEAD OF triggers on tables"},
};

const char* Lookup(int code) {
    for (const Message& m : kMessages)
        if (m.code == code) return m.text;
    return "unknown error";
}

std::string Prefix(int code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "ORA-%05d: ", code);
    return buf;
}

}  // namespace

OraError MakeError(int code, std::string_view arg1, std::string_view arg2, std::string_view arg3) {
    OraError e;
    e.code = code;
    e.text = Prefix(code);
    std::string_view args[3] = {arg1, arg2, arg3};
    int next = 0;
    for (const char* p = Lookup(code); *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            // a type Oracle cannot name is shown as "-"
            if (next < 3) e.text.append(args[next].empty() && code == 932 ? std::string_view("-") : args[next]), ++next;
            ++p;
        } else {
            e.text.push_back(*p);
        }
    }
    return e;
}

OraError MakeErrorAt(int offset, int code, std::string_view arg1, std::string_view arg2) {
    OraError e = MakeError(code, arg1, arg2);
    e.offset = offset;
    return e;
}

OraError MakeRawError(int code, std::string_view message) {
    OraError e;
    e.code = code;
    e.text = Prefix(code);
    e.text.append(message);
    return e;
}

OraError ParseOraMessage(std::string_view message) {
    OraError e;
    if (message.size() < 10 || message.substr(0, 4) != "ORA-") return e;
    int code = 0;
    for (size_t i = 4; i < 9; ++i) {
        if (message[i] < '0' || message[i] > '9') return e;
        code = code * 10 + (message[i] - '0');
    }
    if (message[9] != ':') return e;
    e.code = code;
    e.text = std::string(message);
    return e;
}

}  // namespace liteoci
