# SPDX-License-Identifier: GPL-3.0-or-later
# Removes what the last cmake --install from a build folder put in place:
# every file its install_manifest.txt lists, then the documentation folder
# if nothing else is left in it. Folders shared with other programs (bin,
# share/applications, the icon theme) stay.
#
#   cmake -DMANIFEST=BUILD/install_manifest.txt -DDOC_DIR=PREFIX/share/doc/tavrel -P Uninstall.cmake
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist (run cmake --install first)")
endif()
file(STRINGS "${MANIFEST}" installed)
foreach(file IN LISTS installed)
  if(EXISTS "${file}" OR IS_SYMLINK "${file}")
    message(STATUS "Removing ${file}")
    file(REMOVE "${file}")
    if(EXISTS "${file}")
      message(FATAL_ERROR "Could not remove ${file}")
    endif()
  else()
    message(STATUS "Already gone: ${file}")
  endif()
endforeach()
if(DOC_DIR AND IS_DIRECTORY "$ENV{DESTDIR}${DOC_DIR}")
  file(GLOB left "$ENV{DESTDIR}${DOC_DIR}/*")
  if(NOT left)
    file(REMOVE_RECURSE "$ENV{DESTDIR}${DOC_DIR}")
  endif()
endif()
