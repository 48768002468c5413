// Glyphs from a real font: one character's outline scaled into a given pixel
// box and rasterised with anti-aliasing, then painted as solid colour with a
// one-pixel soft rim.
#pragma once

#include "tile_image.h"

#include <array>
#include <filesystem>
#include <memory>

namespace tilegen {

// The pixels a glyph may touch: columns left .. left + width - 1 and rows
// top .. top + height - 1.
struct GlyphBox {
    int left;
    int top;
    int width;
    int height;
};

using CoverageMask = std::array<uint8_t, TILE_SIZE * TILE_SIZE>;  // 0 none .. 255 full

class FontFace {
public:
    explicit FontFace(const std::filesystem::path& file);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // The glyph's outline (its ink, not its advance) is stretched so that
    // its outer edges run through the centres of the box's outermost pixels:
    // those pixels come out half covered, which is the soft edge.
    CoverageMask Rasterise(char32_t character, const GlyphBox& box) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Full coverage paints `colour`; partial coverage blends it over what is
// there; a trace of coverage is left alone so no stray specks appear.
void PaintCoverage(TileImage& image, const CoverageMask& mask, Rgb colour);

}  // namespace tilegen
