// What CreateSurface and CreatePalette accept, and the descriptions they
// refuse without making anything.
#include "layer_fixture.h"

#include <algorithm>
#include <string>

namespace layertest {
namespace {

struct DescriptionRow {
    const char* name;
    void (*change)(DDSURFACEDESC&);
    HRESULT expected;
};

DDSURFACEDESC Plain()
{
    return OffscreenDescription(64, 64);
}

const DescriptionRow DESCRIPTION_ROWS[] = {
    {"SizeFieldZero", [](DDSURFACEDESC& d) { d.dwSize = 0; }, DDERR_INVALIDPARAMS},
    {"SizeFieldOfAnotherRecord", [](DDSURFACEDESC& d) { d.dwSize = sizeof(d) - 4; },
        DDERR_INVALIDPARAMS},
    {"ZeroWidth", [](DDSURFACEDESC& d) { d.dwWidth = 0; }, DDERR_INVALIDPARAMS},
    {"ZeroHeight", [](DDSURFACEDESC& d) { d.dwHeight = 0; }, DDERR_INVALIDPARAMS},
    {"AbsurdWidth", [](DDSURFACEDESC& d) { d.dwWidth = 0x80000000u; }, DDERR_INVALIDPARAMS},
    {"OnePastTheLargestSide", [](DDSURFACEDESC& d) { d.dwHeight = 8193; }, DDERR_INVALIDPARAMS},
    {"WidthNotFlagged", [](DDSURFACEDESC& d) { d.dwFlags &= ~DDSD_WIDTH; }, DDERR_INVALIDPARAMS},
    {"UnknownDescriptionFlag", [](DDSURFACEDESC& d) { d.dwFlags |= 0x00080000; },
        DDERR_INVALIDPARAMS},
    {"FlippingOffscreen", [](DDSURFACEDESC& d) { d.ddsCaps.dwCaps |= DDSCAPS_FLIP; },
        DDERR_INVALIDPARAMS},
    {"BothMemories",
        [](DDSURFACEDESC& d) { d.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY; },
        DDERR_INVALIDPARAMS},
    {"EightBitPixelFormat",
        [](DDSURFACEDESC& d) {
            d.dwFlags |= DDSD_PIXELFORMAT;
            d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
            d.ddpfPixelFormat.dwFlags = DDPF_RGB;
            d.ddpfPixelFormat.dwRGBBitCount = 8;
        },
        DDERR_INVALIDPARAMS},
    {"ChainWithNoBackBuffer",
        [](DDSURFACEDESC& d) { d = ChainDescription(), d.dwBackBufferCount = 0; },
        DDERR_INVALIDPARAMS},
    {"ChainWithoutComplex",
        [](DDSURFACEDESC& d) { d = ChainDescription(), d.ddsCaps.dwCaps &= ~DDSCAPS_COMPLEX; },
        DDERR_INVALIDPARAMS},
    {"ChainWithoutCount",
        [](DDSURFACEDESC& d) { d = ChainDescription(), d.dwFlags &= ~DDSD_BACKBUFFERCOUNT; },
        DDERR_INVALIDPARAMS},
    {"PrimaryWithASize",
        [](DDSURFACEDESC& d) {
            d = ChainDescription();
            d.dwFlags |= DDSD_WIDTH | DDSD_HEIGHT;
            d.dwWidth = 320;
            d.dwHeight = 200;
        },
        DDERR_INVALIDPARAMS},
    {"ChainOfTwoBackBuffers",
        [](DDSURFACEDESC& d) { d = ChainDescription(), d.dwBackBufferCount = 2; },
        DDERR_UNSUPPORTED},
    {"SmallestOffscreen", [](DDSURFACEDESC& d) { d.dwWidth = 1, d.dwHeight = 1; }, DD_OK},
    {"SystemMemoryOffscreen", [](DDSURFACEDESC& d) { d.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY; },
        DD_OK},
    {"DisplayPixelFormatNamed",
        [](DDSURFACEDESC& d) {
            d.dwFlags |= DDSD_PIXELFORMAT;
            d.ddpfPixelFormat = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
        },
        DD_OK},
    {"PrimaryAlone",
        [](DDSURFACEDESC& d) {
            d = ChainDescription();
            d.dwFlags = DDSD_CAPS;
            d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        },
        DD_OK},
};

class CreateSurfaceDescription : public DisplayTest,
                                 public testing::WithParamInterface<DescriptionRow> { };

TEST_P(CreateSurfaceDescription, IsMadeOrRefusedWithoutMakingAnything)
{
    const DescriptionRow& row = GetParam();
    DDSURFACEDESC desc = Plain();
    row.change(desc);
    IDirectDrawSurface* surface = reinterpret_cast<IDirectDrawSurface*>(&desc);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), row.expected);
    const std::string err = testing::internal::GetCapturedStderr();
    if (row.expected == DD_OK) {
        ASSERT_NE(surface, nullptr);
        EXPECT_GE(test::LiveSurfaces(), 1);
        EXPECT_TRUE(err.empty()) << err;
    } else {
        EXPECT_EQ(surface, nullptr) << "the out pointer is cleared";
        EXPECT_EQ(test::LiveSurfaces(), 0);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CreateSurfaceDescription, testing::ValuesIn(DESCRIPTION_ROWS),
    [](const testing::TestParamInfo<DescriptionRow>& info) {
        return std::string(info.param.name);
    });

class Create : public DisplayTest { };

TEST_F(Create, RefusesMissingArguments)
{
    DDSURFACEDESC desc = Plain();
    IDirectDrawSurface* surface = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dd->CreateSurface(nullptr, &surface, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->CreateSurface(&desc, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, reinterpret_cast<IUnknown*>(&desc)),
        DDERR_INVALIDPARAMS);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(test::LiveSurfaces(), 0);
}

TEST_F(Create, ANewSurfaceIsBlackAndOfItsSize)
{
    IDirectDrawSurface* surface = Offscreen(33, 7);
    const test::Pixels pixels = test::ReadSurface(surface);
    EXPECT_EQ(pixels.width, 33);
    EXPECT_EQ(pixels.height, 7);
    EXPECT_EQ(std::count(pixels.values.begin(), pixels.values.end(), 0), 33 * 7);
}

class Palettes : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        for (int i = 0; i < 256; ++i)
            initial[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, 0};
        ASSERT_EQ(
            dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, initial, &palette, nullptr), DD_OK);
    }
    PALETTEENTRY initial[256];
    IDirectDrawPalette* palette = nullptr;
};

