#include "fuzz/entry_points.h"

#include "display/bitmap_utils.h"
#include "display/palette_rules.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"
#include "tests/support/surface_description.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>

namespace test = layer::test;

namespace bmpentry {
namespace {

const char RESOURCE_NAME[] = "FUZZ_BITMAP";
const char WINDOW_CLASS_NAME[] = "FUZZ_WINDOW";
constexpr int32_t TARGET_WIDTH = 48;
constexpr int32_t TARGET_HEIGHT = 40;

// A size to ask LoadImageA for, varied with the input so that scaling up and
// down both get exercised, but small.
struct Size {
    int32_t width;
    int32_t height;
};

Size AskedSize(std::span<const uint8_t> bytes)
{
    uint32_t hash = 2166136261u;
    for (uint8_t byte : bytes)
        hash = (hash ^ byte) * 16777619u;
    return {1 + static_cast<int32_t>(hash % 64), 1 + static_cast<int32_t>((hash >> 8) % 64)};
}

// A window, a DirectDraw object in a small exclusive 16-bit mode and one
// offscreen surface to draw into.
struct Display {
    HWND window = NULL;
    IDirectDraw* directDraw = NULL;
    IDirectDrawSurface* surface = NULL;
};

bool OpenDisplay(Display& display, Problems& problems, bool withSurface = true)
{
    WNDCLASSEXA windowClass;
    std::memset(&windowClass, 0, sizeof(windowClass));
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = WINDOW_CLASS_NAME;
    RegisterClassExA(&windowClass);
    display.window = CreateWindowExA(
        0, WINDOW_CLASS_NAME, "fuzz", WS_POPUP, 0, 0, 320, 240, NULL, NULL, NULL, NULL);
    DDSURFACEDESC desc = testsupport::OffscreenDescription(TARGET_WIDTH, TARGET_HEIGHT);
    const bool ready = display.window != NULL
        && DirectDrawCreate(NULL, &display.directDraw, NULL) == DD_OK
        && display.directDraw->SetCooperativeLevel(
               display.window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)
            == DD_OK
        && (!withSurface
            || (display.directDraw->SetDisplayMode(320, 240, 16) == DD_OK
                && display.directDraw->CreateSurface(&desc, &display.surface, NULL) == DD_OK));
    if (!ready)
        problems.push_back("the display for the input could not be set up");
    return ready;
}

void CloseDisplay(Display& display)
{
    if (display.surface != NULL)
        display.surface->Release();
    if (display.directDraw != NULL)
        display.directDraw->Release();
    if (display.window != NULL)
        DestroyWindow(display.window);
    display = {};
}

void ExpectNoGdiObjects(const char* after, Problems& problems)
{
    if (test::LiveGdiObjects() != 0)
        problems.push_back(std::string("GDI objects left after ") + after + ": "
            + std::to_string(test::LiveGdiObjects()));
}

void ExpectNothingAlive(Problems& problems)
{
    const int alive[] = {test::LiveSurfaces(), test::LivePalettes(), test::LiveDirectDrawObjects(),
        test::LiveGdiObjects(), test::LiveWindows()};
    const char* names[] = {"surfaces", "palettes", "DirectDraw objects", "GDI objects", "windows"};
    for (size_t i = 0; i < std::size(alive); ++i)
        if (alive[i] != 0)
            problems.push_back(std::to_string(alive[i]) + " " + names[i] + " left alive");
}

// The file the input is written to, one per process.
const std::string& InputPath()
{
    static const std::string path = (std::filesystem::temp_directory_path()
        / ("tilescroll-fuzz-" + std::to_string(getpid()) + ".bmp"))
                                        .string();
    return path;
}

bool WriteInput(std::span<const uint8_t> bytes, Problems& problems)
{
    std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
    out.write(
        reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        problems.push_back("the input could not be written to " + InputPath());
    return static_cast<bool>(out);
}

// What GetObjectA says of a loaded bitmap, and the 32-bit pixels the layer
// keeps for it, rows bottom-up.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    const uint32_t* bits = nullptr;

    uint32_t At(int32_t x, int32_t y) const
    {
        return bits[static_cast<size_t>(height - 1 - y) * width + x];
    }
};

Picture Inspect(HBITMAP bitmap, const char* which, Problems& problems)
{
    BITMAP info;
    std::memset(&info, 0, sizeof(info));
    Picture picture;
    if (GetObjectA(bitmap, sizeof(info), &info) != static_cast<int>(sizeof(info))) {
        problems.push_back(std::string("GetObjectA refuses the ") + which + " bitmap");
        return picture;
    }
    // A DIB section's own depth, whole 32-bit words a row, and bits handed
    // out only at 32 bits, the one depth the layer keeps them at.
    const int bits = info.bmBitsPixel;
    const bool depthKnown
        = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (info.bmWidth <= 0 || info.bmHeight <= 0 || !depthKnown
        || info.bmWidthBytes != (int64_t{info.bmWidth} * bits + 31) / 32 * 4
        || (info.bmBits != nullptr) != (bits == 32)) {
        problems.push_back(std::string("the ") + which + " bitmap is described as "
            + std::to_string(info.bmWidth) + " x " + std::to_string(info.bmHeight) + " at "
            + std::to_string(info.bmBitsPixel) + " bits");
        return picture;
    }
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
    picture.bits = test::BitmapPixels(bitmap);
    return picture;
}

// Stretches the whole bitmap over the surface, then a piece chosen by the
// input (possibly outside the bitmap, or with empty or negative extents)
// somewhere partly off the surface.
void Draw(IDirectDrawSurface* surface, HBITMAP bitmap, const Picture& picture,
    std::span<const uint8_t> bytes, Problems& problems)
{
    HDC memory = CreateCompatibleDC(NULL);
    if (memory == NULL) {
        problems.push_back("no memory device context");
        return;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HDC target = NULL;
    if (surface->GetDC(&target) == DD_OK) {
        if (!StretchBlt(target, 0, 0, TARGET_WIDTH, TARGET_HEIGHT, memory, 0, 0, picture.width,
                picture.height, SRCCOPY))
            problems.push_back("StretchBlt of the whole bitmap failed");
        auto pick = [&bytes](size_t at) {
            return bytes.size() > at ? static_cast<int8_t>(bytes[bytes.size() - 1 - at]) : 0;
        };
        StretchBlt(target, pick(0), pick(1), pick(2), pick(3), memory, pick(4), pick(5), pick(6),
            pick(7), SRCCOPY);
        surface->ReleaseDC(target);
    } else {
        problems.push_back("the surface gave no device context");
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// Loads the bitmap at its own size and at a size asked for, checks that both
// agree, draws both and deletes them.
void LoadAndDraw(HINSTANCE module, const char* name, UINT flags, IDirectDrawSurface* surface,
    std::span<const uint8_t> bytes, bool* loaded, Problems& problems)
{
    const auto own = static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, flags));
    const Size asked = AskedSize(bytes);
    const auto sized = static_cast<HBITMAP>(
        LoadImageA(module, name, IMAGE_BITMAP, asked.width, asked.height, flags));
    *loaded = own != NULL;
    if ((own != NULL) != (sized != NULL))
        problems.push_back("the size asked for changes whether the bitmap loads");

    Picture ownPicture;
    if (own != NULL) {
        ownPicture = Inspect(own, "own-size", problems);
        if (ownPicture.bits != nullptr)
            Draw(surface, own, ownPicture, bytes, problems);
    }
    if (sized != NULL) {
        const Picture picture = Inspect(sized, "scaled", problems);
        if (picture.bits != nullptr) {
            if (picture.width != asked.width || picture.height != asked.height)
                problems.push_back("the scaled bitmap is not the size asked for");
            else if (ownPicture.bits != nullptr) {
                // Nearest neighbour: each pixel is the one under it at the
                // bitmap's own size.
                int wrong = 0;
                for (int32_t y = 0; y < picture.height; ++y)
                    for (int32_t x = 0; x < picture.width; ++x)
                        wrong += picture.At(x, y)
                            != ownPicture.At(
                                static_cast<int32_t>(int64_t{x} * ownPicture.width / picture.width),
                                static_cast<int32_t>(
                                    int64_t{y} * ownPicture.height / picture.height));
                if (wrong != 0)
                    problems.push_back(std::to_string(wrong)
                        + " scaled pixels differ from the pixels at the bitmap's own size");
            }
            Draw(surface, sized, picture, bytes, problems);
        }
    }
    for (HBITMAP bitmap : {own, sized})
        if (bitmap != NULL && !DeleteObject(bitmap))
            problems.push_back("a loaded bitmap could not be deleted");
    ExpectNoGdiObjects("loading and drawing", problems);
}

// The program's loaders on a name that does or does not load.
void ThroughTheProgram(const Display& display, const char* name, bool loads,
    std::span<const uint8_t> bytes, Problems& problems)
{
    const Size asked = AskedSize(bytes);
    IDirectDrawSurface* made
        = LoadBitmapSurface(display.directDraw, name, asked.width, asked.height);
    if ((made != NULL) != loads)
        problems.push_back(made != NULL ? "LoadBitmapSurface made a surface of nothing"
                                        : "LoadBitmapSurface failed on a loadable bitmap");
    if (made != NULL) {
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        made->GetSurfaceDesc(&desc);
        if (desc.dwWidth != static_cast<DWORD>(asked.width)
            || desc.dwHeight != static_cast<DWORD>(asked.height))
            problems.push_back("LoadBitmapSurface's surface is not the size asked for");
        made->Release();
    }
    ExpectNoGdiObjects("LoadBitmapSurface", problems);

    const HRESULT reloaded = ReloadBitmap(display.surface, name);
    if ((reloaded == DD_OK) != loads)
        problems.push_back("ReloadBitmap's result does not follow whether the bitmap loads");
    ExpectNoGdiObjects("ReloadBitmap", problems);
}

// The entries no colour table reached must be the default ramp; 0 and 255
// stay black and white in a palette made without DDPCAPS_ALLOW256.
void CheckPalette(IDirectDrawPalette* palette, const std::vector<bool>& untouched,
    const std::vector<bool>& swapped, Problems& problems)
{
    PALETTEENTRY entries[PALETTE_SIZE];
    if (palette->GetEntries(0, 0, PALETTE_SIZE, entries) != DD_OK) {
        problems.push_back("the palette's entries cannot be read");
        return;
    }
    PALETTEENTRY ramp[PALETTE_SIZE];
    BuildDefaultPalette(ramp);
    int wrong = 0;
    for (int i = 1; i < PALETTE_SIZE - 1; ++i) {
        PALETTEENTRY expected = ramp[i];
        if (swapped[i])
            std::swap(expected.peRed, expected.peBlue);
        if (untouched[i] && std::memcmp(&entries[i], &expected, sizeof(expected)) != 0)
            ++wrong;
    }
    if (wrong != 0)
        problems.push_back(std::to_string(wrong) + " palette entries beyond the colour table"
            + " are not the default ramp");
}

// Little-endian field of a header, zero where the bytes end.
uint32_t Field(std::span<const uint8_t> bytes, size_t at, size_t width)
{
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        if (at + i < bytes.size())
            value |= uint32_t{bytes[at + i]} << (8 * i);
    return value;
}

}  // namespace

Problems LoadImageFromFile(std::span<const uint8_t> bytes)
{
    Problems problems;
    test::ResetLayer();
    Display display;
    if (OpenDisplay(display, problems) && WriteInput(bytes, problems)) {
        const char* path = InputPath().c_str();
        bool loads = false;
        LoadAndDraw(NULL, path, LR_LOADFROMFILE | LR_CREATEDIBSECTION, display.surface, bytes,
            &loads, problems);
        ThroughTheProgram(display, path, loads, bytes, problems);
        std::remove(path);
    }
    CloseDisplay(display);
    ExpectNothingAlive(problems);
    test::ResetLayer();
    return problems;
}

Problems LoadPaletteFromFile(std::span<const uint8_t> bytes)
{
    Problems problems;
    test::ResetLayer();
    Display display;
    // A palette needs only the cooperative level: no mode, no surface.
    if (OpenDisplay(display, problems, false) && WriteInput(bytes, problems)) {
        IDirectDrawPalette* palette
            = LoadPaletteFromBitmap(display.directDraw, InputPath().c_str());
        if (palette == NULL) {
            problems.push_back("LoadPaletteFromBitmap gave no palette");
        } else {
            // The table is read from byte 54 on. Entries past the file's end
            // keep the ramp as it is, declared or not.
            constexpr size_t TABLE_START = 54;
            std::vector<bool> untouched(PALETTE_SIZE), swapped(PALETTE_SIZE, false);
            for (int i = 0; i < PALETTE_SIZE; ++i)
                untouched[i] = TABLE_START + 4 * static_cast<size_t>(i) >= bytes.size();
            CheckPalette(palette, untouched, swapped, problems);
            palette->Release();
        }
        std::remove(InputPath().c_str());
    }
    CloseDisplay(display);
    ExpectNothingAlive(problems);
    test::ResetLayer();
    return problems;
}

Problems LoadFromResource(std::span<const uint8_t> bytes)
{
    Problems problems;
    test::ResetLayer();
    test::RegisterResource(
        RESOURCE_NAME, RT_BITMAP, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    Display display;
    if (OpenDisplay(display, problems)) {
        IDirectDrawPalette* palette = LoadPaletteFromBitmap(display.directDraw, RESOURCE_NAME);
        if (palette == NULL) {
            problems.push_back("LoadPaletteFromBitmap gave no palette");
        } else {
            const uint32_t headerSize = Field(bytes, 0, 4);
            const int32_t count = ColorTableCount(
                headerSize, static_cast<uint16_t>(Field(bytes, 14, 2)), Field(bytes, 32, 4), false);
            std::vector<bool> untouched(PALETTE_SIZE), swapped(PALETTE_SIZE, false);
            for (int i = 0; i < PALETTE_SIZE; ++i)
                untouched[i] = i >= count
                    || uint64_t{headerSize} + 4 * (static_cast<uint64_t>(i) + 1) > bytes.size();
            CheckPalette(palette, untouched, swapped, problems);
            palette->Release();
        }

        bool loads = false;
        LoadAndDraw(GetModuleHandleA(NULL), RESOURCE_NAME, LR_CREATEDIBSECTION, display.surface,
            bytes, &loads, problems);
        ThroughTheProgram(display, RESOURCE_NAME, loads, bytes, problems);

        // As the tile set loads its pictures: at a fixed size, then copied.
        const auto tile = static_cast<HBITMAP>(LoadImageA(
            GetModuleHandleA(NULL), RESOURCE_NAME, IMAGE_BITMAP, 64, 64, LR_CREATEDIBSECTION));
        const HRESULT copied = CopyBitmapToSurface(display.surface, tile, 0, 0, 64, 64);
        if ((copied == DD_OK) != loads)
            problems.push_back("CopyBitmapToSurface's result does not follow the load");
        if (tile != NULL)
            DeleteObject(tile);
        ExpectNoGdiObjects("CopyBitmapToSurface", problems);
    }
    CloseDisplay(display);
    ExpectNothingAlive(problems);
    test::ResetLayer();
    return problems;
}

}  // namespace bmpentry
