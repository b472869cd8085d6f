# The whole-unit backup (bench/backup_*): 400 + 48 requests at 38400 bit/s
# through the transfer engine, with silence framing and with fast framing,
# against the simulated bus on the real clock and against mx5x-sim on a pty.
if(TARGET kqm52_model AND TARGET kqm52_sim AND TARGET mx5x-sim)
  add_executable(backup_bench ${CMAKE_CURRENT_LIST_DIR}/backup_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/BackupRun.h)
  target_link_libraries(backup_bench PRIVATE kqm52_model kqm52_sim)
  add_dependencies(backup_bench mx5x-sim)
endif()
