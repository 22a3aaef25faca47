create or replace package pkg is
  function f(x number) return number;
end pkg;