# The layer's default font: DejaVu Sans Bold, rasterised in monochrome by a
# host tool at build time into a table that the layer compiles in. 14 pixels
# give a 16-pixel line with a 13-pixel ascent, the measures of the platform's
# System font.

set(TILESCROLL_DEFAULT_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
    CACHE FILEPATH "TrueType font rasterised into the layer's default font")
set(TILESCROLL_DEFAULT_FONT_PIXELS 14 CACHE STRING "Pixel size of the layer's default font")
if(NOT EXISTS ${TILESCROLL_DEFAULT_FONT})
  message(FATAL_ERROR "Default font ${TILESCROLL_DEFAULT_FONT} not found "
                      "(Debian package fonts-dejavu-core, or set TILESCROLL_DEFAULT_FONT)")
endif()

if(CMAKE_CROSSCOMPILING)
  # fontgen runs on the build machine, so it is built with that machine's
  # compiler and FreeType rather than the target's.
  find_program(HOST_CXX NAMES c++ g++ clang++ REQUIRED)
  find_program(HOST_PKG_CONFIG NAMES pkg-config REQUIRED)
  execute_process(COMMAND ${HOST_PKG_CONFIG} --cflags --libs freetype2
    OUTPUT_VARIABLE host_freetype OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "FreeType for the build machine not found (Debian package libfreetype-dev)")
  endif()
  separate_arguments(host_freetype UNIX_COMMAND "${host_freetype}")
  set(FONTGEN ${CMAKE_CURRENT_BINARY_DIR}/fontgen_host)
  add_custom_command(OUTPUT ${FONTGEN}
    COMMAND ${HOST_CXX} -O2 -std=c++17 ${CMAKE_CURRENT_SOURCE_DIR}/fontgen/fontgen.cpp
            ${host_freetype} -o ${FONTGEN}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fontgen/fontgen.cpp
    COMMENT "Building fontgen for the build machine"
    VERBATIM)
else()
  find_package(Freetype REQUIRED)
  add_executable(fontgen ${CMAKE_CURRENT_SOURCE_DIR}/fontgen/fontgen.cpp)
  target_link_libraries(fontgen PRIVATE Freetype::Freetype)
  set(FONTGEN fontgen)
endif()

set(DEFAULT_FONT_TABLE ${CMAKE_CURRENT_BINARY_DIR}/generated/default_font_glyphs.inc)
add_custom_command(
  OUTPUT ${DEFAULT_FONT_TABLE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND ${FONTGEN} ${TILESCROLL_DEFAULT_FONT} ${TILESCROLL_DEFAULT_FONT_PIXELS} ${DEFAULT_FONT_TABLE}
  DEPENDS ${FONTGEN} ${TILESCROLL_DEFAULT_FONT}
  COMMENT "Rasterising the default font"
  VERBATIM)
# Listed as a source so that default_font.cpp is compiled after it is made.
target_sources(win32layer PRIVATE ${DEFAULT_FONT_TABLE})
