# cmake -DSOURCE=<file> -DTARGET=<file> -P CopyIfMissing.cmake: copies only when TARGET does not exist.
if(NOT EXISTS "${TARGET}")
    get_filename_component(target_folder "${TARGET}" DIRECTORY)
    file(MAKE_DIRECTORY "${target_folder}")
    file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
