# The UTF-8 character helpers: which bytes make one character. Plain C++; the buffer's search, the
# scanner's tests and the views all need them.
add_library(quarvel_editor_utf8 STATIC ${CMAKE_CURRENT_LIST_DIR}/Utf8.cpp ${CMAKE_CURRENT_LIST_DIR}/Utf8.h)
target_include_directories(quarvel_editor_utf8 PUBLIC ${CMAKE_CURRENT_LIST_DIR})

# The text buffer with undo, file loading and saving, and search matching: plain C++, no Qt.
add_library(quarvel_editor_buffer STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BufferView.h
  ${CMAKE_CURRENT_LIST_DIR}/ChangeContext.cpp ${CMAKE_CURRENT_LIST_DIR}/ChangeContext.h
  ${CMAKE_CURRENT_LIST_DIR}/EditAction.h
  ${CMAKE_CURRENT_LIST_DIR}/TextBuffer.cpp ${CMAKE_CURRENT_LIST_DIR}/TextBuffer.h
  ${CMAKE_CURRENT_LIST_DIR}/TextPosition.h
  ${CMAKE_CURRENT_LIST_DIR}/ReplaceSession.cpp ${CMAKE_CURRENT_LIST_DIR}/ReplaceSession.h
  ${CMAKE_CURRENT_LIST_DIR}/SearchTarget.h
  ${CMAKE_CURRENT_LIST_DIR}/TextSearch.cpp ${CMAKE_CURRENT_LIST_DIR}/TextSearch.h
  ${CMAKE_CURRENT_LIST_DIR}/UndoHistory.cpp ${CMAKE_CURRENT_LIST_DIR}/UndoHistory.h
  ${CMAKE_CURRENT_LIST_DIR}/UndoRecord.h
)
target_include_directories(quarvel_editor_buffer PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quarvel_editor_buffer PUBLIC quarvel_platform quarvel_editor_utf8)
