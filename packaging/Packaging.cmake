# SPDX-License-Identifier: GPL-3.0-or-later
# Installation under any prefix (cmake --install) and the Debian package
# (cpack -G DEB): the three programs, the desktop entry, the icon, the
# AppStream metainfo, man pages and the bash completion written from the
# command table, and the README and licences.

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

# Man pages and the bash completion: tavrel-docs writes them from the same
# command table the programs use (a cross build has no tavrel-docs and no
# pages). The pages carry the date of the changelog's newest entry, so that a
# rebuild makes the same files.
find_program(GZIP_EXECUTABLE gzip)
set(manpages_default ON)
if(TAVREL_SANITIZE)
  # Instrumented programs are not what gets installed.
  set(manpages_default OFF)
endif()
option(TAVREL_MANPAGES "Make the man pages and the bash completion" ${manpages_default})
if(TAVREL_MANPAGES AND TARGET tavrel-docs AND GZIP_EXECUTABLE)
  file(STRINGS ${TAVREL_PACKAGE_DIR}/changelog changelog_trailer REGEX "^ -- .*  [A-Z][a-z][a-z], " LIMIT_COUNT 1)
  string(REGEX MATCH "([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9])" manual_date_parts "${changelog_trailer}")
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months "${CMAKE_MATCH_2}" month_index)
  math(EXPR month "${month_index} + 1")
  string(LENGTH "${CMAKE_MATCH_1}" day_digits)
  set(day "${CMAKE_MATCH_1}")
  if(day_digits EQUAL 1)
    set(day "0${day}")
  endif()
  if(month LESS 10)
    set(month "0${month}")
  endif()
  set(manual_date "${CMAKE_MATCH_3}-${month}-${day}")

  set(manual_dir ${TAVREL_GENERATED_DIR}/man)
  set(pages ${manual_dir}/tavrel.1.gz ${manual_dir}/tavrel-cli.1.gz ${manual_dir}/quennel-emu.1.gz)
  set(completion ${manual_dir}/tavrel-cli.bash-completion)
  add_custom_command(
    OUTPUT ${pages} ${completion}
    COMMAND tavrel-docs --version ${PROJECT_VERSION} --date ${manual_date} ${manual_dir}
    COMMAND ${GZIP_EXECUTABLE} -9nf ${manual_dir}/tavrel.1 ${manual_dir}/tavrel-cli.1 ${manual_dir}/quennel-emu.1
    DEPENDS tavrel-docs
    COMMENT "Man pages and bash completion"
    VERBATIM)
  add_custom_target(manpages ALL DEPENDS ${pages} ${completion})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME tavrel-cli)
elseif(TAVREL_MANPAGES AND NOT CMAKE_CROSSCOMPILING AND NOT WIN32)
  message(WARNING "gzip not found: no man pages (scripts/ensure-deps.sh installs it)")
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
# binaries by dpkg-shlibdeps; the one added by hand is Qt's platform plugins,
# which Qt loads at run time and no binary links.
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
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
