# Installation and the Debian package.
#
# `cmake --install` lays out a tree rooted at the install prefix ("/" unless
# another is given), in the places Debian's policy gives a package, with the
# program folder in the form the start-up expects: NETDIR.INI, the alias
# file, the help and Priv/Report beside the program.
#
#   usr/lib/tallyvane/            tallyvane, netdir, tallyvane-check,
#                                 Priv/Report, links to the help pages in
#                                 usr/share/tallyvane/, and NETDIR.INI and
#                                 ALIASES.INI as links to ...
#   etc/tallyvane/                ... the two files themselves, so that the
#                                 package manager keeps what the administrator
#                                 filled in across upgrades (conffiles)
#   usr/bin/                      tallyvane and tallyvane-check, links to the
#                                 programs (each finds its folder through the
#                                 link, as the kernel reports its own path)
#   usr/share/applications/       desktop entry
#   usr/share/icons/hicolor/      icon
#   usr/share/metainfo/           the AppStream description software centres list
#   usr/share/man/man1/           manual pages of the three programs
#   usr/share/doc/tallyvane/      copyright and changelog
#   usr/share/lintian/overrides/  the informational lintian tags kept on purpose
#
# Links within usr/ are relative; the links from usr/lib to etc/ cross
# top-level folders and are absolute, as the policy wants. An unpacked copy
# of the package (dpkg -x into a scratch folder) therefore reaches the real
# /etc/tallyvane; the package test points those two links into its scratch
# root instead.
#
#   cpack --config build/<preset>/CPackConfig.cmake   builds the .deb

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR CMAKE_INSTALL_PREFIX STREQUAL "/usr/local")
  set(CMAKE_INSTALL_PREFIX "/" CACHE PATH
      "Root of the installed tree: the program goes to <prefix>/usr/lib/tallyvane" FORCE)
endif()

set(TV_INSTALL_DIR usr/lib/tallyvane)
set(TV_CONFIG_DIR etc/tallyvane)
set(TV_DATA_DIR usr/share/tallyvane)
set(TV_DOC_DIR usr/share/doc/tallyvane)
set(TV_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(TV_PACKAGING_BUILD ${CMAKE_BINARY_DIR}/packaging)
set(TV_APPSTREAM_ID org.example.tallyvane)
set(TV_SCREENSHOT_URL "https://tallyvane.example.org/screenshots/page6-call.png" CACHE STRING
    "Where the screenshot named in the AppStream description is published")
file(MAKE_DIRECTORY ${TV_PACKAGING_BUILD}/links ${TV_PACKAGING_BUILD}/gz)

# The programs. A stripped installation (cpack, or cmake --install --strip)
# also drops the compiler's notes, as Debian's own packages do.
set(TV_PROGRAMS tallyvane netdir tallyvane-check)
install(TARGETS ${TV_PROGRAMS} RUNTIME DESTINATION ${TV_INSTALL_DIR})
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program ${TV_PROGRAMS})
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TV_INSTALL_DIR}/\${program}\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

