# The Windows installer: a 64-bit NSIS installer made by CPack
# (cpack -G NSIS in the cross build tree): kq-cli.exe, and with the GUI
# kq-unloader.exe with Qt's DLLs and plugins and the mingw-w64 runtime
# (windows_runtime.cmake), a Start-menu entry for the window, the documentation.
# The settings every package shares are in package.cmake, which includes this.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/windows.md DESTINATION doc)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "kq-unloader")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "kq-unloader")
set(CPACK_SYSTEM_NAME win64)
set(CPACK_NSIS_PACKAGE_NAME "kq-unloader")
set(CPACK_NSIS_DISPLAY_NAME "kq-unloader")

# CPack's template builds a 32-bit installer that installs under the 32-bit
# Program Files and writes the 32-bit registry view. A 64-bit stub (NSIS 3's
# amd64-unicode target) runs natively under 64-bit Windows and wine64;
# $PROGRAMFILES64 and the 64-bit registry view make the choice explicit.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "SetRegView 64")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "SetRegView 64")
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The uninstaller removes the installer's key under the vendor's but leaves
# the vendor's key itself; this runs after that removal.
set(CPACK_NSIS_DELETE_ICONS_EXTRA "DeleteRegKey /ifempty SHCTX 'Software\\\\${CPACK_PACKAGE_VENDOR}'")

if(KQ_WITH_GUI)
  # The Start-menu entry, named as the window's title; its icon is the
  # program's own (the gauge, packaging/kq-unloader.rc).
  set(CPACK_PACKAGE_EXECUTABLES kq-unloader "Выгрузчик данных из БК серии KQ")
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\kq-unloader.exe")
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/packaging/icons/kq-unloader.ico)
  set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/packaging/icons/kq-unloader.ico)
  # The script holds the Cyrillic name: makensis reads it as UTF-8.
  set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS "-INPUTCHARSET UTF8")
endif()

