# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build (MinGW-w64 with a cross-built Qt; scripts/build-windows.sh):
# an icon, version information and manifest in each program, the panel as a
# windowed program, a deploy folder with everything the programs need to run
# (target windows-deploy), and from that folder the zip and the NSIS
# installer (cpack -G "ZIP;NSIS" in the build folder).
#
# Included by Packaging.cmake in place of the Linux installation.

set(TAVREL_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR}/windows)

# Icon, version information and manifest, one resource file per program.
enable_language(RC)
string(REPLACE "." "," TAVREL_RC_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
if(PROJECT_VERSION_PATCH)
  string(REPLACE "." "," TAVREL_RC_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
endif()
set(TAVREL_RC_ICON ${CMAKE_SOURCE_DIR}/src/resources/icons/tavrel.ico)
set(TAVREL_RC_MANIFEST ${TAVREL_WINDOWS_DIR}/tavrel.manifest)
foreach(program tavrel tavrel-cli)
  set(TAVREL_RC_NAME ${program})
  set(TAVREL_RC_FILE ${program}.exe)
  if(program STREQUAL "tavrel")
    set(TAVREL_RC_DESCRIPTION "Tavrel, control panel for the Quennel colour OLED module")
  else()
    set(TAVREL_RC_DESCRIPTION "Tavrel command-line tool for the Quennel colour OLED module")
  endif()
  configure_file(${TAVREL_WINDOWS_DIR}/tavrel.rc.in ${CMAKE_BINARY_DIR}/windows/${program}.rc @ONLY)
  target_sources(${program} PRIVATE ${CMAKE_BINARY_DIR}/windows/${program}.rc)
  set_property(SOURCE ${CMAKE_BINARY_DIR}/windows/${program}.rc TARGET_DIRECTORY ${program}
               APPEND PROPERTY OBJECT_DEPENDS ${TAVREL_RC_ICON} ${TAVREL_RC_MANIFEST})
endforeach()
# The panel is a windowed program: no console window opens with it.
set_target_properties(tavrel PROPERTIES WIN32_EXECUTABLE ON)

# The deploy folder: the programs with the Qt libraries and plugins and the
# MinGW runtime beside them, all stripped, and the documents. This folder is
# what the zip and the installer hold.
set(TAVREL_DEPLOY_DIR ${CMAKE_BINARY_DIR}/deploy)
get_filename_component(TAVREL_QT_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)
add_custom_target(windows-deploy
  COMMAND ${CMAKE_COMMAND}
          -DDEPLOY_DIR=${TAVREL_DEPLOY_DIR}
          -DPANEL=$<TARGET_FILE:tavrel>
          -DCLI=$<TARGET_FILE:tavrel-cli>
          -DQT_PREFIX=${TAVREL_QT_PREFIX}
          -DCOMPILER=${CMAKE_CXX_COMPILER}
          -DSTRIP=${CMAKE_STRIP}
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
          -DWINDOWS_DIR=${TAVREL_WINDOWS_DIR}
          -P ${TAVREL_WINDOWS_DIR}/Deploy.cmake
  DEPENDS tavrel tavrel-cli
  COMMENT "Deploy folder for Windows"
  VERBATIM)

# The zip and the installer are made from the deploy folder alone, not from
# the install rules, which are the Linux layout.
set(CPACK_INSTALL_CMAKE_PROJECTS "")
set(CPACK_INSTALLED_DIRECTORIES "${TAVREL_DEPLOY_DIR};.")
set(CPACK_PACKAGE_NAME Tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Tavrel")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Tavrel")
set(CPACK_PACKAGE_EXECUTABLES "tavrel;Tavrel")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_NSIS_MUI_ICON ${TAVREL_RC_ICON})
set(CPACK_NSIS_MUI_UNIICON ${TAVREL_RC_ICON})
set(CPACK_NSIS_DISPLAY_NAME "Tavrel ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "Tavrel")
set(CPACK_NSIS_URL_INFO_ABOUT ${TAVREL_HOMEPAGE})
# The installer's own script (per-user or all-users, 64-bit) replaces CPack's.
list(APPEND CMAKE_MODULE_PATH ${TAVREL_WINDOWS_DIR})
# Names per generator: tavrel-VERSION-windows-x64.zip, tavrel-VERSION-setup-x64.exe.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/windows/CPackWindows.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "
if(CPACK_GENERATOR STREQUAL \"NSIS\")
  set(CPACK_PACKAGE_FILE_NAME \"tavrel-${PROJECT_VERSION}-setup-x64\")
else()
  set(CPACK_PACKAGE_FILE_NAME \"tavrel-${PROJECT_VERSION}-windows-x64\")
endif()
")
include(CPack)
