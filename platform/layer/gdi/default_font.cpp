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

constexpr int GLYPH_COUNT = GENERATED_LAST_CHAR - GENERATED_FIRST_CHAR + 1;
static_assert(sizeof(GENERATED_GLYPHS) / sizeof(GENERATED_GLYPHS[0]) == GLYPH_COUNT);

}  // namespace

int DefaultFontLineHeight()
{
    return GENERATED_LINE_HEIGHT;
}

int DefaultFontAscent()
{
    return GENERATED_ASCENT;
}

FontGlyph DefaultFontGlyph(unsigned char character)
{
    int index = character - GENERATED_FIRST_CHAR;
    if (character < GENERATED_FIRST_CHAR || character > GENERATED_LAST_CHAR)
        index = '?' - GENERATED_FIRST_CHAR;
    const GeneratedGlyph& glyph = GENERATED_GLYPHS[index];
    return {glyph.left, glyph.width, glyph.advance, GENERATED_BITS + glyph.offset,
        (glyph.width + 7) / 8};
}

}  // namespace layer
