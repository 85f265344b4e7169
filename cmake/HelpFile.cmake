# The help file F1 opens, beside the executable; copied again whenever it changes.
configure_file("${CMAKE_SOURCE_DIR}/data/faq.fil" "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/faq.fil" COPYONLY)
