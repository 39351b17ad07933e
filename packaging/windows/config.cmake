# Read by CPack once per generator: the portable ZIP holds the `portable`
# marker beside the program, so that its data stay in its own folder; the
# installed copy goes without (its data go to the user's folder).
if(CPACK_GENERATOR STREQUAL "ZIP")
    set(CPACK_COMPONENTS_ALL program portable)
else()
    set(CPACK_COMPONENTS_ALL program)
endif()
