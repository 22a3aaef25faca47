// Command rules of the frames, the routing chain, the resources and the connect checks.
#include "CCmdTarget.h"
#include "CommandIds.h"
#include "CommandRules.h"
#include "ConnectChecks.h"
#include "Resources.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

TEST(CommandRules, WhileAWorkerRunsOnlyStopAndTheAlwaysCommandsAreEnabled) {
    for (uint32_t id : {cmd::kExecuteSql, cmd::kExecuteScript, cmd::kExplainPlan, cmd::kCommit, cmd::kRollback,
                        cmd::kSaveFileAs, cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kUndo}) {
        EXPECT_EQ(SqlMainFrameRule(id, false), true) << id;
        EXPECT_EQ(SqlMainFrameRule(id, true), false) << id;
    }
    EXPECT_EQ(SqlMainFrameRule(cmd::kStopSql, false), false);
    EXPECT_EQ(SqlMainFrameRule(cmd::kStopSql, true), true);
    for (uint32_t id : {1200u, 1029u, 289u, 291u, 292u, 295u, 297u, 307u}) {
        EXPECT_EQ(SqlMainFrameRule(id, true), true) << id;
        EXPECT_EQ(SqlMainFrameRule(id, false), true) << id;
    }
    // No rule: the handler decides.
    for (uint32_t id : {cmd::kOpenFile, cmd::kRedo, cmd::kSelectAll, cmd::kServerOutput, cmd::kNewConnection})
        EXPECT_FALSE(SqlMainFrameRule(id, true).has_value()) << id;
}

TEST(CommandRules, GridToolBarIsDisabledWhileAWorkerRuns) {
    for (uint32_t id : {289u, 291u, 292u, 293u, 294u, 295u, 297u, 307u}) {
        EXPECT_EQ(SplitFrameRule(id, false), true) << id;
        EXPECT_EQ(SplitFrameRule(id, true), false) << id;
    }
    EXPECT_FALSE(SplitFrameRule(cmd::kExecuteSql, true).has_value());
}

namespace {
struct Target : CCmdTarget {
    std::set<uint32_t> handles;
    std::map<uint32_t, bool> rules;
    std::vector<uint32_t> ran;
    bool OnCommand(uint32_t id) override {
        ran.push_back(id);
        return true;
    }
    bool HandlesCommand(uint32_t id) const override { return handles.count(id) > 0; }
    std::optional<bool> CommandEnabled(uint32_t id) const override {
        auto it = rules.find(id);
        return it == rules.end() ? std::nullopt : std::optional<bool>(it->second);
    }
};
} // namespace

TEST(CommandChain, FirstRuleDecidesElseAnyHandlerEnables) {
    Target view, frame, app;
    view.handles = {10, 20};
    frame.rules = {{10, false}, {30, true}};
    app.handles = {40};
    CommandChain chain{&view, nullptr, &frame, &app};

    EXPECT_FALSE(chain.IsEnabled(10)); // the frame's rule beats the view's handler
    EXPECT_TRUE(chain.IsEnabled(20));
    EXPECT_TRUE(chain.IsEnabled(30)); // a rule without handler: enabled, does nothing
    EXPECT_TRUE(chain.IsEnabled(40));
    EXPECT_FALSE(chain.IsEnabled(50));

    EXPECT_FALSE(chain.Route(10));
    EXPECT_TRUE(chain.Route(20));
    EXPECT_FALSE(chain.Route(30));
    EXPECT_TRUE(chain.Route(40));
    EXPECT_FALSE(chain.Route(50));
    EXPECT_EQ(view.ran, std::vector<uint32_t>{20});
    EXPECT_EQ(app.ran, std::vector<uint32_t>{40});

    view.rules[10] = true; // the view decides first
    EXPECT_TRUE(chain.IsEnabled(10));
}

TEST(Resources, MenuAcceleratorsAndToolBarsAreComplete) {
    const auto& menu = MainMenu();
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_STREQ(menu[0].title, "&File");
    EXPECT_STREQ(menu[0].items[0].text, "New Connection..    Ctrl+E");
    EXPECT_EQ(menu[0].items[2].id, cmd::kSaveFile);
    EXPECT_EQ(menu[0].items[7].id, cmd::kPrint);
    EXPECT_EQ(menu[0].items[9].id, cmd::kExit);
    EXPECT_STREQ(menu[2].items[0].text, "Execute SQL              F9");
    EXPECT_STREQ(menu[4].title, "&Window");
    EXPECT_EQ(menu[2].items[1].id, cmd::kExecuteStatement);
    EXPECT_EQ(menu[5].items[0].id, cmd::kHelpTopics);
    EXPECT_STREQ(menu[5].items[2].text, "&About Quarvel..");
    // Every menu can be opened with Alt and its letter.
    for (const auto& popup : menu)
        EXPECT_NE(std::string(popup.title).find('&'), std::string::npos) << popup.title;
    size_t items = 0, separators = 0;
    for (const auto& popup : menu)
        for (const auto& item : popup.items)
            (item.id ? items : separators)++;
    EXPECT_EQ(items, 33u);
    EXPECT_EQ(separators, 9u);

    const auto& keys = MainAccelerators();
    EXPECT_EQ(keys.size(), 32u);
    std::set<std::string> distinct;
    for (const auto& a : keys)
        distinct.insert(a.keys);
    EXPECT_EQ(distinct.size(), keys.size()); // no key twice
    // No accelerator takes an Alt+letter the menu bar needs for its menus.
    for (const auto& a : keys)
        EXPECT_EQ(std::string(a.keys).rfind("Alt+", 0) == 0 && std::string(a.keys).size() == 5, false) << a.keys;
    std::map<std::string, uint32_t> byKey;
    for (const auto& a : keys)
        byKey[a.keys] = a.id;
    EXPECT_EQ(byKey["Ctrl+S"], cmd::kSaveFile);
    EXPECT_EQ(byKey["Ctrl+O"], cmd::kOpenFile);
    EXPECT_EQ(byKey["Ctrl+Return"], cmd::kExecuteStatement);
    EXPECT_EQ(byKey["F1"], cmd::kHelpTopics);

    EXPECT_EQ(ToolBarButtons(112).size(), 18u);
    EXPECT_EQ(ToolBarButtons(402), (std::vector<uint32_t>{281, 283}));
    EXPECT_EQ(ToolBarButtons(401), (std::vector<uint32_t>{307, 0, 297, 294, 293, 295, 0, 289, 291, 292}));
    EXPECT_TRUE(ToolBarButtons(4711).empty());
}

TEST(ConnectChecks, FirstEmptyFieldInOrder) {
    EXPECT_EQ(FirstConnectFieldError("", "", ""), 979u);
    EXPECT_EQ(FirstConnectFieldError("", "pw", "db"), 979u);
    EXPECT_EQ(FirstConnectFieldError("U", "", ""), 980u);
    EXPECT_EQ(FirstConnectFieldError("U", "pw", ""), 976u);
    EXPECT_EQ(FirstConnectFieldError("U", "pw", "db"), 0u);
}
