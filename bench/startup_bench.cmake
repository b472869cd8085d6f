# Start-up of the program: time until the main window is on screen, and the
# resident memory once it idles.
if(TARGET kqm52_app)
  add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
  target_link_libraries(startup_bench PRIVATE kqm52_app)
  # It reads the language and catalogue files beside itself, as the program does.
  add_dependencies(startup_bench kqm52_data)
endif()
