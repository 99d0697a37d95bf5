# The install of the suite and its Debian package. Programs go to bin, the
# suite's private libraries (and libidxfile.so, which qelrecacc loads by name
# from beside itself) to lib/qellar2, the help files and samples to the
# installation directory share/qellar2, man pages, desktop entries, icons and
# MIME types to their places under share, and the registry file naming the
# installation directory to /etc/qellar2 (or <prefix>/etc/qellar2).
# Included last, so that every module's targets exist; a module left out of
# the build (QEL_ONLY, QEL_BUILD_GUI off) is left out of the install.

set(QEL_INSTALL_PROGRAMS qelxformbatch qelreworkbatch qelidx qeldef
                         qelxform qelrework qelrevise qelstart)
set(QEL_INSTALL_LIBRARIES qelplatform qelmessage qelxformio qelrecacc qelfilter idxfile)
foreach(target IN LISTS QEL_INSTALL_PROGRAMS QEL_INSTALL_LIBRARIES)
  if(TARGET ${target})
    install(TARGETS ${target}
            RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
            LIBRARY DESTINATION ${QEL_INSTALL_LIBDIR})
  endif()
endforeach()

# Help and samples in the installation directory.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${QEL_INSTALL_DATADIR}
        FILES_MATCHING PATTERN "*.html" PATTERN "*.css" PATTERN "*.png")
# Every sample a user copies to start from: data, definitions, copybook,
# procedures, the indexed sample with its key file, menus; not the scripts
# that remake them from a build tree, nor their tests.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/ DESTINATION ${QEL_INSTALL_DATADIR}/samples
        PATTERN "tests" EXCLUDE PATTERN "tools" EXCLUDE PATTERN "CMakeLists.txt" EXCLUDE
        PATTERN "*.sh" EXCLUDE)

# Man pages of the console programs.
foreach(page qelxformbatch qelreworkbatch qelidx qeldef)
  install(FILES ${PROJECT_SOURCE_DIR}/dist/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The desktop: a menu entry and an icon per window program, MIME types for
# menus, procedures and definitions.
if(QEL_BUILD_GUI)
  foreach(program qelxform qelrework qelrevise qelstart)
    if(NOT TARGET ${program})
      continue()
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/dist/${program}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/dist/icons/${program}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  endforeach()
endif()
# A definition opens in qeldef in a terminal; the MIME types serve the
# console programs too.
install(FILES ${PROJECT_SOURCE_DIR}/dist/qeldef.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/qellar-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# The registry file, written at install time for the prefix installed to.
file(READ ${PROJECT_SOURCE_DIR}/dist/registry.ini.in QEL_REGISTRY_TEMPLATE)
configure_file(${PROJECT_SOURCE_DIR}/cmake/qel_write_registry.cmake.in
               ${PROJECT_BINARY_DIR}/qel_write_registry.cmake @ONLY)
install(SCRIPT ${PROJECT_BINARY_DIR}/qel_write_registry.cmake)

if(QEL_REGISTRY_FILE AND TARGET qelplatform)
  target_compile_definitions(qelplatform PRIVATE QEL_REGISTRY_FILE="${QEL_REGISTRY_FILE}")
endif()

# The Debian package: `cpack -G DEB` in the build tree.
set(CPACK_PACKAGE_NAME qellar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quellar for Linux maintainers <qellar@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Tools for COBOL data files: conversion, rework, revise, menus")
set(CPACK_PACKAGE_DESCRIPTION
    "Converts fixed- and variable-length sequential and indexed COBOL data files to CSV and text and back, selects and reworks records, revises records in a window, and starts the tools from menus. Texts are Shift-JIS (CP932); numbers zoned, packed and binary.")
# Installed with DESTDIR under the prefix /usr, so that the registry file
# lands in /etc and names /usr/share/qellar2.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# Beside the libraries dpkg-shlibdeps finds: what the programs load or show
# at run time without linking it.
set(QEL_DEB_RUNTIME_DEPENDS "fonts-ipafont-gothic")
if(QEL_BUILD_GUI)
  string(APPEND QEL_DEB_RUNTIME_DEPENDS ", qt6-qpa-plugins, qt6-translations-l10n")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${QEL_DEB_RUNTIME_DEPENDS}")
# The registry file is the package's one configuration file: kept on
# removal, deleted on purge.
if(QEL_REGISTRY_FILE)
  file(WRITE ${PROJECT_BINARY_DIR}/deb/conffiles "${QEL_REGISTRY_FILE}\n")
else()
  file(WRITE ${PROJECT_BINARY_DIR}/deb/conffiles "/etc/qellar2/registry.ini\n")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/deb/conffiles)
set(CPACK_GENERATOR DEB)
include(CPack)

# The install and the package, tried as a user would. Labelled "install"
# (ctest -LE install leaves them out); each runs alone, since the first moves
# the build tree away while the installed programs run. Sanitizer and fuzz
# builds are not for installing.
if(QEL_BUILD_TESTS AND TARGET qelxformbatch AND TARGET qelreworkbatch AND NOT QEL_SANITIZE
   AND NOT QEL_FUZZ)
  add_test(NAME install_prefix_test
           COMMAND bash ${PROJECT_SOURCE_DIR}/dist/tests/install_prefix_test.sh
                   ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(install_prefix_test PROPERTIES LABELS install RUN_SERIAL TRUE TIMEOUT 600)
  find_program(QEL_DPKG dpkg)
  if(QEL_DPKG)
    add_test(NAME install_deb_package_test
             COMMAND bash ${PROJECT_SOURCE_DIR}/dist/tests/deb_package_test.sh
                     ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
    set_tests_properties(install_deb_package_test PROPERTIES LABELS install RUN_SERIAL TRUE
                                                             TIMEOUT 900)
  endif()
endif()
