# SPDX-License-Identifier: GPL-3.0-or-later
# Fills the Windows deploy folder (cmake -P, from the windows-deploy target):
# the programs, the Qt libraries and plugins they load, the MinGW runtime,
# every one of them stripped, and the documents and licences. The folder is
# made afresh, so that nothing from an earlier build stays in it.
#
# Variables: DEPLOY_DIR, PANEL, CLI, QT_PREFIX, COMPILER, STRIP, SOURCE_DIR,
# WINDOWS_DIR.

file(REMOVE_RECURSE ${DEPLOY_DIR})
file(MAKE_DIRECTORY ${DEPLOY_DIR})

set(binaries ${PANEL} ${CLI})
foreach(module Core Gui Widgets SerialPort)
  list(APPEND binaries ${QT_PREFIX}/bin/Qt6${module}.dll)
endforeach()
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${COMPILER} -print-file-name=${runtime} OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${COMPILER} does not know where ${runtime} is")
  endif()
  list(APPEND binaries ${path})
endforeach()
set(plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qgif.dll imageformats/qico.dll
            imageformats/qjpeg.dll imageformats/qtiff.dll imageformats/qwebp.dll)
# SVG pictures, where the Qt that is used has QtSvg.
if(EXISTS ${QT_PREFIX}/plugins/imageformats/qsvg.dll)
  list(APPEND plugins imageformats/qsvg.dll)
  list(APPEND binaries ${QT_PREFIX}/bin/Qt6Svg.dll)
endif()

function(deploy_binary source destination)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "missing: ${source}")
  endif()
  get_filename_component(name ${source} NAME)
  execute_process(COMMAND ${STRIP} --strip-unneeded -o ${destination}/${name} ${source} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${STRIP} failed on ${source}")
  endif()
endfunction()

foreach(binary ${binaries})
  deploy_binary(${binary} ${DEPLOY_DIR})
endforeach()
foreach(plugin ${plugins})
  get_filename_component(folder ${plugin} DIRECTORY)
  file(MAKE_DIRECTORY ${DEPLOY_DIR}/${folder})
  deploy_binary(${QT_PREFIX}/plugins/${plugin} ${DEPLOY_DIR}/${folder})
endforeach()

# Documents, with Windows line ends so that any editor shows them right.
function(deploy_text source name)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${DEPLOY_DIR}/${name} "${text}")
endfunction()
deploy_text(${SOURCE_DIR}/README.md README.md)
deploy_text(${SOURCE_DIR}/LICENSE LICENSE.txt)
deploy_text(${WINDOWS_DIR}/THIRD-PARTY.txt THIRD-PARTY.txt)
deploy_text(${SOURCE_DIR}/src/emulator/fonts/LICENSES.md LICENSES-fonts.md)
deploy_text(${SOURCE_DIR}/src/resources/LICENSES.md LICENSES-resources.md)
if(EXISTS /usr/share/common-licenses/LGPL-3)
  deploy_text(/usr/share/common-licenses/LGPL-3 LGPL-3.txt)
endif()
