# The package's life in a scratch root of its own, through dpkg as an
# administrator meets it: install it, change the two set-up files, reinstall
# it and upgrade it to a later version (the changes stay), remove it (the
# set-up files stay, as conffiles do), install it again, and purge it, which
# must leave nothing behind.
#
# dpkg works on the scratch root (--root, with its own database and log), runs
# the package's scripts there without chroot (they honour DPKG_ROOT), needs
# no root privileges, and leaves the dependencies aside: nothing of this
# machine is touched.

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
require_program(DPKG dpkg dpkg)
require_program(DPKG_QUERY dpkg-query dpkg)
build_package()
set(first ${DEB})

# A later version of the same package, for the upgrade.
set(next_version ${TV_PACKAGE_VERSION}.1)
run(${CMAKE_CPACK_COMMAND} -G DEB --config ${TV_BINARY_DIR}/CPackConfig.cmake
    -B ${TV_WORK_DIR}/pkg-next -D CPACK_PACKAGE_VERSION=${next_version})
file(GLOB next ${TV_WORK_DIR}/pkg-next/${TV_PACKAGE_NAME}_${next_version}_*.deb)
if(NOT next)
  message(FATAL_ERROR "FAIL: no package of version ${next_version} was built")
endif()

set(root ${TV_WORK_DIR}/root)
set(admin ${root}/var/lib/dpkg)
file(MAKE_DIRECTORY ${admin}/info ${admin}/updates ${root}/var/log)
file(TOUCH ${admin}/status)

function(dpkg)
  execute_process(COMMAND ${DPKG} --root=${root} --log=${root}/var/log/dpkg.log
                          --force-not-root --force-script-chrootless --force-depends ${ARGN}
                  INPUT_FILE /dev/null RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err TIMEOUT 120)
  message(STATUS "dpkg ${ARGN}: exit ${rc}\n${out}")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "FAIL: dpkg ${ARGN} failed (exit ${rc}):\n${out}\n${err}")
  endif()
  # Asked nothing: an unchanged conffile is never a question.
  if("${out}${err}" MATCHES "Configuration file '")
    message(FATAL_ERROR "FAIL: dpkg ${ARGN} asked about a configuration file:\n${out}\n${err}")
  endif()
endfunction()

function(expect_status expected step)
  execute_process(COMMAND ${DPKG_QUERY} --admindir=${admin} -W -f=\${Status}\ \${Version}
                          ${TV_PACKAGE_NAME}
                  OUTPUT_VARIABLE status ERROR_QUIET)
  if(NOT status STREQUAL "${expected}")
    fail("${step}: the package is '${status}', not '${expected}'")
  endif()
endfunction()

set(netdir_ini ${root}/etc/tallyvane/NETDIR.INI)
set(aliases_ini ${root}/etc/tallyvane/ALIASES.INI)
set(changed_netdir "[Options]\r\nNetDir=/srv/office/netctl\r\n")
set(changed_aliases "[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=/srv/office/contacts\r\n")
function(expect_changes_kept step)
  foreach(pair "netdir_ini;changed_netdir" "aliases_ini;changed_aliases")
    list(GET pair 0 file_var)
    list(GET pair 1 text_var)
    if(NOT EXISTS ${${file_var}})
      fail("${step}: ${${file_var}} is gone")
      continue()
    endif()
    # Compared byte for byte: the files keep their CR LF line ends.
    file(READ ${${file_var}} text HEX)
    string(HEX "${${text_var}}" expected)
    if(NOT text STREQUAL expected)
      file(READ ${${file_var}} text)
      fail("${step}: the administrator's ${${file_var}} was replaced:\n${text}")
    endif()
  endforeach()
endfunction()

# What the scratch root holds before: dpkg's database and log folder only.
file(GLOB_RECURSE before LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)

# 1. Install, and the files are where the package puts them.
dpkg(--install ${first})
expect_status("install ok installed ${TV_PACKAGE_VERSION}" "install")
foreach(f usr/lib/tallyvane/tallyvane usr/lib/tallyvane/netdir usr/lib/tallyvane/tallyvane-check
          etc/tallyvane/NETDIR.INI etc/tallyvane/ALIASES.INI usr/share/tallyvane/creport.html)
  if(NOT EXISTS ${root}/${f})
    fail("install: ${f} is missing")
  endif()
endforeach()
foreach(f usr/bin/tallyvane usr/bin/tallyvane-check usr/lib/tallyvane/NETDIR.INI)
  if(NOT IS_SYMLINK ${root}/${f})
    fail("install: the link ${f} is missing")
  endif()
endforeach()

# 2. The administrator fills in the set-up files.
file(WRITE ${netdir_ini} "${changed_netdir}")
file(WRITE ${aliases_ini} "${changed_aliases}")

# 3. Reinstalling and upgrading keep them.
dpkg(--install ${first})
expect_status("install ok installed ${TV_PACKAGE_VERSION}" "reinstall")
expect_changes_kept("reinstall")
dpkg(--install ${next})
expect_status("install ok installed ${next_version}" "upgrade")
expect_changes_kept("upgrade")

# 4. Removing leaves the set-up files (and only them) for a later
#    installation, which finds them as they were.
file(WRITE ${root}/etc/tallyvane/NETDIR.INI.orig "left by an editor\n")
file(WRITE ${root}/usr/lib/tallyvane/Priv/Report/left.tmp "left by a session\n")
dpkg(--remove ${TV_PACKAGE_NAME})
expect_status("deinstall ok config-files ${next_version}" "remove")
expect_changes_kept("remove")
foreach(f usr/lib/tallyvane/tallyvane usr/bin/tallyvane usr/bin/tallyvane-check
          usr/share/tallyvane/creport.html usr/share/doc/tallyvane/copyright)
  if(EXISTS ${root}/${f} OR IS_SYMLINK ${root}/${f})
    fail("remove: ${f} is still there")
  endif()
endforeach()
dpkg(--install ${next})
expect_status("install ok installed ${next_version}" "install after removal")
expect_changes_kept("install after removal")

# 5. Purging leaves the root as it was before the first installation.
dpkg(--purge ${TV_PACKAGE_NAME})
expect_status("" "purge")
file(GLOB_RECURSE after LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
set(left)
foreach(path IN LISTS after)
  if(NOT path MATCHES "^var/(lib/dpkg|log)(/|$)" AND NOT path IN_LIST before)
    list(APPEND left ${path})
  endif()
endforeach()
if(left)
  list(JOIN left "\n  " left)
  fail("purge left behind:\n  ${left}")
endif()

finish("the package installs, upgrades and purges cleanly")
