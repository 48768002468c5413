#include "platform/layer/gdi/default_font.h"

namespace layer {
namespace {

struct GeneratedGlyph {
    int8_t left;
    uint8_t width;
    uint8_t advance;
    uint32_t offset;
};

// Made by platform/fontgen from the font file at build time.
#include "default_font_glyphs.inc"

constexpr int kGlyphCount = kGeneratedLastChar - kGeneratedFirstChar + 1;
static_assert(sizeof(kGeneratedGlyphs) / sizeof(kGeneratedGlyphs[0]) == kGlyphCount);

}  // namespace

int DefaultFontLineHeight()
{
    return kGeneratedLineHeight;
}

int DefaultFontAscent()
{
    return kGeneratedAscent;
}

FontGlyph DefaultFontGlyph(unsigned char character)
{
    int index = character - kGeneratedFirstChar;
    if (character < kGeneratedFirstChar || character > kGeneratedLastChar)
        index = '?' - kGeneratedFirstChar;
    const GeneratedGlyph& glyph = kGeneratedGlyphs[index];
    return {glyph.left, glyph.width, glyph.advance, kGeneratedBits + glyph.offset,
        (glyph.width + 7) / 8};
}

}  // namespace layer
