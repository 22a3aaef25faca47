// Command, control and resource ids shared by the menu, the tool bars, the accelerator table and the
// windows that handle them.
#pragma once

#include <cstdint>

namespace cmd {
// Application
inline constexpr uint32_t kNewConnection = 1117;
inline constexpr uint32_t kSettings = 1213;
inline constexpr uint32_t kAbout = 57664;
inline constexpr uint32_t kHelpTopics = 57667; // F1
inline constexpr uint32_t kExit = 57665;
// Files and editing
inline constexpr uint32_t kOpenFile = 309;
inline constexpr uint32_t kSaveFileAs = 57603;
inline constexpr uint32_t kSaveFile = 1298;       // Ctrl+S: the file's own name, or Save File As without one
inline constexpr uint32_t kRecentFileFirst = 57616; // the File menu's recent files, newest first
inline constexpr uint32_t kRecentFileLast = 57631;
inline constexpr uint32_t kPageSetup = 57605;
inline constexpr uint32_t kPrint = 57607;
inline constexpr uint32_t kPrintPreview = 57609;
inline constexpr uint32_t kCut = 57635;
inline constexpr uint32_t kCopy = 57634;
inline constexpr uint32_t kPaste = 57637;
inline constexpr uint32_t kUndo = 57643;
inline constexpr uint32_t kRedo = 57644;
inline constexpr uint32_t kSelectAll = 57642;
inline constexpr uint32_t kFind = 57636;         // Ctrl+F, the text pane's own key
inline constexpr uint32_t kFindNext = 57640;     // F3: the last search again
inline constexpr uint32_t kFindPrevious = 1291;  // Shift+F3: the last search the other way
inline constexpr uint32_t kReplace = 57641;      // Ctrl+H
// SQL
inline constexpr uint32_t kExecuteSql = 280;
inline constexpr uint32_t kExecuteStatement = 1296; // Ctrl+Enter: the selection, or the statement at the caret
inline constexpr uint32_t kExecuteScript = 285;
inline constexpr uint32_t kExplainPlan = 1280;
inline constexpr uint32_t kStopSql = 287;
inline constexpr uint32_t kCommit = 281;
inline constexpr uint32_t kRollback = 283;
inline constexpr uint32_t kServerOutput = 312;
inline constexpr uint32_t kSqlHistory = 1200;
inline constexpr uint32_t kLineNumbers = 1299; // line numbers in the SQL text's margin, on or off
// Result grid
inline constexpr uint32_t kExportData = 307;
inline constexpr uint32_t kFirstRow = 297;
inline constexpr uint32_t kPreviousRow = 294;
inline constexpr uint32_t kNextRow = 293;
inline constexpr uint32_t kLastRow = 295;
inline constexpr uint32_t kAutoformatByData = 289;
inline constexpr uint32_t kAutoformatByName = 291;
inline constexpr uint32_t kAutoformatBoth = 292;
inline constexpr uint32_t kViewCell = 1029;
// Window arrangement
inline constexpr uint32_t kWindowCascade = 57650;
inline constexpr uint32_t kWindowTile = 57651;
inline constexpr uint32_t kWindowArrange = 57649;
} // namespace cmd

namespace res {
inline constexpr uint32_t kMainFrame = 110; // menu, accelerators, icon and title string
inline constexpr uint32_t kToolBarMain = 112;
inline constexpr uint32_t kToolBarCommit = 402;
inline constexpr uint32_t kToolBarGrid = 401;
inline constexpr uint32_t kTimerActivate = 112;
// Status bar indicators of the editor window
inline constexpr uint32_t kPaneStatus = 1236;
inline constexpr uint32_t kPaneReport = 1230;
inline constexpr uint32_t kPaneServerOutput = 1243;
inline constexpr uint32_t kIndicatorCaps = 59137;
inline constexpr uint32_t kIndicatorNum = 59138;
inline constexpr uint32_t kIndicatorScroll = 59139;
// Pane control ids
inline constexpr uint32_t kPaneResult = 2;
inline constexpr uint32_t kPaneSqlText = 11;
inline constexpr uint32_t kPaneOutput = 12;
} // namespace res

// Dialog results, as the message dialog and the connect dialog return them.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
