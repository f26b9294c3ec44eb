if(KQ_WITH_GUI)
  # Resident memory over repeated downloads in one window session.
  add_executable(window_downloads ${CMAKE_CURRENT_LIST_DIR}/window_downloads.cpp)
  target_link_libraries(window_downloads PRIVATE kq_app kq_sim)

  # Click-to-shown times of the main window's file dialogs, on a display.
  add_executable(dialog_open_run ${CMAKE_CURRENT_LIST_DIR}/dialog_open_run.cpp)
  target_link_libraries(dialog_open_run PRIVATE kq_app Qt6::Test)

  # The library window on a car of a year of history: opened, a trend, an
  # event search; --hold for screenshots.
  add_executable(library_window_run ${CMAKE_CURRENT_LIST_DIR}/library_window_run.cpp)
  target_link_libraries(library_window_run PRIVATE kq_app kq_library kq_sim)
endif()
