# What `make install` and the Debian package (CPack) put where: the programs, the kiosk session,
# the documentation. The pictures are compiled into the programs.
include(GNUInstallDirs)

set(SE_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(SE_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/se-terminal)
set(SE_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/se-terminal)

# The terminal writes its error log next to the program. The program lives in its own folder
# with a link from /usr/bin, and its log there is a link into /var/log, where the kiosk user may
# write. The demo lives there too, beside the virtual keypad it starts.
set(SE_PACKAGE_LINKS ${CMAKE_BINARY_DIR}/package-links)
file(MAKE_DIRECTORY ${SE_PACKAGE_LINKS}/bin ${SE_PACKAGE_LINKS}/libexec)
foreach(program se-terminal se-demo)
  file(CREATE_LINK ../libexec/se-terminal/${program} ${SE_PACKAGE_LINKS}/bin/${program} SYMBOLIC)
  install(FILES ${SE_PACKAGE_LINKS}/bin/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
file(CREATE_LINK /var/log/se-terminal/se-terminal.log
     ${SE_PACKAGE_LINKS}/libexec/se-terminal.log SYMBOLIC)

install(TARGETS se-terminal se-demo se-virtual-keypad RUNTIME DESTINATION ${SE_LIBEXEC_DIR})
install(FILES ${SE_PACKAGE_LINKS}/libexec/se-terminal.log DESTINATION ${SE_LIBEXEC_DIR})
install(TARGETS se-make-demo-data RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${SE_PACKAGING_DIR}/se-kiosk-session DESTINATION ${SE_LIBEXEC_DIR})
install(FILES ${SE_PACKAGING_DIR}/se-kiosk.service DESTINATION /lib/systemd/system)
install(FILES ${SE_PACKAGING_DIR}/se-kiosk.pam DESTINATION /etc/pam.d RENAME se-kiosk)
install(FILES ${SE_PACKAGING_DIR}/se-kiosk.default DESTINATION /etc/default RENAME se-kiosk)
install(FILES ${SE_PACKAGING_DIR}/se-kiosk-xorg.conf
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/X11/xorg.conf.d
        RENAME 50-se-kiosk.conf)
install(FILES ${SE_PACKAGING_DIR}/se-terminal.logrotate DESTINATION /etc/logrotate.d
        RENAME se-terminal)
install(FILES ${SE_PACKAGING_DIR}/se-terminal.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${SE_PACKAGING_DIR}/copyright DESTINATION ${SE_DOC_DIR})
install(FILES ${SE_PACKAGING_DIR}/Palendra.udl ${SE_PACKAGING_DIR}/Quorvel.udl
        DESTINATION ${SE_DOC_DIR}/examples)

# Manual pages and the changelog go compressed, without a time stamp, as Debian wants them.
set(SE_COMPRESSED_DOCS)
foreach(doc se-terminal.1 se-demo.1 se-make-demo-data.1 changelog)
  set(compressed ${CMAKE_BINARY_DIR}/package-docs/${doc}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package-docs
    COMMAND gzip -9nc ${SE_PACKAGING_DIR}/${doc} > ${compressed}
    DEPENDS ${SE_PACKAGING_DIR}/${doc}
    VERBATIM)
  list(APPEND SE_COMPRESSED_DOCS ${compressed})
endforeach()
add_custom_target(se_package_docs ALL DEPENDS ${SE_COMPRESSED_DOCS})
list(FILTER SE_COMPRESSED_DOCS INCLUDE REGEX "\\.1\\.gz$")
install(FILES ${SE_COMPRESSED_DOCS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/package-docs/changelog.gz DESTINATION ${SE_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME se-terminal)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-service exercise terminal for fitness gyms")
set(CPACK_PACKAGE_DESCRIPTION
    "Members of a gym type their enrolment number on the terminal's keyboard or
serial keypad and get their latest workout printed as a receipt ticket or
shown on screen with each exercise's video. The terminal reads the gym's
training and member databases (SQL Server through FreeTDS, any ODBC
database, or SQLite) and never writes to them.

The package holds the terminal, its demo programs, sample data-link files,
and an optional kiosk session (se-kiosk.service, shipped disabled) that runs
the terminal full screen as an unprivileged user.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Exercise terminal developers <maintainers@users.noreply.c-seed-1c66ecab.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link come from dpkg-shlibdeps (Qt's X11 platform and JPEG plug-ins
# with libqt6gui6, its GStreamer media plug-in with libqt6multimedia6 once the video window links
# it); the drivers and plug-ins loaded at run time are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "adduser, init-system-helpers (>= 1.52), libqt6sql6-odbc, libqt6sql6-sqlite, tdsodbc, odbc-postgresql, libsqliteodbc, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, fonts-dejavu-core")
# The kiosk session's X server and window manager.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xserver-xorg, xinit, matchbox-window-manager, libpam-systemd, logrotate")
# The demo makes its exercise clips with ffmpeg; without it the demo runs with no videos.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${SE_PACKAGING_DIR}/postinst ${SE_PACKAGING_DIR}/prerm ${SE_PACKAGING_DIR}/postrm
    ${SE_PACKAGING_DIR}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
