# The Windows installer (NSIS: the programs folder, a Start-menu entry, an
# uninstaller) and a portable ZIP of the same folder, whose `portable`
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
# Only the program's files: no import libraries (packaging/windows/config.cmake
# adds the ZIP's marker).
set(CPACK_COMPONENTS_ALL program)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL_IN_ONE_PACKAGE ON)
# The ZIP unpacks into one folder of its name.
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENT_PROGRAM_DISPLAY_NAME "Tallyhour Zide")
set(CPACK_COMPONENT_PROGRAM_REQUIRED ON)

# Into Program Files, with the Start-menu entry for all users, when an
# administrator installs (CPack's default); otherwise into the user's own
# documents with the user's Start menu. The data go to the user's folder
# either way (the installed folder has no marker).
set(CPACK_NSIS_DISPLAY_NAME "Tallyhour Zide")
set(CPACK_NSIS_PACKAGE_NAME "Tallyhour Zide")
set(CPACK_NSIS_INSTALLED_ICON_NAME tallyhour-zide.exe)
# The Start-menu entry's program lies at the folder's top, not in bin/.
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN tallyhour-zide.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

# The ZIP's marker, a component of its own that only the ZIP holds.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/portable DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/config.cmake)
include(CPack)
