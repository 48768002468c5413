// The fuzzers' seed bitmaps through LoadImageA, sanitized in that build.
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
namespace test = layer::test;

namespace {

fs::path CorpusRoot()
{
    const char* source = std::getenv("TILESCROLL_SOURCE_DIR");
    return fs::path(source != nullptr ? source : ".") / "fuzz" / "corpus";
}

std::vector<uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every "valid_", "lenient_" (odd but safe) and "tile_" seed loads, as a
// file and as a resource; every other bitmap seed is refused.
TEST(CorpusReplay, ValidSeedsLoadAndHostileOnesAreRefused)
{
    int valid = 0, hostile = 0;
    for (const bool file : {true, false}) {
        for (const fs::directory_entry& entry :
            fs::directory_iterator(CorpusRoot() / (file ? "load_image_file" : "resource"))) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("palette_", 0) == 0 || name.rfind("crash_", 0) == 0)
                continue;
            test::ResetLayer();
            test::RegisterResource("SEED", RT_BITMAP, ReadAll(entry.path()));
            HANDLE bitmap = file ? LoadImageA(NULL, entry.path().string().c_str(), IMAGE_BITMAP, 0,
                                0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)
                                 : LoadImageA(GetModuleHandleA(NULL), "SEED", IMAGE_BITMAP, 0, 0,
                                     LR_CREATEDIBSECTION);
            const bool shouldLoad = name.rfind("valid_", 0) == 0 || name.rfind("lenient_", 0) == 0
                || name.rfind("tile_", 0) == 0;
            EXPECT_EQ(bitmap != NULL, shouldLoad) << entry.path().string();
            (shouldLoad ? valid : hostile) += 1;
            if (bitmap != NULL)
                DeleteObject(bitmap);
        }
    }
    test::ResetLayer();
    EXPECT_GE(valid, 2 * 12);
    EXPECT_GE(hostile, 2 * 30);
}

}  // namespace
