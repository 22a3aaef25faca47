// Hostile input on the statement path: deep nesting, huge and malformed texts, endless work stopped
// by a break from another thread. None of it may crash, hang or answer without an error.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "OciClient.h"

namespace {

class BadInputTest : public ::testing::Test {
public:
    static void SetUpTestSuite() { path_ = new std::string(MakeDatabase()); }
    static void TearDownTestSuite() { delete path_; }
    void SetUp() override { ASSERT_EQ(c_.Logon("DEMO", "demo", *path_).code, 0); }

    // The error of describing sql (code 0 when it describes).
    Error DescribeError(const std::string& sql) {
        Stmt s(c_, sql);
        if (s.Execute(OCI_DESCRIBE_ONLY) == OCI_SUCCESS) return {};
        return c_.LastError();
    }

    static std::string* path_;
    Conn c_;
};
std::string* BadInputTest::path_ = nullptr;

std::string Repeat(const std::string& s, size_t n) {
    std::string r;
    r.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i) r += s;
    return r;
}

std::string NestedParens(size_t n) { return "select " + Repeat("(", n) + "1" + Repeat(")", n) + " from dual"; }
std::string NestedCase(size_t n) {
    return "select " + Repeat("case when 1 = 1 then ", n) + "1" + Repeat(" end", n) + " from dual";
}

// Runs f on a thread with a small stack, as a worker thread of the program may have.
void OnSmallStack(void (*f)(void*), void* arg) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 512 * 1024);
    struct Call {
        void (*f)(void*);
        void* arg;
    } call{f, arg};
    pthread_t t;
    ASSERT_EQ(pthread_create(&t, &attr, [](void* p) -> void* {
        auto* c = static_cast<Call*>(p);
        c->f(c->arg);
        return nullptr;
    }, &call), 0);
    pthread_join(t, nullptr);
    pthread_attr_destroy(&attr);
}

TEST_F(BadInputTest, DeepNestingEndsWithAnOracleError) {
    EXPECT_EQ(Scalar(c_, NestedParens(30)), "1");
    EXPECT_EQ(Scalar(c_, NestedCase(8)), "1");
    for (const std::string& sql : {NestedParens(100000), NestedCase(50000), NestedParens(300)}) {
        Error e = DescribeError(sql);
        EXPECT_EQ(e.code, 600) << sql.substr(0, 40);
        EXPECT_NE(e.text.find("nesting deeper than"), std::string::npos) << e.text;
    }
    struct Job {
        BadInputTest* self;
        Error error;
    } job{this, {}};
    OnSmallStack([](void* p) {
        auto* j = static_cast<Job*>(p);
        j->error = j->self->DescribeError(NestedParens(100000) + " union all " + NestedCase(100000));
    }, &job);
    EXPECT_EQ(job.error.code, 600);
}

// The seconds translating and describing a sum of n column terms takes, at best of three.
double SumSeconds(BadInputTest* t, Conn& c, size_t n) {
    const std::string sql = "select dummy" + Repeat("+dummy", n - 1) + " from dual";
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        Stmt s(c, sql);
        s.Describe();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    (void)t;
    return best;
}

TEST_F(BadInputTest, TranslationGrowsLinearlyWithTheText) {
    // Four times the terms may take about four times as long, not sixteen.
    const double small = SumSeconds(this, c_, 50000), large = SumSeconds(this, c_, 200000);
    EXPECT_LT(large / std::max(small, 1e-6), 8.0) << small << " s vs " << large << " s";
}

TEST_F(BadInputTest, MalformedTextsGiveTheirErrors) {
    EXPECT_EQ(DescribeError("select 'abc from dual").code, 1756);
    EXPECT_EQ(DescribeError("select \"abc from dual").code, 1740);
    EXPECT_EQ(DescribeError("select 1 /* no end from dual").code, 1742);
    // A NUL byte used to end the statement early, running "select 1" in place of what was written.
    EXPECT_EQ(DescribeError(std::string("select 1\0 from nowhere", 23)).code, 911);
    // Text that is not UTF-8 comes back byte for byte.
    EXPECT_EQ(Scalar(c_, "select 'a\xff\xfe' from dual"), "a\xff\xfe");
    const std::string longText(100000, 'x');
    EXPECT_EQ(Scalar(c_, "select length('" + longText + "') from dual"), "100000");
    // More columns than a query may have.
    EXPECT_EQ(DescribeError("select 1" + Repeat(", 1", 3000) + " from dual").code, 1792);
    EXPECT_EQ(DescribeError("select 1 / 0 from dual").code, 0);
    Error e;
    Query(c_, "select 1 / 0 from dual", &e);
    EXPECT_EQ(e.code, 1476);
}

TEST_F(BadInputTest, BreakFromAnotherThreadStopsEndlessWork) {
    Stmt s(c_, "select count(*) from dual connect by level <= 1000000000");
    std::thread breaker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Oci().Break(c_.svc, c_.err);
    });
    s.DefineAllChars(1);
    EXPECT_EQ(s.Execute(), OCI_ERROR);
    breaker.join();
    EXPECT_EQ(c_.LastError().code, 1013);
    // The session goes on.
    EXPECT_EQ(Scalar(c_, "select 2 from dual"), "2");
}

}  // namespace
