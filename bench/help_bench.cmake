# The error-help window with the costliest help files the reader accepts.
if(TARGET kqm52_dialogs)
  add_executable(help_bench ${CMAKE_CURRENT_LIST_DIR}/help_bench.cpp)
  target_link_libraries(help_bench PRIVATE kqm52_dialogs)
endif()
