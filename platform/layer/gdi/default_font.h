// The layer's default font: DejaVu Sans Bold rasterised without anti-aliasing
// at build time, standing in for the platform's bitmap System font. Internal.
#pragma once

#include <cstdint>

namespace layer {

// One character's cell: `advance` columns wide and DefaultFontLineHeight()
// rows high, with the ink `inkWidth` columns wide starting `inkLeft` columns
// from the pen (ink may reach past the cell's sides by a column or so).
struct FontGlyph {
    int inkLeft;
    int inkWidth;
    int advance;
    const uint8_t* rows;  // DefaultFontLineHeight() rows of rowBytes, MSB first
    int rowBytes;

    bool Ink(int column, int row) const
    {
        return (rows[row * rowBytes + column / 8] >> (7 - column % 8)) & 1;
    }
};

int DefaultFontLineHeight();
int DefaultFontAscent();
// Printable ASCII (32..126) has its own glyphs; every other byte is drawn
// as '?'.
FontGlyph DefaultFontGlyph(unsigned char character);

}  // namespace layer
