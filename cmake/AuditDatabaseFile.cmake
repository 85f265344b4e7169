# The empty audit database, written from data/cv-schema.sql by the sqlite3 command-line shell.
# The pristine copy lives in <build>/data/cv.mdb: tests, benchmarks and the install take it from
# there, so a scan into the working copy beside cv never leaks into them. The working copy
# bin/cv.mdb is only created when it is missing: a schema change must never write over the rows a
# user has recorded. The program itself never creates tables.
find_program(SQLITE3_PROGRAM sqlite3 REQUIRED)

set(CV_SCHEMA_FILE "${CMAKE_SOURCE_DIR}/data/cv-schema.sql")
set(CV_DATABASE_FILE "${CMAKE_BINARY_DIR}/data/cv.mdb")
set(CV_WORKING_DATABASE_FILE "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/cv.mdb")

add_custom_command(
    OUTPUT "${CV_DATABASE_FILE}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/data"
    COMMAND ${CMAKE_COMMAND} -E rm -f "${CV_DATABASE_FILE}.new"
    COMMAND ${SQLITE3_PROGRAM} -bail "${CV_DATABASE_FILE}.new" ".read '${CV_SCHEMA_FILE}'"
    COMMAND ${CMAKE_COMMAND} -E rename "${CV_DATABASE_FILE}.new" "${CV_DATABASE_FILE}"
    DEPENDS "${CV_SCHEMA_FILE}"
    COMMENT "Writing the empty cv.mdb"
    VERBATIM)
add_custom_target(cv_database ALL
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CV_DATABASE_FILE} -DTARGET=${CV_WORKING_DATABASE_FILE}
            -P "${CMAKE_SOURCE_DIR}/cmake/CopyIfMissing.cmake"
    DEPENDS "${CV_DATABASE_FILE}"
    VERBATIM)
