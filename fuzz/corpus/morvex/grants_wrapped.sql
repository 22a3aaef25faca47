grant create procedure to scott;
revoke create any procedure from scott;
grant execute on pay to scott; create procedure p is begin null; end;
/
create or replace procedure secret wrapped
a000000
1
abcd
'x;y
3d 55
/
drop procedure secret;
drop package pay;
