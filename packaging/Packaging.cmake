# SPDX-License-Identifier: GPL-3.0-or-later
# Installation under any prefix (cmake --install, and the uninstall target
# that undoes it) and the quick Debian package (cpack -G DEB): the three
# programs, the desktop entry, the icon, the AppStream metainfo, man pages
# and the bash completion written from the command table, and the README
# and licences. debian/ builds the same installation as a Debian source
# package.

include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/Release.cmake)

set(TAVREL_HOMEPAGE "https://tavrel.org/" CACHE STRING "Project home page named in the metainfo and the package")
set(TAVREL_PACKAGE_DIR "${CMAKE_CURRENT_LIST_DIR}")
set(TAVREL_GENERATED_DIR "${CMAKE_BINARY_DIR}/packaging")
# The Windows programs are shipped as a folder of their own, in a zip and an
# installer; none of what follows is theirs.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/Windows.cmake)
  return()
endif()

set(programs tavrel tavrel-cli)
if(TARGET quennel-emu)
  list(APPEND programs quennel-emu)
endif()
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped installation (cmake --install --strip, and every package) also
# loses the compiler's version notes, as Debian's own packages do.
if(CMAKE_STRIP)
  foreach(program ${programs})
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${program}>\"
                        COMMAND_ERROR_IS_FATAL ANY)
      endif()")
  endforeach()
endif()

