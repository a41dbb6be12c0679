# SPDX-License-Identifier: GPL-3.0-or-later
# Installation under any prefix (cmake --install) and the Debian package
# (cpack -G DEB): the three programs, the desktop entry, the icon, the
# AppStream metainfo, man pages made from the programs' own --help text, and
# the README and licences.

include(GNUInstallDirs)

set(TAVREL_HOMEPAGE "https://tavrel.org/" CACHE STRING "Project home page named in the metainfo and the package")
set(TAVREL_PACKAGE_DIR "${CMAKE_CURRENT_LIST_DIR}")
set(TAVREL_GENERATED_DIR "${CMAKE_BINARY_DIR}/packaging")

install(TARGETS tavrel tavrel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quennel-emu)
  install(TARGETS quennel-emu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Desktop entry, metainfo and icon, all named after the application id.
configure_file(${TAVREL_PACKAGE_DIR}/tavrel.desktop.in ${TAVREL_GENERATED_DIR}/${TAVREL_APP_ID}.desktop @ONLY)
configure_file(${TAVREL_PACKAGE_DIR}/tavrel.metainfo.xml.in ${TAVREL_GENERATED_DIR}/${TAVREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${TAVREL_GENERATED_DIR}/${TAVREL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TAVREL_GENERATED_DIR}/${TAVREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(icons ${CMAKE_SOURCE_DIR}/src/resources/icons)
install(FILES ${icons}/tavrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TAVREL_APP_ID}.svg)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${icons}/tavrel-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${TAVREL_APP_ID}.png)
endforeach()

# Man pages: help2man runs each built program with --help and --version, so
# a page always says what the program says.
find_program(HELP2MAN_EXECUTABLE help2man)
find_program(GZIP_EXECUTABLE gzip)
set(manpages_default ON)
if(TAVREL_SANITIZE)
  # Instrumented programs are not what gets installed.
  set(manpages_default OFF)
endif()
option(TAVREL_MANPAGES "Make man pages from the programs' --help text (needs help2man)" ${manpages_default})
if(TAVREL_MANPAGES AND NOT (HELP2MAN_EXECUTABLE AND GZIP_EXECUTABLE))
  message(WARNING "help2man or gzip not found: no man pages (scripts/ensure-deps.sh installs them)")
  set(TAVREL_MANPAGES OFF)
endif()
if(TAVREL_MANPAGES)
  set(tavrel_summary "control panel for the Quennel colour OLED module")
  set(tavrel-cli_summary "run a Tavrel panel command on a Quennel module from a shell")
  set(quennel-emu_summary "the Quennel OLED module emulated on a pseudo-terminal")
  set(pages)
  foreach(program tavrel tavrel-cli quennel-emu)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${TAVREL_GENERATED_DIR}/man/${program}.1)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVREL_GENERATED_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${HELP2MAN_EXECUTABLE} --no-info --section=1 "--name=${${program}_summary}"
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND ${GZIP_EXECUTABLE} -9nf ${page}
      DEPENDS ${program}
      COMMENT "Man page ${program}(1)"
      VERBATIM)
    list(APPEND pages ${page}.gz)
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# Documentation and licences. The changelog is compressed as Debian wants it.
set(TAVREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tavrel)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${TAVREL_PACKAGE_DIR}/copyright DESTINATION ${TAVREL_DOC_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/src/emulator/fonts/LICENSES.md DESTINATION ${TAVREL_DOC_DIR}
        RENAME LICENSES-fonts.md)
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/LICENSES.md DESTINATION ${TAVREL_DOC_DIR}
        RENAME LICENSES-resources.md)
file(STRINGS ${TAVREL_PACKAGE_DIR}/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^tavrel \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog must begin with an entry for version ${PROJECT_VERSION}")
endif()
if(GZIP_EXECUTABLE)
  set(changelog ${TAVREL_GENERATED_DIR}/changelog.gz)
  add_custom_command(
    OUTPUT ${changelog}
    COMMAND ${GZIP_EXECUTABLE} -9nc ${TAVREL_PACKAGE_DIR}/changelog > ${changelog}
    DEPENDS ${TAVREL_PACKAGE_DIR}/changelog
    VERBATIM)
  add_custom_target(changelog ALL DEPENDS ${changelog})
  install(FILES ${changelog} DESTINATION ${TAVREL_DOC_DIR})
endif()

# The Debian package. Its library dependencies are computed from the
# binaries by dpkg-shlibdeps; added by hand are Qt's platform plugins and
# its image format plugins (WebP, TIFF), which Qt loads at run time and no
# binary links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_CONTACT "The Tavrel developers <developers@tavrel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control panel for the Quennel colour OLED module")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${TAVREL_PACKAGE_DIR}/description.txt)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TAVREL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
