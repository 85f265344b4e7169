# The empty cv.mdb beside the executable, written from data/cv-schema.sql by the sqlite3
# command-line shell; rebuilt whenever the schema changes. The program never creates tables.
find_program(SQLITE3_PROGRAM sqlite3 REQUIRED)

set(CV_SCHEMA_FILE "${CMAKE_SOURCE_DIR}/data/cv-schema.sql")
set(CV_DATABASE_FILE "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/cv.mdb")

add_custom_command(
    OUTPUT "${CV_DATABASE_FILE}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
    COMMAND ${CMAKE_COMMAND} -E rm -f "${CV_DATABASE_FILE}.new"
    COMMAND ${SQLITE3_PROGRAM} -bail "${CV_DATABASE_FILE}.new" ".read '${CV_SCHEMA_FILE}'"
    COMMAND ${CMAKE_COMMAND} -E rename "${CV_DATABASE_FILE}.new" "${CV_DATABASE_FILE}"
    DEPENDS "${CV_SCHEMA_FILE}"
    COMMENT "Writing the empty cv.mdb"
    VERBATIM)
add_custom_target(cv_database ALL DEPENDS "${CV_DATABASE_FILE}")
