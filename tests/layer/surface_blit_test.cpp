// BltFast: the rectangle copied pixel for pixel and nothing else, refusals
// that leave the target untouched, overlapping blits and the source key.
#include "layer_fixture.h"

#include <string>
#include <vector>

namespace layertest {
namespace {

constexpr uint16_t SENTINEL = 0xAAAA;
// The source's width is not a multiple of four, so its rows are padded: a
// blit that ignored the pitch would shear the picture.
constexpr int SOURCE_WIDTH = 61;
constexpr int SOURCE_HEIGHT = 64;
constexpr int TARGET_WIDTH = 100;
constexpr int TARGET_HEIGHT = 80;

uint16_t SourcePixel(int x, int y)
{
    return static_cast<uint16_t>(1 + x + y * SOURCE_WIDTH);
}

struct BlitRow {
    const char* name;
    DWORD x;
    DWORD y;
    bool wholeSource;  // null rectangle
    RECT rect;
    HRESULT expected;
};

const BlitRow BLIT_ROWS[] = {
    {"WholeSourceAtOrigin", 0, 0, true, {}, DD_OK},
    {"InnerRectangle", 10, 20, false, {4, 8, 60, 40}, DD_OK},
    {"OnePixelInTheLastCorner", 99, 79, false, {60, 63, 61, 64}, DD_OK},
    {"EndsExactlyAtTheRightAndBottom", 39, 16, false, {0, 0, 61, 64}, DD_OK},
    {"OnePastTheRight", 40, 0, false, {0, 0, 61, 10}, DDERR_INVALIDRECT},
    {"OnePastTheBottom", 0, 17, false, {0, 0, 10, 64}, DDERR_INVALIDRECT},
    {"SourceRightBeyondTheSource", 0, 0, false, {0, 0, 62, 10}, DDERR_INVALIDRECT},
    {"SourceBottomBeyondTheSource", 0, 0, false, {0, 0, 10, 65}, DDERR_INVALIDRECT},
    {"NegativeSourceLeft", 0, 0, false, {-1, 0, 10, 10}, DDERR_INVALIDRECT},
    {"EmptySourceRectangle", 0, 0, false, {5, 5, 5, 10}, DDERR_INVALIDRECT},
    {"InvertedSourceRectangle", 0, 0, false, {10, 0, 5, 10}, DDERR_INVALIDRECT},
    {"DestinationThatWrapsAround", 0xFFFFFFF0u, 0, false, {0, 0, 32, 10}, DDERR_INVALIDRECT},
};

class BltFastRect : public DisplayTest, public testing::WithParamInterface<BlitRow> { };

TEST_P(BltFastRect, CopiesExactlyTheRectangleOrNothing)
{
    const BlitRow& row = GetParam();
    IDirectDrawSurface* source = Offscreen(SOURCE_WIDTH, SOURCE_HEIGHT);
    IDirectDrawSurface* target = Offscreen(TARGET_WIDTH, TARGET_HEIGHT);
    Fill(source, SourcePixel);
    Fill(target, [](int, int) { return SENTINEL; });

    RECT rect = row.rect;
    EXPECT_EQ(target->BltFast(row.x, row.y, source, row.wholeSource ? nullptr : &rect,
                  DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT),
        row.expected);

    const RECT copied = row.wholeSource ? RECT{0, 0, SOURCE_WIDTH, SOURCE_HEIGHT} : row.rect;
    const test::Pixels after = test::ReadSurface(target);
    int wrong = 0;
    for (int y = 0; y < TARGET_HEIGHT; ++y) {
        for (int x = 0; x < TARGET_WIDTH; ++x) {
            const int sx = x - static_cast<int>(row.x) + copied.left;
            const int sy = y - static_cast<int>(row.y) + copied.top;
            const bool inside = row.expected == DD_OK && sx >= copied.left && sx < copied.right
                && sy >= copied.top && sy < copied.bottom;
            wrong += after.at(x, y) != (inside ? SourcePixel(sx, sy) : SENTINEL);
        }
    }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, BltFastRect, testing::ValuesIn(BLIT_ROWS),
    [](const testing::TestParamInfo<BlitRow>& info) { return std::string(info.param.name); });

class BltFast : public DisplayTest { };

TEST_F(BltFast, RefusesMissingLostOrBusySurfacesWithoutWriting)
{
    IDirectDrawSurface* source = Offscreen(16, 16);
    IDirectDrawSurface* target = Offscreen(16, 16);
    Fill(source, [](int, int) { return uint16_t{0x1234}; });
    Fill(target, [](int, int) { return SENTINEL; });

    EXPECT_EQ(target->BltFast(0, 0, nullptr, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, 0x80), DDERR_INVALIDPARAMS) << "unknown flags";
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_DESTCOLORKEY), DDERR_UNSUPPORTED);

