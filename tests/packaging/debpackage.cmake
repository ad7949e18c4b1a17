# The Debian package, end to end: build it with CPack, check its control
# data and layout, unpack it into a scratch root (dpkg-deb -x, nothing is
# installed on this machine), fill in NETDIR.INI and the alias file there as
# an administrator would, and start the unpacked program through the command
# on the PATH, offscreen, up to the wizard window.

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
build_package()

# 1. Its dependencies are the Debian packages of the libraries the programs
#    link and load, and nothing else: no browser, no desktop helpers.
run(dpkg-deb --field ${DEB} Depends)
set(depends "${RUN_OUTPUT}")
message(STATUS "Depends: ${depends}")
string(REGEX REPLACE "[ \n]*\\([^)]*\\)" "" depend_names "${depends}")
string(REGEX REPLACE "[ \n]*[,|][ \n]*" ";" depend_names "${depend_names}")
string(STRIP "${depend_names}" depend_names)
foreach(pkg libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 qt6-qpa-plugins
            fonts-dejavu-core)
  if(NOT pkg IN_LIST depend_names)
    fail("the package does not depend on ${pkg}")
  endif()
endforeach()
set(linked "libc6|libgcc-s1|libstdc\\+\\+6|libqt6(core|gui|widgets|printsupport)6|qt6-qpa-plugins|fonts-dejavu-core")
if(TV_SANITIZE)
  # A sanitizer build links the sanitizers' run-time libraries as well, and
  # keeps the OpenGL libraries that Qt Gui names, which the other builds
  # drop as unneeded.
  string(APPEND linked "|libasan[0-9]+|libubsan[0-9]+|libglx0|libopengl0")
endif()
foreach(pkg IN LISTS depend_names)
  expect_match("${pkg}" "^(${linked})$"
               "the package depends on ${pkg}, which the programs neither link nor load")
endforeach()
run(dpkg-deb --field ${DEB} Recommends Suggests Enhances Pre-Depends)
if(NOT RUN_OUTPUT STREQUAL "")
  fail("the package should recommend nothing: ${RUN_OUTPUT}")
endif()
run(dpkg-deb --field ${DEB} Package Version Section)
expect_match("${RUN_OUTPUT}" "Package: ${TV_PACKAGE_NAME}\n" "wrong package name: ${RUN_OUTPUT}")
expect_match("${RUN_OUTPUT}" "Version: ${TV_PACKAGE_VERSION}\n" "wrong version: ${RUN_OUTPUT}")

# 2. The two set-up files are conffiles, so an upgrade keeps what was filled
#    in, and the package has a script that removes them on a purge.
run(dpkg-deb --control ${DEB} ${TV_WORK_DIR}/control)
file(READ ${TV_WORK_DIR}/control/conffiles conffiles)
foreach(name NETDIR.INI ALIASES.INI)
  expect_match("${conffiles}" "(^|\n)/etc/tallyvane/${name}\n" "${name} is not a conffile")
endforeach()
if(NOT EXISTS ${TV_WORK_DIR}/control/postrm)
  fail("the package has no postrm script")
endif()

# 3. Unpack and look at the layout.
set(root ${TV_WORK_DIR}/root)
run(dpkg-deb -x ${DEB} ${root})
set(prog ${root}/usr/lib/tallyvane)
set(share ${root}/usr/share)
foreach(f ${prog}/tallyvane ${prog}/netdir ${prog}/tallyvane-check ${prog}/creport.html
          ${root}/etc/tallyvane/NETDIR.INI ${root}/etc/tallyvane/ALIASES.INI
          ${share}/applications/tallyvane.desktop
          ${share}/icons/hicolor/scalable/apps/tallyvane.svg
          ${share}/metainfo/${TV_APPSTREAM_ID}.metainfo.xml
          ${share}/doc/tallyvane/copyright ${share}/doc/tallyvane/changelog.gz
          ${share}/man/man1/tallyvane.1.gz ${share}/man/man1/tallyvane-check.1.gz
          ${share}/man/man1/netdir.1.gz)
  if(NOT EXISTS "${f}")
    fail("missing from the package: ${f}")
  endif()
endforeach()
if(NOT IS_DIRECTORY "${prog}/Priv/Report")
  fail("the private folder Priv/Report is missing")
endif()
file(GLOB stray ${root}/opt ${root}/usr/local)
if(stray)
  fail("the package installs outside the policy's places: ${stray}")
endif()
foreach(f ${prog}/tallyvane ${prog}/netdir ${prog}/tallyvane-check)
  file(READ ${f} head LIMIT 4 HEX)
  if(NOT head STREQUAL "7f454c46")
    fail("${f} is not a program")
  endif()
