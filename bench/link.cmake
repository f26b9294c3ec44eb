# Download speed through the channel threads against the simulator.
add_executable(link_bench ${CMAKE_CURRENT_LIST_DIR}/download_bench.cpp)
target_link_libraries(link_bench PRIVATE kq_link kq_sim benchmark::benchmark)
