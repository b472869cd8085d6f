# A bus behind a serial device server (bench/net_bench): whole-unit backups
# through ser2net on 127.0.0.1, through netdelay, and four buses at once with
# kqm52ctl.  It starts mx5x-sim, netdelay and kqm52ctl from beside itself.
if(TARGET kqm52_model AND TARGET kqm52_sim AND TARGET mx5x-sim AND TARGET kqm52ctl)
  include(${CMAKE_SOURCE_DIR}/tests/support/netdelay.cmake)
  add_executable(net_bench ${CMAKE_CURRENT_LIST_DIR}/net_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/BackupRun.h)
  target_link_libraries(net_bench PRIVATE kqm52_model kqm52_sim)
  # The ser2net harness is the one the network tests use.
  target_include_directories(net_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_dependencies(net_bench mx5x-sim netdelay kqm52ctl)
endif()
