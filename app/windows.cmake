# The windows of the application shell and the program. Included from app/CMakeLists.txt when the GUI
# is built.

# What every window library uses: tool bars and their icons, the message dialog, the cell viewer.
add_library(quarvel_shell_windows STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CCommandToolBar.cpp ${CMAKE_CURRENT_LIST_DIR}/CCommandToolBar.h
  ${CMAKE_CURRENT_LIST_DIR}/CommandIcons.cpp ${CMAKE_CURRENT_LIST_DIR}/CommandIcons.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp ${CMAKE_CURRENT_LIST_DIR}/MessageBox.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageParameters.h
  ${CMAKE_CURRENT_LIST_DIR}/cMsgDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/cMsgDialog.h
  ${CMAKE_CURRENT_LIST_DIR}/cReportValue.cpp ${CMAKE_CURRENT_LIST_DIR}/cReportValue.h
)
target_link_libraries(quarvel_shell_windows PUBLIC quarvel_shell quarvel_widgets Qt6::Widgets)

# The frames, the text pane, the application's dialogs and the program.
add_library(quarvel_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CAboutDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/CAboutDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/CHelpWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/CHelpWindow.h
  ${CMAKE_CURRENT_LIST_DIR}/CMainFrame.cpp ${CMAKE_CURRENT_LIST_DIR}/CMainFrame.h
  ${CMAKE_CURRENT_LIST_DIR}/ExecWindowHost.cpp ${CMAKE_CURRENT_LIST_DIR}/ExecWindowHost.h
  ${CMAKE_CURRENT_LIST_DIR}/CSqlLeftView.cpp ${CMAKE_CURRENT_LIST_DIR}/CSqlLeftView.h
  ${CMAKE_CURRENT_LIST_DIR}/CSqlLeftViewExec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSqlMainFrame.cpp ${CMAKE_CURRENT_LIST_DIR}/CSqlMainFrame.h
  ${CMAKE_CURRENT_LIST_DIR}/CTavrelApp.cpp ${CMAKE_CURRENT_LIST_DIR}/CTavrelApp.h
  ${CMAKE_CURRENT_LIST_DIR}/TerminateHandler.cpp ${CMAKE_CURRENT_LIST_DIR}/TerminateHandler.h
  ${CMAKE_CURRENT_LIST_DIR}/cPropertiesDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/cPropertiesDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/cPropertiesSql.cpp ${CMAKE_CURRENT_LIST_DIR}/cPropertiesSql.h
)
target_compile_definitions(quarvel_app PRIVATE QUARVEL_VERSION="${PROJECT_VERSION}")
target_link_libraries(quarvel_app PUBLIC quarvel_shell quarvel_shell_windows quarvel_exec_windows quarvel_script_windows
  quarvel_exec_core quarvel_editor_view quarvel_script quarvel_widgets quarvel_platform_gui Qt6::Widgets)

add_executable(quarvel ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(quarvel PRIVATE quarvel_app)
# The embedded client is loaded at run time from beside the program; build it with the program.
if(TARGET liteoci)
  add_dependencies(quarvel liteoci)
endif()