    HDC dc = nullptr;
    ASSERT_EQ(source->GetDC(&dc), DD_OK);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    ASSERT_EQ(source->ReleaseDC(dc), DD_OK);

    test::MarkSurfaceLost(source);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    for (uint16_t value : test::ReadSurface(target).values)
        ASSERT_EQ(value, SENTINEL);

    ASSERT_EQ(source->Restore(), DD_OK);
    test::MarkSurfaceLost(target);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    ASSERT_EQ(target->Restore(), DD_OK);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DD_OK);
}

struct OverlapRow {
    const char* name;
    DWORD x;
    DWORD y;
    RECT rect;
};

class BltFastOverlap : public DisplayTest, public testing::WithParamInterface<OverlapRow> { };

// Within one surface the result is as if the rectangle had been copied out
// first, whichever way the regions overlap.
TEST_P(BltFastOverlap, MatchesACopyOfTheSourceTakenFirst)
{
    const OverlapRow& row = GetParam();
    IDirectDrawSurface* surface = Offscreen(20, 20);
    Fill(surface, [](int x, int y) { return static_cast<uint16_t>(x * 37 + y * 1000); });
    test::Pixels expected = test::ReadSurface(surface);
    const test::Pixels before = expected;
    for (int y = row.rect.top; y < row.rect.bottom; ++y) {
        for (int x = row.rect.left; x < row.rect.right; ++x) {
            const size_t at = (row.y + y - row.rect.top) * 20 + (row.x + x - row.rect.left);
            expected.values[at] = before.at(x, y);
        }
    }
    RECT rect = row.rect;
    ASSERT_EQ(surface->BltFast(row.x, row.y, surface, &rect, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(test::ReadSurface(surface).values, expected.values);
}

INSTANTIATE_TEST_SUITE_P(Directions, BltFastOverlap,
    testing::Values(OverlapRow{"DownRight", 3, 2, {0, 0, 12, 12}},
        OverlapRow{"UpLeft", 0, 0, {3, 2, 15, 14}},
        OverlapRow{"StraightDown", 0, 1, {0, 0, 20, 19}},
        OverlapRow{"SameRowRight", 1, 0, {0, 0, 19, 20}}),
    [](const testing::TestParamInfo<OverlapRow>& info) { return std::string(info.param.name); });

TEST_F(BltFast, SourceColorKeyLeavesKeyedPixelsOfTheTarget)
{
    constexpr uint16_t KEY = 0xF81F;
    IDirectDrawSurface* source = Offscreen(8, 8);
    IDirectDrawSurface* target = Offscreen(8, 8);
    Fill(source, [](int x, int y) { return (x + y) % 2 == 0 ? KEY : uint16_t{0x07E0}; });
    Fill(target, [](int, int) { return SENTINEL; });

    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY)
        << "no key set yet";
    DDCOLORKEY key = {KEY, KEY};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    ASSERT_EQ(
        target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    const test::Pixels after = test::ReadSurface(target);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(after.at(x, y), (x + y) % 2 == 0 ? SENTINEL : 0x07E0) << x << "," << y;
}

TEST_F(BltFast, ColorKeyIsKeptAndTakenAway)
{
    IDirectDrawSurface* surface = Offscreen(4, 4);
    DDCOLORKEY key = {};
    EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    DDCOLORKEY set = {0x1234, 0x1234};
    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &set), DD_OK);
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x1234u);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0x1234u);
    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);
    EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
}

}  // namespace
}  // namespace layertest
