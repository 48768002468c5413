// Text drawn again the same way is copied from the last box drawn instead of
// being drawn glyph by glyph. Whatever the second text, colours, place or
// canvas, the result is what drawing it afresh leaves: each case draws a
// first text and then a second one, once straight after the first and once
// after something else was drawn in between, and the two results agree.
#include "layer/gdi_test_support.h"

#include <string>
#include <vector>

namespace {

using gditest::GdiTest;
using gditest::MemoryCanvas;
using gditest::SurfaceMemory;

struct TextRun {
    std::string text;
    int x, y;
    COLORREF background, foreground;
};

struct Canvas {
    bool bitmap32;  // a memory DC's 32-bit bitmap, else 16-bit surface memory
    int width, height;
};

void Draw(HDC dc, const TextRun& run)
{
    SetBkColor(dc, run.background);
    SetTextColor(dc, run.foreground);
    ASSERT_TRUE(TextOutA(dc, run.x, run.y, run.text.data(), static_cast<int>(run.text.size())));
}

// Draws `run` on a fresh canvas filled with one colour; returns its pixels,
// and false in `guardsIntact` when anything was written outside it.
std::vector<COLORREF> DrawOnFreshCanvas(
    const Canvas& canvas, const TextRun& run, bool& guardsIntact)
{
    constexpr COLORREF FILL = RGB(8, 16, 24);
    std::vector<COLORREF> pixels;
    guardsIntact = true;
    if (canvas.bitmap32) {
        MemoryCanvas memory(canvas.width, canvas.height,
            std::vector<COLORREF>(static_cast<size_t>(canvas.width) * canvas.height, FILL));
        Draw(memory.dc, run);
        for (int y = 0; y < canvas.height; ++y)
            for (int x = 0; x < canvas.width; ++x)
                pixels.push_back(GetPixel(memory.dc, x, y));
        memory.Release();
    } else {
        SurfaceMemory memory(canvas.width, canvas.height, 0x0843);
        Draw(memory.dc(), run);
        for (int y = 0; y < canvas.height; ++y)
            for (int x = 0; x < canvas.width; ++x)
                pixels.push_back(GetPixel(memory.dc(), x, y));
        guardsIntact = memory.GuardsIntact();
    }
    return pixels;
}

TEST_F(GdiTest, TextDrawnAgainLeavesWhatDrawingItAfreshLeaves)
{
    const TextRun legend{"Keys: LEFT, RIGHT, UP, DOWN", 0, 0, RGB(0, 0, 255), RGB(255, 255, 0)};
    const Canvas screen{false, 320, 24};
    auto with = [&](auto change) {
        TextRun run = legend;
        change(run);
        return run;
    };
    struct Case {
        const char* name;
        Canvas firstCanvas;
        Canvas secondCanvas;
        TextRun second;
    };
    const Case cases[] = {
        {"the same text again", screen, screen, legend},
        {"colours that store alike", screen, screen,
            with([](TextRun& r) { r.background = RGB(1, 2, 254); })},
        {"another background", screen, screen,
            with([](TextRun& r) { r.background = RGB(255, 0, 0); })},
        {"another text colour", screen, screen,
            with([](TextRun& r) { r.foreground = RGB(0, 255, 0); })},
        {"other text of the same length", screen, screen,
            with([](TextRun& r) { r.text = "Keys: RITE, LEFT, UP, DOWN"; })},
        {"a shorter text", screen, screen, with([](TextRun& r) { r.text = "Keys: LEFT"; })},
        {"one pixel to the right", screen, screen, with([](TextRun& r) { r.x = 1; })},
        {"one pixel down", screen, screen, with([](TextRun& r) { r.y = 1; })},
        {"partly off the left edge", screen, screen, with([](TextRun& r) { r.x = -7; })},
        {"a narrower canvas", screen, {false, 90, 24}, legend},
        {"a shorter canvas", screen, {false, 320, 9}, legend},
        {"a 32-bit bitmap", screen, {true, 320, 24}, legend},
        {"from a 32-bit bitmap to surface memory", {true, 320, 24}, screen, legend},
    };
    const TextRun other{"something else", 3, 2, RGB(9, 9, 9), RGB(200, 200, 200)};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool intact = true;
        DrawOnFreshCanvas(c.firstCanvas, legend, intact);
        const std::vector<COLORREF> straightAfter
            = DrawOnFreshCanvas(c.secondCanvas, c.second, intact);
        EXPECT_TRUE(intact);
        DrawOnFreshCanvas(c.firstCanvas, legend, intact);
        DrawOnFreshCanvas(screen, other, intact);
        const std::vector<COLORREF> afresh = DrawOnFreshCanvas(c.secondCanvas, c.second, intact);
        EXPECT_TRUE(intact);
        EXPECT_EQ(straightAfter, afresh);
        // Something was drawn at all: the text is not the canvas's fill.
        EXPECT_NE(afresh, DrawOnFreshCanvas(c.secondCanvas, {"", 0, 0, 0, 0}, intact));
    }
}

}  // namespace
