// The loader's naming, order and failure rules, without the platform.
#include "display/tile_set_rules.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(TileSetRules, EveryTileIsTriedInOrderAndAnyFailureGivesOneQuit)
{
    struct Case {
        const char* name;
        std::set<std::string> missing;
        std::set<int> failingCopies;
    };
    const Case cases[] = {{"AllPresent", {}, {}}, {"SeveralMissing", {"TILE1", "TILE10"}, {}},
        {"CopyFails", {}, {11}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        static int bitmaps[TILE_COUNT];
        std::vector<std::string> loads;
        std::vector<int> copies;
        int quits = 0, live = 0, peak = 0;
        LoadTilesInOrder(
            [&](const char* name) -> int* {
                loads.push_back(name);
                if (c.missing.count(name))
                    return nullptr;
                peak = std::max(peak, ++live);
                return &bitmaps[loads.size() - 1];
            },
            [&](int tile, int* bitmap) -> long {
                copies.push_back(tile);
                return bitmap == nullptr || c.failingCopies.count(tile) ? 0x80004005L : 0;
            },
            [&](int*) { --live; }, [&]() { ++quits; });
        ASSERT_EQ(loads.size(), 12u) << "a failure must not stop the loading";
        for (int i = 0; i < TILE_COUNT; ++i) {
            EXPECT_EQ(loads[i], "TILE" + std::to_string(i + 1));
            EXPECT_EQ(copies[i], i);
        }
        EXPECT_EQ(quits, c.missing.empty() && c.failingCopies.empty() ? 0 : 1);
        EXPECT_EQ(live, 0) << "every loaded bitmap is released";
        EXPECT_EQ(peak, 1) << "each bitmap goes before the next load";
    }
}

}  // namespace
