// The two row copies behind BltFast, each forced in turn: for every width a
// tile piece can have and more (one pixel, odd widths, whole and overlong
// tile rows), at both edges of the source and of the target, each leaves
// exactly the source's pixels in the rectangle and nothing outside it, so the
// two leave the same picture.
#include "layer_fixture.h"
#include "platform/layer/ddraw/row_copy.h"

#include <vector>

namespace layertest {
namespace {

constexpr uint16_t SENTINEL = 0xAAAA;
constexpr int SOURCE_WIDTH = 67;  // odd, and wider than a tile row
constexpr int SOURCE_HEIGHT = 70;
constexpr int TARGET_WIDTH = 203;  // odd, so its rows are padded
constexpr int TARGET_HEIGHT = 90;

struct Blit {
    DWORD x, y;
    RECT rect;
};

class RowCopy : public DisplayTest {
protected:
    void TearDown() override
    {
        layer::ChooseRowCopyPathAutomatically();
        DisplayTest::TearDown();
    }
};

// Every width from 1 to the source's, placed so that the left edges fall on
// every alignment; then the four edges and corners.
std::vector<Blit> Blits()
{
    std::vector<Blit> blits;
    for (LONG w = 1; w <= SOURCE_WIDTH; ++w) {
        const LONG h = 1 + w % 9;
        const LONG left = (w * 7) % (SOURCE_WIDTH - w + 1);
        const LONG top = w % 5;
        blits.push_back({static_cast<DWORD>((w * 13) % (TARGET_WIDTH - w + 1)),
            static_cast<DWORD>((w * 3) % (TARGET_HEIGHT - h + 1)), {left, top, left + w, top + h}});
    }
    const LONG sw = SOURCE_WIDTH, sh = SOURCE_HEIGHT, tw = TARGET_WIDTH, th = TARGET_HEIGHT;
    blits.push_back({0, 0, {0, 0, sw, sh}});
    blits.push_back({static_cast<DWORD>(tw - sw), static_cast<DWORD>(th - sh), {0, 0, sw, sh}});
    blits.push_back({static_cast<DWORD>(tw - 64), 0, {sw - 64, sh - 3, sw, sh}});
    blits.push_back(
        {static_cast<DWORD>(tw - 1), static_cast<DWORD>(th - 1), {sw - 1, sh - 1, sw, sh}});
    blits.push_back({static_cast<DWORD>(tw - 33), 5, {sw - 33, 0, sw, 7}});
    return blits;
}

TEST_F(RowCopy, BothPathsCopyExactlyTheRectangleAndAgree)
{
    if (!layer::WideRowCopyAvailable())
        GTEST_SKIP() << "this CPU has only the plain row copy";
    const auto sourcePixel
        = [](int x, int y) { return static_cast<uint16_t>(0x1000 + x * 131 + y * 7919); };
    IDirectDrawSurface* source = Offscreen(SOURCE_WIDTH, SOURCE_HEIGHT);
    IDirectDrawSurface* target = Offscreen(TARGET_WIDTH, TARGET_HEIGHT);
    Fill(source, sourcePixel);
    for (const Blit& blit : Blits()) {
        SCOPED_TRACE(testing::Message()
            << "width " << blit.rect.right - blit.rect.left << " at " << blit.x << "," << blit.y);
        std::vector<uint16_t> pictures[2];
        int path = 0;
        for (layer::RowCopyPath forced : {layer::RowCopyPath::Plain, layer::RowCopyPath::Wide}) {
            ASSERT_TRUE(layer::ForceRowCopyPath(forced));
            ASSERT_EQ(layer::ActiveRowCopyPath(), forced);
            Fill(target, [](int, int) { return SENTINEL; });
            RECT rect = blit.rect;
            ASSERT_EQ(target->BltFast(
                          blit.x, blit.y, source, &rect, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT),
                DD_OK);
            const test::Pixels after = test::ReadSurface(target);
            int wrong = 0;
            for (int y = 0; y < TARGET_HEIGHT; ++y)
                for (int x = 0; x < TARGET_WIDTH; ++x) {
                    const int sx = x - static_cast<int>(blit.x) + rect.left;
                    const int sy = y - static_cast<int>(blit.y) + rect.top;
                    const bool inside
                        = sx >= rect.left && sx < rect.right && sy >= rect.top && sy < rect.bottom;
                    wrong += after.at(x, y) != (inside ? sourcePixel(sx, sy) : SENTINEL);
                }
            EXPECT_EQ(wrong, 0) << (forced == layer::RowCopyPath::Plain ? "plain" : "wide");
            pictures[path++] = after.values;
        }
        EXPECT_EQ(pictures[0], pictures[1]);
    }
}

}  // namespace
}  // namespace layertest
