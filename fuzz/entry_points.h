// The three roads by which bitmap bytes reach the layer and the program, for
// the fuzz targets and for the replay of their corpus in the test suite.
// Each call starts from a fresh layer, feeds one input through, gives back
// what it made and lists what went wrong: an object left alive, or a result
// that no input may give. Plain C++: no test framework, any compiler.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bmpentry {

using Problems = std::vector<std::string>;

// The bytes as a .bmp file through LoadImageA (at its own size and at a size
// asked for), drawn into a surface with StretchBlt, and through the
// program's bitmap loaders.
Problems LoadImageFromFile(std::span<const uint8_t> bytes);

// The bytes as a .bmp file through LoadPaletteFromBitmap.
Problems LoadPaletteFromFile(std::span<const uint8_t> bytes);

// The bytes as an RT_BITMAP resource of the running module, through
// LoadPaletteFromBitmap, LoadImageA and the program's bitmap loaders.
Problems LoadFromResource(std::span<const uint8_t> bytes);

}  // namespace bmpentry
