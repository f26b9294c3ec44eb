add_executable(chart_data_bench ${CMAKE_CURRENT_LIST_DIR}/chart_data_bench.cpp)
target_link_libraries(chart_data_bench PRIVATE kq_analysis kq_sim benchmark::benchmark_main)
add_executable(make_synthetic_dump ${CMAKE_CURRENT_LIST_DIR}/make_synthetic_dump.cpp)
target_link_libraries(make_synthetic_dump PRIVATE kq_sim)

if(KQ_WITH_GUI)
  # Prepares and shows the window with a full dump and prints milliseconds and
  # resident memory; with --hold it stays open for screenshots.
  add_executable(chart_window_run ${CMAKE_CURRENT_LIST_DIR}/chart_window_run.cpp)
  target_link_libraries(chart_window_run PRIVATE kq_chart kq_sim)
  # Four full drives compared, and a workspace of them opened; --hold for screenshots.
  add_executable(compare_window_run ${CMAKE_CURRENT_LIST_DIR}/compare_window_run.cpp)
  target_link_libraries(compare_window_run PRIVATE kq_chart kq_sim)
endif()
