create or replace package pay is
  function net(gross number) return number;
  procedure raise(p_empno number, p_pct number);
end pay;
/
create or replace package body pay is
  function net(gross number) return number is
  begin
    return gross * 0.7; /* flat; for now */
  end;
  procedure raise(p_empno number, p_pct number) is
  begin
    update emp set sal = sal * (1 + p_pct / 100) where empno = p_empno;
  end;
end pay;
/
create or replace type money as object (amount number, member function show return varchar2);
/
create type point as object (x number, y number);
create or replace trigger emp_bi before insert on emp for each row
begin
  :new.ename := upper(:new.ename);
end;
/
