if(KQ_WITH_GUI)
  # Resident memory over repeated downloads in one window session.
  add_executable(window_downloads ${CMAKE_CURRENT_LIST_DIR}/window_downloads.cpp)
  target_link_libraries(window_downloads PRIVATE kq_app kq_sim)
endif()
