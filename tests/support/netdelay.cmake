# netdelay (netdelay.cpp): the relay that the network tests and benchmarks put
# between the program and ser2net.  Both include this file; the first makes it.
if(NOT TARGET netdelay)
  add_executable(netdelay ${CMAKE_CURRENT_LIST_DIR}/netdelay.cpp)
endif()
