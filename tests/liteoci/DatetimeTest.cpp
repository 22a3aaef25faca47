// Dates, timestamps and intervals in the cases around the everyday ones: format elements read and
// written, the units of ROUND and TRUNC, interval literals and their arithmetic, the precision of
// fractional seconds, the types a client is told, and the same forms inside PL/SQL. Expected values
// follow Oracle's documented behaviour (SQL Language Reference: Datetime Format Models, ROUND and
// TRUNC Date Functions, Interval Literals, Datetime/Interval Arithmetic; Error Messages).
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "OciClient.h"

namespace {

class DatetimeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(c_.Logon("DEMO", "demo", MakeDatabase()).code, 0); }
    void Run(const std::string& sql) { ASSERT_EQ(Exec(c_, sql).code, 0) << sql << ": " << c_.LastError().text; }
    std::string ErrorOf(const std::string& sql) {
        Error e = Exec(c_, sql);
        return e.text.substr(0, e.text.find('\n'));
    }
    // The row of a one-row query as "a|b|c", or the first line of its error.
    std::string Row(const std::string& sql) {
        Error e;
        auto rows = Query(c_, sql, &e);
        if (e.code) return e.text.substr(0, e.text.find('\n'));
        std::string out;
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t k = 0; k < rows[r].size(); ++k) out += (r || k ? "|" : "") + rows[r][k];
        return out;
    }
    Conn c_;
};

TEST_F(DatetimeTest, FormatElementsAreReadAsWellAsWritten) {
    // J counts days from 4712 BC (2000-01-01 is day 2451545), DDD the day of the year, SSSSS the
    // seconds past midnight, RM the month in Roman numerals
    EXPECT_EQ(Row("select to_date('2451545', 'J'), to_date('2000-060', 'YYYY-DDD'), "
                  "to_char(to_date('2000 3661', 'YYYY SSSSS'), 'HH24:MI:SS') from dual"),
              "01-JAN-00|29-FEB-00|01:01:01");
    EXPECT_EQ(Row("select to_char(date '2000-01-01', 'J'), to_char(date '2026-09-09', 'FMRM'), "
                  "to_date('XII-2020', 'RM-YYYY') from dual"),
              "2451545|IX|01-DEC-20");
    EXPECT_EQ(Row("select to_char(date '2000-12-31', 'CC SSSSS'), to_char(date '2001-01-01', 'CC') from dual"),
              "20 00000|21");
    // the ISO year of the first days of January can be the year before (2021-01-01 is a Friday)
    EXPECT_EQ(Row("select to_char(date '2021-01-01', 'IYYY IW WW') from dual"), "2020 53 01");
    // MM, MON and MONTH take one another's forms of the month
    EXPECT_EQ(Row("select to_date('01-JANUARY-2020', 'DD-MON-YYYY'), to_date('01-Feb-2020', 'DD-MM-YYYY'), "
                  "to_date('01 mar 2020', 'DD MONTH YYYY') from dual"),
              "01-JAN-20|01-FEB-20|01-MAR-20");
    // elements that only describe a date are not read from text
    EXPECT_EQ(Row("select to_date('2026-50', 'IYYY-IW') from dual"),
              "ORA-01820: format code cannot appear in date input format");
    EXPECT_EQ(Row("select to_date('13:00 PM', 'HH:MI AM') from dual"), "ORA-01849: hour must be between 1 and 12");
    EXPECT_EQ(Row("select to_date('2020-400', 'YYYY-DDD') from dual"),
              "ORA-01848: day of year must be between 1 and 365 (366 for leap year)");
    EXPECT_EQ(Row("select to_date('Funday 01-01-2020', 'Day DD-MM-YYYY') from dual"),
              "ORA-01846: not a valid day of the week");
    // a DATE literal names a day that exists
    EXPECT_EQ(Row("select date '2020-13-01' from dual"), "ORA-01843: not a valid month");
    EXPECT_EQ(Row("select date '2020-01-32' from dual"),
              "ORA-01847: day of month must be between 1 and last day of month");
    EXPECT_EQ(Row("select date 'today' from dual"), "ORA-01861: literal does not match format string");
    EXPECT_EQ(Row("select to_date('0', 'J') from dual"), "ORA-01854: julian date must be between 1 and 5373484");
    EXPECT_EQ(Row("select to_date('90000', 'SSSSS') from dual"), "ORA-01853: seconds in day must be between 0 and 86399");
    // names are padded to their longest and FM drops the padding and the leading zeros
    EXPECT_EQ(Row("select to_char(date '2026-12-09', 'Day, fmMonth DD'), to_char(date '2026-03-05', 'fmrm') from dual"),
              "Wednesday, December 9|iii");
}