# Desktop entry, metainfo and icon, all named after the application id. The
# entry starts the installed program by its full path, so that it works
# from a prefix that is not on PATH (a user's ~/.local before the next
# login, /opt/tavrel); it is written at install time, so that
# cmake --install --prefix is followed too.
configure_file(${TAVREL_PACKAGE_DIR}/tavrel.metainfo.xml.in ${TAVREL_GENERATED_DIR}/${TAVREL_APP_ID}.metainfo.xml @ONLY)
install(CODE "
  set(TAVREL_DESKTOP_TEMPLATE \"${TAVREL_PACKAGE_DIR}/tavrel.desktop.in\")
  set(TAVREL_DESKTOP_FILE \"${TAVREL_GENERATED_DIR}/install/${TAVREL_APP_ID}.desktop\")
  set(TAVREL_APP_ID \"${TAVREL_APP_ID}\")
  set(TAVREL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(TAVREL_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  include(\"${TAVREL_PACKAGE_DIR}/InstallDesktopEntry.cmake\")")
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
# pages). The pages carry the release's date and are compressed without a
# name or time in the gzip header, so that a rebuild makes the same files.
find_program(GZIP_EXECUTABLE gzip)
set(manpages_default ON)
if(TAVREL_SANITIZE)
  # Instrumented programs are not what gets installed.
  set(manpages_default OFF)
endif()
option(TAVREL_MANPAGES "Make the man pages and the bash completion" ${manpages_default})
if(TAVREL_MANPAGES AND TARGET tavrel-docs AND GZIP_EXECUTABLE)
  # SOURCE_DATE_EPOCH, when the caller gives it (dpkg-buildpackage takes it
  # from the changelog), else the release's date: never the clock.
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    string(TIMESTAMP manual_date "%Y-%m-%d" UTC)
  else()
    set(manual_date ${TAVREL_RELEASE_DATE})
  endif()

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

# Documentation and licences, as Debian keeps them: the copyright file as
# it is, the changelog and every other document of more than 4 KB
# compressed (without a name or time in the gzip header).
set(TAVREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tavrel)
find_program(GZIP_EXECUTABLE gzip)
install(FILES ${CMAKE_SOURCE_DIR}/debian/copyright DESTINATION ${TAVREL_DOC_DIR})
set(compressed_docs)
function(tavrel_install_doc source name)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
  file(SIZE "${source}" size)
  if(size LESS_EQUAL 4096 AND NOT name STREQUAL "changelog")
    install(FILES "${source}" DESTINATION ${TAVREL_DOC_DIR} RENAME "${name}")
    return()
  endif()
  if(NOT GZIP_EXECUTABLE)
    message(FATAL_ERROR "gzip is needed to install ${name} (scripts/ensure-deps.sh installs it)")
  endif()
  set(output "${TAVREL_GENERATED_DIR}/doc/${name}.gz")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${TAVREL_GENERATED_DIR}/doc"
    COMMAND ${GZIP_EXECUTABLE} -9nc "${source}" > "${output}"
    DEPENDS "${source}"
    VERBATIM)
  install(FILES "${output}" DESTINATION ${TAVREL_DOC_DIR})
  set(compressed_docs ${compressed_docs} "${output}" PARENT_SCOPE)
endfunction()
tavrel_install_doc(${CMAKE_SOURCE_DIR}/README.md README.md)
tavrel_install_doc(${CMAKE_SOURCE_DIR}/src/emulator/fonts/LICENSES.md LICENSES-fonts.md)
tavrel_install_doc(${CMAKE_SOURCE_DIR}/src/resources/LICENSES.md LICENSES-resources.md)
tavrel_install_doc(${TAVREL_CHANGELOG} changelog)
add_custom_target(compressed-docs ALL DEPENDS ${compressed_docs})

# make uninstall / ninja uninstall: removes every file the last
# cmake --install from this build folder put in place (install_manifest.txt).
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
          "-DDOC_DIR=${CMAKE_INSTALL_FULL_DATADIR}/doc/tavrel" -P ${TAVREL_PACKAGE_DIR}/Uninstall.cmake
  VERBATIM)

# The quick Debian package (scripts/package.sh). What it says about itself
# comes from debian/control, which the Debian source package builds from
# too: section, priority, maintainer, home page, description and the
# dependencies added by hand (Qt's plugins, which Qt loads at run time and
# no binary links); dpkg-shlibdeps adds the libraries the programs link.
set(TAVREL_CONTROL "${CMAKE_SOURCE_DIR}/debian/control")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${TAVREL_CONTROL}")
file(READ "${TAVREL_CONTROL}" control)
# One field of the control file: its first line and continuation lines.
function(tavrel_control_field stanza field out)
  if(NOT stanza MATCHES "(^|\n)${field}:([^\n]*(\n[ \t][^\n]*)*)")
    message(FATAL_ERROR "debian/control has no ${field} field")
  endif()
  set(${out} "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()
string(FIND "${control}" "\nPackage: tavrel\n" binary_at)
string(SUBSTRING "${control}" 0 ${binary_at} source_stanza)
string(SUBSTRING "${control}" ${binary_at} -1 binary_stanza)
tavrel_control_field("${source_stanza}" Section section)
tavrel_control_field("${source_stanza}" Priority priority)
tavrel_control_field("${source_stanza}" Maintainer maintainer)
tavrel_control_field("${binary_stanza}" Depends depends)
tavrel_control_field("${binary_stanza}" Description description)
# Substitution variables (${shlibs:Depends} ...) are debhelper's.
string(REGEX REPLACE "\\$\\{[^}]*\\}" "" depends "${depends}")
string(REGEX REPLACE "[ \t\n]+" " " depends "${depends}")
string(REGEX REPLACE "( ,)+" "" depends "${depends}")
string(REGEX REPLACE "[ ,]+$" "" depends "${depends}")
string(REGEX REPLACE "^[ ,]+" "" depends "${depends}")
string(FIND "${description}" "\n" summary_end)
string(SUBSTRING "${description}" 0 ${summary_end} summary)
string(STRIP "${summary}" summary)
# The long description as CPack wants it: the continuation lines without
# their leading blank ("." for an empty line stays; CPack puts the blanks
# back).
string(SUBSTRING "${description}" ${summary_end} -1 long_description)
string(REPLACE "\n " "\n" long_description "${long_description}")
string(STRIP "${long_description}" long_description)
foreach(field section priority maintainer)
  string(STRIP "${${field}}" ${field})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_CONTACT "${maintainer}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${summary}")
set(CPACK_PACKAGE_DESCRIPTION "${long_description}")
set(CPACK_STRIP_FILES ON)
# Folders as Debian has them, whatever the umask of the one who packs.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "${section}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "${priority}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TAVREL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${depends}")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Every time stamp in the package is the release's, unless the caller
# names another: two builds of one tree give the same package.
set(CPACK_PROJECT_CONFIG_FILE "${TAVREL_GENERATED_DIR}/CPackProjectConfig.cmake")
file(WRITE "${CPACK_PROJECT_CONFIG_FILE}"
     "if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n  set(ENV{SOURCE_DATE_EPOCH} ${TAVREL_RELEASE_EPOCH})\nendif()\n")
include(CPack)
