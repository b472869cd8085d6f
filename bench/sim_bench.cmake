# The simulator's benchmark (bench/sim_*): a receive-window transfer of 448
# requests at 38400 bit/s, timed against the line model in real time.
if(TARGET kqm52_sim)
  add_executable(sim_bench ${CMAKE_CURRENT_LIST_DIR}/sim_bench.cpp)
  target_link_libraries(sim_bench PRIVATE kqm52_sim)
endif()
