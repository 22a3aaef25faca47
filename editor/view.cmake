# The text view and the editing view of the SQL text pane: Qt widgets over the buffer and the scanner.
add_library(quarvel_editor_view STATIC
  ${CMAKE_CURRENT_LIST_DIR}/FontDescription.h
  ${CMAKE_CURRENT_LIST_DIR}/TextColumns.cpp ${CMAKE_CURRENT_LIST_DIR}/TextColumns.h
  ${CMAKE_CURRENT_LIST_DIR}/TextMime.cpp ${CMAKE_CURRENT_LIST_DIR}/TextMime.h
  ${CMAKE_CURRENT_LIST_DIR}/ViewImages.cpp ${CMAKE_CURRENT_LIST_DIR}/ViewImages.h
  ${CMAKE_CURRENT_LIST_DIR}/TextView.h
  ${CMAKE_CURRENT_LIST_DIR}/TextView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextViewClipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextViewKeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextViewMouse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineRenderer.cpp ${CMAKE_CURRENT_LIST_DIR}/LineRenderer.h
  ${CMAKE_CURRENT_LIST_DIR}/TextViewPaint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextViewScroll.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextViewFind.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextViewPrint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextPrintJob.cpp ${CMAKE_CURRENT_LIST_DIR}/TextPrintJob.h
  ${CMAKE_CURRENT_LIST_DIR}/PageSetup.cpp ${CMAKE_CURRENT_LIST_DIR}/PageSetup.h
  ${CMAKE_CURRENT_LIST_DIR}/CFindDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/CFindDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/SearchProfile.cpp ${CMAKE_CURRENT_LIST_DIR}/SearchProfile.h
  ${CMAKE_CURRENT_LIST_DIR}/EditorView.h
  ${CMAKE_CURRENT_LIST_DIR}/EditorView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorViewCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorViewReplace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CReplaceDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/CReplaceDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/EditDropTarget.cpp ${CMAKE_CURRENT_LIST_DIR}/EditDropTarget.h
  ${CMAKE_CURRENT_LIST_DIR}/SqlEditorView.cpp ${CMAKE_CURRENT_LIST_DIR}/SqlEditorView.h
)
set_target_properties(quarvel_editor_view PROPERTIES AUTOMOC ON)
target_include_directories(quarvel_editor_view PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quarvel_editor_view PUBLIC quarvel_editor_buffer quarvel_editor_scanner quarvel_platform_qt quarvel_widgets Qt6::Widgets Qt6::PrintSupport)
