# kqm52ctl and the compare window on the line (bench/ctl_bench): a whole-unit
# backup with silence and fast framing against its floor, and five changed
# parameters written through the compare logic against the whole table, on
# the simulated bus with the virtual clock.
if(TARGET kqm52_ctl AND TARGET kqm52_params)
  add_executable(ctl_bench ${CMAKE_CURRENT_LIST_DIR}/ctl_bench.cpp)
  target_link_libraries(ctl_bench PRIVATE kqm52_ctl kqm52_params kqm52_sim)
  add_dependencies(ctl_bench kqm52_data)
endif()
