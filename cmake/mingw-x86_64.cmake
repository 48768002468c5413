# Cross-compiling for 64-bit Windows with mingw-w64 from a Linux host: the
# same program as the i686 build, for Windows on x86-64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
