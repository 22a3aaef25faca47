# Window tests (offscreen). Included from tests/app/CMakeLists.txt when the GUI is built.
if(NOT TARGET quarvel_app)
  return()
endif()

quarvel_add_qtest(message_dialog_tests SOURCES MessageDialogTest.cpp GuiTestSupport.h LIBS quarvel_app)
quarvel_add_qtest(editor_window_tests SOURCES EditorWindowTest.cpp GuiTestSupport.h StartedProgram.h LIBS quarvel_app)
quarvel_add_qtest(text_pane_tests SOURCES TextPaneTest.cpp GuiTestSupport.h StartedProgram.h LIBS quarvel_app)
quarvel_add_qtest(find_replace_tests SOURCES FindReplaceTest.cpp GuiTestSupport.h StartedProgram.h LIBS quarvel_app)
set_target_properties(message_dialog_tests editor_window_tests text_pane_tests find_replace_tests PROPERTIES AUTOMOC ON)

if(TARGET quarvel_test_database)
  quarvel_add_qtest(startup_tests SOURCES StartupTest.cpp GuiTestSupport.h LIBS quarvel_app)
  set_target_properties(startup_tests PROPERTIES AUTOMOC ON)
  target_link_libraries(startup_tests PRIVATE quarvel_test_database)
  add_dependencies(startup_tests liteoci liteoci-admin)
  quarvel_add_qtest(output_view_tests SOURCES OutputViewTest.cpp GuiTestSupport.h LIBS quarvel_app)
  set_target_properties(output_view_tests PROPERTIES AUTOMOC ON)
  target_link_libraries(output_view_tests PRIVATE quarvel_test_database)
  add_dependencies(output_view_tests liteoci liteoci-admin)
  quarvel_add_qtest(settings_dialog_tests SOURCES SettingsDialogTest.cpp GuiTestSupport.h StartedProgram.h LIBS quarvel_app)
  set_target_properties(settings_dialog_tests PROPERTIES AUTOMOC ON)
  target_link_libraries(settings_dialog_tests PRIVATE quarvel_test_database)
  add_dependencies(settings_dialog_tests liteoci liteoci-admin)
else()
  message(STATUS "start-up window tests wait for the embedded client")
endif()

# A picture of the connected editor window, for the README (not a test).
add_executable(quarvel-screenshot Screenshot.cpp GuiTestSupport.h)
target_link_libraries(quarvel-screenshot PRIVATE quarvel_app Qt6::Test)

# A picture of the settings dialog (not a test).
add_executable(quarvel-settings-screenshot SettingsScreenshot.cpp GuiTestSupport.h)
target_link_libraries(quarvel-settings-screenshot PRIVATE quarvel_app Qt6::Test)
