// Named notification ids shared by every window and thread of the process. A name is registered once
// and keeps its id for the life of the process; registering the same name again gives the same id.
// Ids are run-time values: code compares a received id with these variables, never with a constant.
//
// Thread contract: the program registers its names at start-up, before any worker thread exists, and
// only reads the variables afterwards. `RegisterMessageName` itself is safe from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace platform {

// The id of `name`; a new name gets the next free id. Never 0.
uint32_t RegisterMessageName(std::string_view name);

// The 35 names of the program, in the order they are registered.
const std::array<const char*, 35>& ProgramMessageNames();

// Registers the 35 names in order and stores each id in the variable of the same name (below).
void RegisterProgramMessages();

} // namespace platform

// One process-wide variable per name; 0 until RegisterProgramMessages has run.
extern uint32_t CLOSE_DLG_MESSAGE;
extern uint32_t CLOSE_WAIT_MESSAGE;
extern uint32_t SET_STATUS_MESSAGE;
extern uint32_t CREATE_REP_MESSAGE;
extern uint32_t INSERT_SQL_REPORT_MESSAGE;
extern uint32_t FETCH_ROW_STATUS;
extern uint32_t SQL_REPORT_STATUS;
extern uint32_t STATUS_SEARCH_MESSAGE;
extern uint32_t INSERT_SEARCH_MESSAGE;
extern uint32_t UPDATE_BASE_LIST_MESSAGE;
extern uint32_t UPDATE_TREE_MESSAGE;
extern uint32_t SB_DB_CURRENT_NODE_MESSAGE;
extern uint32_t SB_DB_ALL_ROWS_MESSAGE;
extern uint32_t SB_DB_SEL_ROWS_MESSAGE;
extern uint32_t SB_DB_SIZE_MESSAGE;
extern uint32_t SB_SQL_ROWS_MESSAGE;
extern uint32_t SB_SQL_STATUS_MESSAGE;
extern uint32_t SB_SQL_SERVER_OUTPUT_MESSAGE;
extern uint32_t SB_SEARCH_STATUS_MESSAGE;
extern uint32_t SB_MAIN_WARNING_MESSAGE;
extern uint32_t SB_MAIN_QUEUE_TASK_MESSAGE;
extern uint32_t SB_MAIN_EXEC_TASK_MESSAGE;
extern uint32_t SB_MAIN_HISTORY_MESSAGE;
extern uint32_t SB_MAIN_AUTO_REFRESH_MESSAGE;
extern uint32_t SB_MAIN_SERVICE_STATUS_MESSAGE;
extern uint32_t SQL_OUTPUT_MESSAGE;
extern uint32_t SB_PEED_STATUS_MESSAGE;
extern uint32_t SB_PE_STATUS_MESSAGE;
extern uint32_t SB_PE_ROWS_MESSAGE;
extern uint32_t SET_ACTIVE_VIEW_MESSAGE;
extern uint32_t SET_ACTIVE_SHEET_VIEW_MESSAGE;
extern uint32_t INSERT_GROWTH_MESSAGE;
extern uint32_t SB_GROWTH_STATUS_MESSAGE;
extern uint32_t EXPLAIN_PLAN_MESSAGE;
extern uint32_t SHOW_VIEW_MESSAGE;
