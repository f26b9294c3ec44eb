# The package of both programs: `cpack` in the build folder (scripts/package).
# What every package shares is set here; each system's package has its own
# file beside this one.
set(CPACK_PACKAGE_NAME kq-unloader)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The kq-unloader authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download, export and plot the log of a KQ-series on-board computer")
# Lines of at most 72 characters, as package managers show them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Выгрузчик данных из БК серии KQ downloads the log memory of a KQ-series"
  "car on-board computer over a serial port or a USB serial adapter, keeps"
  "it as a text dump, writes a semicolon-separated file for a spreadsheet"
  "program and plots the decoded engine parameters."
  ""
  "kq-cli does the same work from the command line and plays a simulated"
  "on-board computer for trying it without a car.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/package_windows.cmake)
else()
  include(${CMAKE_CURRENT_LIST_DIR}/package_debian.cmake)
endif()
include(CPack)
