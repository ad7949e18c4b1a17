# Installation and the Debian package.
#
# `cmake --install` lays out a tree rooted at the install prefix ("/" unless
# another is given), with the program folder in the form the start-up
# expects: NETDIR.INI, the alias file, the help and Priv/Report beside the
# program.
#
#   opt/tallyvane/                tallyvane, netdir, tallyvane-check, the help
#                                 pages, the icon, Priv/Report, and
#                                 NETDIR.INI and ALIASES.INI as links to ...
#   etc/tallyvane/                ... the two files themselves, so that the
#                                 package manager keeps what the administrator
#                                 filled in across upgrades (conffiles)
#   usr/bin/tallyvane             launcher on the PATH
#   usr/share/applications/       desktop entry
#   usr/share/icons/hicolor/      icon
#
# Every link is relative, so an unpacked copy of the package (dpkg -x into a
# scratch folder) is a working installation of its own; the package test
# relies on this.
#
#   cpack --config build/<preset>/CPackConfig.cmake   builds the .deb

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR CMAKE_INSTALL_PREFIX STREQUAL "/usr/local")
  set(CMAKE_INSTALL_PREFIX "/" CACHE PATH
      "Root of the installed tree: the program goes to <prefix>/opt/tallyvane" FORCE)
endif()

set(TV_INSTALL_DIR opt/tallyvane)
set(TV_CONFIG_DIR etc/tallyvane)
set(TV_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(TV_PACKAGING_BUILD ${CMAKE_BINARY_DIR}/packaging)

# The programs.
install(TARGETS tallyvane netdir RUNTIME DESTINATION ${TV_INSTALL_DIR})
if(TARGET tallyvane-check)
  install(TARGETS tallyvane-check RUNTIME DESTINATION ${TV_INSTALL_DIR})
endif()

# The help pages beside the program, sub-folders kept.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${TV_INSTALL_DIR})

# NETDIR.INI and the alias file: placeholders to be filled in on first use,
# kept in etc/ and reached through links beside the program.
install(FILES ${TV_PACKAGING_DIR}/NETDIR.INI ${TV_PACKAGING_DIR}/ALIASES.INI
        DESTINATION ${TV_CONFIG_DIR})
file(RELATIVE_PATH TV_PROGRAM_TO_CONFIG /${TV_INSTALL_DIR} /${TV_CONFIG_DIR})
file(MAKE_DIRECTORY ${TV_PACKAGING_BUILD}/links)
foreach(name NETDIR.INI ALIASES.INI)
  file(CREATE_LINK ${TV_PROGRAM_TO_CONFIG}/${name} ${TV_PACKAGING_BUILD}/links/${name} SYMBOLIC)
  install(FILES ${TV_PACKAGING_BUILD}/links/${name} DESTINATION ${TV_INSTALL_DIR})
endforeach()

# The private folder the start-up would otherwise have to create in a folder
# that ordinary users cannot write to.
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TV_INSTALL_DIR}/Priv/Report\")")

# Launcher, desktop entry and icon.
file(RELATIVE_PATH TV_LAUNCHER_TO_PROGRAM /usr/bin /${TV_INSTALL_DIR})
configure_file(${TV_PACKAGING_DIR}/tallyvane.in ${TV_PACKAGING_BUILD}/tallyvane @ONLY)
install(PROGRAMS ${TV_PACKAGING_BUILD}/tallyvane DESTINATION usr/bin)
install(FILES ${TV_PACKAGING_DIR}/tallyvane.desktop DESTINATION usr/share/applications)
install(FILES ${TV_PACKAGING_DIR}/tallyvane.svg DESTINATION usr/share/icons/hicolor/scalable/apps)
install(FILES ${TV_PACKAGING_DIR}/tallyvane.svg DESTINATION ${TV_INSTALL_DIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallyvane)
set(CPACK_PACKAGE_VENDOR "Tallyvane Pro developers")
set(CPACK_PACKAGE_CONTACT "Tallyvane Pro developers <tallyvane@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Wizard for designing the contact manager's custom reports")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tallyvane Pro reads the contact manager's shared Paradox tables to learn
which contact and event fields exist, lets the user pick, order and lay out
the fields in columns and print lines, and saves the result as a report file
in the data folder, where the contact manager picks it up.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION office)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link (Qt Widgets, Gui, Core and what
# they need) are found by dpkg-shlibdeps. What they load at run time is named
# here: the platform plugins (the window system), a font, and xdg-open for
# the help.
find_program(TV_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TV_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libstdc++6, libc6, qt6-qpa-plugins, fonts-dejavu-core")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
file(WRITE ${TV_PACKAGING_BUILD}/conffiles
     "/${TV_CONFIG_DIR}/NETDIR.INI\n/${TV_CONFIG_DIR}/ALIASES.INI\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TV_PACKAGING_BUILD}/conffiles)
include(CPack)

# The package test: builds the package, unpacks it into a scratch root and
# starts the unpacked program up to its wizard window.
if(TV_BUILD_TESTS)
  add_test(NAME packaging.debpackage
           COMMAND ${CMAKE_COMMAND}
                   -DTV_BINARY_DIR=${CMAKE_BINARY_DIR}
                   -DTV_WORK_DIR=${CMAKE_BINARY_DIR}/packaging-test
                   -DTV_PACKAGE_NAME=${CPACK_PACKAGE_NAME}
                   -P ${CMAKE_SOURCE_DIR}/tests/packaging/debpackage.cmake)
  set_tests_properties(packaging.debpackage PROPERTIES
    TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
endif()
