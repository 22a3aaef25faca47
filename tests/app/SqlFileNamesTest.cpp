// The file names of SQL scripts: the dialogs' filter entries and the name Save File As writes to.
#include "SqlFileNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SqlFileNames, TheSqlFilterComesFirstThenAllFiles) {
    const auto& filters = SqlFileFilters();
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_STREQ(filters[0].text, "SQL Files (*.sql)");
    EXPECT_STREQ(filters[0].pattern, "*.sql");
    EXPECT_STREQ(filters[1].text, "All Files (*.*)");
    EXPECT_STREQ(filters[1].pattern, "*.*");
    EXPECT_EQ(kSqlFilesFilter, 0);
}

TEST(SqlFileNames, TheSqlFilterAppendsTheExtensionUnlessThePathHasItAnywhere) {
    const int sql = kSqlFilesFilter;
    EXPECT_EQ(SaveAsPath("/home/u/query", sql), "/home/u/query.sql");
    EXPECT_EQ(SaveAsPath("/home/u/query.sql", sql), "/home/u/query.sql");
    EXPECT_EQ(SaveAsPath("/home/u/Query.SQL", sql), "/home/u/Query.SQL");   // any letter case
    EXPECT_EQ(SaveAsPath("/home/u/my.sql.bak", sql), "/home/u/my.sql.bak"); // not only at the end
    EXPECT_EQ(SaveAsPath("/home/u/query.txt", sql), "/home/u/query.txt.sql");
    EXPECT_EQ(SaveAsPath("/home/u/querysql", sql), "/home/u/querysql.sql"); // the dot belongs to it
    EXPECT_EQ(SaveAsPath("/home/u/q.sq", sql), "/home/u/q.sq.sql");
    // Bytes of multi-byte characters are not letters to lower: "É" (C3 89) stays, ".SQL" still counts.
    EXPECT_EQ(SaveAsPath("/home/u/\xC3\x89t\xC3\xA9", sql), "/home/u/\xC3\x89t\xC3\xA9.sql");
    EXPECT_EQ(SaveAsPath("/home/u/\xC3\x89t\xC3\xA9.SQL", sql), "/home/u/\xC3\x89t\xC3\xA9.SQL");
}

TEST(SqlFileNames, AnyOtherFilterTakesThePathAsTypedAndNothingStaysNothing) {
    EXPECT_EQ(SaveAsPath("/home/u/query", 1), "/home/u/query");
    EXPECT_EQ(SaveAsPath("/home/u/Query.SQL", 1), "/home/u/Query.SQL");
    EXPECT_EQ(SaveAsPath("/home/u/query", -1), "/home/u/query");
    EXPECT_EQ(SaveAsPath("", kSqlFilesFilter), "");
    EXPECT_EQ(SaveAsPath("", 1), "");
}

} // namespace
