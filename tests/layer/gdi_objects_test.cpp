// GDI objects: selection, the deletion rules, handles that must be refused,
// the BITMAP record, and the live count returning to zero.
#include "layer/gdi_test_support.h"

#include <cstring>

namespace {

using gditest::GdiTest;
using gditest::MakeBitmap;
using gditest::SurfaceMemory;

TEST_F(GdiTest, SelectionDecidesWhatMayBeDeleted)
{
    HBITMAP first = MakeBitmap(1, 1, {RGB(10, 0, 0)});
    HBITMAP second = MakeBitmap(1, 1, {RGB(0, 20, 0)});
    HDC dc = CreateCompatibleDC(nullptr);
    HDC other = CreateCompatibleDC(nullptr);

    // A new memory DC holds the 1 x 1 monochrome default bitmap.
    auto original = static_cast<HBITMAP>(SelectObject(dc, first));
    BITMAP record{};
    ASSERT_NE(GetObjectA(original, sizeof record, &record), 0);
    EXPECT_EQ(record.bmWidth * record.bmHeight * record.bmBitsPixel, 1);

    EXPECT_FALSE(DeleteObject(first));  // selected: refused, and still whole
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(10, 0, 0));
    EXPECT_EQ(SelectObject(other, first), nullptr);  // one DC at a time
    EXPECT_EQ(SelectObject(dc, second), first);  // the previous selection comes back
    EXPECT_TRUE(DeleteObject(first));  // and is free again
    EXPECT_EQ(layer::LiveGdiObjectCount(), 3);

    EXPECT_TRUE(DeleteDC(dc));  // the selected bitmap survives
    EXPECT_EQ(GetObjectA(second, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_NE(SelectObject(other, second), nullptr);
    EXPECT_EQ(GetPixel(other, 0, 0), RGB(0, 20, 0));
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

// Every call refuses a handle that names no object of its kind, and touches
// nothing.
struct BadHandle {
    const char* name;
    void* (*make)();
};

int someInt = 0;

const BadHandle kBadHandles[] = {
    {"Null", [] { return static_cast<void*>(nullptr); }},
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
    {"FromBeforeReset",
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
    gditest::MemoryCanvas good(1, 1, {RGB(7, 7, 7)});

    EXPECT_FALSE(DeleteDC(hdc));
    EXPECT_FALSE(DeleteObject(handle));
    EXPECT_EQ(SelectObject(hdc, good.bitmap), nullptr);
    EXPECT_EQ(SelectObject(good.dc, handle), nullptr);
    if (hdc != nullptr) {
        EXPECT_EQ(CreateCompatibleDC(hdc), nullptr);
    }
    BITMAP record{};
    EXPECT_EQ(GetObjectA(handle, sizeof record, &record), 0);
    EXPECT_EQ(GetPixel(hdc, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(hdc, 0, 0, 0), static_cast<COLORREF>(-1));
    EXPECT_EQ(SetBkColor(hdc, 0), CLR_INVALID);
    EXPECT_EQ(SetTextColor(hdc, 0), CLR_INVALID);
    EXPECT_FALSE(TextOutA(hdc, 0, 0, "x", 1));
    EXPECT_FALSE(StretchBlt(hdc, 0, 0, 1, 1, good.dc, 0, 0, 1, 1, SRCCOPY));
    EXPECT_FALSE(StretchBlt(good.dc, 0, 0, 1, 1, hdc, 0, 0, 1, 1, SRCCOPY));

    EXPECT_EQ(layer::LiveGdiObjectCount(), 2);
    EXPECT_EQ(GetPixel(good.dc, 0, 0), RGB(7, 7, 7));
    good.Release();
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Handles, BadHandleTest, testing::ValuesIn(kBadHandles),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, StockBrushIsSharedNeverCountedNeverEnded)
{
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    ASSERT_NE(black, nullptr);
    EXPECT_TRUE(DeleteObject(black));
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, black);
    EXPECT_NE(previous, nullptr);
    EXPECT_EQ(SelectObject(dc, previous), black);
    EXPECT_FALSE(DeleteObject(dc));  // a DC goes with DeleteDC
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

TEST_F(GdiTest, BitmapRecordDescribesThe32BitBottomUpDib)
{
    gditest::MemoryCanvas canvas(3, 2, std::vector<COLORREF>(6, 0));
    SetPixel(canvas.dc, 0, 1, RGB(0x12, 0x34, 0x56));  // bottom-left
    SetPixel(canvas.dc, 2, 0, RGB(0xAB, 0xCD, 0xEF));  // top-right

    EXPECT_EQ(GetObjectA(canvas.bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    BITMAP record{};
    ASSERT_EQ(
        GetObjectA(canvas.bitmap, sizeof record + 8, &record), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(record.bmWidth, 3);
    EXPECT_EQ(record.bmHeight, 2);
    EXPECT_EQ(record.bmPlanes, 1);
    EXPECT_EQ(record.bmBitsPixel, 32);
    EXPECT_EQ(record.bmWidthBytes, 12);
    ASSERT_NE(record.bmBits, nullptr);
    // The bits are as the record says: bottom row first, blue, green, red.
    const auto* bytes = static_cast<const uint8_t*>(record.bmBits);
    EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16, 0x123456);
    EXPECT_EQ(bytes[20] | bytes[21] << 8 | bytes[22] << 16, 0xABCDEF);

    // A buffer too small for the record is not written at all.
    unsigned char small[sizeof(BITMAP)];
    std::memset(small, 0x5A, sizeof small);
    EXPECT_EQ(GetObjectA(canvas.bitmap, sizeof(BITMAP) - 1, small), 0);
    EXPECT_EQ(GetObjectA(canvas.bitmap, -1, small), 0);
    for (unsigned char byte : small)
        EXPECT_EQ(byte, 0x5A);
    canvas.Release();
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
    }
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);

    uint16_t memory[64] = {};
    struct Bad {
        uint16_t* bits;
        int width, height, pitchBytes;
    };
    for (Bad b : {Bad{nullptr, 4, 4, 8}, Bad{memory, 0, 4, 8}, Bad{memory, 4, -4, 8},
             Bad{memory, 4, 4, 6}, Bad{memory, 4, 4, 9}, Bad{memory, 4, 4, -8}})
        EXPECT_EQ(layer::CreateSurfaceDC(b.bits, b.width, b.height, b.pitchBytes), nullptr);
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

}  // namespace
