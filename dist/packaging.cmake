# The Debian package: `cpack` in the build directory makes tarvex_<version>_<arch>.deb from
# the install rules (programs, desktop entry, icon, metainfo, man page, udev rule, samples).
# The libraries the programs link are found by dpkg-shlibdeps; what they load at run time
# is declared by hand: Qt's platform plugins, without which no window opens.

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tarvex")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Tarvex")
set(CPACK_PACKAGE_CONTACT "Tarvex developers <tarvex@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "service tool for laptop embedded controllers, panel EEPROMs and keyboards")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tarvex drives a small FTDI USB adapter to read, erase and write the firmware flash of\n"
    "laptop embedded controllers (ENE KB90xx, Microchip MEC16xx, ITE IT85xx), read and\n"
    "write the EDID EEPROM of a laptop panel, test a keyboard matrix and check the adapter.\n"
    "It holds the windowed program tarvex, the demo tarvex-demo with a software adapter,\n"
    "and tarvex-cli for scripts and SSH sessions.")
# The programs carry paths under the install prefix (the demo's samples), so the package
# installs where they were built for; udev and the desktop find their files under /usr only.
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "The Debian package wants -DCMAKE_INSTALL_PREFIX=/usr "
                 "(it is ${CMAKE_INSTALL_PREFIX}): udev would not see the rule")
endif()
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The SVG icon in Qt's own dialogs and the task bar, and Qt's Russian texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, qt6-translations-l10n")
# udev picks up the rule for adapters plugged in from now on; one already plugged in gets it
# at once.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_LIST_DIR}/debian/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