# The help pages, sub-folders kept, are data of the program: they go to
# usr/share/tallyvane, and each is reached through a link beside the program.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${TV_DATA_DIR})
file(GLOB TV_HELP_ENTRIES CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE ${CMAKE_SOURCE_DIR}/help
     ${CMAKE_SOURCE_DIR}/help/*)
file(RELATIVE_PATH TV_PROGRAM_TO_DATA /${TV_INSTALL_DIR} /${TV_DATA_DIR})
foreach(name IN LISTS TV_HELP_ENTRIES)
  file(CREATE_LINK ${TV_PROGRAM_TO_DATA}/${name} ${TV_PACKAGING_BUILD}/links/${name} SYMBOLIC)
  install(FILES ${TV_PACKAGING_BUILD}/links/${name} DESTINATION ${TV_INSTALL_DIR})
endforeach()

# NETDIR.INI and the alias file: placeholders to be filled in on first use,
# kept in etc/ and reached through links beside the program.
install(FILES ${TV_PACKAGING_DIR}/NETDIR.INI ${TV_PACKAGING_DIR}/ALIASES.INI
        DESTINATION ${TV_CONFIG_DIR})
foreach(name NETDIR.INI ALIASES.INI)
  file(CREATE_LINK /${TV_CONFIG_DIR}/${name} ${TV_PACKAGING_BUILD}/links/${name} SYMBOLIC)
  install(FILES ${TV_PACKAGING_BUILD}/links/${name} DESTINATION ${TV_INSTALL_DIR})
endforeach()

# The private folder the start-up would otherwise have to create in a folder
# that ordinary users cannot write to.
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TV_INSTALL_DIR}/Priv/Report\")")

# The two commands on the PATH.
file(RELATIVE_PATH TV_BIN_TO_PROGRAM /usr/bin /${TV_INSTALL_DIR})
foreach(name tallyvane tallyvane-check)
  file(CREATE_LINK ${TV_BIN_TO_PROGRAM}/${name} ${TV_PACKAGING_BUILD}/links/${name} SYMBOLIC)
  install(FILES ${TV_PACKAGING_BUILD}/links/${name} DESTINATION usr/bin)
endforeach()

# Desktop entry, icon and AppStream description.
install(FILES ${TV_PACKAGING_DIR}/tallyvane.desktop DESTINATION usr/share/applications)
install(FILES ${TV_PACKAGING_DIR}/tallyvane.svg DESTINATION usr/share/icons/hicolor/scalable/apps)
# Its release date is that of the changelog's latest entry.
file(STRINGS ${TV_PACKAGING_DIR}/changelog TV_CHANGELOG_SIGNATURE REGEX "^ -- " LIMIT_COUNT 1)
if(NOT TV_CHANGELOG_SIGNATURE MATCHES ">  [A-Za-z]+, ([0-9]+) ([A-Za-z]+) ([0-9]+) ")
  message(FATAL_ERROR "packaging/changelog: no date in '${TV_CHANGELOG_SIGNATURE}'")
endif()
set(TV_RELEASE_DAY ${CMAKE_MATCH_1})
set(TV_RELEASE_YEAR ${CMAKE_MATCH_3})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" TV_RELEASE_MONTH)
if(TV_RELEASE_MONTH LESS 0)
  message(FATAL_ERROR "packaging/changelog: unknown month in '${TV_CHANGELOG_SIGNATURE}'")
endif()
math(EXPR TV_RELEASE_MONTH "${TV_RELEASE_MONTH} + 1")
string(LENGTH "${TV_RELEASE_MONTH}" length)
if(length EQUAL 1)
  set(TV_RELEASE_MONTH 0${TV_RELEASE_MONTH})
endif()
string(LENGTH "${TV_RELEASE_DAY}" length)
if(length EQUAL 1)
  set(TV_RELEASE_DAY 0${TV_RELEASE_DAY})
endif()
set(TV_RELEASE_DATE ${TV_RELEASE_YEAR}-${TV_RELEASE_MONTH}-${TV_RELEASE_DAY})
configure_file(${TV_PACKAGING_DIR}/tallyvane.metainfo.xml
               ${TV_PACKAGING_BUILD}/${TV_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${TV_PACKAGING_BUILD}/${TV_APPSTREAM_ID}.metainfo.xml DESTINATION usr/share/metainfo)

# Manual pages and the changelog, compressed as the policy wants (gzip -9,
# without the name and time stamp, so that the package is reproducible).
function(tv_gzip source output)
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${output} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${source} failed")
  endif()
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
foreach(page tallyvane tallyvane-check netdir)
  configure_file(${TV_PACKAGING_DIR}/man/${page}.1 ${TV_PACKAGING_BUILD}/${page}.1 @ONLY)
  tv_gzip(${TV_PACKAGING_BUILD}/${page}.1 ${TV_PACKAGING_BUILD}/gz/${page}.1.gz)
  install(FILES ${TV_PACKAGING_BUILD}/gz/${page}.1.gz DESTINATION usr/share/man/man1)
endforeach()
tv_gzip(${TV_PACKAGING_DIR}/changelog ${TV_PACKAGING_BUILD}/gz/changelog.gz)
install(FILES ${TV_PACKAGING_BUILD}/gz/changelog.gz ${TV_PACKAGING_DIR}/copyright
        DESTINATION ${TV_DOC_DIR})
# The informational lintian tags the package keeps on purpose, each with
# its reason.
install(FILES ${TV_PACKAGING_DIR}/lintian-overrides DESTINATION usr/share/lintian/overrides
        RENAME tallyvane)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallyvane)
set(CPACK_PACKAGE_VENDOR "Tallyvane Software Works")
set(CPACK_PACKAGE_CONTACT "Tallyvane Pro developers <tallyvane@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wizard for designing the contact manager's custom reports")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tallyvane Pro reads the contact manager's shared Paradox tables to learn
which contact and event fields exist, lets the user pick, order and lay out
the fields in columns and print lines, and saves the result as a report file
in the data folder, where the contact manager picks it up.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# A program that works on the tables of a database.
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link (Qt Widgets, Gui, Core and what
# they need) are found by dpkg-shlibdeps. What they load at run time is named
# here: the platform plugins (the window system) and a font.
find_program(TV_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TV_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libstdc++6, libc6, qt6-qpa-plugins, fonts-dejavu-core")
endif()
file(WRITE ${TV_PACKAGING_BUILD}/conffiles
     "/${TV_CONFIG_DIR}/NETDIR.INI\n/${TV_CONFIG_DIR}/ALIASES.INI\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TV_PACKAGING_BUILD}/conffiles ${TV_PACKAGING_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The package tests, each on a package of its own built from this tree:
#   packaging.debpackage  control data, layout, and the unpacked program
#                         started up to its wizard window
#   packaging.lint        lintian, desktop-file-validate, appstreamcli
#   packaging.dpkgroot    install, upgrade and purge in a scratch dpkg root
if(TV_BUILD_TESTS)
  foreach(check debpackage lint dpkgroot)
    add_test(NAME packaging.${check}
             COMMAND ${CMAKE_COMMAND}
                     -DTV_BINARY_DIR=${CMAKE_BINARY_DIR}
                     -DTV_SOURCE_DIR=${CMAKE_SOURCE_DIR}
                     -DTV_WORK_DIR=${CMAKE_BINARY_DIR}/packaging-test/${check}
                     -DTV_PACKAGE_NAME=${CPACK_PACKAGE_NAME}
                     -DTV_PACKAGE_VERSION=${CPACK_PACKAGE_VERSION}
                     -DTV_APPSTREAM_ID=${TV_APPSTREAM_ID}
                     -DTV_BUILD_TYPE=${CMAKE_BUILD_TYPE}
                     -DTV_SANITIZE=${TV_SANITIZE}
                     -P ${CMAKE_SOURCE_DIR}/tests/packaging/${check}.cmake)
    set_tests_properties(packaging.${check} PROPERTIES
      TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
  endforeach()
endif()
