# cmake --install <build> --prefix <folder>: the application folder is the executable's folder, so
# bin/ receives cv with its empty cv.mdb, the help file and the demo network; share/ receives the
# desktop launcher and the icon in every size the program ships.
install(TARGETS cv RUNTIME DESTINATION bin)
install(FILES "${CMAKE_SOURCE_DIR}/data/faq.fil" DESTINATION bin)
# A reinstall or upgrade must keep the rows already recorded: the empty cv.mdb is installed only
# where none exists yet.
install(CODE "set(CV_DATABASE_TEMPLATE \"${CV_DATABASE_FILE}\")")
install(CODE [[
    set(installed_database "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/cv.mdb")
    if(EXISTS "${installed_database}")
        message(STATUS "Keeping: ${installed_database}")
    else()
        message(STATUS "Installing: ${installed_database}")
        file(COPY_FILE "${CV_DATABASE_TEMPLATE}" "${installed_database}")
    endif()
]])
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/demo" DESTINATION bin)

foreach(size 16 32 48 64 128 256)
    install(FILES "${CMAKE_SOURCE_DIR}/data/icons/corvane-net-${size}.png"
            DESTINATION "share/icons/hicolor/${size}x${size}/apps" RENAME corvane-net.png)
endforeach()
install(FILES "${CMAKE_SOURCE_DIR}/data/icons/corvane-net.svg" DESTINATION share/icons/hicolor/scalable/apps)

# The launcher names the program and its icon by their installed paths, which the prefix given to
# "cmake --install" decides, so it is written at install time. Outside the standard prefixes no
# desktop would find cv or the icon by name.
install(CODE "set(CV_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/data/corvane-net.desktop\")
              set(CV_DESKTOP_STAGE \"${CMAKE_CURRENT_BINARY_DIR}/desktop-entry/corvane-net.desktop\")")
install(CODE [[
    file(READ "${CV_DESKTOP_TEMPLATE}" entry)
    string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=\"${CMAKE_INSTALL_PREFIX}/bin/cv\"" entry "${entry}")
    string(REGEX REPLACE "\nIcon=[^\n]*"
           "\nIcon=${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/256x256/apps/corvane-net.png" entry "${entry}")
    file(WRITE "${CV_DESKTOP_STAGE}" "${entry}")
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE FILES "${CV_DESKTOP_STAGE}")
]])
