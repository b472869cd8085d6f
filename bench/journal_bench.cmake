# The service journal (bench/journal_bench): a whole-table send with the
# journal off and on, kqm52ctl journal over a journal of 100 000 entries, and
# eight kqm52ctl processes writing into one journal at once.
if(TARGET kqm52_ctl)
  add_executable(journal_bench ${CMAKE_CURRENT_LIST_DIR}/journal_bench.cpp)
  target_link_libraries(journal_bench PRIVATE kqm52_model kqm52_sim)
  add_dependencies(journal_bench kqm52_data kqm52ctl)
endif()
