// Reading LOB columns through their locators, with the calls and units the client interface
// documents: OCILobGetLength counts characters of a CLOB and bytes of a BLOB; OCILobRead takes a
// 1-based offset and an amount in characters of a CLOB, and with a varying-width client character set
// (UTF-8 here) returns the amount read in bytes; a NULL LOB arrives with indicator -1. Each LOB call
// is one round trip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "OciClient.h"

namespace {

class LobReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        db_ = MakeDatabase();
        ASSERT_EQ(c_.Logon("DEMO", "demo", db_).code, 0);
        ASSERT_EQ(Exec(c_, "create table c (id number, txt clob, b blob)").code, 0);
        ASSERT_EQ(Exec(c_, "begin insert into c values (1, '\xC3\xA4" "bc', utl_raw.cast_to_raw('xyz')); end;").code, 0);
        ASSERT_EQ(Exec(c_, "insert into c values (2, NULL, NULL)").code, 0);
        ASSERT_EQ(Exec(c_, "declare s clob := ''; begin for i in 1 .. 10000 loop s := s || '0123456789'; end loop; "
                           "insert into c values (3, s, NULL); end;").code, 0);
        ASSERT_EQ(Exec(c_, "commit").code, 0);
    }
    long Count() { return RoundTrips(c_); }

    // Selects txt and b of row `id` into fresh locators; the fetch itself is done.
    struct Row {
        OCILobLocator* txt = nullptr;
        OCILobLocator* b = nullptr;
        sb2 txtInd = 0, bInd = 0;
    };
    void Select(Stmt& s, Row& row) {
        ASSERT_EQ(Oci().DescriptorAlloc(c_.env, reinterpret_cast<void**>(&row.txt), OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(Oci().DescriptorAlloc(c_.env, reinterpret_cast<void**>(&row.b), OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
        OCIDefine* d = nullptr;
        ASSERT_EQ(Oci().DefineByPos(s.st, &d, c_.err, 1, &row.txt, 0, SQLT_CLOB, &row.txtInd, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
        ASSERT_EQ(Oci().DefineByPos(s.st, &d, c_.err, 2, &row.b, 0, SQLT_BLOB, &row.bInd, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
        ASSERT_EQ(s.Execute(OCI_DEFAULT, 1), OCI_SUCCESS);
    }
    void Free(Row& row) {
        Oci().DescriptorFree(row.txt, OCI_DTYPE_LOB);
        Oci().DescriptorFree(row.b, OCI_DTYPE_LOB);
    }

    std::string db_;
    Conn c_;
};

TEST_F(LobReadTest, LengthAndReadCountCharactersOfAClobAndBytesOfABlob) {
    Stmt s(c_, "select txt, b from c where id = 1");
    Row row;
    Select(s, row);
    EXPECT_EQ(row.txtInd, 0);
    ub4 length = 0;
    ASSERT_EQ(Oci().LobGetLength(c_.svc, c_.err, row.txt, &length), OCI_SUCCESS);
    EXPECT_EQ(length, 3u); // characters, the first of them two bytes in UTF-8
    ASSERT_EQ(Oci().LobGetLength(c_.svc, c_.err, row.b, &length), OCI_SUCCESS);
    EXPECT_EQ(length, 3u); // bytes

    // Two characters from the first: the amount comes back in bytes.
    char buffer[64] = {};
    ub4 amount = 2;
    ASSERT_EQ(Oci().LobRead(c_.svc, c_.err, row.txt, &amount, 1, buffer, sizeof buffer, nullptr, nullptr, 0,
                            SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(amount, 3u);
    EXPECT_EQ(std::string(buffer, amount), "\xC3\xA4" "b");
    // The offset counts characters too.
    amount = 5;
    ASSERT_EQ(Oci().LobRead(c_.svc, c_.err, row.txt, &amount, 2, buffer, sizeof buffer, nullptr, nullptr, 0,
                            SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(std::string(buffer, amount), "bc");
    amount = 3;
    ASSERT_EQ(Oci().LobRead(c_.svc, c_.err, row.b, &amount, 1, buffer, sizeof buffer, nullptr, nullptr, 0, 0),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 3u);
    EXPECT_EQ(std::string(buffer, amount), "xyz");
    // An offset of 0 is refused (offsets start at 1).
    amount = 1;
    EXPECT_EQ(Oci().LobRead(c_.svc, c_.err, row.txt, &amount, 0, buffer, sizeof buffer, nullptr, nullptr, 0,
                            SQLCS_IMPLICIT), OCI_ERROR);
    Free(row);
}

TEST_F(LobReadTest, ANullLobHasIndicatorMinusOneAndItsLocatorCannotBeRead) {
    Stmt s(c_, "select txt, b from c where id = 2");
    Row row;
    Select(s, row);
    EXPECT_EQ(row.txtInd, -1);
    EXPECT_EQ(row.bInd, -1);
    ub4 length = 0;
    EXPECT_EQ(Oci().LobGetLength(c_.svc, c_.err, row.txt, &length), OCI_ERROR);
    EXPECT_EQ(c_.LastError().code, 22275);
    Free(row);
}

TEST_F(LobReadTest, ALongClobReadsWholeAndEachCallIsOneRoundTrip) {
    Stmt s(c_, "select txt, b from c where id = 3");
    Row row;
    Select(s, row);
    const long before = Count();
    const long overhead = Count() - before;
    const long start = Count();
    ub4 length = 0;
    ASSERT_EQ(Oci().LobGetLength(c_.svc, c_.err, row.txt, &length), OCI_SUCCESS);
    EXPECT_EQ(length, 100000u);
    std::string text(100000, '\0');
    ub4 amount = length;
    ASSERT_EQ(Oci().LobRead(c_.svc, c_.err, row.txt, &amount, 1, text.data(), static_cast<ub4>(text.size()), nullptr,
                            nullptr, 0, SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(amount, 100000u);
    EXPECT_EQ(text.substr(0, 12), "012345678901");
    EXPECT_EQ(text.substr(99990), "0123456789");
    EXPECT_EQ(Count() - start - overhead, 2); // the length and the read
    // Open and Close bracket reads; closing what is not open is refused.
    ASSERT_EQ(Oci().LobOpen(c_.svc, c_.err, row.txt, 1), OCI_SUCCESS);
    ASSERT_EQ(Oci().LobClose(c_.svc, c_.err, row.txt), OCI_SUCCESS);
    EXPECT_EQ(Oci().LobClose(c_.svc, c_.err, row.txt), OCI_ERROR);
    EXPECT_EQ(c_.LastError().code, 22289);
    Free(row);
}

// LOB prefetch (the session's DEFAULT_LOBPREFETCH_SIZE): the length and the first part of each LOB
// come with its locator during the fetch, so reading them needs no round trip of its own; a read
// beyond the prefetched part still travels.
TEST_F(LobReadTest, PrefetchedLobPartsAreReadWithoutARoundTrip) {
    ub4 size = 8192;
    ASSERT_EQ(Oci().AttrSet(c_.ses, OCI_HTYPE_SESSION, &size, 0, OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE, c_.err), OCI_SUCCESS);
    const long before = Count();
    const long overhead = Count() - before;
    Stmt s(c_, "select txt, b from c where id = 1");
    Row row;
    const long start = Count();
    Select(s, row);
    ub4 length = 0;
    ASSERT_EQ(Oci().LobGetLength(c_.svc, c_.err, row.txt, &length), OCI_SUCCESS);
    char buffer[64] = {};
    ub4 amount = 0; // the rest, which is all prefetched
    ASSERT_EQ(Oci().LobRead(c_.svc, c_.err, row.txt, &amount, 1, buffer, sizeof buffer, nullptr, nullptr, 0,
                            SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(std::string(buffer, amount), "\xC3\xA4" "bc");
    EXPECT_EQ(Count() - start - overhead, 1); // the execute that fetched the row, nothing more
    Free(row);

    // The 100,000-character CLOB: its first 8,192 characters are held, the rest is asked for.
    Stmt longer(c_, "select txt, b from c where id = 3");
    Row big;
    Select(longer, big);
    std::string text(20000, '\0');
    const long next = Count();
    amount = 8192;
    ASSERT_EQ(Oci().LobRead(c_.svc, c_.err, big.txt, &amount, 1, text.data(), 20000, nullptr, nullptr, 0, SQLCS_IMPLICIT),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 8192u);
    EXPECT_EQ(Count() - next - overhead, 0);
    amount = 8192;
    ASSERT_EQ(Oci().LobRead(c_.svc, c_.err, big.txt, &amount, 8193, text.data(), 20000, nullptr, nullptr, 0,
                            SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(text.substr(0, 10), "2345678901");
    EXPECT_EQ(Count() - next - 2 * overhead, 1);
    Free(big);
}

} // namespace
