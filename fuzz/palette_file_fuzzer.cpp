// A .bmp file through LoadPaletteFromBitmap's file road (_lopen, _lread).
#include "fuzz/abort_on_problems.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bmpentry::AbortOnProblems(bmpentry::LoadPaletteFromFile({data, size}), "palette_file");
    return 0;
}
