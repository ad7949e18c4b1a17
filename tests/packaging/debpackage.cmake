# The Debian package, end to end: build it with CPack, check its control
# data, unpack it into a scratch root (dpkg-deb -x, nothing is installed on
# this machine), fill in NETDIR.INI and the alias file there as an
# administrator would, and start the unpacked program through its launcher,
# offscreen, up to the wizard window.
#
# Run by CTest as packaging.debpackage with
#   -DTV_BINARY_DIR=<build folder> -DTV_WORK_DIR=<scratch folder>
#   -DTV_PACKAGE_NAME=<package name>

cmake_minimum_required(VERSION 3.25)

set(failures 0)
macro(fail message)
  message(SEND_ERROR "FAIL: ${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 90)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "FAIL: ${ARGN}\nexit: ${rc}\n${out}\n${err}")
  endif()
  set(RUN_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${TV_WORK_DIR})
file(MAKE_DIRECTORY ${TV_WORK_DIR})

# 1. Build the package into the scratch folder.
run(${CMAKE_CPACK_COMMAND} -G DEB --config ${TV_BINARY_DIR}/CPackConfig.cmake
    -B ${TV_WORK_DIR}/pkg)
file(GLOB debs ${TV_WORK_DIR}/pkg/${TV_PACKAGE_NAME}_*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "FAIL: expected one package in ${TV_WORK_DIR}/pkg, found: ${debs}")
endif()
message(STATUS "package: ${debs}")

# 2. Its dependencies are the Debian packages of the libraries the programs
#    link and load.
run(dpkg-deb --field ${debs} Depends)
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
run(dpkg-deb --field ${debs} Package Architecture Section)
if(NOT RUN_OUTPUT MATCHES "Package: ${TV_PACKAGE_NAME}\n")
  fail("wrong package name: ${RUN_OUTPUT}")
endif()

# 3. The two set-up files are conffiles, so an upgrade keeps what was filled in.
run(dpkg-deb --control ${debs} ${TV_WORK_DIR}/control)
file(READ ${TV_WORK_DIR}/control/conffiles conffiles)
foreach(name NETDIR.INI ALIASES.INI)
  if(NOT conffiles MATCHES "(^|\n)/etc/tallyvane/${name}\n")
    fail("${name} is not a conffile")
  endif()
endforeach()

# 4. Unpack and look at the layout.
set(root ${TV_WORK_DIR}/root)
run(dpkg-deb -x ${debs} ${root})
set(prog ${root}/opt/tallyvane)
set(expected
    ${prog}/tallyvane ${prog}/netdir ${prog}/creport.html ${prog}/tallyvane.svg
    ${prog}/NETDIR.INI ${prog}/ALIASES.INI
    ${root}/etc/tallyvane/NETDIR.INI ${root}/etc/tallyvane/ALIASES.INI
    ${root}/usr/bin/tallyvane ${root}/usr/share/applications/tallyvane.desktop
    ${root}/usr/share/icons/hicolor/scalable/apps/tallyvane.svg)
if(EXISTS ${TV_BINARY_DIR}/bin/tallyvane-check)
  list(APPEND expected ${prog}/tallyvane-check)
endif()
foreach(f IN LISTS expected)
  if(NOT EXISTS "${f}")
    fail("missing from the package: ${f}")
  endif()
endforeach()
if(NOT IS_DIRECTORY "${prog}/Priv/Report")
  fail("the private folder Priv/Report is missing")
endif()
foreach(name NETDIR.INI ALIASES.INI)
  if(NOT IS_SYMLINK "${prog}/${name}")
    fail("${name} beside the program is not a link to etc/tallyvane")
  endif()
endforeach()
foreach(f ${prog}/tallyvane ${prog}/netdir)
  file(READ ${f} head LIMIT 4 HEX)
  if(NOT head STREQUAL "7f454c46")
    fail("${f} is not a program")
  endif()
endforeach()

# The placeholders: the network control folder not set up ("xx"), and the
# alias VESKA with the Paradox driver and a PATH= line to fill in.
file(STRINGS ${prog}/NETDIR.INI netdir_lines REGEX "^NetDir=")
if(NOT netdir_lines MATCHES "^NetDir=xx\r?$")
  fail("NETDIR.INI should ship with NetDir=xx, not ${netdir_lines}")
endif()
file(READ ${prog}/ALIASES.INI aliases)
if(NOT aliases MATCHES "\\[VESKA\\]\r?\nDEFAULT DRIVER=PARADOX\r?\nPATH=\r?\n")
  fail("ALIASES.INI should hold [VESKA], DEFAULT DRIVER=PARADOX and an empty PATH=")
endif()

# The desktop entry starts the launcher and names the icon.
file(READ ${root}/usr/share/applications/tallyvane.desktop desktop)
if(NOT desktop MATCHES "\nExec=tallyvane\n" OR NOT desktop MATCHES "\nIcon=tallyvane\n")
  fail("the desktop entry should run tallyvane with the icon tallyvane")
endif()
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  run(${DESKTOP_FILE_VALIDATE} ${root}/usr/share/applications/tallyvane.desktop)
endif()

# 5. Fill in the two files as an administrator would (through the links
#    beside the program), with a data folder holding the sample tables.
set(data ${TV_WORK_DIR}/Data)
file(MAKE_DIRECTORY ${data} ${TV_WORK_DIR}/NetCtl)
foreach(t CONTACT.DB CONTACT.MB EVENT.DB EVENT.MB DATABASE.DB)
  if(EXISTS ${TV_BINARY_DIR}/bin/SampleData/${t})
    file(COPY ${TV_BINARY_DIR}/bin/SampleData/${t} DESTINATION ${data})
  endif()
endforeach()
file(WRITE ${root}/etc/tallyvane/NETDIR.INI "[Options]\r\nNetDir=${TV_WORK_DIR}/NetCtl\r\n")
file(WRITE ${root}/etc/tallyvane/ALIASES.INI
     "[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=${data}\r\n")

# 6. Start the unpacked program through its launcher, offscreen. With
#    TV_QUIT_WHEN_SHOWN it prints "shown" once the wizard has been painted,
#    then quits.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen TV_QUIT_WHEN_SHOWN=1
          ${root}/usr/bin/tallyvane
  WORKING_DIRECTORY ${TV_WORK_DIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
message(STATUS "program: exit ${rc}\n${out}${err}")
if(NOT rc EQUAL 0)
  fail("the unpacked program did not end normally (exit ${rc})")
endif()
if(NOT out MATCHES "(^|\n)shown\n")
  fail("the wizard window was not shown")
endif()
# It worked on the data folder named by the alias, not on the current folder.
if(NOT EXISTS "${data}/CRDATA.DB" OR EXISTS "${TV_WORK_DIR}/CRDATA.DB")
  fail("the working table was not created in the alias's data folder")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} check(s) failed")
endif()
message(STATUS "the package installs and starts")
