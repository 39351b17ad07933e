# The Windows program as a folder that runs as it is: the program, the
# keyboard-hook DLL, the manual, Qt's DLLs and plugins and the compiler's
# runtime DLLs that Qt's DLLs need. The build's bin folder is that folder (the
# tests run the program from it); `install` copies the same set into one
# folder, which packaging/windows/ makes into an installer and a portable ZIP.

# Qt's prefix, from where its Core DLL lies (<prefix>/bin).
find_package(Qt6 REQUIRED COMPONENTS Core)
get_target_property(tally_qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT tally_qt_core_dll)
    get_target_property(tally_qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(tally_qt_bin ${tally_qt_core_dll} DIRECTORY)
get_filename_component(tally_qt_prefix ${tally_qt_bin} DIRECTORY)

set(TALLY_QT_DLLS Qt6Core Qt6Gui Qt6Widgets Qt6Charts Qt6PrintSupport)
# The compiler's runtime: the program links it statically, Qt's DLLs do not.
set(TALLY_RUNTIME_DLLS libstdc++-6 libgcc_s_seh-1 libwinpthread-1)
# The plugins the program loads: the desktop, the native look, the icon and
# picture formats.
set(TALLY_QT_PLUGINS platforms/qwindows styles/qwindowsvistastyle imageformats/qico imageformats/qgif)

set(tally_deploy_files)
set(tally_deploy_commands)
foreach(name ${TALLY_QT_DLLS} ${TALLY_RUNTIME_DLLS})
    set(file ${tally_qt_bin}/${name}.dll)
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "${file} is missing: the Qt prefix ${tally_qt_prefix} is incomplete")
    endif()
    list(APPEND tally_deploy_commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} $<TARGET_FILE_DIR:tallyhour-zide>)
    if(name IN_LIST TALLY_RUNTIME_DLLS AND CMAKE_STRIP)
        # The compiler ships them with their symbols, ten times their size.
        list(APPEND tally_deploy_commands COMMAND ${CMAKE_STRIP} --strip-unneeded $<TARGET_FILE_DIR:tallyhour-zide>/${name}.dll)
    endif()
    install(FILES $<TARGET_FILE_DIR:tallyhour-zide>/${name}.dll DESTINATION . COMPONENT program)
endforeach()
foreach(plugin ${TALLY_QT_PLUGINS})
    set(file ${tally_qt_prefix}/plugins/${plugin}.dll)
    get_filename_component(kind ${plugin} DIRECTORY)
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "${file} is missing: the Qt prefix ${tally_qt_prefix} is incomplete")
    endif()
    list(APPEND tally_deploy_commands
         COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:tallyhour-zide>/${kind}
         COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} $<TARGET_FILE_DIR:tallyhour-zide>/${kind})
    install(FILES ${file} DESTINATION ${kind} COMPONENT program)
endforeach()
add_custom_target(tally_deploy ALL ${tally_deploy_commands} COMMENT "Copying Qt and the runtime beside the program"
                  VERBATIM)
add_dependencies(tally_deploy tallyhour-zide)

# The folder itself: programs at its top, the manual in help/ where "Help"
# looks for it.
install(TARGETS tallyhour-zide kbdwatch RUNTIME DESTINATION . COMPONENT program
        ARCHIVE DESTINATION lib COMPONENT devel EXCLUDE_FROM_ALL)
if(TARGET tallyhour-windows)
    install(TARGETS tallyhour-windows RUNTIME DESTINATION . COMPONENT program)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/help/ DESTINATION help COMPONENT program)

include(${PROJECT_SOURCE_DIR}/packaging/windows/package.cmake)
