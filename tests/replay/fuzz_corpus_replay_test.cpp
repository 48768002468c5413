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

bool Named(const std::string& name, const char* prefix)
{
    return name.rfind(prefix, 0) == 0;
}

// Every file of each fuzzer's corpus gives no problem through its entry
// point. Besides, of the bitmap seeds, every "valid_", "lenient_" (odd but
// safe) and "tile_" one loads, as a file and as a resource, and every other
// one is refused.
TEST(CorpusReplay, EveryFileThroughItsFuzzersEntryPoint)
{
    const std::pair<const char*, bmpentry::Problems (*)(std::span<const uint8_t>)> fuzzers[]
        = {{"load_image_file", bmpentry::LoadImageFromFile},
            {"palette_file", bmpentry::LoadPaletteFromFile},
            {"resource", bmpentry::LoadFromResource}};
    int valid = 0, hostile = 0;
    for (auto [folder, entryPoint] : fuzzers) {
        int files = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(CorpusRoot() / folder)) {
            const std::vector<uint8_t> bytes = ReadAll(entry.path());
            for (const std::string& problem : entryPoint(bytes))
                ADD_FAILURE() << entry.path().string() << ": " << problem;
            ++files;
            const std::string name = entry.path().filename().string();
            const bool file = folder == fuzzers[0].first;
            if ((!file && folder != fuzzers[2].first) || Named(name, "palette_")
                || Named(name, "crash_"))
                continue;
            test::ResetLayer();
            test::RegisterResource("SEED", RT_BITMAP, bytes);
            HANDLE bitmap = file ? LoadImageA(NULL, entry.path().string().c_str(), IMAGE_BITMAP, 0,
                                0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)
                                 : LoadImageA(GetModuleHandleA(NULL), "SEED", IMAGE_BITMAP, 0, 0,
                                     LR_CREATEDIBSECTION);
            const bool shouldLoad
                = Named(name, "valid_") || Named(name, "lenient_") || Named(name, "tile_");
            EXPECT_EQ(bitmap != NULL, shouldLoad) << entry.path().string();
            (shouldLoad ? valid : hostile) += 1;
            if (bitmap != NULL)
                DeleteObject(bitmap);
        }
        EXPECT_GE(files, 10) << folder;
    }
    test::ResetLayer();
    EXPECT_GE(valid, 2 * 12);
    EXPECT_GE(hostile, 2 * 30);
}

}  // namespace
