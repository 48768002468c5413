// Every file of the fuzzers' corpus (the seeds and every input a fuzzer found
// a fault with) through the same three entry points the fuzzers use, built
// with the suite's compiler and, in the sanitizer build, its sanitizers.
#include "fuzz/entry_points.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <span>
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

// Every corpus file, in a stable order.
std::vector<fs::path> CorpusFiles()
{
    std::vector<fs::path> files;
    if (fs::is_directory(CorpusRoot()))
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(CorpusRoot()))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string Join(const bmpentry::Problems& problems)
{
    std::string text;
    for (const std::string& problem : problems)
        text += problem + "\n";
    return text;
}

struct Road {
    const char* name;
    bmpentry::Problems (*run)(std::span<const uint8_t>);
};

void PrintTo(const Road& road, std::ostream* out)
{
    *out << road.name;
}

class CorpusReplay : public testing::TestWithParam<Road> { };

TEST_P(CorpusReplay, EveryFileIsReadOrRefusedWithNothingLeft)
{
    const std::vector<fs::path> files = CorpusFiles();
    ASSERT_GE(files.size(), 100u) << "corpus missing under " << CorpusRoot();
    for (const fs::path& file : files)
        EXPECT_EQ(Join(GetParam().run(ReadAll(file))), "")
            << fs::relative(file, CorpusRoot()).string();
}

INSTANTIATE_TEST_SUITE_P(Roads, CorpusReplay,
    testing::Values(Road{"LoadImageFromFile", bmpentry::LoadImageFromFile},
        Road{"LoadPaletteFromFile", bmpentry::LoadPaletteFromFile},
        Road{"LoadFromResource", bmpentry::LoadFromResource}),
    [](const testing::TestParamInfo<Road>& info) { return info.param.name; });

// The seeds are what their names say, so the replay is not passing on
// inputs that never get past the first check: every "valid_" seed loads,
// and so does every "lenient_" one (odd but safe to read, e.g. empty
// colour masks); every other bitmap seed is refused.
TEST(CorpusSeeds, ValidSeedsLoadAndHostileOnesAreRefused)
{
    struct Folder {
        const char* name;
        bool file;
    };
    int valid = 0;
    int hostile = 0;
    for (const Folder folder : {Folder{"load_image_file", true}, Folder{"resource", false}}) {
        for (const fs::directory_entry& entry :
            fs::directory_iterator(CorpusRoot() / folder.name)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("palette_", 0) == 0 || name.rfind("crash_", 0) == 0)
                continue;
            test::ResetLayer();
            HANDLE bitmap;
            if (folder.file) {
                bitmap = LoadImageA(NULL, entry.path().string().c_str(), IMAGE_BITMAP, 0, 0,
                    LR_LOADFROMFILE | LR_CREATEDIBSECTION);
            } else {
                test::RegisterResource("SEED", RT_BITMAP, ReadAll(entry.path()));
                bitmap = LoadImageA(
                    GetModuleHandleA(NULL), "SEED", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
            }
            const bool shouldLoad = name.rfind("valid_", 0) == 0 || name.rfind("lenient_", 0) == 0
                || name.rfind("tile_", 0) == 0;
            EXPECT_EQ(bitmap != NULL, shouldLoad) << folder.name << "/" << name;
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
