if(TARGET kq_library)
  add_executable(library_bench ${CMAKE_CURRENT_LIST_DIR}/library_bench.cpp)
  target_link_libraries(library_bench PRIVATE kq_library kq_sim benchmark::benchmark)
endif()
