# Installation layout and the Debian package (scripts/package.sh runs cpack).
#
#   <prefix>/lib/kestrova/kestrova, kestrova-batch   the executables
#   <prefix>/lib/kestrova/LANG/*.lng                the language files beside them
#   <prefix>/bin/kestrova, kestrova-batch           relative links to the executables;
#                                                   the programs find their own folder
#                                                   through the resolved link
#   <prefix>/share/kestrova/examples/               the example road
#   desktop entry, icons, AppStream metainfo, manual pages, copyright, changelog
#
# Nothing is installed that the program would write to: its settings live in
# the user's folder, and the developer's version file is never installed.

set(KESTROVA_PACKAGE_MAINTAINER "Morvanta Kestrova team <kestrova@morvanta.example>"
    CACHE STRING "Maintainer field and changelog signature of the Debian package")

set(_pkg_src ${CMAKE_SOURCE_DIR}/resources/package)
set(_pkg_bin ${CMAKE_BINARY_DIR}/package)
set(_pkg_libdir lib/kestrova)
file(MAKE_DIRECTORY ${_pkg_bin})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS kestrova kestrova-batch RUNTIME DESTINATION ${_pkg_libdir})
# A stripped installation (as cpack makes) also drops the compilers' notes,
# as Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(_exe kestrova kestrova-batch)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${_pkg_libdir}/\${_exe}\"
                      RESULT_VARIABLE _rc)
      if(NOT _rc EQUAL 0)
        message(FATAL_ERROR \"stripping \${_exe} failed\")
      endif()
    endforeach()
  endif()")
install(FILES ${LANG_FILES} DESTINATION ${_pkg_libdir}/LANG)
# The description of the example road goes with the documentation.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION share/kestrova/examples
        PATTERN ".*" EXCLUDE PATTERN "README.md" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/examples/README.md DESTINATION share/doc/kestrova RENAME README.examples.md)
foreach(_exe kestrova kestrova-batch)
  file(CREATE_LINK ../${_pkg_libdir}/${_exe} ${_pkg_bin}/${_exe} SYMBOLIC)
  install(FILES ${_pkg_bin}/${_exe} DESTINATION bin)
endforeach()

install(FILES ${_pkg_src}/kestrova.desktop DESTINATION share/applications)
# The manual pages and the metainfo carry the project's version.
configure_file(${_pkg_src}/kestrova.metainfo.xml.in ${_pkg_bin}/kestrova.metainfo.xml @ONLY)
install(FILES ${_pkg_bin}/kestrova.metainfo.xml DESTINATION share/metainfo)
install(FILES ${_pkg_src}/kestrova.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(_size 16 22 24 32 48 64 128 256)
  install(FILES ${_pkg_src}/icons/${_size}x${_size}.png
          DESTINATION share/icons/hicolor/${_size}x${_size}/apps RENAME kestrova.png)
endforeach()

# Manual pages and the changelog are installed compressed, without time stamps.
configure_file(${_pkg_src}/changelog.in ${_pkg_bin}/changelog @ONLY)
configure_file(${_pkg_src}/kestrova.1.in ${_pkg_bin}/kestrova.1 @ONLY)
configure_file(${_pkg_src}/kestrova-batch.1.in ${_pkg_bin}/kestrova-batch.1 @ONLY)
set(_pkg_gz)
foreach(_doc ${_pkg_bin}/kestrova.1 ${_pkg_bin}/kestrova-batch.1 ${_pkg_bin}/changelog)
  get_filename_component(_name ${_doc} NAME)
  add_custom_command(OUTPUT ${_pkg_bin}/${_name}.gz
    COMMAND gzip -9 -n -c ${_doc} > ${_pkg_bin}/${_name}.gz
    DEPENDS ${_doc} VERBATIM)
  list(APPEND _pkg_gz ${_pkg_bin}/${_name}.gz)
endforeach()
add_custom_target(kestrova_package_docs ALL DEPENDS ${_pkg_gz})
install(FILES ${_pkg_bin}/kestrova.1.gz ${_pkg_bin}/kestrova-batch.1.gz DESTINATION share/man/man1)
install(FILES ${_pkg_src}/copyright ${_pkg_bin}/changelog.gz DESTINATION share/doc/kestrova)

# The Debian package: kestrova_<version>_<arch>.deb
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrova)
set(CPACK_PACKAGE_VENDOR Morvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KESTROVA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "speed-safety analysis of a road")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrova reads a table of road profiles (cross sections with a terrain model,\n\
traffic, curve, tilt, slickness, bridge clearance, locality) and optionally\n\
crossroads and vegetation and buildings, from CSV files or workbooks. It\n\
computes for every profile and both directions the speed each factor permits,\n\
the sight distance, crossroads visibility, the lowest speed with its cause and\n\
a summary of safe and not safe segment boundaries, shows them in grids and\n\
drawn views and exports them to CSV files or workbooks.\n\
\n\
The package holds the window, the command-line program kestrova-batch and an\n\
example road.")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KESTROVA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialog texts in Ukrainian and Russian; the desktop opener for the
# exported workbooks and reports.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

# The installed layout works: the linked batch program finds its language
# files and calculates the installed example road.
if(KESTROVA_TESTS)
  add_test(NAME package_install_layout
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DROOT=${CMAKE_BINARY_DIR}/install-check
                   -P ${CMAKE_SOURCE_DIR}/cmake/CheckInstall.cmake)
endif()
