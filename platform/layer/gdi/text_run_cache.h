// The pixels of the last box of text drawn, so that the same text drawn
// again at the same place, in the same colours, on a canvas of the same
// kind (a legend redrawn every frame) costs a copy of a few rows instead of
// its glyphs. Every pixel of a box is written by TextOutA and depends on
// nothing else, so the copy leaves exactly what drawing would. Internal to
// GDI text.
#pragma once

#include "platform/layer/gdi/canvas.h"

#include <cstdint>

namespace layer::gdi {

struct TextRun {
    const char* text;
    int count;
    int x;
    int y;
    COLORREF background;
    COLORREF foreground;
};

// Draws the run from the cache; false, touching nothing, when the cache
// holds another run or another kind of canvas.
bool DrawCachedTextRun(const TextRun& run, const Canvas& canvas);
// Keeps the box (left, top) to (right, bottom), exclusive, of the canvas as
// the pixels of this run; boxes too large to be worth keeping are not.
void CacheTextRun(const TextRun& run, const Canvas& canvas, int32_t left, int32_t top,
    int32_t right, int32_t bottom);

}  // namespace layer::gdi
