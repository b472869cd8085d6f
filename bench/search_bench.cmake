# The device search's benchmark (bench/search_*): 160 silent probes on the
# simulated bus in real time, against the floor the line and the 100 ms wait
# of each probe set.
if(TARGET kqm52_model AND TARGET kqm52_sim)
  add_executable(search_bench ${CMAKE_CURRENT_LIST_DIR}/search_bench.cpp)
  target_link_libraries(search_bench PRIVATE kqm52_model kqm52_sim)
endif()
