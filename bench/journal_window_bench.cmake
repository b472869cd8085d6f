# The Journal window on a journal of 100 000 entries (bench/journal_window_bench):
# opened, and filtered by serial and by parameter number, each drawn.
if(TARGET kqm52_tools)
  add_executable(journal_window_bench ${CMAKE_CURRENT_LIST_DIR}/journal_window_bench.cpp)
  target_link_libraries(journal_window_bench PRIVATE kqm52_tools)
  target_compile_definitions(journal_window_bench PRIVATE KQM52_DATA_DIR="${CMAKE_SOURCE_DIR}/data")
endif()
