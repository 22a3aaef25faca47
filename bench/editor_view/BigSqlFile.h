// The large SQL script the view benchmarks work on: real-looking SQL (queries, DML, PL/SQL blocks,
// comments over several lines, strings with doubled quotes, numbers and tabs), about 50 bytes a line
// with its CR LF, written to a file so that it is loaded as a user's script would be.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace bench {

inline const char* const kSqlTemplates[] = {
    "select e.empno, e.ename, e.sal * 12 annual_sal",
    "  from emp e join dept d on d.deptno = e.deptno",
    " where e.hiredate > sysdate - %d and e.comm is null",
    "   and e.ename like 'S%%' order by e.sal desc;",
    "/* report %d: salaries above the department average",
    "   are listed first, then the rest */",
    "insert into audit_log values (%d, 'it''s done', 1.5e3);",
    "update emp set sal = sal * 1.05 where empno = %d;",
    "begin",
    "\tdbms_output.put_line('row ' || to_char(%d));",
    "\tif v_count > 0x1F then v_total := v_total + 1; end if;",
    "end; -- of block %d",
    "delete from bonus where ename = \"Smith\" and sal < %d;",
    "commit;",
};
inline constexpr int kSqlTemplateCount = static_cast<int>(sizeof kSqlTemplates / sizeof kSqlTemplates[0]);

// Writes `lines` lines, line y from template y mod the template count, to `path`. False when the
// file cannot be written.
inline bool WriteSqlFile(const std::string& path, int32_t lines) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::string block;
    char line[160];
    bool ok = true;
    for (int32_t y = 0; y < lines && ok; ++y) {
        const int n = std::snprintf(line, sizeof line, kSqlTemplates[y % kSqlTemplateCount], y);
        block.append(line, static_cast<std::size_t>(n));
        if (y + 1 < lines)
            block += "\r\n";
        if (block.size() > (1 << 20)) {
            ok = std::fwrite(block.data(), 1, block.size(), file) == block.size();
            block.clear();
        }
    }
    ok = ok && std::fwrite(block.data(), 1, block.size(), file) == block.size();
    return std::fclose(file) == 0 && ok;
}

} // namespace bench