TEST_F(DatetimeTest, MonthsBetweenCountsWholeMonthsOnlyOnTheSameOrTheLastDays) {
    EXPECT_EQ(Row("select round(months_between(date '1995-01-01', date '1995-02-02'), 8) from dual"), "-1.03225806");
    // the same day of the month: whole months, whatever the times of day
    EXPECT_EQ(Row("select months_between(to_date('2020-03-15 18:00', 'YYYY-MM-DD HH24:MI'), date '2020-01-15') "
                  "from dual"),
              "2");
    // both last days of their months, though not the same day
    EXPECT_EQ(Row("select months_between(date '2020-02-29', date '2019-11-30') from dual"), "3");
    // otherwise days and time count in 31-day months: a day and a half
    EXPECT_EQ(Row("select round(months_between(to_date('2020-01-16 12:00', 'YYYY-MM-DD HH24:MI'), date '2020-01-15'), 8) "
                  "from dual"),
              ".0483871");
    EXPECT_EQ(Row("select months_between(null, sysdate) from dual"), "<null>");
}

TEST_F(DatetimeTest, DateFunctionsReadTextInTheSessionFormat) {
    EXPECT_EQ(Row("select add_months('31-JAN-20', 1), last_day('10-FEB-20'), next_day('01-JAN-20', 'SUN') from dual"),
              "29-FEB-20|29-FEB-20|05-JAN-20");
    EXPECT_EQ(Row("select add_months('xx-JAN-20', 1) from dual"),
              "ORA-01858: a non-numeric character was found where a numeric was expected");
    EXPECT_EQ(Row("select last_day(42) from dual"), "ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
}

TEST_F(DatetimeTest, NextDayIsStrictlyLaterAndKeepsTheTimeOfDay) {
    // 2020-01-01 is a Wednesday; letters after the abbreviation are ignored
    EXPECT_EQ(Row("select to_char(next_day(to_date('2020-01-01 10:30', 'YYYY-MM-DD HH24:MI'), 'wedXX'), "
                  "'YYYY-MM-DD HH24:MI') from dual"),
              "2020-01-08 10:30");
    EXPECT_EQ(Row("select next_day(date '2020-01-01', 'Saturday') from dual"), "04-JAN-20");
    EXPECT_EQ(Row("select next_day(date '2020-01-01', 'WE') from dual"), "ORA-01846: not a valid day of the week");
}

TEST_F(DatetimeTest, ExtractGivesTheSignedFieldsOfIntervals) {
    EXPECT_EQ(Row("select extract(day from interval '-3 4' day to hour), extract(hour from interval '-3 4' day to hour), "
                  "extract(year from interval '-5-6' year to month) from dual"),
              "-3|-4|-5");
    EXPECT_EQ(Row("select extract(second from interval '1:02:03.5' hour to second) from dual"), "3.5");
    EXPECT_EQ(Row("select extract(day from interval '1-2' year to month) from dual"),
              "ORA-30076: invalid extract field for extract source");
    EXPECT_EQ(Row("select extract(year from cast(null as date)) from dual"), "<null>");
    Run("create table hires (d date)");
    Run("insert into hires values (date '1981-02-20')");
    Run("insert into hires values (date '1981-05-01')");
    Run("insert into hires values (date '1982-01-23')");
    EXPECT_EQ(Query(c_, "select extract(year from d), count(*) from hires group by extract(year from d) order by 1"),
              (std::vector<std::vector<std::string>>{{"1981", "2"}, {"1982", "1"}}));
}

TEST_F(DatetimeTest, RoundAndTruncTakeEveryUnitOfTheirTable) {
    // a year rounds up on July 1, a month on the 16th, a day at noon
    EXPECT_EQ(Row("select round(date '2026-06-30', 'YEAR'), round(date '2026-07-01', 'SYYYY'), "
                  "round(date '2026-02-15', 'MM'), round(date '2026-02-16', 'RM') from dual"),
              "01-JAN-26|01-JAN-27|01-FEB-26|01-MAR-26");
    EXPECT_EQ(Row("select round(to_date('2020-01-01 12:00', 'YYYY-MM-DD HH24:MI')), "
                  "round(to_date('2020-01-01 11:59', 'YYYY-MM-DD HH24:MI'), 'J') from dual"),
              "02-JAN-20|01-JAN-20");
    // 2026-12-09 is a Wednesday: weeks start on Sunday (DAY), Monday (IW), January 1 (WW), the 1st (W)
    EXPECT_EQ(Row("select trunc(date '2026-12-09', 'DAY'), trunc(date '2026-12-09', 'IW'), "
                  "trunc(date '2026-12-09', 'WW'), trunc(date '2026-12-09', 'W') from dual"),
              "06-DEC-26|07-DEC-26|03-DEC-26|08-DEC-26");
    EXPECT_EQ(Row("select round(date '2026-12-10', 'DAY'), round(date '2026-12-09', 'DAY') from dual"),
              "13-DEC-26|06-DEC-26");
    // the ISO year 2021 starts on Monday 2021-01-04; a date of July rounds to the next one
    EXPECT_EQ(Row("select trunc(date '2021-06-30', 'IYYY'), round(date '2021-07-01', 'IYYY') from dual"),
              "04-JAN-21|03-JAN-22");
    // a quarter rounds up on the 16th of its second month
    EXPECT_EQ(Row("select round(date '2026-05-15', 'Q'), round(date '2026-05-16', 'Q') from dual"),
              "01-APR-26|01-JUL-26");
    EXPECT_EQ(Row("select to_char(round(to_date('2026-12-09 10:29:30', 'YYYY-MM-DD HH24:MI:SS'), 'MI'), 'HH24:MI:SS'), "
                  "to_char(round(to_date('2026-12-09 23:30', 'YYYY-MM-DD HH24:MI'), 'HH24'), 'DD HH24:MI') from dual"),
              "10:30:00|10 00:00");
    EXPECT_EQ(Row("select trunc(date '2026-12-09', 'XX') from dual"), "ORA-01821: date format not recognized");
    // a TIMESTAMP rounds to a DATE
    EXPECT_EQ(Row("select trunc(timestamp '2020-01-02 10:11:12.5', 'MM') from dual"), "01-JAN-20");
}

TEST_F(DatetimeTest, EverySynonymOfAUnitRoundsAlike) {
    // 2026-12-09 14:40 is a Wednesday afternoon
    const std::string d = "to_date('2026-12-09 14:40', 'YYYY-MM-DD HH24:MI')";
    auto units = [&](std::initializer_list<const char*> names, bool round) {
        std::string sql = "select ";
        for (const char* n : names)
            sql += std::string(sql.size() > 7 ? ", " : "") + "to_char(" + (round ? "round(" : "trunc(") + d + ", '" + n +
                   "'), 'YYYY-MM-DD HH24:MI')";
        return Row(sql + " from dual");
    };
    EXPECT_EQ(units({"SYYYY", "YYYY", "YEAR", "SYEAR", "YYY", "YY", "Y"}, true),
              "2027-01-01 00:00|2027-01-01 00:00|2027-01-01 00:00|2027-01-01 00:00|2027-01-01 00:00|2027-01-01 00:00|"
              "2027-01-01 00:00");
    EXPECT_EQ(units({"IYYY", "IYY", "IY", "I"}, false), "2025-12-29 00:00|2025-12-29 00:00|2025-12-29 00:00|2025-12-29 00:00");
    EXPECT_EQ(units({"MONTH", "MON", "MM", "RM"}, false), "2026-12-01 00:00|2026-12-01 00:00|2026-12-01 00:00|2026-12-01 00:00");
    EXPECT_EQ(units({"DDD", "DD", "J"}, true), "2026-12-10 00:00|2026-12-10 00:00|2026-12-10 00:00");
    EXPECT_EQ(units({"DAY", "DY", "D"}, false), "2026-12-06 00:00|2026-12-06 00:00|2026-12-06 00:00");
    EXPECT_EQ(units({"HH", "HH12", "HH24"}, true), "2026-12-09 15:00|2026-12-09 15:00|2026-12-09 15:00");
    EXPECT_EQ(units({"MI", "CC", "SCC"}, false), "2026-12-09 14:40|2001-01-01 00:00|2001-01-01 00:00");
    // the unit may be written in lower case
    EXPECT_EQ(Row("select trunc(date '2026-12-09', 'iw') from dual"), "07-DEC-26");
}

TEST_F(DatetimeTest, IntervalLiteralsShowTheirPrecisionsAndRefuseWhatDoesNotFit) {
    EXPECT_EQ(Row("select interval '4 5:12:10.222' day to second(3), interval '123-2' year(3) to month, "
                  "interval '10:20' hour to minute from dual"),
              "+04 05:12:10.222|+123-02|+00 10:20:00");
    EXPECT_EQ(Row("select interval '7.25' second(2,3), interval '4 5:12' day to minute, interval '-1 2' day to hour "
                  "from dual"),
              "+00 00:00:07.250|+04 05:12:00|-01 02:00:00");
    EXPECT_EQ(Row("select interval '123' day from dual"), "ORA-01873: the leading precision of the interval is too small");
    EXPECT_EQ(Row("select interval 'abc' day from dual"), "ORA-01867: the interval is invalid");
    // an interval literal ends in its qualifier, which is no alias
    EXPECT_EQ(Row("select to_char(interval '30' minute + date '2020-01-01', 'HH24:MI'), interval '2' hour h from dual"),
              "00:30|+00 02:00:00");
}

TEST_F(DatetimeTest, IntervalArithmeticFollowsTheMatrixOfDatetimeArithmetic) {
    EXPECT_EQ(Row("select interval '1' day + interval '3 4' day to hour, interval '1' day - interval '3 4' day to hour, "
                  "interval '3 4' day to hour / 2 from dual"),
              "+04 04:00:00|-02 04:00:00|+01 14:00:00");
    EXPECT_EQ(Row("select interval '1' year + interval '3-4' year to month from dual"), "+04-04");
    // a number times an interval is an interval, in either order
    EXPECT_EQ(Row("select interval '3 4' day to hour * 2, 2 * interval '1-6' year to month, "
                  "to_char(date '2020-01-01' + 3 * interval '20' minute, 'HH24:MI') from dual"),
              "+06 08:00:00|+03-00|01:00");
    EXPECT_EQ(Row("select extract(hour from numtodsinterval(5, 'HOUR') * 2) from dual"), "10");
    EXPECT_EQ(Row("select to_char(date '2020-01-01' + numtodsinterval(36, 'HOUR'), 'DD HH24'), "
                  "date '2020-01-31' + numtoyminterval(1, 'YEAR') from dual"),
              "02 12|31-JAN-21");
    // numbers do not mix with intervals, nor does a datetime follow one in a difference
    EXPECT_EQ(Row("select interval '1' day + 1 from dual"), "ORA-30081: invalid data type for datetime/interval arithmetic");
    EXPECT_EQ(Row("select interval '1' day - date '2020-01-01' from dual"),
              "ORA-30081: invalid data type for datetime/interval arithmetic");
    EXPECT_EQ(Row("select interval '1' day / 0 from dual"), "ORA-01476: divisor is equal to zero");
    // the interval expression (a - b) DAY TO SECOND, of DATEs or TIMESTAMPs; two digits of days by default
    EXPECT_EQ(Row("select (to_date('2020-01-03 06:00', 'YYYY-MM-DD HH24:MI') - date '2020-01-01') day to second, "
                  "(timestamp '2020-01-01 00:00:01.5' - timestamp '2020-01-01 00:00:00') day(1) to second(1) from dual"),
              "+02 06:00:00.000000|+0 00:00:01.5");
    EXPECT_EQ(Row("select to_char(date '2020-01-01' + (date '2020-01-02' - date '2020-01-01') day to second, 'DD') "
                  "from dual"),
              "02");
    EXPECT_EQ(Row("select (date '2020-12-31' - date '2020-01-01') day to second from dual"),
              "ORA-01873: the leading precision of the interval is too small");
    // two timestamps differ by an interval; a timestamp plus a number of days is a DATE
    EXPECT_EQ(Row("select extract(hour from timestamp '2020-01-02 10:00:00' - timestamp '2020-01-01 00:00:00'), "
                  "timestamp '2020-01-02 10:00:00.25' + 1 from dual"),
              "10|03-JAN-20");
    EXPECT_EQ(Row("select timestamp '2020-01-02 10:00:00.5' + interval '90' minute from dual"),
              "02-JAN-20 11.30.00.500000000 AM");
    EXPECT_EQ(Row("select extract(day from timestamp '2020-01-03 06:00:00' - date '2020-01-01') from dual"), "2");
    // a month later than January 31 has no such day
    EXPECT_EQ(Row("select timestamp '2020-01-31 10:00:00' + interval '1' month from dual"),
              "ORA-01839: date not valid for month specified");
    EXPECT_EQ(Row("select numtodsinterval(1.5, 'DAY'), numtoyminterval(-14, 'MONTH') from dual"),
              "+000000001 12:00:00.000000000|-000000001-02");
    EXPECT_EQ(Row("select extract(second from interval '-0 0:0:1.25' day to second) from dual"), "-1.25");
    EXPECT_EQ(Row("select numtodsinterval(1, 'WEEK') from dual"), "ORA-01760: illegal argument for function");
    EXPECT_EQ(Row("select numtodsinterval(1e20, 'DAY') from dual"),
              "ORA-01873: the leading precision of the interval is too small");
}

TEST_F(DatetimeTest, TimestampsKeepTheirFractionalSecondsToTheColumnsPrecision) {
    Run("create table stamps (t timestamp, t3 timestamp(3), d date)");
    Run("insert into stamps values (timestamp '2020-01-02 13:11:12.123456789', "
        "timestamp '2020-01-02 13:11:12.123456789', date '2020-01-02')");
    // a TIMESTAMP column has 6 digits unless it says otherwise; the value is rounded to them
    EXPECT_EQ(Row("select t, t3 from stamps"), "02-JAN-20 01.11.12.123457 PM|02-JAN-20 01.11.12.123 PM");
    EXPECT_EQ(Row("select extract(day from t), trunc(t), extract(hour from t) from stamps"), "2|02-JAN-20|13");
    EXPECT_EQ(Row("select extract(hour from d) from stamps"), "ORA-30076: invalid extract field for extract source");
    // text given to the columns is read in the session's formats, and is a datetime from then on
    Run("insert into stamps (t, d) values ('03-JAN-20 01.02.03.4567899 PM', '03-JAN-20')");
    EXPECT_EQ(Row("select t, d + 1 from stamps where d > date '2020-01-02'"), "03-JAN-20 01.02.03.456790 PM|04-JAN-20");
    EXPECT_EQ(ErrorOf("insert into stamps (d) values ('03-XYZ-20')"), "ORA-01843: not a valid month");
    EXPECT_EQ(ErrorOf("update stamps set t = 'soon'"),
              "ORA-01858: a non-numeric character was found where a numeric was expected");
    Run("delete from stamps where d > date '2020-01-02'");
    // text compared with a TIMESTAMP column is read in the session's timestamp format
    EXPECT_EQ(Row("select count(*) from stamps where t > '02-JAN-20 01.11.12.000000 PM' and t < '03-JAN-20'"), "1");
    // SYSTIMESTAMP as a default keeps its microseconds
    Run("create table logged (id number, at timestamp default systimestamp)");
    Run("insert into logged (id) values (1)");
    EXPECT_EQ(Row("select length(to_char(at, 'FF')), extract(year from at) - extract(year from sysdate) from logged"), "6|0");
    Run("alter session set nls_timestamp_format = 'YYYY-MM-DD HH24:MI:SS.FF3'");
    EXPECT_EQ(Row("select to_timestamp('2020-01-02 10:11:12'), cast(d as timestamp) from stamps"),
              "2020-01-02 10:11:12.000|2020-01-02 00:00:00.000");
    EXPECT_EQ(Row("select to_timestamp('2020-01-02 10:11:12.1234', 'YYYY-MM-DD HH24:MI:SS.FF3') from dual"),
              "ORA-01830: date format picture ends before converting entire input string");
    // fewer digits round, and the carry may reach the next year
    EXPECT_EQ(Row("select to_char(cast(timestamp '2020-12-31 23:59:59.9' as timestamp(0)), 'YYYY-MM-DD HH24:MI:SS') "
                  "from dual"),
              "2021-01-01 00:00:00");
    EXPECT_EQ(ErrorOf("alter session set nls_timestamp_format = 'HH.MI.SSXFF Q9'"), "ORA-01821: date format not recognized");
}

TEST_F(DatetimeTest, IntervalColumnsKeepTheirKindAndPrecisions) {
    Run("create table spans (ym interval year to month, ds interval day(3) to second(2))");
    Run("insert into spans values (interval '1-2' year to month, interval '4 5:12:10.226' day to second(3))");
    Run("insert into spans values ('10-11', '100 00:00:00')");
    EXPECT_EQ(Query(c_, "select ym, ds from spans order by ds"),
              (std::vector<std::vector<std::string>>{{"+01-02", "+004 05:12:10.23"}, {"+10-11", "+100 00:00:00.00"}}));
    EXPECT_EQ(ErrorOf("insert into spans (ds) values (interval '1' year)"), "ORA-00932: inconsistent datatypes: expected INTERVAL DAY TO SECOND got INTERVAL YEAR TO MONTH");
    EXPECT_EQ(ErrorOf("insert into spans (ym) values (interval '123-0' year(3) to month)"),
              "ORA-01873: the leading precision of the interval is too small");
    EXPECT_EQ(Row("select count(*) from spans where date '2020-01-01' + ds > date '2020-01-05'"), "2");
}

TEST_F(DatetimeTest, TimestampsBecomeTextInTheTimestampFormat) {
    EXPECT_EQ(Row("select to_char(timestamp '2020-01-02 13:14:15.5'), 'at ' || timestamp '2020-01-02 13:14:15.5' "
                  "from dual"),
              "02-JAN-20 01.14.15.500000000 PM|at 02-JAN-20 01.14.15.500000000 PM");
    EXPECT_EQ(Row("select to_char(timestamp '2020-01-02 13:14:15.123456789', 'HH24:MI:SS.FF3 FF1 FF') from dual"),
              "13:14:15.123 1 123456789");
    // functions made for DATEs take a TIMESTAMP as a DATE
    EXPECT_EQ(Row("select months_between(timestamp '2020-03-15 10:00:00.5', date '2020-01-15'), "
                  "next_day(timestamp '2020-01-01 10:00:00.5', 'FRI'), add_months(timestamp '2020-01-31 00:00:00', 1) "
                  "from dual"),
              "2|03-JAN-20|29-FEB-20");
    // a TIMESTAMP(0) column rounds to the second, carrying into the next day
    Run("create table ticks (t timestamp(0))");
    Run("insert into ticks values (timestamp '2020-01-01 23:59:59.5')");
    EXPECT_EQ(Row("select to_char(t, 'YYYY-MM-DD HH24:MI:SS') from ticks"), "2020-01-02 00:00:00");
}

TEST_F(DatetimeTest, TimeZonesTravelWithTheirTimestamps) {
    Run("create table zoned (a timestamp with time zone, b timestamp)");
    Run("insert into zoned values (timestamp '1999-01-01 10:00:00 -08:00', timestamp '1999-01-01 10:00:00 -08:00')");
    // NLS_TIMESTAMP_TZ_FORMAT shows the zone; a plain TIMESTAMP column keeps the fields without it
    EXPECT_EQ(Row("select a, b from zoned"), "01-JAN-99 10.00.00.000000 AM -08:00|01-JAN-99 10.00.00.000000 AM");
    // EXTRACT answers in UTC, and gives the zone's own fields
    EXPECT_EQ(Row("select extract(hour from a), extract(timezone_hour from a), extract(timezone_minute from a), "
                  "to_char(a, 'HH24:MI TZH:TZM TZR') from zoned"),
              "18|-8|0|10:00 -08:00 -08:00");
    EXPECT_EQ(Row("select extract(timezone_hour from b) from zoned"), "ORA-30076: invalid extract field for extract source");
    // instants in different zones differ by their distance in UTC
    EXPECT_EQ(Row("select extract(hour from timestamp '1999-01-01 10:00:00 -08:00' - "
                  "timestamp '1999-01-01 10:00:00 +00:00') from dual"),
              "8");
    EXPECT_EQ(Row("select to_char(a + interval '90' minute, 'HH24:MI TZR') from zoned"), "11:30 -08:00");
    EXPECT_EQ(Row("select sys_extract_utc(a), from_tz(b, '+02:00') from zoned"),
              "01-JAN-99 06.00.00.000000 PM|01-JAN-99 10.00.00.000000 AM +02:00");
    EXPECT_EQ(Row("select to_timestamp_tz('1999-12-01 11:00:00 -8:00', 'YYYY-MM-DD HH:MI:SS TZH:TZM') from dual"),
              "01-DEC-99 11.00.00.000000000 AM -08:00");
    Run("alter session set nls_timestamp_tz_format = 'YYYY-MM-DD HH24:MI TZH'");
    EXPECT_EQ(Row("select a from zoned"), "1999-01-01 10:00 -08");
}

TEST_F(DatetimeTest, ColumnsReadTextInTheFormatOfTheMoment) {
    Run("create table events (id number, d date)");
    Run("alter session set nls_date_format = 'YYYY/MM/DD HH24:MI'");
    Run("insert into events values (1, '2020/01/02 10:30')");
    Run("alter session set nls_date_format = 'DD-MON-RR'");
    EXPECT_EQ(Row("select d, to_char(d, 'HH24:MI') from events"), "02-JAN-20|10:30");
    EXPECT_EQ(ErrorOf("insert into events values (2, '2020/01/02 10:30')"),
              "ORA-01843: not a valid month");
    // a column added later reads text too
    Run("alter table events add (t timestamp(2))");
    Run("update events set t = '02-JAN-20 10.30.00.125 AM'");
    EXPECT_EQ(Row("select t from events"), "02-JAN-20 10.30.00.13 AM");
    // literals that name no time of day get Oracle's errors too
    EXPECT_EQ(Row("select timestamp '2020-01-02 25:00:00' from dual"), "ORA-01850: hour must be between 0 and 23");
}

TEST_F(DatetimeTest, CastsAndImplicitConversionsUseTheSessionFormats) {
    EXPECT_EQ(Row("select cast('02-JAN-20' as date) + 1, cast(date '2020-01-02' as char(10)) || '|' from dual"),
              "03-JAN-20|02-JAN-20 |");
    EXPECT_EQ(Row("select cast('abc' as varchar2(2)) from dual"), "ORA-25137: Data value out of range");
    EXPECT_EQ(Row("select cast(12.50 as varchar2(10)), to_char(cast(timestamp '2020-01-02 10:11:12.25' as date), "
                  "'HH24:MI:SS'), cast(null as timestamp) from dual"),
              "12.5|10:11:12|<null>");
    Run("alter session set nls_date_format = 'YYYY/MM/DD'");
    EXPECT_EQ(Row("select 'on ' || date '2020-01-02', cast(date '2020-01-02' as varchar2(10)) from dual"),
              "on 2020/01/02|2020/01/02");
}

TEST_F(DatetimeTest, ClientsAreToldTheTypesOfDatetimeExpressions) {
    Stmt s(c_, "select extract(year from sysdate), sysdate + interval '1' day, timestamp '2020-01-02 00:00:00', "
               "to_timestamp('2020', 'YYYY') + interval '1' hour, trunc(systimestamp), interval '1-2' year to month, "
               "systimestamp - sysdate, numtodsinterval(1, 'DAY') * 2 from dual");
    ASSERT_EQ(s.Describe(), 8u);
    EXPECT_EQ(s.ColumnType(1), SQLT_NUM);
    EXPECT_EQ(s.ColumnType(2), SQLT_DAT);
    EXPECT_EQ(s.ColumnType(3), SQLT_TIMESTAMP);
    EXPECT_EQ(s.ColumnType(4), SQLT_TIMESTAMP);
    EXPECT_EQ(s.ColumnType(5), SQLT_DAT);
    EXPECT_EQ(s.ColumnType(6), SQLT_INTERVAL_YM);
    EXPECT_EQ(s.ColumnType(7), SQLT_INTERVAL_DS);
    EXPECT_EQ(s.ColumnType(8), SQLT_INTERVAL_DS);
    Stmt z(c_, "select systimestamp, localtimestamp, timestamp '1999-01-01 10:00:00 -08:00', "
               "(sysdate - date '2020-01-01') day(9) to second from dual");
    ASSERT_EQ(z.Describe(), 4u);
    EXPECT_EQ(z.ColumnType(4), SQLT_INTERVAL_DS);
    EXPECT_EQ(z.ColumnType(1), SQLT_TIMESTAMP_TZ);
    EXPECT_EQ(z.ColumnType(2), SQLT_TIMESTAMP);
    EXPECT_EQ(z.ColumnType(3), SQLT_TIMESTAMP_TZ);
}

// Malformed datetime and interval input is refused with an Oracle error, never a crash or a wrong value.
TEST_F(DatetimeTest, MalformedInputGetsAnOracleError) {
    const char* const kStatements[] = {
        "select interval '' day from dual",
        "select interval '+' day from dual",
        "select interval '1 2:3:4:5' day to second from dual",
        "select interval '99999999999999999999' day(9) from dual",
        "select interval '1' second(99) from dual",
        "select to_dsinterval('-') from dual",
        "select to_yminterval('1-2-3') from dual",
        "select to_timestamp('2020-01-02 xx', 'YYYY-MM-DD FF') from dual",
        "select to_char(timestamp '2020-01-02 10:00:00.5', 'FF0') from dual",
        "select to_date('9999999', 'J') from dual",
        "select to_date('-', 'SYYYY') from dual",
        "select trunc(date '2020-01-01', '') from dual",
        "select months_between('x', sysdate) from dual",
        "select next_day(42, 'MON') from dual",
        "select extract(year from 42) from dual",
        "select cast(42 as date) from dual",
        "select interval '1' day / (1e-300) from dual",
        "select numtoyminterval(1e300, 'YEAR') from dual",
        "select date '9999-12-31' + interval '1' day from dual",
        "select date '2020-01-01' - interval '999999999' day(9) from dual",
    };
    for (const char* sql : kStatements) {
        const std::string got = Row(sql);
        EXPECT_TRUE(got.rfind("ORA-", 0) == 0 || got == "<null>") << sql << " gave " << got;
        EXPECT_EQ(Row("select 1 from dual"), "1") << "after " << sql;
    }
}

TEST_F(DatetimeTest, PlsqlExpressionsTakeTheSameForms) {
    Run("create function next_birthday(d date) return date is begin "
        "return d + interval '1' year + extract(day from interval '2' day); end;");
    EXPECT_EQ(Row("select to_char(next_birthday(date '2020-03-01'), 'YYYY-MM-DD') from dual"), "2021-03-03");
    Run("create function hours_between(a timestamp, b timestamp) return number is "
        "begin return extract(day from a - b) * 24 + extract(hour from a - b); end;");
    EXPECT_EQ(Row("select hours_between(timestamp '2020-01-03 06:00:00', timestamp '2020-01-01 00:00:00') from dual"),
              "54");
}

}  // namespace
