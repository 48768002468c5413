// The fuzzers' corpus, seeds and findings (crash_*) alike, through the entry
// points the fuzzers use, sanitized in that build.
#include "fuzz/entry_points.h"
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

namespace {

// Every file of each fuzzer's corpus gives no problem through its entry
// point. Of the bitmap seeds, besides, every "valid_", "lenient_" (odd but
// safe) and "tile_" one loads, as a file and as a resource; any other is
// refused.
TEST(CorpusReplay, EveryFileThroughItsFuzzersEntryPoint)
{
    const char* source = std::getenv("TILESCROLL_SOURCE_DIR");
    const fs::path corpus = fs::path(source != nullptr ? source : ".") / "fuzz" / "corpus";
    const std::pair<std::string, bmpentry::Problems (*)(std::span<const uint8_t>)> fuzzers[]
        = {{"load_image_file", bmpentry::LoadImageFromFile},
            {"palette_file", bmpentry::LoadPaletteFromFile},
            {"resource", bmpentry::LoadFromResource}};
    int valid = 0, hostile = 0;
    for (auto [folder, entryPoint] : fuzzers) {
        int files = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(corpus / folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
            for (const std::string& problem : entryPoint(bytes))
                ADD_FAILURE() << entry.path().string() << ": " << problem;
            ++files;
            const std::string name = entry.path().filename().string();
            const auto named = [&name](const char* prefix) { return name.rfind(prefix, 0) == 0; };
            const bool file = folder == "load_image_file";
            if ((!file && folder != "resource") || named("palette_") || named("crash_"))
                continue;
            layer::test::ResetLayer();
            layer::test::RegisterResource("SEED", RT_BITMAP, bytes);
            HANDLE bitmap = file ? LoadImageA(NULL, entry.path().string().c_str(), IMAGE_BITMAP, 0,
                                0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)
                                 : LoadImageA(GetModuleHandleA(NULL), "SEED", IMAGE_BITMAP, 0, 0,
                                     LR_CREATEDIBSECTION);
            const bool shouldLoad = named("valid_") || named("lenient_") || named("tile_");
            EXPECT_EQ(bitmap != NULL, shouldLoad) << entry.path().string();
            (shouldLoad ? valid : hostile) += 1;
            if (bitmap != NULL)
                DeleteObject(bitmap);
        }
        EXPECT_GE(files, 10) << folder;
    }
    layer::test::ResetLayer();
    EXPECT_GE(valid, 2 * 12);
    EXPECT_GE(hostile, 2 * 30);
}

}  // namespace
