declare
  n number := 0;
begin
  while true loop
    n := n + 1;
  end loop;
end;