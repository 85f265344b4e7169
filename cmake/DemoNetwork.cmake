# The demo NetWare network (data/demo: netware.conf, its volumes and their metadata templates)
# beside the executable in bin/demo, copied again whenever a file of it changes.
file(GLOB_RECURSE CV_DEMO_FILES CONFIGURE_DEPENDS LIST_DIRECTORIES false "${CMAKE_SOURCE_DIR}/data/demo/*")
set(CV_DEMO_STAMP "${CMAKE_CURRENT_BINARY_DIR}/demo-network.stamp")

add_custom_command(
    OUTPUT "${CV_DEMO_STAMP}"
    COMMAND ${CMAKE_COMMAND} -E copy_directory "${CMAKE_SOURCE_DIR}/data/demo" "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/demo"
    COMMAND ${CMAKE_COMMAND} -E touch "${CV_DEMO_STAMP}"
    DEPENDS ${CV_DEMO_FILES}
    COMMENT "Copying the demo network beside cv"
    VERBATIM)
add_custom_target(cv_demo_network ALL DEPENDS "${CV_DEMO_STAMP}")
