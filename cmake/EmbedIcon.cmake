# The window's icon for the desktop backend: one of the hicolor PNGs carried
# in the program as bytes, so the window has its icon installed or not.
# Run with cmake -P and ICON and OUTPUT set.
file(READ "${ICON}" bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Made at build time from ${ICON}.\n#include <cstddef>\n\nnamespace layer {\n\nextern const unsigned char WINDOW_ICON_PNG[];\nextern const size_t WINDOW_ICON_PNG_SIZE;\nconst unsigned char WINDOW_ICON_PNG[] = {\n    ${bytes}\n};\nconst size_t WINDOW_ICON_PNG_SIZE = ${size};\n\n}  // namespace layer\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
