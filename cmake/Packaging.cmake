# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: everything `cmake --install` lays down, under /usr. Made by
# `cpack -G DEB` in the build folder (scripts/package.sh builds, packages and checks it).
set(CPACK_PACKAGE_NAME wr7310)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The WR7310 software developers")
set(CPACK_PACKAGE_CONTACT "The WR7310 software developers <wr7310@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programming software for WR7310 UHF handheld radios")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads, edits, saves and writes back the configuration memory of WR7310
UHF handheld radios over a serial programming cable. WR7310SXtra programs
the newer radio and WR7310S the older one; wr7310 is a command-line tool
for the same work and wr7310-radiosim a simulated radio on a
pseudo-terminal. A udev rule lets the logged-in user open USB programming
cables without joining a group.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # wr7310_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${WR7310_REPOSITORY_URL})
# Depends: computed from the shared libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
# The scripts reload the udev rules and update the MIME and desktop databases after
# installing and after removing.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/dist/debian/postinst
                                       ${CMAKE_CURRENT_SOURCE_DIR}/dist/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
