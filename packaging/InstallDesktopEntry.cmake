# SPDX-License-Identifier: GPL-3.0-or-later
# Part of the installation (Packaging.cmake): writes the desktop entry with
# the installed program's full path in its Exec key and installs it. A path
# with characters the Exec key treats specially is quoted as the desktop
# entry format asks, and its backslashes doubled once more for the key's
# string value.
if(IS_ABSOLUTE "${TAVREL_BINDIR}")
  set(exec "${TAVREL_BINDIR}/tavrel")
else()
  set(exec "${CMAKE_INSTALL_PREFIX}/${TAVREL_BINDIR}/tavrel")
endif()
if(exec MATCHES "[ \t\n\"'\\><~|&;$*?#()`]")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  foreach(special "\"" "`" "$")
    string(REPLACE "${special}" "\\${special}" exec "${exec}")
  endforeach()
  set(exec "\"${exec}\"")
  string(REPLACE "\\" "\\\\" exec "${exec}")
endif()
string(REPLACE "%" "%%" TAVREL_EXEC "${exec}")
configure_file("${TAVREL_DESKTOP_TEMPLATE}" "${TAVREL_DESKTOP_FILE}" @ONLY)
if(IS_ABSOLUTE "${TAVREL_DATADIR}")
  set(applications "${TAVREL_DATADIR}/applications")
else()
  set(applications "${CMAKE_INSTALL_PREFIX}/${TAVREL_DATADIR}/applications")
endif()
file(INSTALL DESTINATION "${applications}" TYPE FILE FILES "${TAVREL_DESKTOP_FILE}")
