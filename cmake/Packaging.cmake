# What `cmake --install` puts under the prefix, and the packages CPack makes
# of it: the program, its README and licence, and on Linux what puts it in
# the desktop's menu; nothing from the tests, benchmarks or tools.
#   Linux:   bin/tilescroll, its manual page (share/man/man6), and in
#            share/doc/tilescroll the README, the copyright (ours and the
#            font's whose glyphs the program draws) and the changelog; the
#            desktop entry (share/applications), its icon at each size drawn
#            (share/icons/hicolor/<N>x<N>/apps) and the AppStream metainfo
#            (share/metainfo). `cpack` makes a .deb whose Depends names the
#            shared libraries the program links.
#   Windows: tilescroll.exe, README.md, LICENSE.txt and the notices of the
#            runtime linked into it (THIRD-PARTY-NOTICES.txt) at the top;
#            `cpack` makes a .zip named for the architecture (win32 or win64).
include(GNUInstallDirs)
if(WIN32)
  install(TARGETS tilescroll RUNTIME DESTINATION .)
  install(FILES ${TILESCROLL_ROOT}/README.md DESTINATION .)
  install(FILES ${TILESCROLL_ROOT}/LICENSE DESTINATION . RENAME LICENSE.txt)
  # What the linker map of tilescroll.exe shows taken from the toolchain:
  # mingw-w64's start-up code and libmingwex's printf with its gdtoa, and
  # libgcc; no winpthreads or libstdc++ member. Revisit it when that changes.
  install(FILES ${TILESCROLL_ROOT}/resources/windows/third-party-notices.txt
    DESTINATION . RENAME THIRD-PARTY-NOTICES.txt)
else()
  install(TARGETS tilescroll RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Where CPack strips the program, it also drops the compilers' version
  # notes, which strip alone keeps and Debian's own packages do not ship.
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tilescroll\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
  set(linux ${TILESCROLL_ROOT}/resources/linux)
  install(FILES ${TILESCROLL_ROOT}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # Debian's form of the licences: ours and that of the font drawn into the
  # program (the layer's default font is DejaVu Sans Bold's glyphs).
  install(FILES ${linux}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # Compressed as Debian wants them: gzip -9n, so that the same text gives
  # the same bytes (no name, no time stamp). A native package's changelog is
  # changelog.gz.
  set(packed ${CMAKE_CURRENT_BINARY_DIR}/packed)
  file(MAKE_DIRECTORY ${packed})
  foreach(source IN ITEMS debian/changelog tilescroll.6)
    get_filename_component(name ${source} NAME)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${linux}/${source})
    execute_process(COMMAND gzip -9nc ${linux}/${source}
      OUTPUT_FILE ${packed}/${name}.gz COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  install(FILES ${packed}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${packed}/tilescroll.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  # One id names the entry, the metainfo and the icon, so that each finds
  # the others.
  set(app_id io.github.tilescroll.tilescroll)
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
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tile-scrolling demonstration")
if(WIN32)
  set(CPACK_PACKAGE_DESCRIPTION "A 640 x 480 view onto a world of 64 x 64 tiles \
in a full-screen 16-bit DirectDraw display mode, scrolled with the arrow keys; \
Escape ends it.")
else()
  # The .deb's extended description, true of the Linux program: CPack makes
  # each line one of the control file's, the empty one between paragraphs.
  string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "A 640 x 480 view onto a 2048 x 2048 world of 64 x 64 tiles (grass,"
    "stone walls, houses and a line of yellow lettering), scrolled four"
    "pixels a frame with the arrow keys or a game controller's d-pad or"
    "left stick, with a key legend on every frame; Escape ends it."
    ""
    "It is a Win32 DirectDraw program that runs on a small compatibility"
    "layer of its own over SDL2, on X11 or Wayland. It starts full screen,"
    "the picture scaled by a whole number on black without changing the"
    "display's mode; Alt+Enter or F11 turns it into a resizable window.")
endif()
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
  # Not games: Debian keeps that section for programs in /usr/games, and this
  # demonstration installs as an ordinary X11 program in /usr/bin. Its menu
  # entry still lists it under Game;Amusement.
  set(CPACK_DEBIAN_PACKAGE_SECTION x11)
  # dpkg-shlibdeps (dpkg-dev) names the packages of the libraries the
  # program links: SDL2, the C++ runtime and the C library.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
