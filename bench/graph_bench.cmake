if(TARGET kqm52_tools AND TARGET kqm52_sim)
  add_executable(graph_bench ${CMAKE_CURRENT_LIST_DIR}/graph_bench.cpp)
  target_link_libraries(graph_bench PRIVATE kqm52_tools kqm52_sim)
endif()
