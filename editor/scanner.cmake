# The SQL line scanner and the parse-state cache: windowless, no Qt.
add_library(quarvel_editor_scanner STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ColourIndex.h
  ${CMAKE_CURRENT_LIST_DIR}/ColourRuns.h
  ${CMAKE_CURRENT_LIST_DIR}/ParseState.h
  ${CMAKE_CURRENT_LIST_DIR}/ParseStateCache.cpp ${CMAKE_CURRENT_LIST_DIR}/ParseStateCache.h
  ${CMAKE_CURRENT_LIST_DIR}/SqlKeywords.cpp ${CMAKE_CURRENT_LIST_DIR}/SqlKeywords.h
  ${CMAKE_CURRENT_LIST_DIR}/SqlScanner.cpp ${CMAKE_CURRENT_LIST_DIR}/SqlScanner.h
)
target_include_directories(quarvel_editor_scanner PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quarvel_editor_scanner PUBLIC quarvel_editor_utf8)
