// GDI objects: selection, deletion rules, handles that must be refused, the
// BITMAP record, and the live count returning to zero.
#include "layer/gdi_test_support.h"

#include <climits>
#include <cstring>

namespace {

using gditest::GdiTest;
using gditest::MakeBitmap;
using gditest::SurfaceMemory;

TEST_F(GdiTest, NewMemoryDcHoldsTheOneByOneMonochromeDefaultBitmap)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HBITMAP mine = MakeBitmap(2, 2, {0, 0, 0, 0});
    auto original = static_cast<HBITMAP>(SelectObject(dc, mine));
    ASSERT_NE(original, nullptr);
    BITMAP record{};
    ASSERT_EQ(GetObjectA(original, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, 1);
    EXPECT_EQ(record.bmHeight, 1);
    EXPECT_EQ(record.bmBitsPixel, 1);
    EXPECT_EQ(record.bmPlanes, 1);

    // Put back, as a careful program does; the default is shared, not owned.
    EXPECT_EQ(SelectObject(dc, original), mine);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(mine));
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

TEST_F(GdiTest, SelectedBitmapCannotBeDeletedUntilItsDcIsGone)
{
    HBITMAP bitmap = MakeBitmap(4, 4, std::vector<COLORREF>(16, RGB(1, 2, 3)));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    EXPECT_EQ(layer::LiveGdiObjectCount(), 2);

    EXPECT_FALSE(DeleteObject(bitmap));
    // Still whole: the DC draws from it and it still answers.
    EXPECT_EQ(GetPixel(dc, 3, 3), RGB(1, 2, 3));
    BITMAP record{};
    EXPECT_NE(GetObjectA(bitmap, sizeof record, &record), 0);

    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(layer::LiveGdiObjectCount(), 1);  // the bitmap outlives its DC
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

TEST_F(GdiTest, SelectingAnotherBitmapFreesThePreviousOne)
{
    HBITMAP first = MakeBitmap(1, 1, {RGB(10, 0, 0)});
    HBITMAP second = MakeBitmap(1, 1, {RGB(0, 20, 0)});
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, first);
    EXPECT_EQ(SelectObject(dc, second), first);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 20, 0));
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_FALSE(DeleteObject(second));
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

