# The Linux build's stand-in for the resource compiler: reads the BITMAP
# statements of a resource script and writes a C++ file that carries each
# bitmap as a DIB (the file without its 14-byte BITMAPFILEHEADER, as the
# platform stores bitmap resources) and registers it with the layer at start.
#
# Included, it defines tilescroll_read_resource_script() so the build can
# list the bitmaps it depends on. Run with cmake -P and RESOURCE_SCRIPT and
# OUTPUT set, it writes the C++ file. Both use the one reading below.

# Every `NAME BITMAP "file"` line of the script, in order; file names are
# relative to the script's folder, as the resource compiler resolves them.
function(tilescroll_read_resource_script script names_var files_var)
  file(STRINGS "${script}" lines)
  get_filename_component(folder "${script}" DIRECTORY)
  set(names)
  set(files)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*([A-Za-z_][A-Za-z0-9_]*)[ \t]+BITMAP[ \t]+\"([^\"]+)\"")
      list(APPEND names "${CMAKE_MATCH_1}")
      list(APPEND files "${folder}/${CMAKE_MATCH_2}")
    endif()
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "${script} names no BITMAP resource")
  endif()
  set(${names_var} "${names}" PARENT_SCOPE)
  set(${files_var} "${files}" PARENT_SCOPE)
endfunction()

# An OBJECT library carrying the bitmaps of a resource script: compiled by
# the resource compiler on Windows, embedded and registered with the layer
# elsewhere. OBJECT, so the registration is linked although nothing names it.
function(tilescroll_add_resources target script)
  add_library(${target} OBJECT)
  get_filename_component(folder "${script}" DIRECTORY)
  if(WIN32)
    target_sources(${target} PRIVATE ${script})
    # The resource compiler looks for the bitmaps on its include path.
    target_include_directories(${target} PRIVATE ${folder})
  else()
    tilescroll_read_resource_script(${script} names files)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script})
    get_filename_component(stem "${script}" NAME_WE)
    set(embedded ${CMAKE_CURRENT_BINARY_DIR}/embedded_${stem}.cpp)
    add_custom_command(OUTPUT ${embedded}
      COMMAND ${CMAKE_COMMAND} -DRESOURCE_SCRIPT=${script} -DOUTPUT=${embedded}
              -P ${TILESCROLL_ROOT}/cmake/EmbedResources.cmake
      DEPENDS ${script} ${files} ${TILESCROLL_ROOT}/cmake/EmbedResources.cmake
      COMMENT "Embedding the bitmaps named in ${stem}.rc"
      VERBATIM)
    target_sources(${target} PRIVATE ${embedded})
    target_link_libraries(${target} PUBLIC win32layer)
  endif()
endfunction()

function(tilescroll_write_embedded_resources script output)
  tilescroll_read_resource_script("${script}" names files)
  get_filename_component(script_name "${script}" NAME)
  string(REPEAT "[0-9a-f][0-9a-f]" 16 one_line)

  set(arrays "")
  set(registrations "")
  set(index 0)
  foreach(name file IN ZIP_LISTS names files)
    file(SIZE "${file}" size)
    file(READ "${file}" magic LIMIT 2 HEX)
    if(NOT magic STREQUAL "424d" OR size LESS 15)
      message(FATAL_ERROR "${file} (resource ${name}) is not a BMP file")
    endif()
    file(READ "${file}" hex OFFSET 14 HEX)
    string(REGEX REPLACE "(${one_line})" "\\1\n" hex "${hex}")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
    get_filename_component(file_name "${file}" NAME)
    string(APPEND arrays
      "// ${name}: ${file_name}\n"
      "alignas(8) const unsigned char resource${index}[] = {\n${hex}\n};\n\n")
    string(APPEND registrations
      "    layer::RegisterModuleResource(\"${name}\", RT_BITMAP, resource${index}, sizeof resource${index});\n")
    math(EXPR index "${index} + 1")
  endforeach()

  file(WRITE "${output}"
    "// Generated from ${script_name} by EmbedResources.cmake. Do not edit.\n"
    "#include \"platform/layer/kernel/kernel_internal.h\"\n\n"
    "namespace {\n\n"
    "${arrays}"
    "// Registered before main, as the platform's loader would have mapped them.\n"
    "[[maybe_unused]] const bool registered = [] {\n"
    "${registrations}"
    "    return true;\n"
    "}();\n\n"
    "}  // namespace\n")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED RESOURCE_SCRIPT)
  if(NOT DEFINED OUTPUT)
    message(FATAL_ERROR "EmbedResources.cmake: set OUTPUT")
  endif()
  tilescroll_write_embedded_resources("${RESOURCE_SCRIPT}" "${OUTPUT}")
endif()
