# cmake --install <build> --prefix <prefix>, and the Debian package (cmake/Package.cmake), which
# installs the same into /usr:
#   bin/cv                              the program
#   share/corvane-net/                  the copies a user's application folder starts from: the
#                                       empty cv.mdb, the help file faq.fil, the demo network
#   share/man/man1/cv.1.gz              the manual pages of cv and of netware.conf
#   share/man/man5/netware.conf.5.gz
#   share/applications/, share/icons/   the desktop launcher and the icon in every size
#   lib/systemd/user/                   the scan service and its daily timer for a user, not enabled
#   lib/systemd/system/                 the same for the system, run as the account corvane-net,
#                                       not enabled
#   /etc/corvane-net/service/           the system service's netware.conf (<prefix>/etc/... outside
#                                       /usr); the package's postinst makes the account and
#                                       /var/lib/corvane-net, which links to it
# The program's folder holds no cv.mdb, so every user gets an application folder of their own
# ($XDG_DATA_HOME/corvane-net) at the first start; the installed copies are never written.
include(GNUInstallDirs)
set(CV_INSTALLED_COPIES_DIR "${CMAKE_INSTALL_DATADIR}/corvane-net")

install(TARGETS cv RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${CMAKE_SOURCE_DIR}/data/faq.fil" "${CV_DATABASE_FILE}" DESTINATION "${CV_INSTALLED_COPIES_DIR}")
# The metadata templates of the demo are read and dated by "cv --demo" in the user's copy.
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/demo" DESTINATION "${CV_INSTALLED_COPIES_DIR}")

# The manual pages, compressed as Debian wants them; -n keeps the package the same from build to
# build.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(CV_MAN_PAGES_GZ)
foreach(page cv.1 netware.conf.5)
    set(compressed "${CMAKE_BINARY_DIR}/data/${page}.gz")
    add_custom_command(
        OUTPUT "${compressed}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/data"
        COMMAND sh -c "${GZIP_PROGRAM} -9nc '${CMAKE_SOURCE_DIR}/data/${page}' > '${compressed}'"
        DEPENDS "${CMAKE_SOURCE_DIR}/data/${page}"
        COMMENT "Compressing the manual page ${page}"
        VERBATIM)
    string(REGEX MATCH "[0-9]$" section "${page}")
    install(FILES "${compressed}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man${section}")
    list(APPEND CV_MAN_PAGES_GZ "${compressed}")
endforeach()
add_custom_target(cv_man_pages ALL DEPENDS ${CV_MAN_PAGES_GZ})

foreach(size 16 32 48 64 128 256)
    install(FILES "${CMAKE_SOURCE_DIR}/data/icons/corvane-net-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME corvane-net.png)
endforeach()
install(FILES "${CMAKE_SOURCE_DIR}/data/icons/corvane-net.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

# The launcher and the scan service name the program by its installed path, which the prefix given
# at install time decides (cpack gives /usr), so they are written then. The launcher names the
# icon by its path too: outside the standard prefixes no desktop would find it by name.
install(CODE "set(CV_DATA_SOURCE \"${CMAKE_SOURCE_DIR}/data\")
              set(CV_STAGE \"${CMAKE_CURRENT_BINARY_DIR}/installed-entries\")
              set(CV_BINDIR \"${CMAKE_INSTALL_BINDIR}\")")
install(CODE [[
    # cv_install_rewritten(<file of data/> <destination> <pattern> <replacement> ...)
    function(cv_install_rewritten source destination)
        file(READ "${CV_DATA_SOURCE}/${source}" text)
        set(rules ${ARGN})
        while(rules)
            list(POP_FRONT rules pattern replacement)
            string(REGEX REPLACE "${pattern}" "${replacement}" text "${text}")
        endwhile()
        get_filename_component(name "${source}" NAME)
        file(WRITE "${CV_STAGE}/${name}" "${text}")
        file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${destination}" TYPE FILE FILES "${CV_STAGE}/${name}")
    endfunction()
    set(program "${CMAKE_INSTALL_PREFIX}/${CV_BINDIR}/cv")
    if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
        cv_install_rewritten(corvane-net.desktop share/applications)
    else()
        cv_install_rewritten(corvane-net.desktop share/applications
            "\nExec=[^\n]*" "\nExec=\"${program}\""
            "\nIcon=[^\n]*" "\nIcon=${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/256x256/apps/corvane-net.png")
    endif()
    cv_install_rewritten(systemd/corvane-net-scan.service lib/systemd/user
        "\nExecStart=[^ ]*" "\nExecStart=\"${program}\"")
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/user" TYPE FILE
         FILES "${CV_DATA_SOURCE}/systemd/corvane-net-scan.timer")
    cv_install_rewritten(systemd/system/corvane-net-scan.service lib/systemd/system
        "\nExecStart=[^ ]*" "\nExecStart=\"${program}\"")
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system" TYPE FILE
         FILES "${CV_DATA_SOURCE}/systemd/system/corvane-net-scan.timer")
    # The configuration lies in /etc for the prefix /usr, as the file system hierarchy has it.
    if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
        set(configuration "/etc/corvane-net/service")
    else()
        set(configuration "${CMAKE_INSTALL_PREFIX}/etc/corvane-net/service")
    endif()
    file(INSTALL DESTINATION "${configuration}" TYPE FILE FILES "${CV_DATA_SOURCE}/systemd/system/netware.conf")
]])
