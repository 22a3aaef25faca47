// Explain Plan (F6) for the text pane's selection: the plan table is made ready on the UI thread (its
// statement id, the probe, the CREATE after asking, the DELETE of old rows and its commit), the
// EXPLAIN PLAN statement runs on the window's worker, and the grid reads the plan back on the UI
// thread when the worker tells it that the statement has run.
//
// The plan table's name comes from the window's settings and is used as it stands, unquoted, in
// every statement: a name that needs quoting fails as the server reports it.
//
// Thread contract: ExplainPlan and ReadPlan run on the UI thread. ReadPlan runs while the worker
// waits in its synchronous send of EXPLAIN_PLAN_MESSAGE, so the session is free for it.
#pragma once

#include "ExecContext.h"
#include "Execution.h"

#include <cstdint>
#include <string>
#include <vector>

namespace exec {

inline constexpr const char* kPlanCaption = "Explain Plan Statement";
inline constexpr int kPlanIdWidth = 70;
// The operation column gets the grid's client width less this.
inline constexpr int kPlanOperationMargin = 90;

std::string PlanTableCreateText(const std::string& table);
std::string PlanStatementText(const std::string& statementId, const std::string& table, const std::string& text);
std::string PlanQueryText(const std::string& table);
// "Explain Plan Table (NAME) not exists. Create table?"
std::string PlanTableQuestion(const std::string& table);

// The command: Refused while a run is active (the caller shows 958), Started when the worker runs.
Outcome ExplainPlan(ExecContext& cx, const std::string& selectedText, int32_t selectionFirstLine);

struct PlanRow {
    std::string id;
    std::string operation; // indented two blanks per level
};

struct PlanRead {
    std::vector<PlanRow> rows;
    bool ok = true;
    std::string error; // the failure's text when !ok
};

// Reads the plan of the document's statement id, in the tree's depth-first order.
PlanRead ReadPlan(ExecContext& cx);

} // namespace exec
