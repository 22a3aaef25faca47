// A headless editor window for the execution tests: its own session on a test database, an
// execution context, and recording stand-ins for the grid, output list, frame and host.
#pragma once

#include "DBConnect.h"
#include "ExecContext.h"
#include "ExecRules.h"
#include "Execution.h"
#include "ExplainPlan.h"
#include "IniSettingsKey.h"
#include "RegisteredMessages.h"
#include "RunEnd.h"
#include "SessionCommands.h"
#include "SyncSend.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace exectest {

// Stands in for the grid, the output list and the frame.
class Windows : public platform::MessageTarget {
public:
    explicit Windows(exec::ExecContext& cx) : cx_(cx) {}
    ~Windows() override { CloseMessages(); }

    intptr_t HandleRegisteredMessage(uint32_t id) override {
        exec::StatementState& s = cx_.state;
        if (id == SQL_OUTPUT_MESSAGE) {
            outputs.push_back(s.outputText);
            if (onOutput)
                onOutput(s.outputText);
        } else if (id == SB_SQL_ROWS_MESSAGE) {
            ++finals;
        } else if (id == INSERT_SQL_REPORT_MESSAGE) {
            std::vector<std::string> row;
            for (size_t i = 0; i < columns; ++i) {
                auto text = s.columns.CellText(static_cast<uint32_t>(i));
                row.push_back(text ? std::string(*text) : "<none>");
            }
            rows.push_back(row);
            if (onRow)
                onRow(rows.size());
            if (refuseRowAt && rows.size() == refuseRowAt)
                return exec::kRowRefused; // what the grid answers for a row it cannot show
        } else if (id == SB_SQL_SERVER_OUTPUT_MESSAGE) {
            ++serverOutputNotices;
        } else if (id == EXPLAIN_PLAN_MESSAGE) {
            // What the grid does: the plan is read back while the worker waits.
            plan = exec::ReadPlan(cx_);
            ++plansShown;
            if (plan.ok)
                exec::SendOutput(cx_, "Statement processed.");
            return plan.ok ? 0 : 1;
        }
        return 0;
    }

    size_t columns = 0;
    size_t refuseRowAt = 0;
    // Runs while the worker waits for row n to be shown, as a click of the user would.
    std::function<void(size_t n)> onRow;
    // Runs while the worker waits for a notice to be shown.
    std::function<void(const std::string&)> onOutput;
    std::vector<std::string> outputs;
    std::vector<std::vector<std::string>> rows;
    int finals = 0;
    int serverOutputNotices = 0;
    exec::PlanRead plan;
    int plansShown = 0;

private:
    exec::ExecContext& cx_;
};

class TestHost : public exec::ExecHost {
public:
    TestHost(exec::ExecContext& cx, Windows& windows) : cx_(cx), windows_(windows) {}

    void HideResultPane() override { ++resultHidden; }
    void ShowResultPane() override {}
    void ShowOutputPane() override { outputShown = true; }
    void HideOutputPane() override { outputShown = false; }
    void DisableInput() override { ++inputDisabled; }
    void WriteHistory(const std::string& text) override { history.push_back(text); }
    void UpdateViews() override {
        windows_.rows.clear();
        exec::StartExecution(cx_, titles);
        windows_.columns = titles.size();
    }
    bool AskOkCancel(const std::string& text) override {
        questions.push_back(text);
        return answerOk;
    }
    void RestoreCaret() override { ++caretRestored; }
    void MarkExecLine(int32_t line) override { marks.push_back(line); }
    void PlaceCaret(int32_t line, int32_t column) override {
        std::lock_guard lock(mutex);
        carets.push_back({line, column});
    }
    void ShowMessageText(const std::string& text) override {
        std::lock_guard lock(mutex);
        messageTexts.push_back(text);
    }

    int resultHidden = 0;
    int inputDisabled = 0;
    bool outputShown = true;
    std::atomic<int> caretRestored{0};
    std::vector<std::string> history;
    std::vector<std::string> questions;
    bool answerOk = true;
    std::vector<int32_t> marks;
    std::vector<std::string> titles;
    std::mutex mutex;
    std::vector<exec::CaretPlace> carets;
    std::vector<std::string> messageTexts;

private:
    exec::ExecContext& cx_;
    Windows& windows_;
};

// One editor window's execution: its session, context, stand-in windows and host.
struct Window {
    explicit Window(const std::string& databasePath) {
        session.Logon("DEMO", "demo", databasePath.c_str());
        cx.session = &session;
        std::unique_ptr<platform::IniSettingsKey> key = platform::IniSettingsKey::OpenProgramForReading();
        cx.settings = platform::ReadDocumentSettings(key.get());
        windows = std::make_unique<Windows>(cx);
        exec::StatementState& s = cx.state;
        s.gridWindow = s.outputWindow = s.frameWindow = windows->Handle();
        host = std::make_shared<TestHost>(cx, *windows);
        cx.host = host;
    }
    ~Window() {
        if (cx.run.IsActive()) {
            cx.run.RequestClose();
            session.Break();
        }
        cx.run.Wait();
        exec::DropStatement(cx);
    }
    bool Run(const std::string& text, int32_t firstLine = 0) {
        windows->outputs.clear();
        const bool started = exec::ExecuteCommand(cx, text, firstLine) == exec::Outcome::Started;
        cx.run.Wait();
        return started;
    }
    bool Batch(int32_t rows, bool selectNew = true) {
        windows->outputs.clear();
        const bool started = exec::StartBatch(cx, rows, selectNew);
        cx.run.Wait();
        return started;
    }
    exec::Outcome Session(exec::SessionCommand command) { return exec::RunSessionCommand(cx, command); }

    DBConnect session;
    exec::ExecContext cx;
    std::unique_ptr<Windows> windows;
    std::shared_ptr<TestHost> host;
};

} // namespace exectest
