// Bad input for the block compiler: nesting far deeper than any real program, on the main thread
// and on a thread with a small stack, ends with Oracle's error instead of a crash.
#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "OciClient.h"

namespace {

const char* const kTooDeep = "PLS-00102: parser stack overflow because nesting is too deep";

std::string NestedBegins(int n) {
    std::string s;
    for (int k = 0; k < n; ++k) s += "BEGIN ";
    s += "NULL;";
    for (int k = 0; k < n; ++k) s += " END;";
    return s;
}
std::string NestedIfs(int n) {
    std::string s = "BEGIN ";
    for (int k = 0; k < n; ++k) s += "IF 1 = 1 THEN ";
    s += "NULL;";
    for (int k = 0; k < n; ++k) s += " END IF;";
    return s + " END;";
}
std::string NestedDeclares(int n) {
    std::string s;
    for (int k = 0; k < n; ++k) s += "DECLARE v" + std::to_string(k) + " NUMBER; BEGIN ";
    s += "NULL;";
    for (int k = 0; k < n; ++k) s += " END;";
    return s;
}
std::string NestedCalls(int n) {
    std::string s = "DECLARE v NUMBER; BEGIN v := ";
    for (int k = 0; k < n; ++k) s += "NVL(";
    s += "1";
    for (int k = 0; k < n; ++k) s += ", 0)";
    return s + "; END;";
}

// Runs fn on a thread whose stack is `bytes` large.
void OnSmallStack(size_t bytes, std::function<void()> fn) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, bytes);
    pthread_t t;
    auto call = [](void* p) -> void* {
        (*static_cast<std::function<void()>*>(p))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&t, &attr, call, &fn), 0);
    pthread_join(t, nullptr);
    pthread_attr_destroy(&attr);
}

class PlsqlLimitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = MakeDatabase();
        ASSERT_EQ(c_.Logon("DEMO", "demo", path_).code, 0);
    }
    void ExpectTooDeep(const std::string& text) {
        Error e = Exec(c_, text);
        EXPECT_EQ(e.code, 6550) << e.text.substr(0, 200);
        EXPECT_NE(e.text.find(kTooDeep), std::string::npos) << e.text.substr(0, 200);
    }
    std::string path_;
    Conn c_;
};

TEST_F(PlsqlLimitsTest, DeepNestingFailsWithTheCompilersErrorOnTheMainThread) {
    ExpectTooDeep(NestedBegins(9000));
    ExpectTooDeep(NestedIfs(50000));
    ExpectTooDeep(NestedDeclares(10000));
    ExpectTooDeep(NestedCalls(20000));
    // the session is fine afterwards, and nesting of a normal depth still runs
    EXPECT_EQ(Exec(c_, NestedBegins(100)).code, 0);
    EXPECT_EQ(Exec(c_, NestedIfs(100)).code, 0);
    EXPECT_EQ(Exec(c_, NestedDeclares(50)).code, 0);
}

TEST_F(PlsqlLimitsTest, DeepNestingFailsWithTheCompilersErrorOnASmallWorkerStack) {
    OnSmallStack(512 * 1024, [&] {
        ExpectTooDeep(NestedBegins(9000));
        ExpectTooDeep(NestedIfs(50000));
        ExpectTooDeep(NestedDeclares(10000));
        EXPECT_EQ(Exec(c_, NestedIfs(200)).code, 0);
        Error e = Exec(c_, "DECLARE FUNCTION f(n NUMBER) RETURN NUMBER IS BEGIN RETURN f(n + 1); END; "
                           "BEGIN DBMS_OUTPUT.PUT_LINE(f(1)); END;");
        EXPECT_EQ(e.code, 6500);
    });
}

TEST_F(PlsqlLimitsTest, EndlessRecursionOfASubprogramEndsWithAnError) {
    Error e = Exec(c_, "DECLARE FUNCTION f(n NUMBER) RETURN NUMBER IS BEGIN RETURN f(n + 1); END; "
                       "BEGIN DBMS_OUTPUT.PUT_LINE(f(1)); END;");
    EXPECT_NE(e.code, 0);
    // and a procedure that calls itself through a stored unit
    ASSERT_EQ(Exec(c_, "CREATE PROCEDURE again IS BEGIN again; END;").code, 0);
    e = Exec(c_, "BEGIN again; END;");
    EXPECT_NE(e.code, 0);
}

}  // namespace
