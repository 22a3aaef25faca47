// A corpus of PL/SQL as everyday scripts write it, with the server output and the errors Oracle's
// PL/SQL Language Reference gives for it (its examples and its descriptions of the predefined
// exceptions, error stacks and collection methods). Each case runs its setup statements, then its
// block with server output on, and compares the output lines or the error text exactly.
//
// Cases the client does not yet do as Oracle does are marked `differs`: they run and count as
// failed in the summary, and one that starts to pass fails the test, so that the mark is removed.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "OciClient.h"

namespace {

struct Case {
    const char* category;
    const char* name;
    std::vector<const char*> setup;
    const char* block;
    const char* output;  // lines joined with "\n"
    const char* error;   // the full error text, or null for success
    const char* query = nullptr;   // afterwards: a query whose first cell is compared with `answer`
    const char* answer = nullptr;
    bool differs = false;
};

const char* const kEmp =
    "create table emp (empno number(4) primary key, ename varchar2(10), job varchar2(9), sal number(7,2), "
    "deptno number(2))";
const char* const kEmpRows =
    "insert into emp select 7839, 'KING', 'PRESIDENT', 5000, 10 from dual union all "
    "select 7698, 'BLAKE', 'MANAGER', 2850, 30 from dual union all "
    "select 7782, 'CLARK', 'MANAGER', 2450, 10 from dual union all "
    "select 7369, 'SMITH', 'CLERK', 800, 20 from dual";

const std::vector<Case>& Corpus() {
    static const std::vector<Case> cases = {
        // ---- stored units ------------------------------------------------------------------
        {"stored units", "procedure prints its line",
         {"CREATE OR REPLACE PROCEDURE hello IS\nBEGIN\n  DBMS_OUTPUT.PUT_LINE('Hello, world');\nEND;"},
         "BEGIN hello; END;", "Hello, world", nullptr},
        {"stored units", "IN, OUT and IN OUT parameters",
         {"CREATE PROCEDURE p (a IN PLS_INTEGER, b OUT PLS_INTEGER, c IN OUT PLS_INTEGER) IS BEGIN b := a * 2; c := c + a; END;"},
         "DECLARE x PLS_INTEGER := 10; y PLS_INTEGER; BEGIN p(3, y, x); DBMS_OUTPUT.PUT_LINE(y || ' ' || x); END;",
         "6 13", nullptr},
        {"stored units", "positional, named and mixed notation with defaults",
         {"CREATE PROCEDURE raise_salary (emp_id NUMBER, amount NUMBER := 100, extra NUMBER := 50) IS\n"
          "BEGIN DBMS_OUTPUT.PUT_LINE(emp_id || ',' || amount || ',' || extra); END;"},
         "BEGIN raise_salary(120); raise_salary(121, 200); raise_salary(122, extra => 25);"
         " raise_salary(amount => 1, emp_id => 5); END;",
         "120,100,50\n121,200,50\n122,100,25\n5,1,50", nullptr},
        {"stored units", "function called from a block",
         {"CREATE FUNCTION square (original NUMBER) RETURN NUMBER AS original_squared NUMBER;\n"
          "BEGIN original_squared := original * original; RETURN original_squared; END;"},
         "BEGIN DBMS_OUTPUT.PUT_LINE(square(100)); END;", "10000", nullptr},
        {"stored units", "function called from SQL",
         {"CREATE FUNCTION twice (n NUMBER) RETURN NUMBER IS BEGIN RETURN n * 2; END;"},
         "BEGIN NULL; END;", "", nullptr, "SELECT twice(21) FROM dual", "42"},
        {"stored units", "recursive function",
         {"CREATE FUNCTION factorial (n POSITIVE) RETURN POSITIVE IS\nBEGIN\n  IF n = 1 THEN RETURN 1;\n"
          "  ELSE RETURN n * factorial(n - 1);\n  END IF;\nEND;"},
         "BEGIN FOR i IN 1..5 LOOP DBMS_OUTPUT.PUT_LINE(i || '! = ' || factorial(i)); END LOOP; END;",
         "1! = 1\n2! = 2\n3! = 6\n4! = 24\n5! = 120", nullptr},
        {"stored units", "a missing unit",
         {}, "BEGIN nope; END;", "",
         "ORA-06550: line 1, column 7:\nPLS-00201: identifier 'NOPE' must be declared\n"
         "ORA-06550: line 1, column 7:\nPL/SQL: Statement ignored"},
        {"stored units", "a unit that does not compile",
         {"CREATE PROCEDURE broken IS BEGIN no_such_thing; END;"}, "BEGIN broken; END;", "",
         "ORA-06550: line 1, column 7:\nPLS-00905: object DEMO.BROKEN is invalid\n"
         "ORA-06550: line 1, column 7:\nPL/SQL: Statement ignored"},
        {"stored units", "the error stack of an unhandled error in a procedure",
         {"CREATE PROCEDURE inner_p IS\nBEGIN\n  RAISE_APPLICATION_ERROR(-20001, 'bad thing');\nEND;",
          "CREATE PROCEDURE outer_p IS\nBEGIN\n  inner_p;\nEND;"},
         "BEGIN\n  outer_p;\nEND;", "",
         "ORA-20001: bad thing\nORA-06512: at \"DEMO.INNER_P\", line 3\nORA-06512: at \"DEMO.OUTER_P\", line 3\n"
         "ORA-06512: at line 2"},
        {"stored units", "CREATE OR REPLACE replaces",
         {"CREATE PROCEDURE v IS BEGIN DBMS_OUTPUT.PUT_LINE('one'); END;",
          "CREATE OR REPLACE PROCEDURE v IS BEGIN DBMS_OUTPUT.PUT_LINE('two'); END;"},
         "BEGIN v; END;", "two", nullptr},
        {"stored units", "a function without RETURN",
         {"CREATE FUNCTION noret RETURN NUMBER IS\nBEGIN\n  NULL;\nEND;"},
         "DECLARE n NUMBER; BEGIN n := noret; END;", "",
         "ORA-06503: PL/SQL: Function returned without value\nORA-06512: at \"DEMO.NORET\", line 2\nORA-06512: at line 1"},
        {"stored units", "a function without parameters called without parentheses",
         {"CREATE FUNCTION answer RETURN NUMBER IS BEGIN RETURN 42; END;"},
         "DECLARE n NUMBER; BEGIN n := answer; SELECT answer + 1 INTO n FROM dual; DBMS_OUTPUT.PUT_LINE(n); END;", "43",
         nullptr, "SELECT answer FROM dual", "42"},
        {"stored units", "CALL of a procedure", {"CREATE PROCEDURE hi2 IS BEGIN DBMS_OUTPUT.PUT_LINE('called'); END;"},
         "CALL hi2()", "called", nullptr},

        // ---- packages ----------------------------------------------------------------------
        {"packages", "variables live for the session",
         {"CREATE PACKAGE counter AS n NUMBER := 0; PROCEDURE bump; FUNCTION get RETURN NUMBER; END counter;",
          "CREATE PACKAGE BODY counter AS PROCEDURE bump IS BEGIN n := n + 1; END;"
          " FUNCTION get RETURN NUMBER IS BEGIN RETURN n; END; END counter;",
          "BEGIN counter.bump; counter.bump; END;"},
         "BEGIN counter.bump; DBMS_OUTPUT.PUT_LINE(counter.get || ' ' || counter.n); END;", "3 3", nullptr},
        {"packages", "constants and the initialisation part",
         {"CREATE PACKAGE cfg AS rate CONSTANT NUMBER := 0.5; started VARCHAR2(10); END;",
          "CREATE PACKAGE BODY cfg AS BEGIN started := 'yes'; END;"},
         "BEGIN DBMS_OUTPUT.PUT_LINE(cfg.rate || ' ' || cfg.started); END;", ".5 yes", nullptr},
        {"packages", "private subprograms and an exception declared in the package header",
         {"CREATE PACKAGE acct AS insufficient EXCEPTION; PROCEDURE take(amount NUMBER); END;",
          "CREATE PACKAGE BODY acct AS balance NUMBER := 100;\n"
          " FUNCTION enough(a NUMBER) RETURN BOOLEAN IS BEGIN RETURN a <= balance; END;\n"
          " PROCEDURE take(amount NUMBER) IS BEGIN IF NOT enough(amount) THEN RAISE insufficient; END IF;"
          " balance := balance - amount; END; END;"},
         "BEGIN acct.take(60); acct.take(60); EXCEPTION WHEN acct.insufficient THEN DBMS_OUTPUT.PUT_LINE('refused'); END;",
         "refused", nullptr},
        {"packages", "a package function called from SQL",
         {"CREATE PACKAGE emp_util AS FUNCTION double_it(n NUMBER) RETURN NUMBER; END;",
          "CREATE PACKAGE BODY emp_util AS FUNCTION double_it(n NUMBER) RETURN NUMBER IS BEGIN RETURN n * 2; END; END;"},
         "DECLARE n NUMBER; BEGIN SELECT emp_util.double_it(4) INTO n FROM dual; DBMS_OUTPUT.PUT_LINE(n); END;", "8",
         nullptr, "SELECT emp_util.double_it(21) FROM dual", "42"},
        {"packages", "a component that is not declared", {"CREATE PACKAGE small AS x NUMBER; END;"},
         "BEGIN small.y := 1; END;", "",
         "ORA-06550: line 1, column 13:\nPLS-00302: component 'Y' must be declared\n"
         "ORA-06550: line 1, column 7:\nPL/SQL: Statement ignored"},

        // ---- records and %TYPE ------------------------------------------------------------
        {"records", "%ROWTYPE filled by SELECT INTO", {kEmp, kEmpRows},
         "DECLARE r emp%ROWTYPE; BEGIN SELECT * INTO r FROM emp WHERE empno = 7839;"
         " DBMS_OUTPUT.PUT_LINE(r.ename || ' ' || r.job || ' ' || r.sal); END;",
         "KING PRESIDENT 5000", nullptr},
        {"records", "%TYPE keeps the column's length", {kEmp},
         "DECLARE v emp.ename%TYPE;\nBEGIN\n  v := 'ABCDEFGHIJK';\nEND;", "",
         "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\nORA-06512: at line 3"},
        {"records", "record types are copied on assignment", {},
         "DECLARE TYPE point IS RECORD (x NUMBER, y NUMBER); p point; q point;"
         " BEGIN p.x := 1; p.y := 2; q := p; q.x := 5; DBMS_OUTPUT.PUT_LINE(p.x || ',' || p.y || ' ' || q.x || ',' || q.y); END;",
         "1,2 5,2", nullptr},
        {"records", "a variable's %TYPE", {},
         "DECLARE a NUMBER := 7; b a%TYPE := a * 6; BEGIN DBMS_OUTPUT.PUT_LINE(b); END;", "42", nullptr},
        {"records", "a constant cannot be assigned", {},
         "DECLARE c CONSTANT NUMBER := 1; BEGIN c := 2; END;", "",
         "ORA-06550: line 1, column 39:\nPLS-00363: expression 'C' cannot be used as an assignment target\n"
         "ORA-06550: line 1, column 39:\nPL/SQL: Statement ignored"},

        // ---- cursors -----------------------------------------------------------------------
        {"cursors", "explicit cursor with %NOTFOUND and %ROWCOUNT", {kEmp, kEmpRows},
         "DECLARE CURSOR c IS SELECT ename FROM emp ORDER BY empno; v emp.ename%TYPE;"
         " BEGIN OPEN c; LOOP FETCH c INTO v; EXIT WHEN c%NOTFOUND; DBMS_OUTPUT.PUT_LINE(c%ROWCOUNT || ' ' || v); END LOOP;"
         " CLOSE c; END;",
         "1 SMITH\n2 BLAKE\n3 CLARK\n4 KING", nullptr},
        {"cursors", "cursor FOR loop over a query with several columns", {kEmp, kEmpRows},
         "BEGIN FOR r IN (SELECT ename, sal * 2 AS dbl FROM emp WHERE deptno = 10 ORDER BY ename) LOOP"
         " DBMS_OUTPUT.PUT_LINE(r.ename || ' ' || r.dbl); END LOOP; END;",
         "CLARK 4900\nKING 10000", nullptr},
        {"cursors", "parameterised cursor", {kEmp, kEmpRows},
         "DECLARE CURSOR c (p_job VARCHAR2, p_min NUMBER := 0) IS SELECT ename FROM emp WHERE job = p_job AND sal > p_min ORDER BY ename;"
         " BEGIN FOR r IN c('MANAGER') LOOP DBMS_OUTPUT.PUT_LINE(r.ename); END LOOP;"
         " FOR r IN c('MANAGER', 2500) LOOP DBMS_OUTPUT.PUT_LINE(r.ename); END LOOP; END;",
         "BLAKE\nCLARK\nBLAKE", nullptr},
        {"cursors", "%ISOPEN and %FOUND", {kEmp, kEmpRows},
         "DECLARE CURSOR c IS SELECT empno FROM emp; n NUMBER; BEGIN"
         " IF NOT c%ISOPEN THEN DBMS_OUTPUT.PUT_LINE('closed'); END IF; OPEN c; FETCH c INTO n;"
         " IF c%FOUND THEN DBMS_OUTPUT.PUT_LINE('found'); END IF; CLOSE c; END;",
         "closed\nfound", nullptr},
        {"cursors", "FETCH from a cursor that is not open", {kEmp},
         "DECLARE CURSOR c IS SELECT empno FROM emp; n NUMBER;\nBEGIN\n  FETCH c INTO n;\nEND;", "",
         "ORA-01001: invalid cursor\nORA-06512: at line 3"},
        {"cursors", "OPEN of an open cursor", {kEmp},
         "DECLARE CURSOR c IS SELECT empno FROM emp;\nBEGIN\n  OPEN c;\n  OPEN c;\nEND;", "",
         "ORA-06511: PL/SQL: cursor already open\nORA-06512: at line 4"},
        {"cursors", "SQL%ROWCOUNT and SQL%FOUND after DML", {kEmp, kEmpRows},
         "BEGIN UPDATE emp SET sal = sal + 1 WHERE deptno = 10; DBMS_OUTPUT.PUT_LINE(SQL%ROWCOUNT);"
         " DELETE FROM emp WHERE empno = 1; IF SQL%NOTFOUND THEN DBMS_OUTPUT.PUT_LINE('none'); END IF; END;",
         "2\nnone", nullptr},
        {"cursors", "SELECT INTO that finds nothing", {kEmp},
         "DECLARE n NUMBER;\nBEGIN\n  SELECT empno INTO n FROM emp;\nEND;", "",
         "ORA-01403: no data found\nORA-06512: at line 3"},
        {"cursors", "SELECT INTO that finds too much", {kEmp, kEmpRows},
         "DECLARE n NUMBER;\nBEGIN\n  SELECT empno INTO n FROM emp;\nEND;", "",
         "ORA-01422: exact fetch returns more than requested number of rows\nORA-06512: at line 3"},
        {"cursors", "cursor variable opened for a query", {kEmp, kEmpRows},
         "DECLARE cv SYS_REFCURSOR; v VARCHAR2(10); BEGIN OPEN cv FOR SELECT ename FROM emp WHERE empno = 7782;"
         " FETCH cv INTO v; CLOSE cv; DBMS_OUTPUT.PUT_LINE(v); END;",
         "CLARK", nullptr},

        // ---- exceptions --------------------------------------------------------------------
        {"exceptions", "ZERO_DIVIDE with SQLCODE and SQLERRM", {},
         "DECLARE n NUMBER; BEGIN n := 1 / 0; EXCEPTION WHEN ZERO_DIVIDE THEN"
         " DBMS_OUTPUT.PUT_LINE(SQLCODE || ' ' || SQLERRM); END;",
         "-1476 ORA-01476: divisor is equal to zero", nullptr},
        {"exceptions", "unhandled ZERO_DIVIDE", {},
         "DECLARE n NUMBER;\nBEGIN\n  n := 1 / 0;\nEND;", "",
         "ORA-01476: divisor is equal to zero\nORA-06512: at line 3"},
        {"exceptions", "user-defined exception handled", {},
         "DECLARE past_due EXCEPTION; BEGIN RAISE past_due; EXCEPTION WHEN past_due THEN"
         " DBMS_OUTPUT.PUT_LINE('past due ' || SQLCODE || ' ' || SQLERRM); END;",
         "past due 1 User-Defined Exception", nullptr},
        {"exceptions", "user-defined exception unhandled", {},
         "DECLARE past_due EXCEPTION;\nBEGIN\n  RAISE past_due;\nEND;", "",
         "ORA-06510: PL/SQL: unhandled user-defined exception\nORA-06512: at line 3"},
        {"exceptions", "PRAGMA EXCEPTION_INIT names an error", {},
         "DECLARE deadlock_detected EXCEPTION; PRAGMA EXCEPTION_INIT(deadlock_detected, -20060);"
         " BEGIN RAISE_APPLICATION_ERROR(-20060, 'deadlock'); EXCEPTION WHEN deadlock_detected THEN"
         " DBMS_OUTPUT.PUT_LINE(SQLERRM); END;",
         "ORA-20060: deadlock", nullptr},
        {"exceptions", "RAISE_APPLICATION_ERROR unhandled", {},
         "BEGIN\n  RAISE_APPLICATION_ERROR(-20000, 'Account past due.');\nEND;", "",
         "ORA-20000: Account past due.\nORA-06512: at line 2"},
        {"exceptions", "RAISE_APPLICATION_ERROR out of range", {},
         "BEGIN RAISE_APPLICATION_ERROR(-1, 'x'); END;", "",
         "ORA-21000: error number argument to raise_application_error of -1 is out of range\nORA-06512: at line 1"},
        {"exceptions", "DUP_VAL_ON_INDEX", {kEmp, kEmpRows},
         "BEGIN INSERT INTO emp (empno, ename) VALUES (7839, 'AGAIN'); EXCEPTION WHEN DUP_VAL_ON_INDEX THEN"
         " DBMS_OUTPUT.PUT_LINE('duplicate ' || SQLCODE); END;",
         "duplicate -1", nullptr},
        {"exceptions", "VALUE_ERROR on a failed conversion", {},
         "DECLARE n NUMBER;\nBEGIN\n  n := 'abc';\nEND;", "",
         "ORA-06502: PL/SQL: numeric or value error: character to number conversion error\nORA-06512: at line 3"},
        {"exceptions", "RAISE in a handler passes the error on", {},
         "BEGIN BEGIN RAISE NO_DATA_FOUND; EXCEPTION WHEN NO_DATA_FOUND THEN DBMS_OUTPUT.PUT_LINE('inner'); RAISE; END;"
         " EXCEPTION WHEN OTHERS THEN DBMS_OUTPUT.PUT_LINE('outer ' || SQLCODE); END;",
         "inner\nouter 100", nullptr},
        {"exceptions", "an error in a declaration is not handled by its own block", {},
         "BEGIN DECLARE n NUMBER(2) := 'x'; BEGIN NULL; EXCEPTION WHEN OTHERS THEN DBMS_OUTPUT.PUT_LINE('inner'); END;"
         " EXCEPTION WHEN VALUE_ERROR THEN DBMS_OUTPUT.PUT_LINE('outer'); END;",
         "outer", nullptr},
        {"exceptions", "OTHERS catches everything and SQLERRM of a number", {},
         "BEGIN DBMS_OUTPUT.PUT_LINE(SQLERRM(-1403)); DBMS_OUTPUT.PUT_LINE(SQLERRM(100)); DBMS_OUTPUT.PUT_LINE(SQLERRM); END;",
         "ORA-01403: no data found\nORA-01403: no data found\nORA-0000: normal, successful completion", nullptr},
        {"exceptions", "FORMAT_ERROR_STACK and FORMAT_ERROR_BACKTRACE", {},
         "DECLARE n NUMBER;\nBEGIN\n  n := 1 / 0;\nEXCEPTION WHEN OTHERS THEN\n"
         "  DBMS_OUTPUT.PUT_LINE(RTRIM(DBMS_UTILITY.FORMAT_ERROR_STACK, CHR(10)));\n"
         "  DBMS_OUTPUT.PUT_LINE(RTRIM(DBMS_UTILITY.FORMAT_ERROR_BACKTRACE, CHR(10)));\nEND;",
         "ORA-01476: divisor is equal to zero\nORA-06512: at line 3", nullptr},

        // ---- dynamic SQL ------------------------------------------------------------------
        {"dynamic SQL", "DDL, DML with USING and a query with INTO", {},
         "DECLARE n NUMBER; BEGIN EXECUTE IMMEDIATE 'CREATE TABLE dyn (id NUMBER, name VARCHAR2(20))';"
         " EXECUTE IMMEDIATE 'INSERT INTO dyn VALUES (:1, :2)' USING 1, 'one';"
         " EXECUTE IMMEDIATE 'INSERT INTO dyn VALUES (:a, :b)' USING 2, 'two';"
         " EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM dyn WHERE id >= :x' INTO n USING 1; DBMS_OUTPUT.PUT_LINE(n); END;",
         "2", nullptr},
        {"dynamic SQL", "dropping a table that is not there", {},
         "BEGIN EXECUTE IMMEDIATE 'DROP TABLE not_there'; EXCEPTION WHEN OTHERS THEN"
         " IF SQLCODE = -942 THEN DBMS_OUTPUT.PUT_LINE('no table'); END IF; END;",
         "no table", nullptr},

        // ---- control flow -------------------------------------------------------------------
        {"control flow", "simple CASE statement", {},
         "DECLARE grade CHAR(1) := 'B'; BEGIN CASE grade WHEN 'A' THEN DBMS_OUTPUT.PUT_LINE('Excellent');"
         " WHEN 'B' THEN DBMS_OUTPUT.PUT_LINE('Very Good'); ELSE DBMS_OUTPUT.PUT_LINE('No such grade'); END CASE; END;",
         "Very Good", nullptr},
        {"control flow", "searched CASE without a match", {},
         "DECLARE n NUMBER := 5;\nBEGIN\n  CASE\n    WHEN n < 0 THEN DBMS_OUTPUT.PUT_LINE('neg');\n  END CASE;\nEND;", "",
         "ORA-06592: CASE not found while executing CASE statement\nORA-06512: at line 3"},
        {"control flow", "CASE expression", {},
         "DECLARE g CHAR(1) := 'A'; BEGIN DBMS_OUTPUT.PUT_LINE(CASE g WHEN 'A' THEN 'Excellent' ELSE 'Other' END); END;",
         "Excellent", nullptr},
        {"control flow", "WHILE, REVERSE FOR, EXIT WHEN and CONTINUE WHEN", {},
         "DECLARE i NUMBER := 0; BEGIN WHILE i < 3 LOOP i := i + 1; DBMS_OUTPUT.PUT(i); END LOOP; DBMS_OUTPUT.NEW_LINE;"
         " FOR j IN REVERSE 1..3 LOOP DBMS_OUTPUT.PUT(j); END LOOP; DBMS_OUTPUT.NEW_LINE;"
         " LOOP i := i + 1; CONTINUE WHEN MOD(i, 2) = 0; EXIT WHEN i > 8; DBMS_OUTPUT.PUT(i); END LOOP; DBMS_OUTPUT.NEW_LINE; END;",
         "123\n321\n57", nullptr},
        {"control flow", "EXIT of an outer loop by its label", {},
         "BEGIN <<outer>> FOR i IN 1..3 LOOP FOR j IN 1..3 LOOP EXIT outer WHEN i * j = 4; DBMS_OUTPUT.PUT((i * j) || ' ');"
         " END LOOP; END LOOP outer; DBMS_OUTPUT.NEW_LINE; END;",
         "1 2 3 2 ", nullptr},
        {"control flow", "BOOLEAN variables", {},
         "DECLARE done BOOLEAN := FALSE; BEGIN IF NOT done THEN DBMS_OUTPUT.PUT_LINE('not yet'); END IF; done := TRUE;"
         " IF done THEN DBMS_OUTPUT.PUT_LINE('done'); END IF; END;",
         "not yet\ndone", nullptr},

        // ---- local subprograms -----------------------------------------------------------------
        {"subprograms", "local procedure changes an outer variable", {},
         "DECLARE total NUMBER := 0; PROCEDURE add (n NUMBER) IS BEGIN total := total + n; END;"
         " BEGIN add(2); add(3); DBMS_OUTPUT.PUT_LINE(total); END;",
         "5", nullptr},
        {"subprograms", "forward declaration and mutual recursion", {},
         "DECLARE FUNCTION is_odd (n NATURAL) RETURN BOOLEAN; FUNCTION is_even (n NATURAL) RETURN BOOLEAN IS"
         " BEGIN IF n = 0 THEN RETURN TRUE; ELSE RETURN is_odd(n - 1); END IF; END;"
         " FUNCTION is_odd (n NATURAL) RETURN BOOLEAN IS BEGIN IF n = 0 THEN RETURN FALSE; ELSE RETURN is_even(n - 1); END IF; END;"
         " BEGIN IF is_even(10) THEN DBMS_OUTPUT.PUT_LINE('10 is even'); END IF; END;",
         "10 is even", nullptr},
        {"subprograms", "OUT parameter of a local procedure", {},
         "DECLARE r NUMBER; PROCEDURE half (n IN NUMBER, h OUT NUMBER) IS BEGIN h := n / 2; END;"
         " BEGIN half(9, r); DBMS_OUTPUT.PUT_LINE(r); END;",
         "4.5", nullptr},
        {"subprograms", "wrong number of arguments", {},
         "DECLARE PROCEDURE one (n NUMBER) IS BEGIN NULL; END; BEGIN one(1, 2); END;", "",
         "ORA-06550: line 1, column 60:\nPLS-00306: wrong number or types of arguments in call to 'ONE'\n"
         "ORA-06550: line 1, column 60:\nPL/SQL: Statement ignored"},

        // ---- collections --------------------------------------------------------------------
        {"collections", "associative array indexed by string", {},
         "DECLARE TYPE population IS TABLE OF NUMBER INDEX BY VARCHAR2(64); city_population population; i VARCHAR2(64);"
         " BEGIN city_population('Smallville') := 2000; city_population('Midland') := 750000;"
         " city_population('Megalopolis') := 1000000; city_population('Smallville') := 2001;"
         " i := city_population.FIRST; WHILE i IS NOT NULL LOOP"
         " DBMS_Output.PUT_LINE('Population of ' || i || ' is ' || city_population(i)); i := city_population.NEXT(i); END LOOP; END;",
         "Population of Megalopolis is 1000000\nPopulation of Midland is 750000\nPopulation of Smallville is 2001", nullptr},
        {"collections", "nested table: constructor, COUNT, EXTEND, DELETE, FIRST and LAST", {},
         "DECLARE TYPE names IS TABLE OF VARCHAR2(15); n names := names('D Caruso', 'J Hamil', 'D Piro');"
         " BEGIN n.EXTEND; n(4) := 'R Singh'; DBMS_OUTPUT.PUT_LINE(n.COUNT || ' ' || n(n.LAST)); n.DELETE(1);"
         " DBMS_OUTPUT.PUT_LINE(n.COUNT || ' ' || n(n.FIRST)); IF NOT n.EXISTS(1) THEN DBMS_OUTPUT.PUT_LINE('gone'); END IF; END;",
         "4 R Singh\n3 J Hamil\ngone", nullptr},
        {"collections", "varray beyond its limit", {},
         "DECLARE TYPE foursome IS VARRAY(4) OF VARCHAR2(15); team foursome := foursome('John', 'Mary', 'Alberto', 'Juanita');"
         "\nBEGIN\n  team.EXTEND;\nEND;", "",
         "ORA-06532: Subscript outside of limit\nORA-06512: at line 3"},
        {"collections", "subscript beyond count", {},
         "DECLARE TYPE t IS TABLE OF NUMBER; v t := t(1, 2);\nBEGIN\n  v(3) := 5;\nEND;", "",
         "ORA-06533: Subscript beyond count\nORA-06512: at line 3"},
        {"collections", "uninitialised nested table", {},
         "DECLARE TYPE t IS TABLE OF NUMBER; v t;\nBEGIN\n  v(1) := 5;\nEND;", "",
         "ORA-06531: Reference to uninitialized collection\nORA-06512: at line 3"},
        {"collections", "a missing element of an associative array", {},
         "DECLARE TYPE t IS TABLE OF NUMBER INDEX BY PLS_INTEGER; v t;\nBEGIN\n  DBMS_OUTPUT.PUT_LINE(v(7));\nEND;", "",
         "ORA-01403: no data found\nORA-06512: at line 3"},
        {"collections", "BULK COLLECT and FORALL", {kEmp, kEmpRows, "create table emp_copy (empno number, ename varchar2(10))"},
         "DECLARE TYPE nums IS TABLE OF NUMBER; TYPE names IS TABLE OF VARCHAR2(10); ids nums; nm names;"
         " BEGIN SELECT empno, ename BULK COLLECT INTO ids, nm FROM emp ORDER BY empno;"
         " FORALL i IN 1..ids.COUNT INSERT INTO emp_copy VALUES (ids(i), nm(i));"
         " DBMS_OUTPUT.PUT_LINE(ids.COUNT || ' ' || SQL%ROWCOUNT || ' ' || nm(1)); END;",
         "4 4 SMITH", nullptr, "select count(*) from emp_copy", "4"},
        {"collections", "a table of records", {kEmp, kEmpRows},
         "DECLARE TYPE emps IS TABLE OF emp%ROWTYPE INDEX BY PLS_INTEGER; e emps; BEGIN"
         " SELECT * BULK COLLECT INTO e FROM emp WHERE deptno = 10 ORDER BY empno;"
         " FOR i IN 1..e.COUNT LOOP DBMS_OUTPUT.PUT_LINE(e(i).ename); END LOOP; END;",
         "CLARK\nKING", nullptr},

        // ---- built-in packages ------------------------------------------------------------------
        {"built-in packages", "DBMS_LOB on text", {},
         "DECLARE c CLOB := 'Hello'; BEGIN DBMS_LOB.APPEND(c, ', world'); DBMS_OUTPUT.PUT_LINE(DBMS_LOB.GETLENGTH(c) || ' ' ||"
         " DBMS_LOB.SUBSTR(c, 5, 8) || ' ' || DBMS_LOB.INSTR(c, 'o', 1, 2)); END;",
         "12 world 9", nullptr},
        {"built-in packages", "DBMS_RANDOM.VALUE stays in its range", {},
         "DECLARE ok BOOLEAN := TRUE; v NUMBER; BEGIN FOR i IN 1..200 LOOP v := DBMS_RANDOM.VALUE(10, 20);"
         " IF v < 10 OR v >= 20 THEN ok := FALSE; END IF; END LOOP; IF ok THEN DBMS_OUTPUT.PUT_LINE('in range'); END IF;"
         " DBMS_OUTPUT.PUT_LINE(LENGTH(DBMS_RANDOM.STRING('U', 8))); END;",
         "in range\n8", nullptr},
        {"built-in packages", "UTL_RAW casts", {},
         "BEGIN DBMS_OUTPUT.PUT_LINE(UTL_RAW.CAST_TO_RAW('AB') || ' ' || UTL_RAW.CAST_TO_VARCHAR2('4142')); END;",
         "4142 AB", nullptr},

        // ---- transactions -------------------------------------------------------------------
        {"transactions", "a failing block rolls back only its own changes",
         {"create table t (n number)", "insert into t values (1)"},
         "BEGIN INSERT INTO t VALUES (2); INSERT INTO t VALUES (1 / 0); END;", "",
         "ORA-01476: divisor is equal to zero\nORA-06512: at line 1", "select count(*) from t", "1"},
        {"transactions", "a handled error keeps what came before it", {"create table t2 (n number)"},
         "BEGIN INSERT INTO t2 VALUES (2); BEGIN INSERT INTO t2 VALUES (1 / 0); EXCEPTION WHEN ZERO_DIVIDE THEN NULL; END; END;",
         "", nullptr, "select count(*) from t2", "1"},

        // ---- triggers ------------------------------------------------------------------------
        {"triggers", "BEFORE INSERT row trigger refuses a row",
         {"create table accounts (id number, bal number)",
          "CREATE TRIGGER no_negative BEFORE INSERT ON accounts FOR EACH ROW\nBEGIN\n"
          "  IF :NEW.bal < 0 THEN RAISE_APPLICATION_ERROR(-20002, 'negative'); END IF;\nEND;"},
         "BEGIN INSERT INTO accounts VALUES (1, -5); END;", "",
         "ORA-20002: negative\nORA-06512: at \"DEMO.NO_NEGATIVE\", line 2\n"
         "ORA-04088: error during execution of trigger 'DEMO.NO_NEGATIVE'\nORA-06512: at line 1"},
        {"triggers", "sequence-filling trigger",
         {"create table items (id number, name varchar2(10))", "create sequence items_seq",
          "CREATE TRIGGER items_id BEFORE INSERT ON items FOR EACH ROW BEGIN :NEW.id := items_seq.NEXTVAL; END;"},
         "BEGIN INSERT INTO items (name) VALUES ('a'); END;", "", nullptr, "select id from items", "1"},
        {"triggers", "conditional predicates in a statement trigger",
         {kEmp, kEmpRows,
          "CREATE OR REPLACE TRIGGER t\n  BEFORE\n    INSERT OR\n    UPDATE OF sal, deptno OR\n    DELETE\n  ON emp\nBEGIN\n"
          "  CASE\n    WHEN INSERTING THEN\n      DBMS_OUTPUT.PUT_LINE('Inserting');\n"
          "    WHEN UPDATING('sal') THEN\n      DBMS_OUTPUT.PUT_LINE('Updating salary');\n"
          "    WHEN UPDATING('deptno') THEN\n      DBMS_OUTPUT.PUT_LINE('Updating department ID');\n"
          "    WHEN DELETING THEN\n      DBMS_OUTPUT.PUT_LINE('Deleting');\n  END CASE;\nEND;"},
         "BEGIN INSERT INTO emp (empno) VALUES (1); UPDATE emp SET sal = 1 WHERE empno = 1;"
         " UPDATE emp SET deptno = 30 WHERE empno = 1; DELETE FROM emp WHERE empno = 1; END;",
         "Inserting\nUpdating salary\nUpdating department ID\nDeleting", nullptr},
        {"triggers", "conditional trigger prints salary changes",
         {kEmp, kEmpRows,
          "CREATE OR REPLACE TRIGGER print_salary_changes\n  BEFORE DELETE OR INSERT OR UPDATE ON emp\n  FOR EACH ROW\n"
          "  WHEN (NEW.job <> 'PRESIDENT')\nDECLARE\n  sal_diff  NUMBER;\nBEGIN\n  sal_diff  := :NEW.sal  - :OLD.sal;\n"
          "  DBMS_OUTPUT.PUT(:NEW.ename || ': ');\n  DBMS_OUTPUT.PUT('Old salary = ' || :OLD.sal || ', ');\n"
          "  DBMS_OUTPUT.PUT('New salary = ' || :NEW.sal || ', ');\n  DBMS_OUTPUT.PUT_LINE('Difference: ' || sal_diff);\nEND;"},
         "BEGIN UPDATE emp SET sal = sal * 1.05 WHERE deptno = 10; END;",
         "CLARK: Old salary = 2450, New salary = 2572.5, Difference: 122.5", nullptr},
        {"triggers", "AFTER row trigger logs each change",
         {kEmp, kEmpRows, "create table emp_log (emp_id number, new_salary number, action varchar2(20))",
          "CREATE OR REPLACE TRIGGER log_salary_increase\n  AFTER UPDATE OF sal ON emp\n  FOR EACH ROW\nBEGIN\n"
          "  INSERT INTO emp_log (emp_id, new_salary, action)\n  VALUES (:NEW.empno, :NEW.sal, 'New Salary');\nEND;"},
         "BEGIN UPDATE emp SET sal = sal + 1000.0 WHERE deptno = 10; DBMS_OUTPUT.PUT_LINE(SQL%ROWCOUNT); END;", "2", nullptr,
         "select sum(new_salary) from emp_log", "9450"},
        {"triggers", "a row trigger that queries its own table",
         {kEmp, kEmpRows,
          "CREATE TRIGGER max_sal BEFORE UPDATE OF sal ON emp FOR EACH ROW\nDECLARE\n  m NUMBER;\nBEGIN\n"
          "  SELECT MAX(sal) INTO m FROM emp;\nEND;"},
         "BEGIN\n  UPDATE emp SET sal = 6000 WHERE empno = 7839;\nEND;", "",
         "ORA-04091: table DEMO.EMP is mutating, trigger/function may not see it\nORA-06512: at \"DEMO.MAX_SAL\", line 4\n"
         "ORA-04088: error during execution of trigger 'DEMO.MAX_SAL'\nORA-06512: at line 2", "select sal from emp where empno = 7839", "5000"},
        {"triggers", "a trigger that does not compile blocks its statements",
         {kEmp, "CREATE TRIGGER broken_t BEFORE INSERT ON emp FOR EACH ROW BEGIN nothing_here; END;"},
         "BEGIN INSERT INTO emp (empno) VALUES (1); END;", "",
         "ORA-04098: trigger 'DEMO.BROKEN_T' is invalid and failed re-validation\nORA-06512: at line 1",
         "select count(*) from emp", "0"},
        {"triggers", "a disabled trigger does not fire",
         {"create table accounts2 (id number, bal number)",
          "CREATE TRIGGER no_neg2 BEFORE INSERT ON accounts2 FOR EACH ROW BEGIN"
          " IF :NEW.bal < 0 THEN RAISE_APPLICATION_ERROR(-20002, 'negative'); END IF; END;",
          "ALTER TRIGGER no_neg2 DISABLE"},
         "BEGIN INSERT INTO accounts2 VALUES (1, -5); END;", "", nullptr, "select count(*) from accounts2", "1"},
    };
    return cases;
}

class PlsqlCorpusTest : public ::testing::Test {
protected:
    std::vector<std::string> ReadLines(Conn& c) {
        std::vector<std::string> lines;
        Stmt s(c, "BEGIN DBMS_OUTPUT.GET_LINE(:l, :s); END;");
        char line[4000];
        sb2 ind = 0;
        int status = 0;
        Oci().BindByPos(s.st, nullptr, c.err, 1, line, sizeof line, SQLT_STR, &ind, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
        Oci().BindByPos(s.st, nullptr, c.err, 2, &status, 4, SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
        while (lines.size() < 1000) {
            sword rc = s.Execute();
            if ((rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) || status == 1) break;
            lines.push_back(ind == -1 ? std::string() : std::string(line));
        }
        return lines;
    }

    // Runs one case on a fresh database; returns an empty string when it behaves as expected,
    // otherwise what differed.
    std::string RunCase(const Case& k) {
        std::string path = MakeDatabase();
        Conn c;
        if (c.Logon("DEMO", "demo", path).code != 0) return "logon failed";
        if (Exec(c, "BEGIN DBMS_OUTPUT.ENABLE(NULL); END;").code != 0) return "enable failed";
        for (const char* s : k.setup) {
            Error e = Exec(c, s);
            if (e.code != 0 && e.code != 24344) return std::string("setup failed: ") + s + ": " + e.text;
        }
        ReadLines(c);  // output of the setup is not the case's
        Error e = Exec(c, k.block);
        std::string got;
        for (const std::string& l : ReadLines(c)) got += (got.empty() ? "" : "\n") + l;
        std::string why;
        if (k.error) {
            if (e.text != k.error) why += "error: expected [" + std::string(k.error) + "] got [" + e.text + "] ";
        } else if (e.code != 0) {
            why += "error: " + e.text + " ";
        }
        if (got != k.output) why += "output: expected [" + std::string(k.output) + "] got [" + got + "] ";
        if (k.query) {
            std::string a = Scalar(c, k.query);
            if (a != k.answer) why += std::string("query: expected [") + k.answer + "] got [" + a + "]";
        }
        return why;
    }
};

TEST_F(PlsqlCorpusTest, BehavesAsTheReferenceDescribesPerCategory) {
    std::map<std::string, std::pair<int, int>> tally;  // category -> (passed, failed)
    std::vector<std::string> order;
    for (const Case& k : Corpus()) {
        if (!tally.count(k.category)) order.push_back(k.category);
        std::string why = RunCase(k);
        auto& t = tally[k.category];
        if (why.empty()) ++t.first;
        else ++t.second;
        if (k.differs) {
            EXPECT_FALSE(why.empty()) << k.category << " / " << k.name << ": now passes; remove its mark";
        } else {
            EXPECT_TRUE(why.empty()) << k.category << " / " << k.name << ": " << why;
        }
    }
    int passed = 0, failed = 0;
    for (const std::string& c : order) {
        std::printf("[ corpus ] %-18s %d passed, %d failed\n", c.c_str(), tally[c].first, tally[c].second);
        passed += tally[c].first;
        failed += tally[c].second;
    }
    std::printf("[ corpus ] %-18s %d passed, %d failed\n", "all", passed, failed);
}

}  // namespace
