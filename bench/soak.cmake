# The soak run needs the windows and the simulator; the graph window comes
# from the tools library.
if(TARGET kqm52_shell AND TARGET kqm52_tools AND TARGET kqm52_sim)
  add_executable(soak ${CMAKE_CURRENT_LIST_DIR}/soak.cpp)
  target_link_libraries(soak PRIVATE kqm52_app kqm52_sim)
  add_dependencies(soak kqm52_data)
endif()
