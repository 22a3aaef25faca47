begin
  insert into dept values (40, 'OPERATIONS', 'BOSTON');
  commit;
end;
/
declare
  n number;
  msg varchar2(100) := 'a ; b / c';
begin
  select count(*) into n from emp;
  dbms_output.put_line('rows: ' || n);
  -- a slash at the start of a line ends the block, so keep it indented:
  n := n
    / 2;
end;
/
BEGIN	NULL; END;
select begin from t;
