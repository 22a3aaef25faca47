begin
  dbms_output.enable(20000);
  for i in 1 .. 3 loop
    dbms_output.put_line('row ' || to_char(i) || ' = ' || twice(i));
  end loop;
end;