# The layer's default font: DejaVu Sans Bold, rasterised in monochrome by a
# host tool at build time into a table that the layer compiles in. 14 pixels
# give a 16-pixel line with a 13-pixel ascent, the measures of the platform's
# System font.
find_package(Freetype REQUIRED)

set(TILESCROLL_DEFAULT_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
    CACHE FILEPATH "TrueType font rasterised into the layer's default font")
set(TILESCROLL_DEFAULT_FONT_PIXELS 14 CACHE STRING "Pixel size of the layer's default font")
if(NOT EXISTS ${TILESCROLL_DEFAULT_FONT})
  message(FATAL_ERROR "Default font ${TILESCROLL_DEFAULT_FONT} not found "
                      "(Debian package fonts-dejavu-core, or set TILESCROLL_DEFAULT_FONT)")
endif()

add_executable(fontgen ${CMAKE_CURRENT_SOURCE_DIR}/fontgen/fontgen.cpp)
target_link_libraries(fontgen PRIVATE Freetype::Freetype)

set(DEFAULT_FONT_TABLE ${CMAKE_CURRENT_BINARY_DIR}/generated/default_font_glyphs.inc)
add_custom_command(
  OUTPUT ${DEFAULT_FONT_TABLE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND fontgen ${TILESCROLL_DEFAULT_FONT} ${TILESCROLL_DEFAULT_FONT_PIXELS} ${DEFAULT_FONT_TABLE}
  DEPENDS fontgen ${TILESCROLL_DEFAULT_FONT}
  COMMENT "Rasterising the default font"
  VERBATIM)
# Listed as a source so that default_font.cpp is compiled after it is made.
target_sources(win32layer PRIVATE ${DEFAULT_FONT_TABLE})
