// Column kinds, define rules and cell text.
#include "DbTestSupport.h"

#include "oci_abi.h"

namespace {

TEST(ColumnKinds, EverySupportedCodeMapsAndTheRestAreRefusedByName) {
    EXPECT_EQ(ColumnKindFromSqlt(SQLT_CHR), ColumnKind::Chr);
    EXPECT_EQ(ColumnKindFromSqlt(SQLT_AFC), ColumnKind::Afc);
    EXPECT_EQ(ColumnKindFromSqlt(SQLT_AVC), ColumnKind::Avc);
    EXPECT_EQ(ColumnKindFromSqlt(SQLT_FILE), ColumnKind::File);
    EXPECT_EQ(ColumnKindFromSqlt(SQLT_VNU), ColumnKind::Vnu);
    EXPECT_EQ(ColumnKindFromSqlt(SQLT_STR), ColumnKind::Unsupported);
    EXPECT_EQ(ColumnKindFromSqlt(SQLT_NTY), ColumnKind::Unsupported);
    EXPECT_EQ(ColumnKindFromSqlt(SQLT_TIMESTAMP), ColumnKind::Unsupported);
    EXPECT_STREQ(SqltName(SQLT_NTY), "SQLT_NTY");
    EXPECT_STREQ(SqltName(SQLT_REF), "SQLT_REF");
    EXPECT_STREQ(SqltName(SQLT_TIMESTAMP), "(Unsupported type)");
}

TEST(ColumnKinds, DefineSizesStayInsideTheirBuffers) {
    EXPECT_EQ(DefineRuleFor(ColumnKind::Afc, 10).valueSize, 11);
    EXPECT_EQ(DefineRuleFor(ColumnKind::Avc, 10).valueSize, 12);
    EXPECT_EQ(DefineRuleFor(ColumnKind::Num, 22).valueSize, 128);
    EXPECT_EQ(DefineRuleFor(ColumnKind::Bin, 8).valueSize, 4096);
    for (ColumnKind kind : {ColumnKind::Chr, ColumnKind::Vcs, ColumnKind::Afc, ColumnKind::Avc}) {
        DefineRule rule = DefineRuleFor(kind, 65535);
        EXPECT_LE(rule.valueSize, rule.bufferSize);
    }
    EXPECT_EQ(DefineRuleFor(ColumnKind::Clob, 0).method, DefineMethod::Clob);
    EXPECT_EQ(DefineRuleFor(ColumnKind::Nty, 0).method, DefineMethod::None);
}

class Columns : public ::testing::Test {
protected:
    void SetUp() override {
        session = Connect(db);
        ASSERT_TRUE(session->IsConnected());
    }
    TestDatabase db;
    std::unique_ptr<DBConnect> session;
};

TEST_F(Columns, TheKindsTheEmbeddedClientProducesAndTheirCellText) {
    Exec(*session, "create table every_kind (v varchar2(20), c char(10), n number(10,2), d date, "
                  "cl clob, bl blob, r raw(8), l long)");
    Exec(*session, "insert into every_kind values ('abc', 'xy', 0.5, to_date('2026-12-08', 'YYYY-MM-DD'), "
                  "'long text', null, null, 'old')");
    Exec(*session, "insert into every_kind (v, n) values (null, -12)");
    DBStmt stmt(session.get(), "select v, c, n, d, cl, bl, l from every_kind");
    ASSERT_EQ(stmt.Describe(), 7u);
    EXPECT_STREQ(stmt.ColumnName(1), "V");
    EXPECT_EQ(stmt.ColumnType(1), ColumnKind::Chr);
    EXPECT_EQ(stmt.ColumnSize(1), 20);
    EXPECT_EQ(stmt.ColumnType(2), ColumnKind::Afc);
    EXPECT_EQ(stmt.ColumnSize(2), 10);
    EXPECT_EQ(stmt.ColumnType(3), ColumnKind::Num);
    EXPECT_EQ(stmt.ColumnType(4), ColumnKind::Dat);
    EXPECT_EQ(stmt.ColumnType(5), ColumnKind::Clob);
    EXPECT_EQ(stmt.ColumnType(6), ColumnKind::Blob);
    EXPECT_EQ(stmt.ColumnType(7), ColumnKind::Lng);

    Rows rows = Query(*session, "select v, c, n, d, cl, bl, l from every_kind");
    ASSERT_EQ(rows.size(), 2u);
    // CHAR(10) is defined with value size 11: ten characters arrive whole, blank-padded.
    EXPECT_EQ(rows[0], (std::vector<std::string>{"abc", "xy        ", ".5", "08-DEC-26", "(SQLT_CLOB)",
                                                 "(SQLT_BLOB)", "old"}));
    // NULLs are empty cells, not marker texts; LOB columns show their placeholder in every row.
    EXPECT_EQ(rows[1], (std::vector<std::string>{"", "", "-12", "", "(SQLT_CLOB)", "(SQLT_BLOB)", ""}));

    Rows raw = Query(*session, "select r from every_kind where r is null");
    EXPECT_EQ(raw.size(), 2u);
}

TEST_F(Columns, TypesWithoutARuleAreRefusedBeforeExecution) {
    Exec(*session, "create table stamps (t timestamp)");
    DBStmt stmt(session.get(), "select t from stamps");
    ASSERT_EQ(stmt.Describe(), 1u);
    EXPECT_THROW(stmt.ColumnType(1), DBStmt::OtherException);
    EXPECT_STREQ(stmt.ErrorText(), "[OCI]: Unsupported data type: (Unsupported type)");
}

TEST_F(Columns, TruncationIsAWarningAndTheCellShowsWhatArrived) {
    DBStmt stmt(session.get(), "select 'abcdefghij' from dual");
    ASSERT_EQ(stmt.Describe(), 1u);
    char buffer[5] = {};
    uint16_t length = 0, returnCode = 0;
    int16_t indicator = 0;
    stmt.DefineChars(1, buffer, 4, &length, &indicator, &returnCode);
    EXPECT_NO_THROW(stmt.Fetch());
    EXPECT_EQ(length, 4);
    EXPECT_EQ(returnCode, 1406);
    EXPECT_EQ(std::string(buffer, length), "abcd");
    EXPECT_EQ(Query(*session, "select 1 from dual"), (Rows{{"1"}}));
}

TEST_F(Columns, ColumnNamesOfAnyLengthAreCutAtTheBuffer) {
    std::string alias(600, 'A');
    std::string sql = "select 1 as \"" + alias + "\" from dual";
    DBStmt stmt(session.get(), sql.c_str());
    stmt.Describe();
    std::string name = stmt.ColumnName(1);
    EXPECT_EQ(name, alias.substr(0, DBStmt::kColumnNameSize - 1));
}

TEST_F(Columns, ExpressionsAndQuotedNamesAreNamedAsTheServerNamesThem) {
    DBStmt stmt(session.get(), "select 1 + 2, 'x' \"Mixed Case\", sysdate today from dual");
    ASSERT_EQ(stmt.Describe(), 3u);
    EXPECT_STREQ(stmt.ColumnName(1), "1+2");
    EXPECT_STREQ(stmt.ColumnName(2), "Mixed Case");
    EXPECT_STREQ(stmt.ColumnName(3), "TODAY");
    EXPECT_EQ(stmt.ColumnType(2), ColumnKind::Chr);
    EXPECT_EQ(stmt.ColumnType(3), ColumnKind::Dat);
}

} // namespace
