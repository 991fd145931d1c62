# Checks an installed Kestrova below ROOT (as /usr): the layout, and that the
# batch program started through its link in usr/bin finds its language files
# and calculates the installed example road.
#   cmake -DROOT=<dir> [-DBUILD_DIR=<build>] -P CheckInstall.cmake
# With BUILD_DIR the build is first installed into ROOT (emptied before).
if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()
if(BUILD_DIR)
  file(REMOVE_RECURSE ${ROOT})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT}
                          ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "installing ${BUILD_DIR} into ${ROOT} failed")
  endif()
endif()

set(usr ${ROOT}/usr)
foreach(f lib/kestrova/kestrova lib/kestrova/kestrova-batch lib/kestrova/LANG/English.lng
          lib/kestrova/LANG/Ukrainian.lng lib/kestrova/LANG/Russian.lng
          share/kestrova/examples/road.csv share/kestrova/examples/greens.csv
          share/kestrova/examples/crossroads.csv share/kestrova/examples/road.xlsx
          share/applications/kestrova.desktop share/metainfo/kestrova.metainfo.xml
          share/icons/hicolor/scalable/apps/kestrova.svg share/icons/hicolor/48x48/apps/kestrova.png
          share/man/man1/kestrova.1.gz share/man/man1/kestrova-batch.1.gz
          share/doc/kestrova/copyright share/doc/kestrova/changelog.gz)
  if(NOT EXISTS ${usr}/${f})
    message(FATAL_ERROR "missing: /usr/${f}")
  endif()
endforeach()
foreach(exe kestrova kestrova-batch)
  if(NOT IS_SYMLINK ${usr}/bin/${exe})
    message(FATAL_ERROR "/usr/bin/${exe} is not a link")
  endif()
  file(READ_SYMLINK ${usr}/bin/${exe} target)
  if(NOT target STREQUAL "../lib/kestrova/${exe}")
    message(FATAL_ERROR "/usr/bin/${exe} points at ${target}")
  endif()
endforeach()
file(GLOB_RECURSE stray ${ROOT}/*KestrovaVersion* ${ROOT}/*.ini ${ROOT}/usr/share/kestrova/examples/.*)
if(stray)
  message(FATAL_ERROR "files the installation must not hold: ${stray}")
endif()

set(ex ${usr}/share/kestrova/examples)
set(out ${ROOT}/calc-out)
file(REMOVE_RECURSE ${out})
execute_process(COMMAND ${usr}/bin/kestrova-batch calc --road ${ex}/road.csv --greens ${ex}/greens.csv
                        --crossroads ${ex}/crossroads.csv --out ${out}
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kestrova-batch calc on the installed example failed (${rc}): ${err}")
endif()
foreach(f source.csv speeds.csv pivot.csv profiles.csv crossroads.csv log.txt)
  if(NOT EXISTS ${out}/${f})
    message(FATAL_ERROR "kestrova-batch calc wrote no ${f}")
  endif()
endforeach()
file(STRINGS ${out}/speeds.csv rows)
list(LENGTH rows n)
if(n LESS 602)
  message(FATAL_ERROR "speeds.csv has ${n} lines, expected a header and 601 profiles")
endif()
file(REMOVE_RECURSE ${out})
message(STATUS "installed layout under ${ROOT} works; the example road gives ${n} lines in speeds.csv")
