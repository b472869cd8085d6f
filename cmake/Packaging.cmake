# Installing and packaging: `cmake --install build --prefix P` puts the three
# programs in P/bin and everything else under P/share (data/CMakeLists.txt);
# `cpack -G DEB` in the build folder makes the Debian package of the same.

# Every folder the install makes is rwxr-xr-x whatever the umask of the
# person building: the package's folders belong to root and are read by all.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS kqm52 kqm52ctl mx5x-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# One version, project()'s, for the About box and the package.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kqm52)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Morvek Motion Control B.V.")
set(CPACK_PACKAGE_CONTACT "Morvek Motion Control B.V. <support@morvek.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for MX5x cam and position controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "Morvek Software Tool (KQM52) connects over RS232, or an RS485 bus of up to
32 units, to MX5x cam and position controllers: read, edit, file, print and
write back their parameters and setpoints, watch them live, show their cams,
record a value as a graph, calibrate analog inputs and outputs, and search
the bus. kqm52ctl does the same jobs from a script; mx5x-sim serves
simulated units on a pseudo-terminal (try the program with kqm52 --demo).
.
Serial ports belong to the group dialout: a user must be in it to connect
(sudo usermod -a -G dialout USER, then log in again).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.morvek.example/")
# The libraries from the programs themselves, plus what they load at run
# time: Qt's platform plugins, without which no window opens, and the SQLite
# driver the service journal is written through.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/data/linux/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
