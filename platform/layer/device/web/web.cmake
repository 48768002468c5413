# The browser build's linking and page (emscripten, the `web` preset),
# included from platform/CMakeLists.txt once win32layer exists.
set(WEB ${CMAKE_CURRENT_LIST_DIR})
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
  "SHELL:--js-library ${WEB}/web_backend.js")
set_property(TARGET win32layer APPEND PROPERTY
  INTERFACE_LINK_DEPENDS ${WEB}/web_backend.js)

# The page that loads tilescroll.js, next to it in the build folder.
set(WEB_PAGE ${CMAKE_BINARY_DIR}/index.html)
add_custom_command(OUTPUT ${WEB_PAGE}
  COMMAND ${CMAKE_COMMAND} -E copy ${WEB}/page.html ${WEB_PAGE}
  DEPENDS ${WEB}/page.html
  VERBATIM)
add_custom_target(web_page ALL DEPENDS ${WEB_PAGE})