endforeach()

# The links: the set-up files beside the program point into /etc, across
# top-level folders, so absolutely; the commands on the PATH point into
# usr/lib, relatively.
foreach(name NETDIR.INI ALIASES.INI)
  file(READ_SYMLINK ${prog}/${name} target)
  if(NOT target STREQUAL "/etc/tallyvane/${name}")
    fail("${name} beside the program should link to /etc/tallyvane/${name}, not '${target}'")
  endif()
endforeach()
foreach(name tallyvane tallyvane-check)
  file(READ_SYMLINK ${root}/usr/bin/${name} target)
  if(NOT target STREQUAL "../lib/tallyvane/${name}")
    fail("/usr/bin/${name} should link to ../lib/tallyvane/${name}, not '${target}'")
  endif()
endforeach()

# The placeholders: the network control folder not set up ("xx"), and the
# alias VESKA with the Paradox driver and a PATH= line to fill in.
file(STRINGS ${root}/etc/tallyvane/NETDIR.INI netdir_lines REGEX "^NetDir=")
expect_match("${netdir_lines}" "^NetDir=xx\r?$"
             "NETDIR.INI should ship with NetDir=xx, not ${netdir_lines}")
file(READ ${root}/etc/tallyvane/ALIASES.INI aliases)
expect_match("${aliases}" "\\[VESKA\\]\r?\nDEFAULT DRIVER=PARADOX\r?\nPATH=\r?\n"
             "ALIASES.INI should hold [VESKA], DEFAULT DRIVER=PARADOX and an empty PATH=")

# The desktop entry starts the command and names the icon.
file(READ ${share}/applications/tallyvane.desktop desktop)
if(NOT desktop MATCHES "\nExec=tallyvane\n" OR NOT desktop MATCHES "\nIcon=tallyvane\n")
  fail("the desktop entry should run tallyvane with the icon tallyvane")
endif()

# 4. In the scratch root, the two links resolve where they would on an
#    installed system: into the root's own etc/tallyvane.
foreach(name NETDIR.INI ALIASES.INI)
  file(REMOVE ${prog}/${name})
  file(CREATE_LINK ${root}/etc/tallyvane/${name} ${prog}/${name} SYMBOLIC)
endforeach()

# Fill in the two files as an administrator would (through the links beside
# the program), with a data folder holding the sample tables.
set(data ${TV_WORK_DIR}/Data)
file(MAKE_DIRECTORY ${data} ${TV_WORK_DIR}/NetCtl)
foreach(t CONTACT.DB CONTACT.MB EVENT.DB EVENT.MB DATABASE.DB)
  if(EXISTS ${TV_BINARY_DIR}/bin/SampleData/${t})
    file(COPY ${TV_BINARY_DIR}/bin/SampleData/${t} DESTINATION ${data})
  endif()
endforeach()
file(WRITE ${prog}/NETDIR.INI "[Options]\r\nNetDir=${TV_WORK_DIR}/NetCtl\r\n")
file(WRITE ${prog}/ALIASES.INI "[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=${data}\r\n")
file(READ ${root}/etc/tallyvane/NETDIR.INI written)
expect_match("${written}" "NetDir=${TV_WORK_DIR}/NetCtl"
             "writing NETDIR.INI beside the program did not reach etc/tallyvane")

# 5. Start the unpacked program through the command on the PATH, offscreen.
#    With TV_QUIT_WHEN_SHOWN it prints "shown" once the wizard has been
#    painted, then quits.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen TV_QUIT_WHEN_SHOWN=1
          ${root}/usr/bin/tallyvane
  WORKING_DIRECTORY ${TV_WORK_DIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
message(STATUS "program: exit ${rc}\n${out}${err}")
if(NOT rc EQUAL 0)
  fail("the unpacked program did not end normally (exit ${rc})")
endif()
expect_match("${out}" "(^|\n)shown\n" "the wizard window was not shown")
# It worked on the data folder named by the alias, not on the current folder.
if(NOT EXISTS "${data}/CRDATA.DB" OR EXISTS "${TV_WORK_DIR}/CRDATA.DB")
  fail("the working table was not created in the alias's data folder")
endif()

# The checker on the PATH finds the same alias through its link.
execute_process(COMMAND ${root}/usr/bin/tallyvane-check --fields
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(NOT rc EQUAL 0 OR NOT out MATCHES "CONTACT")
  fail("tallyvane-check --fields on the unpacked package failed (exit ${rc}):\n${out}${err}")
endif()

finish("the package installs and starts")
