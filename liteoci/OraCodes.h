// Oracle error numbers raised by the embedded client, by name. Their texts are in Errors.cpp.
#ifndef LITEOCI_ORACODES_H
#define LITEOCI_ORACODES_H

namespace liteoci {

inline constexpr int kOraInvalidSql = 900;             // invalid SQL statement
inline constexpr int kOraMissingKeyword = 905;         // missing keyword
inline constexpr int kOraNotProperlyEnded = 933;       // SQL command not properly ended
inline constexpr int kOraMissingExpression = 936;      // missing expression
inline constexpr int kOraTableNotFound = 942;          // table or view does not exist
inline constexpr int kOraNotConnected = 3114;          // not connected to ORACLE
inline constexpr int kOraEndOfFileOnChannel = 3113;    // end-of-file on communication channel
inline constexpr int kOraConnectionLost = 3135;        // connection lost contact
inline constexpr int kOraCancelled = 1013;             // user requested cancel of current operation
inline constexpr int kOraConnectByLoop = 1436;         // CONNECT BY loop in user data
inline constexpr int kOraDivisorZero = 1476;           // divisor is equal to zero
inline constexpr int kOraUnimplemented = 3001;         // unimplemented feature
inline constexpr int kOraReadOnlyDatabase = 16000;     // database or pluggable database open for read-only access
inline constexpr int kOraSavepointNeverEstablished = 1086;  // savepoint '%s' never established
inline constexpr int kOraStringLiteralRequired = 1780;  // string literal required
inline constexpr int kDataBlockCorrupted = 1578;      // ORACLE data block corrupted
inline constexpr int kOraUniqueViolated = 1;          // unique constraint (%s) violated
inline constexpr int kOraCannotInsertNull = 1400;      // cannot insert NULL into (%s)
inline constexpr int kOraCannotUpdateToNull = 1407;    // cannot update (%s) to NULL
inline constexpr int kOraValueTooLarge = 12899;        // value too large for column %s (actual: %s, maximum: %s)
inline constexpr int kOraPrecisionExceeded = 1438;     // value larger than specified precision allowed for this column
inline constexpr int kOraCheckViolated = 2290;         // check constraint (%s) violated
inline constexpr int kOraParentKeyNotFound = 2291;     // integrity constraint (%s) violated - parent key not found
inline constexpr int kOraChildRecordFound = 2292;      // integrity constraint (%s) violated - child record found
inline constexpr int kOraSysNeedsSysdba = 28009;      // connection as SYS should be as SYSDBA or SYSOPER
inline constexpr int kOraTrimSetOneCharacter = 30001;  // trim set should have only one character
inline constexpr int kOraInvalidUserenvParameter = 2003;  // invalid USERENV parameter
inline constexpr int kOraRegexParenthesis = 12725;    // unmatched parentheses in regular expression
inline constexpr int kOraRegexBracket = 12726;        // unmatched bracket in regular expression
inline constexpr int kOraRegexBackReference = 12727;  // invalid back reference in regular expression
inline constexpr int kOraRegexRange = 12728;          // invalid range in regular expression
inline constexpr int kOraRegexClass = 12729;          // invalid character class in regular expression
inline constexpr int kOraNotEnoughValues = 947;       // not enough values
inline constexpr int kOraTooManyValues = 913;         // too many values
inline constexpr int kOraMissingOnKeyword = 969;       // missing ON keyword
inline constexpr int kOraInconsistentTypes = 932;    // inconsistent datatypes: expected %s got %s
inline constexpr int kOraNotSingleGroupFunction = 937;  // not a single-group group function
inline constexpr int kOraNotGroupByExpression = 979;  // not a GROUP BY expression
inline constexpr int kOraSingleRowSubquery = 1427;    // single-row subquery returns more than one row
inline constexpr int kOraNotSelectedExpression = 1791;  // not a SELECTed expression
inline constexpr int kOraSetOperandTypes = 1790;      // expression must have same datatype as corresponding expression
inline constexpr int kOraCannotValidatePrimaryKey = 2437;  // cannot validate (%s) - primary key violated
inline constexpr int kOraCannotValidateUnique = 2299;   // cannot validate (%s) - duplicate keys found
inline constexpr int kOraCannotValidateCheck = 2293;    // cannot validate (%s) - check constraint violated
inline constexpr int kOraCannotValidateParent = 2298;   // cannot validate (%s) - parent keys not found
inline constexpr int kOraConstraintNameUsed = 2264;     // name already used by an existing constraint
inline constexpr int kOraOnlyOnePrimaryKey = 2260;      // table can have only one primary key
inline constexpr int kOraNoMatchingKey = 2270;          // no matching unique or primary key for this column-list
inline constexpr int kOraNoPrimaryKeyToDrop = 2441;     // Cannot drop nonexistent primary key
inline constexpr int kOraNoSuchConstraint = 2443;       // Cannot drop constraint  - nonexistent constraint
inline constexpr int kOraKeyReferenced = 2273;          // this unique/primary key is referenced by some foreign keys
inline constexpr int kOraBindInDdl = 1027;              // bind variables not allowed for data definition operations
inline constexpr int kOraConcatenationTooLong = 1489;  // result of string concatenation is too long
inline constexpr int kOraInvalidNumber = 1722;          // invalid number
inline constexpr int kOraInsertIntoAlwaysIdentity = 32795;  // cannot insert into a generated always identity column
inline constexpr int kOraUpdateAlwaysIdentity = 32796;      // cannot update a generated always identity column
inline constexpr int kOraInsufficientPrivileges = 1031;  // insufficient privileges
inline constexpr int kOraTooDeep = 600;                // internal error: nesting beyond what the client parses
inline constexpr int kOraMissingSelect = 928;            // missing SELECT keyword
inline constexpr int kOraModifyNeedsEmptyForType = 1439;       // column to be modified must be empty to change datatype
inline constexpr int kOraModifyNeedsEmptyForPrecision = 1440;  // column to be modified must be empty to decrease precision or scale
inline constexpr int kOraCannotDecreaseLength = 1441;          // cannot decrease column length because some value is too big
inline constexpr int kOraAlreadyNotNull = 1442;                // column to be modified to NOT NULL is already NOT NULL
inline constexpr int kOraAlreadyNull = 1451;                   // column to be modified to NULL cannot be modified to NULL
inline constexpr int kOraNullValuesFound = 2296;               // cannot enable (%s.%s) - null values found
inline constexpr int kOraOuterJoinedToEachOther = 1416;  // two tables cannot be outer-joined to each other
inline constexpr int kOraOneOuterJoinedTable = 1468;     // a predicate may reference only one outer-joined table
inline constexpr int kOraOuterJoinOnCorrelation = 1705;  // an outer join cannot be specified on a correlation column
inline constexpr int kOraOuterJoinInOrIn = 1719;         // outer join operator (+) not allowed in operand of OR or IN
inline constexpr int kOraOuterJoinToSubquery = 1799;     // a column may not be outer-joined to a subquery
inline constexpr int kOraOldOuterJoinWithAnsi = 25156;   // old style outer join (+) cannot be used with ANSI joins
inline constexpr int kOraUnstableRows = 30926;           // unable to get a stable set of rows in the source tables
inline constexpr int kOraOnColumnUpdated = 38104;        // Columns referenced in the ON Clause cannot be updated: %s
inline constexpr int kOraOuterJoinNotAllowed = 30563;    // outer join operator (+) is not allowed here

// Datetime formats, datetime and interval values.
inline constexpr int kOraFormatCodeNotInInput = 1820;   // format code cannot appear in date input format
inline constexpr int kOraDateFormatNotRecognized = 1821;  // date format not recognized
inline constexpr int kOraFormatEndsBeforeInput = 1830;  // date format picture ends before converting entire input string
inline constexpr int kOraDateNotValidForMonth = 1839;   // date not valid for month specified
inline constexpr int kOraYearRange = 1841;              // (full) year must be between -4713 and +9999, and not be 0
inline constexpr int kOraNotValidMonth = 1843;          // not a valid month
inline constexpr int kOraDayOfWeekRange = 1846;         // not a valid day of the week
inline constexpr int kOraDayOfMonthRange = 1847;        // day of month must be between 1 and last day of month
inline constexpr int kOraDayOfYearRange = 1848;         // day of year must be between 1 and 365 (366 for leap year)
inline constexpr int kOraHour12Range = 1849;            // hour must be between 1 and 12
inline constexpr int kOraHourRange = 1850;              // hour must be between 0 and 23
inline constexpr int kOraMinuteRange = 1851;            // minutes must be between 0 and 59
inline constexpr int kOraSecondRange = 1852;            // seconds must be between 0 and 59
inline constexpr int kOraSecondsInDayRange = 1853;      // seconds in day must be between 0 and 86399
inline constexpr int kOraJulianRange = 1854;            // julian date must be between 1 and 5373484
inline constexpr int kOraTimeZoneHourRange = 1874;      // time zone hour must be between -15 and 15
inline constexpr int kOraTimeZoneMinuteRange = 1875;    // time zone minute must be between -59 and 59
inline constexpr int kOraNonNumericCharacter = 1858;    // a non-numeric character was found where a numeric was expected
inline constexpr int kOraLiteralDoesNotMatch = 1861;    // literal does not match format string
inline constexpr int kOraInvalidInterval = 1867;        // the interval is invalid
inline constexpr int kOraLeadingPrecisionTooSmall = 1873;  // the leading precision of the interval is too small
inline constexpr int kOraInvalidExtractField = 30076;   // invalid extract field for extract source
inline constexpr int kOraInvalidIntervalArithmetic = 30081;  // invalid data type for datetime/interval arithmetic
inline constexpr int kOraInvalidRomanMonth = kOraNotValidMonth;
inline constexpr int kOraIllegalArgument = 1760;        // illegal argument for function
inline constexpr int kOraDataValueOutOfRange = 25137;   // Data value out of range

// OCI_ATTR_STMT_TYPE of the DML statements.
inline constexpr int kStmtUpdate = 2;
inline constexpr int kStmtDelete = 3;
inline constexpr int kStmtInsert = 4;

}  // namespace liteoci

#endif
