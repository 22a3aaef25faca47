// The library as the program meets it: loaded by file name, one export bound by name.
#include "DynamicLibrary.h"
#include "morvex.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

TEST(SplitterLibrary, LoadsByFileNameAndExportsParseScriptAlone) {
    auto library = platform::DynamicLibrary::Open(MORVEX_LIBRARY);
    ASSERT_TRUE(library);
    auto parse = reinterpret_cast<ParseScriptFn>(library->Symbol("ParseScript"));
    ASSERT_NE(parse, nullptr);
    for (const char* hidden : {"FillWindow", "KeywordEffect", "kVersionBanner", "kStop", "_edata", "_end"})
        EXPECT_EQ(library->Symbol(hidden), nullptr) << hidden;

    char statement[32] = {};
    uint32_t next = 0;
    parse("drop table t;\n", statement, 15, &next);
    EXPECT_STREQ(statement, "drop table t");
    EXPECT_EQ(next, 13u);
}

TEST(SplitterLibrary, CarriesItsVersionBanner) {
    std::ifstream file(MORVEX_LIBRARY, std::ios::binary);
    ASSERT_TRUE(file);
    const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(image.find(std::string("SQL parser engine version 3.2") + '\0'), std::string::npos);
}
