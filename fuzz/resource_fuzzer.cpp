// The input as an RT_BITMAP resource: LoadPaletteFromBitmap's resource road, LoadImageA and the
// program's bitmap loaders.
#include "fuzz/abort_on_problems.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bmpentry::AbortOnProblems(bmpentry::LoadFromResource({data, size}), "resource");
    return 0;
}
