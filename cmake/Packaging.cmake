# What `cmake --install` puts under the prefix, and the packages CPack makes
# of it: the program and its README, and on Linux what puts it in the
# desktop's menu; nothing from the tests, benchmarks or tools.
#   Linux:   bin/tilescroll, share/doc/tilescroll/README.md, the desktop entry
#            (share/applications), its icon at each size drawn (share/icons/
#            hicolor/<N>x<N>/apps) and the AppStream metainfo (share/metainfo);
#            `cpack` makes a .deb whose Depends names the shared libraries the
#            program links.
#   Windows: tilescroll.exe and README.md at the top; `cpack` makes a .zip
#            named for the architecture (win32 or win64).
include(GNUInstallDirs)
if(WIN32)
  install(TARGETS tilescroll RUNTIME DESTINATION .)
  install(FILES ${TILESCROLL_ROOT}/README.md DESTINATION .)
else()
  install(TARGETS tilescroll RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TILESCROLL_ROOT}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # One id names the entry, the metainfo and the icon, so that each finds
  # the others.
  set(app_id io.github.tilescroll.tilescroll)
  set(linux ${TILESCROLL_ROOT}/resources/linux)
  install(FILES ${linux}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${linux}/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # Every size tools/tilegen drew, tilescroll-<N>.png, as the theme's N x N.
  file(GLOB icons CONFIGURE_DEPENDS ${TILESCROLL_ROOT}/resources/icons/tilescroll-*.png)
  foreach(icon IN LISTS icons)
    string(REGEX REPLACE ".*-([0-9]+)\\.png$" "\\1" size "${icon}")
    install(FILES ${icon} RENAME ${app_id}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

set(CPACK_PACKAGE_NAME tilescroll)
set(CPACK_PACKAGE_VENDOR "tilescroll")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen tile-scrolling demonstration")
set(CPACK_PACKAGE_DESCRIPTION "Shows a 640 x 480 view onto a world of 64 x 64 tiles \
in a full-screen 16-bit display mode, scrolled with the arrow keys; Escape ends it.")
set(CPACK_RESOURCE_FILE_README ${TILESCROLL_ROOT}/README.md)
# A placeholder address (the .invalid domain never resolves); a release sets
# its own with -DCPACK_PACKAGE_CONTACT=...
if(NOT CPACK_PACKAGE_CONTACT)
  set(CPACK_PACKAGE_CONTACT "tilescroll maintainers <maintainers@tilescroll.invalid>")
endif()
# The Linux build keeps its debugging information; the packages do not.
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # CPack tells the architectures apart by MSVC's CMAKE_CL_64 alone, so
  # a mingw-w64 build names its own.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  # dpkg-shlibdeps (dpkg-dev) names the packages of the libraries the
  # program links: SDL2, the C++ runtime and the C library.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
