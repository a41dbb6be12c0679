# SPDX-License-Identifier: GPL-3.0-or-later
# libwebp's decoder and libtiff for the Windows build, so that the picture
# code decodes WebP and TIFF there with the same libraries as on Linux
# (WebP at the size it is stretched to, TIFF in every layout) and the files
# it makes are the Linux build's byte for byte. The sources are the copies
# that Qt's image formats module bundles (libwebp 1.2.4, Debian's version;
# libtiff 4.4 with the codings Qt configures), which scripts/build-windows.sh
# unpacks from Debian's qt6-imageformats source package and names in
# TAVREL_WINDOWS_3RDPARTY. Defines the targets tavrel_bundled_webp and
# tavrel_bundled_tiff, which src/CMakeLists.txt links when they exist.

if(NOT WIN32 OR NOT TAVREL_WINDOWS_3RDPARTY)
  return()
endif()
enable_language(C)

set(webp ${TAVREL_WINDOWS_3RDPARTY}/libwebp)
if(NOT EXISTS ${webp}/src/webp/decode.h OR NOT EXISTS ${TAVREL_WINDOWS_3RDPARTY}/libtiff/libtiff/tiffio.h)
  message(FATAL_ERROR "TAVREL_WINDOWS_3RDPARTY (${TAVREL_WINDOWS_3RDPARTY}) holds no libwebp and libtiff sources")
endif()

# The decoder alone: no encoder, no MIPS, NEON or MSA code.
file(GLOB webp_sources ${webp}/src/dec/*.c ${webp}/src/dsp/*.c ${webp}/src/utils/*.c)
list(FILTER webp_sources EXCLUDE REGEX "/(enc|cost|ssim|lossless_enc)[^/]*\\.c$")
list(FILTER webp_sources EXCLUDE REGEX "_(neon|msa|mips32|mips_dsp_r2)\\.c$")
list(FILTER webp_sources EXCLUDE REGEX "/(bit_writer_utils|huffman_encode_utils|quant_levels_utils)\\.c$")
add_library(tavrel_bundled_webp STATIC ${webp_sources})
target_include_directories(tavrel_bundled_webp PRIVATE ${webp})
target_include_directories(tavrel_bundled_webp SYSTEM INTERFACE ${webp}/src)
# Qt's copy takes the processor's features from Qt's configuration.
target_link_libraries(tavrel_bundled_webp PRIVATE Qt6::Core)
# The SSE4.1 variants are chosen at run time where the processor has it.
file(GLOB webp_sse41 ${webp}/src/dsp/*_sse41.c)
set_source_files_properties(${webp_sse41} PROPERTIES COMPILE_OPTIONS -msse4.1)

set(tiff ${TAVREL_WINDOWS_3RDPARTY}/libtiff/libtiff)
set(tiff_sources)
foreach(name aux close codec color compress dir dirinfo dirread dirwrite dumpmode error extension fax3 fax3sm
             flush getimage luv lzw next open packbits pixarlog predict print read strip swab thunder tile
             version warning win32 write zip)
  list(APPEND tiff_sources ${tiff}/tif_${name}.c)
endforeach()
add_library(tavrel_bundled_tiff STATIC ${tiff_sources})
target_include_directories(tavrel_bundled_tiff SYSTEM PUBLIC ${tiff})
# Its configuration header takes the byte order from Qt's; Deflate comes
# from the zlib in Qt6Core.dll.
find_package(ZLIB REQUIRED)
target_link_libraries(tavrel_bundled_tiff PUBLIC Qt6::Core ZLIB::ZLIB)

# Their own code, not ours: built as their makers build it, without our
# warnings.
set_target_properties(tavrel_bundled_webp tavrel_bundled_tiff PROPERTIES COMPILE_OPTIONS "-w" AUTOMOC OFF)
