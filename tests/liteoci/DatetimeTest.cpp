#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "OciClient.h"

namespace {

std::string Answer(Conn& c, const std::string& sql) {
    Error e;
    auto rows = Query(c, sql, &e);
    if (e.code) return e.text.substr(0, e.text.find('\n'));
    std::string out;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r) out += '\n';
        for (size_t k = 0; k < rows[r].size(); ++k) out += (k ? "|" : "") + rows[r][k];
    }
    return out;
}

TEST(DatetimeProbe, Print) {
    const std::string path = MakeDatabase();
    Conn c;
    ASSERT_EQ(c.Logon("DEMO", "demo", path).code, 0);
    std::ifstream in("/tmp/dprobe/in.sql");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (line.rfind("select", 0) == 0) std::printf("%s\n  => %s\n", line.c_str(), Answer(c, line).c_str());
        else {
            Error e = Exec(c, line);
            std::printf("%s\n  => %s\n", line.c_str(), e.code ? e.text.c_str() : "ok");
        }
    }
}

}  // namespace
