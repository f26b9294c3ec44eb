add_executable(export_bench ${CMAKE_CURRENT_LIST_DIR}/export_bench.cpp)
target_link_libraries(export_bench PRIVATE kq_export benchmark::benchmark)
add_executable(make_bench_dump ${CMAKE_CURRENT_LIST_DIR}/make_bench_dump.cpp)
target_link_libraries(make_bench_dump PRIVATE kq_dump)