TEST_F(GdiTest, BitmapIsSelectedIntoOneDcAtATime)
{
    HBITMAP bitmap = MakeBitmap(1, 1, {RGB(9, 9, 9)});
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    ASSERT_NE(SelectObject(a, bitmap), nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr);
    EXPECT_EQ(GetPixel(a, 0, 0), RGB(9, 9, 9));
    EXPECT_NE(GetPixel(b, 0, 0), RGB(9, 9, 9));
    // Once a lets go, b may take it.
    DeleteDC(a);
    EXPECT_NE(SelectObject(b, bitmap), nullptr);
    EXPECT_EQ(GetPixel(b, 0, 0), RGB(9, 9, 9));
    DeleteDC(b);
    DeleteObject(bitmap);
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

// Every call that takes a DC or an object refuses a handle that names none,
// without touching anything.
struct BadHandle {
    const char* name;
    void* (*make)();
};

int someInt = 0;

const BadHandle kBadHandles[] = {
    {"Null", [] { return static_cast<void*>(nullptr); }},
    {"One", [] { return reinterpret_cast<void*>(uintptr_t{1}); }},
    {"ForeignPointer", [] { return static_cast<void*>(&someInt); }},
    {"DeletedDc",
        [] {
            HDC dc = CreateCompatibleDC(nullptr);
            DeleteDC(dc);
            return static_cast<void*>(dc);
        }},
    {"DeletedBitmap",
        [] {
            HBITMAP bitmap = MakeBitmap(1, 1, {0});
            DeleteObject(bitmap);
            return static_cast<void*>(bitmap);
        }},
    {"HandleFromBeforeReset",
        [] {
            HDC dc = CreateCompatibleDC(nullptr);
            layer::ResetGdi();
            return static_cast<void*>(dc);
        }},
};

class BadHandleTest : public GdiTest, public testing::WithParamInterface<BadHandle> { };

TEST_P(BadHandleTest, IsRefusedByEveryCall)
{
    void* handle = GetParam().make();
    auto hdc = static_cast<HDC>(handle);
    HBITMAP bitmap = MakeBitmap(1, 1, {RGB(7, 7, 7)});
    HDC good = CreateCompatibleDC(nullptr);
    SelectObject(good, bitmap);
    const int live = layer::LiveGdiObjectCount();

    EXPECT_FALSE(DeleteDC(hdc));
    EXPECT_FALSE(DeleteObject(handle));
    EXPECT_EQ(SelectObject(hdc, bitmap), nullptr);
    EXPECT_EQ(SelectObject(good, handle), nullptr);
    EXPECT_EQ(CreateCompatibleDC(hdc == nullptr ? reinterpret_cast<HDC>(&someInt) : hdc), nullptr);
    BITMAP record{};
    EXPECT_EQ(GetObjectA(handle, sizeof record, &record), 0);
    EXPECT_EQ(GetPixel(hdc, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(hdc, 0, 0, 0), static_cast<COLORREF>(-1));
    EXPECT_EQ(SetBkColor(hdc, 0), CLR_INVALID);
    EXPECT_EQ(SetTextColor(hdc, 0), CLR_INVALID);
    EXPECT_FALSE(TextOutA(hdc, 0, 0, "x", 1));
    EXPECT_FALSE(StretchBlt(hdc, 0, 0, 1, 1, good, 0, 0, 1, 1, SRCCOPY));
    EXPECT_FALSE(StretchBlt(good, 0, 0, 1, 1, hdc, 0, 0, 1, 1, SRCCOPY));

    EXPECT_EQ(layer::LiveGdiObjectCount(), live);
    EXPECT_EQ(GetPixel(good, 0, 0), RGB(7, 7, 7));
    DeleteDC(good);
    DeleteObject(bitmap);
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Handles, BadHandleTest, testing::ValuesIn(kBadHandles),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, DcHandleIsNotAnObjectToDelete)
{
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(DeleteObject(dc));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(GdiTest, StockBrushIsSharedAndNeverCounted)
{
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    ASSERT_NE(black, nullptr);
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
    EXPECT_TRUE(DeleteObject(black));  // succeeds and ends nothing
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, black);
    EXPECT_NE(previous, nullptr);
    EXPECT_EQ(SelectObject(dc, previous), black);
    DeleteDC(dc);
    EXPECT_EQ(GetStockObject(12345), nullptr);
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

TEST_F(GdiTest, BitmapRecordDescribesThe32BitBottomUpDib)
{
    HBITMAP bitmap = MakeBitmap(3, 2, std::vector<COLORREF>(6, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    SetPixel(dc, 0, 1, RGB(0x12, 0x34, 0x56));  // bottom-left
    SetPixel(dc, 2, 0, RGB(0xAB, 0xCD, 0xEF));  // top-right

    EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    BITMAP record{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof record + 8, &record), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(record.bmType, 0);
    EXPECT_EQ(record.bmWidth, 3);
    EXPECT_EQ(record.bmHeight, 2);
    EXPECT_EQ(record.bmPlanes, 1);
    EXPECT_EQ(record.bmBitsPixel, 32);
    EXPECT_EQ(record.bmWidthBytes, 12);
    ASSERT_NE(record.bmBits, nullptr);
    // The bits are laid out as the record says: the bottom row first, each
    // pixel blue, green, red, unused.
    const auto* bytes = static_cast<const uint8_t*>(record.bmBits);
    EXPECT_EQ(bytes[0], 0x56);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x12);
    EXPECT_EQ(bytes[12 + 8], 0xEF);
    EXPECT_EQ(bytes[12 + 10], 0xAB);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, BitmapRecordIsNotWrittenIntoATooSmallBuffer)
{
    HBITMAP bitmap = MakeBitmap(1, 1, {0});
    unsigned char buffer[sizeof(BITMAP)];
    std::memset(buffer, 0x5A, sizeof buffer);
    EXPECT_EQ(GetObjectA(bitmap, sizeof(BITMAP) - 1, buffer), 0);
    EXPECT_EQ(GetObjectA(bitmap, -1, buffer), 0);
    for (unsigned char byte : buffer)
        EXPECT_EQ(byte, 0x5A);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, SurfaceDcIsCountedUntilGivenBackAndTakesNoBitmap)
{
    {
        SurfaceMemory surface(4, 4);
        ASSERT_NE(surface.dc(), nullptr);
        EXPECT_EQ(layer::LiveGdiObjectCount(), 1);
        HBITMAP bitmap = MakeBitmap(1, 1, {0});
        EXPECT_EQ(SelectObject(surface.dc(), bitmap), nullptr);
        EXPECT_FALSE(DeleteDC(surface.dc()));  // it goes back through ReleaseDC
        EXPECT_TRUE(DeleteObject(bitmap));
        // A memory DC compatible with a surface DC is an ordinary memory DC.
        HDC memory = CreateCompatibleDC(surface.dc());
        EXPECT_NE(memory, nullptr);
        DeleteDC(memory);
    }
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

struct BadSurface {
    const char* name;
    bool nullBits;
    int width, height, pitchBytes;
};

class BadSurfaceTest : public GdiTest, public testing::WithParamInterface<BadSurface> { };

TEST_P(BadSurfaceTest, GivesNoDc)
{
    uint16_t memory[64] = {};
    const BadSurface& c = GetParam();
    EXPECT_EQ(
        layer::CreateSurfaceDC(c.nullBits ? nullptr : memory, c.width, c.height, c.pitchBytes),
        nullptr);
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Surfaces, BadSurfaceTest,
    testing::Values(BadSurface{"NullBits", true, 4, 4, 8}, BadSurface{"ZeroWidth", false, 0, 4, 8},
        BadSurface{"NegativeHeight", false, 4, -4, 8},
        BadSurface{"PitchShorterThanRow", false, 4, 4, 6}, BadSurface{"OddPitch", false, 4, 4, 9},
        BadSurface{"NegativePitch", false, 4, 4, -8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, FailedCallsLeaveNothingBehind)
{
    layer::test::FailCall("CreateCompatibleDC");
    EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
    HBITMAP bitmap = MakeBitmap(1, 1, {0});
    HDC dc = CreateCompatibleDC(nullptr);
    layer::test::FailCall("DeleteDC");
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(layer::LiveGdiObjectCount(), 2);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

TEST_F(GdiTest, ResetEndsEverything)
{
    MakeBitmap(2, 2, std::vector<COLORREF>(4, 0));
    CreateCompatibleDC(nullptr);
    ASSERT_EQ(layer::LiveGdiObjectCount(), 2);
    layer::ResetGdi();
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

TEST_F(GdiTest, OversizedBitmapIsRefused)
{
    EXPECT_EQ(layer::gdi::CreateDibBitmap(layer::gdi::kMaxBitmapSide + 1, 1, nullptr), nullptr);
    EXPECT_EQ(layer::gdi::CreateDibBitmap(
                  layer::gdi::kMaxBitmapSide, layer::gdi::kMaxBitmapSide, nullptr),
        nullptr);
    EXPECT_EQ(layer::gdi::CreateDibBitmap(0, 1, nullptr), nullptr);
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

}  // namespace
