if(KQ_WITH_GUI)
  # Click-to-shown times of the main window's file dialogs, on a display.
  add_executable(dialog_open_run ${CMAKE_CURRENT_LIST_DIR}/dialog_open_run.cpp)
  target_link_libraries(dialog_open_run PRIVATE kq_app Qt6::Test)
endif()
