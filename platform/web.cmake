# The layer in the browser build (emscripten, the `web` preset): the web
# backend in place of SDL2, and without the test controls and their PNG
# writer, which only the native tests use. Included from CMakeLists.txt with
# LAYER_SOURCES listed.
list(REMOVE_ITEM LAYER_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/layer/backend_sdl.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/layer/sdl_key_map.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/layer/png_writer.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/layer/test_controls.cpp)

add_library(win32layer STATIC ${LAYER_SOURCES})
target_include_directories(win32layer PUBLIC ${TILESCROLL_ROOT} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
include(${CMAKE_CURRENT_SOURCE_DIR}/font.cmake)
# The blits' row copies become WebAssembly's own memory.copy rather than
# calls of the C library's byte loop.
target_compile_options(win32layer PRIVATE -mbulk-memory)

# What a program on this layer is linked with. Asyncify lets the present
# yield to the browser in the middle of the program's own loop and carry on
# at the next refresh. The runtime exits with the program, so the page hears
# its exit code. The memory never grows: the canvas shows a view onto it.
# Nothing lives in its first 64 KB, as on the platform, where a pointer below
# 0x10000 is a resource's number (MAKEINTRESOURCE) and never a name: the
# default start of static data (1 KB) put the resource names' strings there.
target_link_options(win32layer INTERFACE
  -sENVIRONMENT=web
  -sGLOBAL_BASE=65536
  -sASYNCIFY
  -sASYNCIFY_IMPORTS=web_wait_for_refresh
  -sEXIT_RUNTIME=1
  -sINITIAL_MEMORY=16MB
  -sALLOW_MEMORY_GROWTH=0
  "SHELL:--js-library ${CMAKE_CURRENT_SOURCE_DIR}/layer/backend_web.js")
set_property(TARGET win32layer APPEND PROPERTY
  INTERFACE_LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/layer/backend_web.js)

add_library(win32layer_entry STATIC ${CMAKE_CURRENT_SOURCE_DIR}/layer/entry.cpp)
target_link_libraries(win32layer_entry PUBLIC win32layer)

# The page that loads tilescroll.js, next to it in the build folder.
set(WEB_PAGE ${CMAKE_BINARY_DIR}/index.html)
add_custom_command(OUTPUT ${WEB_PAGE}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/layer/backend_web.html ${WEB_PAGE}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/layer/backend_web.html
  VERBATIM)
add_custom_target(web_page ALL DEPENDS ${WEB_PAGE})
