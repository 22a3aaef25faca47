# The windows of the application shell and the program. Included from app/CMakeLists.txt when the GUI
# is built.
add_library(quarvel_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CAboutDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/CAboutDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/CCommandToolBar.cpp ${CMAKE_CURRENT_LIST_DIR}/CCommandToolBar.h
  ${CMAKE_CURRENT_LIST_DIR}/CMainFrame.cpp ${CMAKE_CURRENT_LIST_DIR}/CMainFrame.h
  ${CMAKE_CURRENT_LIST_DIR}/CQuarvelView.cpp ${CMAKE_CURRENT_LIST_DIR}/CQuarvelView.h
  ${CMAKE_CURRENT_LIST_DIR}/ExecCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/ExecCommands.h
  ${CMAKE_CURRENT_LIST_DIR}/ExecWindowHost.cpp ${CMAKE_CURRENT_LIST_DIR}/ExecWindowHost.h
  ${CMAKE_CURRENT_LIST_DIR}/ResultModel.cpp ${CMAKE_CURRENT_LIST_DIR}/ResultModel.h
  ${CMAKE_CURRENT_LIST_DIR}/CSplitFrame.cpp ${CMAKE_CURRENT_LIST_DIR}/CSplitFrame.h
  ${CMAKE_CURRENT_LIST_DIR}/CSqlLeftView.cpp ${CMAKE_CURRENT_LIST_DIR}/CSqlLeftView.h
  ${CMAKE_CURRENT_LIST_DIR}/CSqlLeftViewExec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSqlMainFrame.cpp ${CMAKE_CURRENT_LIST_DIR}/CSqlMainFrame.h
  ${CMAKE_CURRENT_LIST_DIR}/CSqlOutputView.cpp ${CMAKE_CURRENT_LIST_DIR}/CSqlOutputView.h
  ${CMAKE_CURRENT_LIST_DIR}/CTavrelApp.cpp ${CMAKE_CURRENT_LIST_DIR}/CTavrelApp.h
  ${CMAKE_CURRENT_LIST_DIR}/CommandIcons.cpp ${CMAKE_CURRENT_LIST_DIR}/CommandIcons.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp ${CMAKE_CURRENT_LIST_DIR}/MessageBox.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageParameters.h
  ${CMAKE_CURRENT_LIST_DIR}/TerminateHandler.cpp ${CMAKE_CURRENT_LIST_DIR}/TerminateHandler.h
  ${CMAKE_CURRENT_LIST_DIR}/cFetchStatus.cpp ${CMAKE_CURRENT_LIST_DIR}/cFetchStatus.h
  ${CMAKE_CURRENT_LIST_DIR}/cMsgDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/cMsgDialog.h
  ${CMAKE_CURRENT_LIST_DIR}/cReportValue.cpp ${CMAKE_CURRENT_LIST_DIR}/cReportValue.h
  ${CMAKE_CURRENT_LIST_DIR}/cSqlConnect.cpp ${CMAKE_CURRENT_LIST_DIR}/cSqlConnect.h
)
target_link_libraries(quarvel_app PUBLIC quarvel_shell quarvel_exec_core quarvel_editor_view quarvel_script quarvel_widgets quarvel_platform_gui Qt6::Widgets)

add_executable(quarvel ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(quarvel PRIVATE quarvel_app)
# The embedded client is loaded at run time from beside the program; build it with the program.
if(TARGET liteoci)
  add_dependencies(quarvel liteoci)
endif()
