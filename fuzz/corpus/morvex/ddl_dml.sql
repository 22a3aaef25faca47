-- demo schema: departments and employees
create table dept (
  deptno number(2) primary key,
  dname  varchar2(14),
  loc    varchar2(13)
);
create table emp (empno number(4) primary key, ename varchar2(10), sal number(7,2), deptno number(2));

insert into dept values (10, 'ACCOUNTING', 'NEW YORK');
insert into dept values (20, 'R;D', 'DALLAS');
insert into emp values (7369, 'O''BRIEN', 800, 20);
/* raise for everyone; the board agreed */
update emp set sal = sal * 1.1 where deptno = 20; -- done once a year
delete from emp where ename like '%--%';
commit;
