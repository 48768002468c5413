// The loader's naming, order and failure rules, without the platform.
#include "display/tile_set_rules.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

struct FakeBitmap {
    int id;
};

// Runs the loader with the named tiles missing from the "resources" and the
// given tile indices failing their copy; records everything it asks for.
struct LoaderRun {
    std::vector<std::string> loads;
    std::vector<int> copies;
    std::vector<int> released;
    int quits = 0;
    int live = 0;

    LoaderRun(std::set<std::string> missing, std::set<int> failingCopies = {})
    {
        static FakeBitmap bitmaps[TILE_COUNT];
        LoadTilesInOrder(
            [&](const char* name) -> FakeBitmap* {
                loads.push_back(name);
                if (missing.count(name))
                    return nullptr;
                ++live;
                FakeBitmap* bitmap = &bitmaps[loads.size() - 1];
                bitmap->id = static_cast<int>(loads.size() - 1);
                return bitmap;
            },
            [&](int tile, FakeBitmap* bitmap) -> long {
                copies.push_back(tile);
                if (bitmap == nullptr || failingCopies.count(tile))
                    return 0x80004005L;
                return 0;
            },
            [&](FakeBitmap* bitmap) {
                released.push_back(bitmap->id);
                --live;
            },
            [&]() { ++quits; });
    }
};

TEST(TileSetRules, NamesCarryNoLeadingZeros)
{
    char name[TILE_NAME_SIZE];
    const std::pair<int, const char*> cases[]
        = {{0, "TILE1"}, {8, "TILE9"}, {9, "TILE10"}, {11, "TILE12"}};
    for (auto [index, expected] : cases) {
        TileResourceName(index, name);
        EXPECT_STREQ(name, expected);
    }
}

TEST(TileSetRules, AllPresentLoadsInOrderWithoutQuitting)
{
    LoaderRun run({});
    ASSERT_EQ(run.loads.size(), 12u);
    for (int i = 0; i < TILE_COUNT; ++i) {
        EXPECT_EQ(run.loads[i], "TILE" + std::to_string(i + 1));
        EXPECT_EQ(run.copies[i], i);
    }
    EXPECT_EQ(run.quits, 0);
    EXPECT_EQ(run.live, 0);
}

struct FailureCase {
    const char* name;
    std::set<std::string> missing;
    std::set<int> failingCopies;
};

class TileSetFailures : public testing::TestWithParam<FailureCase> { };

TEST_P(TileSetFailures, EveryTileIsTriedAndOneQuitFollows)
{
    LoaderRun run(GetParam().missing, GetParam().failingCopies);
    EXPECT_EQ(run.loads.size(), 12u) << "a failure must not stop the loading";
    EXPECT_EQ(run.copies.size(), 12u);
    EXPECT_EQ(run.quits, 1);
    EXPECT_EQ(run.live, 0) << "every loaded bitmap is released";
    EXPECT_EQ(run.released.size(), 12u - GetParam().missing.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, TileSetFailures,
    testing::Values(FailureCase{"FirstMissing", {"TILE1"}, {}},
        FailureCase{"LastMissing", {"TILE12"}, {}},
        FailureCase{"SeveralMissing", {"TILE2", "TILE9", "TILE10"}, {}},
        FailureCase{"AllMissing",
            {"TILE1", "TILE2", "TILE3", "TILE4", "TILE5", "TILE6", "TILE7", "TILE8", "TILE9",
                "TILE10", "TILE11", "TILE12"},
            {}},
        FailureCase{"CopyFails", {}, {4}}, FailureCase{"MissingAndCopyFails", {"TILE1"}, {11}}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST(TileSetRules, EachBitmapIsReleasedBeforeTheNextLoad)
{
    // At most one bitmap exists at a time.
    int live = 0, peak = 0;
    static FakeBitmap bitmap;
    LoadTilesInOrder(
        [&](const char*) {
            peak = std::max(peak, ++live);
            return &bitmap;
        },
        [](int, FakeBitmap*) { return 0L; }, [&](FakeBitmap*) { --live; }, [] {});
    EXPECT_EQ(peak, 1);
    EXPECT_EQ(live, 0);
}

}  // namespace
