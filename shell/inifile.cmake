# The settings-file store: needs no widgets, so the catalogue and the tests
# can use it without the rest of the shell.
add_library(kqm52_inifile STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IniFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IniFile.h)
target_include_directories(kqm52_inifile PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(kqm52_inifile PUBLIC Qt6::Core)
