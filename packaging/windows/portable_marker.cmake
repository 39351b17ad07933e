# Run by CPack after it staged the files, once per generator: the portable
# ZIP gets the `portable` marker beside the program, so that its data stay in
# its own folder; the installer's copy goes without.
if(CPACK_GENERATOR STREQUAL "ZIP")
    file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*tallyhour-zide.exe")
    foreach(program ${programs})
        get_filename_component(folder ${program} DIRECTORY)
        file(TOUCH ${folder}/portable)
    endforeach()
endif()
