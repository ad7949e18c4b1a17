# The package as Debian's checkers see it: lintian on the .deb, and the
# desktop entry and the AppStream description with their own validators.
# The checkers are installed by `scripts/deps.sh --test`; each runs every
# time, and a missing one fails the test.

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
require_program(LINTIAN lintian lintian)
require_program(DESKTOP_FILE_VALIDATE desktop-file-validate desktop-file-utils)
require_program(APPSTREAMCLI appstreamcli appstream)
build_package()

# 1. lintian: nothing at all, down to the informational tags. The package
#    overrides the few it keeps on purpose (packaging/lintian-overrides, the
#    README says why); an override that no longer matches is reported too.
#    Only a build without the optimiser (or with the sanitizers) may lack the
#    C library's checked functions, which need it.
set(allowed_info)
if(TV_BUILD_TYPE STREQUAL "Debug" OR TV_SANITIZE)
  list(APPEND allowed_info hardening-no-fortify-functions)
endif()
execute_process(COMMAND ${LINTIAN} --fail-on error,warning --display-level ">=info"
                        --tag-display-limit 0 ${DEB}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 240)
message(STATUS "lintian (exit ${rc}):\n${out}${err}")
if(NOT rc EQUAL 0)
  fail("lintian reports errors or warnings (exit ${rc})")
endif()
string(REGEX MATCHALL "(^|\n)[EWIX]: [^ ]+ [^ \n]+" tags "${out}")
foreach(line IN LISTS tags)
  string(REGEX REPLACE ".*: [^ ]+ " "" tag "${line}")
  if(NOT tag IN_LIST allowed_info)
    fail("lintian reports ${line}")
  endif()
endforeach()

# 2. The desktop entry and the AppStream description, as unpacked from the
#    package. The AppStream check does not go on the network: the screenshot
#    lies at the address the project publishes it under, which this machine
#    need not reach.
set(root ${TV_WORK_DIR}/root)
run(dpkg-deb -x ${DEB} ${root})
execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${root}/usr/share/applications/tallyvane.desktop
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
  fail("desktop-file-validate (exit ${rc}):\n${out}${err}")
endif()
set(metainfo ${root}/usr/share/metainfo/${TV_APPSTREAM_ID}.metainfo.xml)
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --strict ${metainfo}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "appstreamcli validate (exit ${rc}):\n${out}${err}")
if(NOT rc EQUAL 0)
  fail("appstreamcli validate --no-net --strict failed (exit ${rc})")
endif()

# 3. What the description promises: a summary, a description, a screenshot,
#    and the desktop entry it belongs to.
file(READ ${metainfo} xml)
foreach(element "<summary>[^<]+</summary>" "<description>" "<screenshot type=\"default\">"
                "<image>https://[^<]+</image>" "<launchable type=\"desktop-id\">tallyvane.desktop<")
  expect_match("${xml}" "${element}" "the AppStream description lacks ${element}")
endforeach()

# The release build is hardened as Debian's packages are; lintian checks
#    part of it, the program headers and symbols tell the rest.
require_program(READELF readelf binutils)
foreach(program tallyvane netdir tallyvane-check)
  set(file ${root}/usr/lib/tallyvane/${program})
  run(${READELF} --file-header --program-headers --dynamic --dyn-syms --wide ${file})
  set(elf "${RUN_OUTPUT}")
  expect_match("${elf}" "Type: +DYN " "${program} is not a position independent executable")
  expect_match("${elf}" "GNU_RELRO" "${program} has no read-only relocations (relro)")
  expect_match("${elf}" "\\(FLAGS(_1)?\\)[^\n]*NOW"
               "${program} does not bind its symbols at start-up (bindnow)")
  # The stack protector and the checked functions are in optimised builds.
  if(NOT TV_BUILD_TYPE STREQUAL "Debug" AND NOT TV_SANITIZE)
    expect_match("${elf}" "__stack_chk_fail" "${program} has no stack protector")
    expect_match("${elf}" "__[a-z]+_chk@"
                 "${program} calls none of the C library's checked functions (fortify)")
  endif()
endforeach()

# 4. The changelog's latest entry is this version, and the manual pages name it.
file(READ ${root}/usr/share/doc/tallyvane/changelog.gz head LIMIT 2 HEX)
if(NOT head STREQUAL "1f8b")
  fail("changelog.gz is not compressed")
endif()
run(gzip -dc ${root}/usr/share/doc/tallyvane/changelog.gz)
if(NOT RUN_OUTPUT MATCHES "^${TV_PACKAGE_NAME} \\(${TV_PACKAGE_VERSION}\\) ")
  string(REGEX MATCH "^[^\n]*" first "${RUN_OUTPUT}")
  fail("the changelog's latest entry is '${first}', not version ${TV_PACKAGE_VERSION}")
endif()
foreach(page tallyvane tallyvane-check netdir)
  run(gzip -dc ${root}/usr/share/man/man1/${page}.1.gz)
  expect_match("${RUN_OUTPUT}" "(^|\n)\\.TH [^\n]*\"Tallyvane Pro ${TV_PACKAGE_VERSION}\""
               "the manual page of ${page} does not name version ${TV_PACKAGE_VERSION}")
endforeach()

finish("lintian, desktop-file-validate and appstreamcli validate find nothing")
