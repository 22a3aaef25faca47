// The embedded client's simulated network: the round-trip time of a connect string, the round trips
// a session pays (counted in V$MYSTAT as Oracle counts 'SQL*Net roundtrips to/from client'), and
// prefetching as the client interface documents it: a round trip brings the rows asked for plus the
// prefetch count, the following fetches are served from what the client holds, and the fetch after
// the last buffered row travels again. The default prefetch is one row; zero turns it off;
// PREFETCH_MEMORY bounds it by the rows' size.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "OciClient.h"

namespace {

class RoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        db_ = MakeDatabase();
        ASSERT_EQ(c_.Logon("DEMO", "demo", db_).code, 0);
        ASSERT_EQ(Exec(c_, "create table t (id number, name varchar2(30))").code, 0);
        ASSERT_EQ(Exec(c_, "begin for i in 1 .. 60 loop insert into t values (i, 'row ' || i); end loop; end;").code, 0);
        ASSERT_EQ(Exec(c_, "commit").code, 0);
        // What reading the statistic costs by itself, measured as the difference of two reads.
        const long first = Count();
        overhead_ = Count() - first;
    }
    long Count() { return RoundTrips(c_); }
    // The round trips `action` pays.
    template <class F>
    long Paid(F action) {
        const long before = Count();
        action();
        return Count() - before - overhead_;
    }
    // Executes a query fetching its first row, then fetches one row at a time to the end.
    int FetchAll(Stmt& s) {
        s.DefineAllChars(s.Describe());
        int rows = 0;
        sword rc = s.Execute(OCI_DEFAULT, 1);
        while (rc == OCI_SUCCESS) {
            ++rows;
            rc = s.Fetch();
        }
        EXPECT_EQ(rc, OCI_NO_DATA);
        return rows;
    }
    void SetPrefetch(Stmt& s, ub4 attribute, ub4 value) {
        ASSERT_EQ(Oci().AttrSet(s.st, OCI_HTYPE_STMT, &value, 0, attribute, c_.err), OCI_SUCCESS);
    }

    std::string db_;
    Conn c_;
    long overhead_ = 0;
};

TEST_F(RoundTripTest, TheStatisticIsReadAsOracleOffersIt) {
    EXPECT_EQ(Scalar(c_, "select count(*) from v$statname where name = 'SQL*Net roundtrips to/from client'"), "1");
    EXPECT_GE(Count(), 5); // the logon and the set-up already travelled
    EXPECT_GE(overhead_, 1);
}

TEST_F(RoundTripTest, SingleRowFetchesTravelForEveryRowThePrefetchDoesNotCover) {
    // Default prefetch, one row: the execute brings rows 1-2, then each second fetch travels,
    // and the fetch after the 60th row finds the end on a round trip of its own.
    {
        Stmt s(c_, "select id, name from t order by id");
        int rows = 0;
        const long paid = Paid([&] { rows = FetchAll(s); });
        EXPECT_EQ(rows, 60);
        EXPECT_EQ(paid, 1 /* describe */ + 1 /* execute */ + 29 + 1);
    }
    // No prefetch: one round trip per row after the first, and one for the end.
    {
        Stmt s(c_, "select id, name from t order by id");
        SetPrefetch(s, OCI_ATTR_PREFETCH_ROWS, 0);
        const long paid = Paid([&] { FetchAll(s); });
        EXPECT_EQ(paid, 1 + 1 + 59 + 1);
    }
    // Prefetch past the end: everything comes with the execute, the end included.
    {
        Stmt s(c_, "select id, name from t order by id");
        SetPrefetch(s, OCI_ATTR_PREFETCH_ROWS, 100);
        ub4 read = 0;
        Oci().AttrGet(s.st, OCI_HTYPE_STMT, &read, nullptr, OCI_ATTR_PREFETCH_ROWS, c_.err);
        EXPECT_EQ(read, 100u);
        const long paid = Paid([&] { FetchAll(s); });
        EXPECT_EQ(paid, 1 + 1);
    }
    // Fifty-one rows a round trip: the execute covers 52 rows, the next round trip the rest and the end.
    {
        Stmt s(c_, "select id, name from t order by id");
        SetPrefetch(s, OCI_ATTR_PREFETCH_ROWS, 51);
        const long paid = Paid([&] { FetchAll(s); });
        EXPECT_EQ(paid, 1 + 1 + 1);
    }
}

