#include "RegisteredMessages.h"

#include <mutex>
#include <string>
#include <unordered_map>

uint32_t CLOSE_DLG_MESSAGE = 0;
uint32_t CLOSE_WAIT_MESSAGE = 0;
uint32_t SET_STATUS_MESSAGE = 0;
uint32_t CREATE_REP_MESSAGE = 0;
uint32_t INSERT_SQL_REPORT_MESSAGE = 0;
uint32_t FETCH_ROW_STATUS = 0;
uint32_t SQL_REPORT_STATUS = 0;
uint32_t STATUS_SEARCH_MESSAGE = 0;
uint32_t INSERT_SEARCH_MESSAGE = 0;
uint32_t UPDATE_BASE_LIST_MESSAGE = 0;
uint32_t UPDATE_TREE_MESSAGE = 0;
uint32_t SB_DB_CURRENT_NODE_MESSAGE = 0;
uint32_t SB_DB_ALL_ROWS_MESSAGE = 0;
uint32_t SB_DB_SEL_ROWS_MESSAGE = 0;
uint32_t SB_DB_SIZE_MESSAGE = 0;
uint32_t SB_SQL_ROWS_MESSAGE = 0;
uint32_t SB_SQL_STATUS_MESSAGE = 0;
uint32_t SB_SQL_SERVER_OUTPUT_MESSAGE = 0;
uint32_t SB_SEARCH_STATUS_MESSAGE = 0;
uint32_t SB_MAIN_WARNING_MESSAGE = 0;
uint32_t SB_MAIN_QUEUE_TASK_MESSAGE = 0;
uint32_t SB_MAIN_EXEC_TASK_MESSAGE = 0;
uint32_t SB_MAIN_HISTORY_MESSAGE = 0;
uint32_t SB_MAIN_AUTO_REFRESH_MESSAGE = 0;
uint32_t SB_MAIN_SERVICE_STATUS_MESSAGE = 0;
uint32_t SQL_OUTPUT_MESSAGE = 0;
uint32_t SB_PEED_STATUS_MESSAGE = 0;
uint32_t SB_PE_STATUS_MESSAGE = 0;
uint32_t SB_PE_ROWS_MESSAGE = 0;
uint32_t SET_ACTIVE_VIEW_MESSAGE = 0;
uint32_t SET_ACTIVE_SHEET_VIEW_MESSAGE = 0;
uint32_t INSERT_GROWTH_MESSAGE = 0;
uint32_t SB_GROWTH_STATUS_MESSAGE = 0;
uint32_t EXPLAIN_PLAN_MESSAGE = 0;
uint32_t SHOW_VIEW_MESSAGE = 0;

namespace platform {

namespace {

// Ids start where a desktop window system starts its registered range, far from any fixed message number.
constexpr uint32_t kFirstId = 0xC000;

struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, uint32_t> ids;
};

Registry& TheRegistry() {
    // Never destroyed: a thread may still look a name up while static objects go away at exit.
    static Registry* registry = new Registry;
    return *registry;
}

uint32_t* const kVariables[35] = {
    &CLOSE_DLG_MESSAGE,
    &CLOSE_WAIT_MESSAGE,
    &SET_STATUS_MESSAGE,
    &CREATE_REP_MESSAGE,
    &INSERT_SQL_REPORT_MESSAGE,
    &FETCH_ROW_STATUS,
    &SQL_REPORT_STATUS,
    &STATUS_SEARCH_MESSAGE,
    &INSERT_SEARCH_MESSAGE,
    &UPDATE_BASE_LIST_MESSAGE,
    &UPDATE_TREE_MESSAGE,
    &SB_DB_CURRENT_NODE_MESSAGE,
    &SB_DB_ALL_ROWS_MESSAGE,
    &SB_DB_SEL_ROWS_MESSAGE,
    &SB_DB_SIZE_MESSAGE,
    &SB_SQL_ROWS_MESSAGE,
    &SB_SQL_STATUS_MESSAGE,
    &SB_SQL_SERVER_OUTPUT_MESSAGE,
    &SB_SEARCH_STATUS_MESSAGE,
    &SB_MAIN_WARNING_MESSAGE,
    &SB_MAIN_QUEUE_TASK_MESSAGE,
    &SB_MAIN_EXEC_TASK_MESSAGE,
    &SB_MAIN_HISTORY_MESSAGE,
    &SB_MAIN_AUTO_REFRESH_MESSAGE,
    &SB_MAIN_SERVICE_STATUS_MESSAGE,
    &SQL_OUTPUT_MESSAGE,
    &SB_PEED_STATUS_MESSAGE,
    &SB_PE_STATUS_MESSAGE,
    &SB_PE_ROWS_MESSAGE,
    &SET_ACTIVE_VIEW_MESSAGE,
    &SET_ACTIVE_SHEET_VIEW_MESSAGE,
    &INSERT_GROWTH_MESSAGE,
    &SB_GROWTH_STATUS_MESSAGE,
    &EXPLAIN_PLAN_MESSAGE,
    &SHOW_VIEW_MESSAGE,
};

} // namespace

uint32_t RegisterMessageName(std::string_view name) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto [it, added] = registry.ids.try_emplace(std::string(name), 0);
    if (added)
        it->second = kFirstId + uint32_t(registry.ids.size() - 1);
    return it->second;
}

const std::array<const char*, 35>& ProgramMessageNames() {
    static const std::array<const char*, 35> names = {
        "CLOSE_DLG_MESSAGE",
        "CLOSE_WAIT_MESSAGE",
        "SET_STATUS_MESSAGE",
        "CREATE_REP_MESSAGE",
        "INSERT_SQL_REPORT_MESSAGE",
        "FETCH_ROW_STATUS",
        "SQL_REPORT_STATUS",
        "STATUS_SEARCH_MESSAGE",
        "INSERT_SEARCH_MESSAGE",
        "UPDATE_BASE_LIST_MESSAGE",
        "UPDATE_TREE_MESSAGE",
        "SB_DB_CURRENT_NODE_MESSAGE",
        "SB_DB_ALL_ROWS_MESSAGE",
        "SB_DB_SEL_ROWS_MESSAGE",
        "SB_DB_SIZE_MESSAGE",
        "SB_SQL_ROWS_MESSAGE",
        "SB_SQL_STATUS_MESSAGE",
        "SB_SQL_SERVER_OUTPUT_MESSAGE",
        "SB_SEARCH_STATUS_MESSAGE",
        "SB_MAIN_WARNING_MESSAGE",
        "SB_MAIN_QUEUE_TASK_MESSAGE",
        "SB_MAIN_EXEC_TASK_MESSAGE",
        "SB_MAIN_HISTORY_MESSAGE",
        "SB_MAIN_AUTO_REFRESH_MESSAGE",
        "SB_MAIN_SERVICE_STATUS_MESSAGE",
        "SQL_OUTPUT_MESSAGE",
        "SB_PEED_STATUS_MESSAGE",
        "SB_PE_STATUS_MESSAGE",
        "SB_PE_ROWS_MESSAGE",
        "SET_ACTIVE_VIEW_MESSAGE",
        "SET_ACTIVE_SHEET_VIEW_MESSAGE",
        "INSERT_GROWTH_MESSAGE",
        "SB_GROWTH_STATUS_MESSAGE",
        "EXPLAIN_PLAN_MESSAGE",
        "SHOW_VIEW_MESSAGE",
    };
    return names;
}


void RegisterProgramMessages() {
    const auto& names = ProgramMessageNames();
    for (size_t i = 0; i < names.size(); ++i)
        *kVariables[i] = RegisterMessageName(names[i]);
}

} // namespace platform