TEST_F(Palettes, CopiesTheTableItWasMadeFrom)
{
    initial[10].peRed = 0xEE;
    PALETTEENTRY read[256];
    ASSERT_EQ(palette->GetEntries(0, 0, 256, read), DD_OK);
    EXPECT_EQ(read[10].peRed, 10);
    EXPECT_EQ(read[200].peGreen, 55);
    EXPECT_EQ(test::LivePalettes(), 1);
    EXPECT_EQ(palette->Release(), 0u);
    EXPECT_EQ(test::LivePalettes(), 0);
}

TEST_F(Palettes, WithoutAllow256TheEndsStayBlackAndWhiteWithTheirFlags)
{
    initial[0] = {10, 20, 30, PC_NOCOLLAPSE};
    initial[255] = {40, 50, 60, 0};
    IDirectDrawPalette* reserved = nullptr;
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, initial, &reserved, nullptr), DD_OK);
    PALETTEENTRY read[256];
    ASSERT_EQ(reserved->GetEntries(0, 0, 256, read), DD_OK);
    EXPECT_EQ(read[0].peRed + read[0].peGreen + read[0].peBlue, 0);
    EXPECT_EQ(read[0].peFlags, PC_NOCOLLAPSE);
    EXPECT_EQ(read[255].peRed & read[255].peGreen & read[255].peBlue, 255);
    EXPECT_EQ(read[1].peRed, initial[1].peRed);

    PALETTEENTRY set[2] = {{1, 2, 3, 0}, {4, 5, 6, PC_NOCOLLAPSE}};
    ASSERT_EQ(reserved->SetEntries(0, 254, 2, set), DD_OK);
    ASSERT_EQ(reserved->GetEntries(0, 254, 2, read), DD_OK);
    EXPECT_EQ(read[0].peRed, 1);
    EXPECT_EQ(read[1].peRed & read[1].peGreen & read[1].peBlue, 255);
    EXPECT_EQ(read[1].peFlags, PC_NOCOLLAPSE);
}

TEST_F(Palettes, RefusesOtherKindsOfPalette)
{
    IDirectDrawPalette* other = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dd->CreatePalette(DDPCAPS_8BIT | 1, initial, &other, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->CreatePalette(DDPCAPS_8BIT, nullptr, &other, nullptr), DDERR_INVALIDPARAMS);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(test::LivePalettes(), 1);
}

struct RangeRow {
    DWORD first;
    DWORD count;
    HRESULT expected;
};

class PaletteRange : public Palettes, public testing::WithParamInterface<RangeRow> { };

TEST_P(PaletteRange, WritesAndReadsOnlyWithinTheTable)
{
    const RangeRow& row = GetParam();
    PALETTEENTRY written[257];
    for (PALETTEENTRY& entry : written)
        entry = {1, 2, 3, PC_NOCOLLAPSE};
    EXPECT_EQ(palette->SetEntries(0, row.first, row.count, written), row.expected);
    PALETTEENTRY read[257] = {};
    EXPECT_EQ(palette->GetEntries(0, row.first, row.count, read), row.expected);

    PALETTEENTRY all[256];
    ASSERT_EQ(palette->GetEntries(0, 0, 256, all), DD_OK);
    for (DWORD i = 0; i < 256; ++i) {
        const bool written = row.expected == DD_OK && i >= row.first && i - row.first < row.count;
        EXPECT_EQ(all[i].peRed, written ? 1 : initial[i].peRed) << i;
        EXPECT_EQ(all[i].peFlags, written ? PC_NOCOLLAPSE : 0) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, PaletteRange,
    testing::Values(RangeRow{0, 256, DD_OK}, RangeRow{255, 1, DD_OK}, RangeRow{17, 1, DD_OK},
        RangeRow{256, 0, DD_OK}, RangeRow{255, 2, DDERR_INVALIDPARAMS},
        RangeRow{0, 257, DDERR_INVALIDPARAMS}, RangeRow{256, 1, DDERR_INVALIDPARAMS},
        RangeRow{0xFFFFFFFFu, 2, DDERR_INVALIDPARAMS}));

}  // namespace
}  // namespace layertest