TEST_F(RoundTripTest, PrefetchMemoryBoundsTheRowsOfARoundTrip) {
    // Two columns described as 22 and 30 bytes wide: 520 bytes hold 10 rows of 52.
    Stmt s(c_, "select id, name from t order by id");
    SetPrefetch(s, OCI_ATTR_PREFETCH_ROWS, 1000);
    SetPrefetch(s, OCI_ATTR_PREFETCH_MEMORY, 520);
    const long paid = Paid([&] { FetchAll(s); });
    // The execute covers 11 rows, each further round trip 11 more, at rows 12, 23, 34, 45 and 56; the
    // last one comes back short, so the client knows the end without asking again.
    EXPECT_EQ(paid, 1 + 1 + 5) << "column widths " << s.ColumnSize(1) << " and " << s.ColumnSize(2);
}

TEST_F(RoundTripTest, PrefetchNeverChangesWhichRowsArriveOrTheirOrder) {
    auto rows = [&](ub4 prefetch) {
        Stmt s(c_, "select id, name from t where mod(id, 7) <> 3 order by name desc");
        SetPrefetch(s, OCI_ATTR_PREFETCH_ROWS, prefetch);
        s.DefineAllChars(s.Describe());
        std::vector<std::string> seen;
        for (sword rc = s.Execute(OCI_DEFAULT, 1); rc == OCI_SUCCESS; rc = s.Fetch())
            seen.push_back(s.Cell(1) + "|" + s.Cell(2));
        return seen;
    };
    const std::vector<std::string> plain = rows(0);
    EXPECT_EQ(plain.size(), 51u);
    for (ub4 prefetch : {1u, 2u, 50u, 51u, 1000u})
        EXPECT_EQ(rows(prefetch), plain) << prefetch;
}

TEST_F(RoundTripTest, StatementsCommitsAndRollbacksTravelOnce) {
    EXPECT_EQ(Paid([&] { ASSERT_EQ(Exec(c_, "insert into t values (100, 'x')").code, 0); }), 1);
    EXPECT_EQ(Paid([&] { ASSERT_EQ(Oci().TransCommit(c_.svc, c_.err, OCI_DEFAULT), OCI_SUCCESS); }), 1);
    EXPECT_EQ(Paid([&] { ASSERT_EQ(Oci().TransRollback(c_.svc, c_.err, OCI_DEFAULT), OCI_SUCCESS); }), 1);
    EXPECT_EQ(Paid([&] { ASSERT_EQ(Exec(c_, "begin null; end;").code, 0); }), 1);
}

TEST_F(RoundTripTest, TheConnectStringCarriesTheRoundTripTimeAndABreakEndsAWait) {
    Conn slow;
    ASSERT_EQ(slow.Logon("DEMO", "demo", db_ + "?rtt=500ms").code, 0);
    EXPECT_EQ(Scalar(slow, "select count(*) from t"), "60") << "the path is what stands before the ?";
    Conn other;
    EXPECT_NE(other.Logon("DEMO", "demo", db_ + "-missing?rtt=1ms").code, 0);

    // A statement on the slow network, broken while it travels.
    Stmt s(slow, "update t set name = 'y'");
    std::thread breaker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Oci().Break(slow.svc, slow.err);
    });
    const sword rc = s.Execute();
    breaker.join();
    EXPECT_EQ(rc, OCI_ERROR);
    EXPECT_EQ(slow.LastError().code, 1013);
}

} // namespace
