select 1 from dual;   
insert into t values (1); 
begin  
  null;
end;
/
-- it's a comment   
update t set x = 'a  
b';
