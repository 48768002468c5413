# What `cmake --install` puts under the prefix, and the packages CPack makes
# of it: the program and its README, nothing from the tests, benchmarks or
# tools.
#   Linux:   bin/tilescroll, share/doc/tilescroll/README.md; `cpack` makes a .deb
#            whose Depends names the shared libraries the program links.
#   Windows: tilescroll.exe and README.md at the top; `cpack` makes a .zip.
include(GNUInstallDirs)
if(WIN32)
  install(TARGETS tilescroll RUNTIME DESTINATION .)
  install(FILES ${TILESCROLL_ROOT}/README.md DESTINATION .)
else()
  install(TARGETS tilescroll RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TILESCROLL_ROOT}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
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
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  # dpkg-shlibdeps (dpkg-dev) names the packages of the libraries the
  # program links: SDL2, the C++ runtime and the C library.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
