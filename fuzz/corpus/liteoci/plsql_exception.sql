declare
  v_count number := 0;
  v_name varchar2(10);
begin
  select count(*) into v_count from emp;
  if v_count > 2 then v_name := 'many'; elsif v_count = 0 then v_name := 'none'; else v_name := 'few'; end if;
  begin
    v_count := v_count / 0;
  exception
    when zero_divide then dbms_output.put_line('zero: ' || v_name);
  end;
end;