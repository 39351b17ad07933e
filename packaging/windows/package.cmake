# The Windows installer (NSIS: the user's programs folder, a Start-menu entry,
# an uninstaller) and a portable ZIP of the same folder, whose `portable`
# marker keeps the data beside the program. `cpack` in the build folder
# makes both into package/.
set(CPACK_PACKAGE_NAME tallyhour-zide)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tallyhour Zide developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop time tracker for programs, windows and tasks")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Tallyhour Zide")
set(CPACK_PACKAGE_EXECUTABLES tallyhour-zide "Tallyhour Zide")
set(CPACK_PACKAGE_FILE_NAME tallyhour-zide-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_STRIP_FILES ON)
# Only the program's files: no import libraries.
set(CPACK_COMPONENTS_ALL program)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL_IN_ONE_PACKAGE ON)
set(CPACK_COMPONENT_PROGRAM_DISPLAY_NAME "Tallyhour Zide")
set(CPACK_COMPONENT_PROGRAM_REQUIRED ON)

# Per user, no administrator: %LOCALAPPDATA%\Programs, as a user's own
# installation goes; the uninstaller is listed under the user's programs.
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\\\Programs")
set(CPACK_NSIS_DEFINES "RequestExecutionLevel user")
set(CPACK_NSIS_DISPLAY_NAME "Tallyhour Zide")
set(CPACK_NSIS_PACKAGE_NAME "Tallyhour Zide")
set(CPACK_NSIS_INSTALLED_ICON_NAME tallyhour-zide.exe)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN tallyhour-zide.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")

# The ZIP's marker, added to its staged copy only (the installer has none).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/portable_marker.cmake)
include(CPack)
