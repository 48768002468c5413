// A .bmp file through LoadImageA, StretchBlt and the program's bitmap loaders.
#include "fuzz/abort_on_problems.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bmpentry::AbortOnProblems(bmpentry::LoadImageFromFile({data, size}), "load_image_file");
    return 0;
}
