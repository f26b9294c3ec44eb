# What the window needs beside it on Windows: Qt's DLLs, its plugins (the
# windows platform, offscreen for `kq-cli chart` and the tests, the Vista
# style, the SQLite driver when the project uses Qt SQL) and the mingw-w64
# runtime DLLs that Qt is linked with. Copied into
# the build's bin/ as Windows looks for them (DLLs beside the program,
# plugins in folders beside it), so that the programs and their tests run
# there under wine, and installed in the same layout.
set(kq_qt_dll_targets Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport)
set(kq_qt_plugins platforms=Qt6::QWindowsIntegrationPlugin platforms=Qt6::QOffscreenIntegrationPlugin
                  styles=Qt6::QWindowsVistaStylePlugin)
# Qt SQL comes with the car's history (library/). Imported targets are seen
# only in the folder that found them: when library/ alone found Qt SQL, this
# (top) folder finds it too.
if(TARGET kq_library AND NOT TARGET Qt6::Sql)
  find_package(Qt6 REQUIRED COMPONENTS Sql)
endif()
if(TARGET Qt6::Sql)
  # The history's file is SQLite: without the driver beside the programs,
  # opening it fails only when the program runs.
  if(NOT TARGET Qt6::QSQLiteDriverPlugin)
    message(FATAL_ERROR "Qt for Windows (${Qt6_DIR}) has Qt SQL but no SQLite driver; "
                        "scripts/build-qt-windows builds a Qt with it")
  endif()
  list(APPEND kq_qt_dll_targets Qt6::Sql)
  list(APPEND kq_qt_plugins sqldrivers=Qt6::QSQLiteDriverPlugin)
endif()
set(kq_runtime_dlls)
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The mingw-w64 runtime ${dll} was not found by ${CMAKE_CXX_COMPILER}")
  endif()
  file(REAL_PATH "${path}" path)
  list(APPEND kq_runtime_dlls "${path}")
endforeach()

set(copy_commands)
foreach(target IN LISTS kq_qt_dll_targets ITEMS Qt6::Test)
  list(APPEND copy_commands COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}>
       ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endforeach()
foreach(dll IN LISTS kq_runtime_dlls)
  list(APPEND copy_commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dll} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endforeach()
foreach(plugin IN LISTS kq_qt_plugins)
  string(REPLACE "=" ";" plugin "${plugin}")
  list(GET plugin 0 folder)
  list(GET plugin 1 target)
  list(APPEND copy_commands COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder}
       COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder})
  install(FILES $<TARGET_FILE:${target}> DESTINATION ${CMAKE_INSTALL_BINDIR}/${folder})
endforeach()
add_custom_target(kq_windows_runtime ALL ${copy_commands} VERBATIM)

foreach(target IN LISTS kq_qt_dll_targets)
  install(FILES $<TARGET_FILE:${target}> DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(FILES ${kq_runtime_dlls} DESTINATION ${CMAKE_INSTALL_BINDIR})
# The toolkit's own dialog texts in Russian, where QLibraryInfo looks for them
# (translations/ beside bin/), from Debian's Qt of the same version.
if(EXISTS /usr/share/qt6/translations/qtbase_ru.qm)
  install(FILES /usr/share/qt6/translations/qtbase_ru.qm DESTINATION translations)
  # Without it Qt looks for them where it was built.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/qt.conf DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
