#include "glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include <cmath>
#include <stdexcept>
#include <string>

namespace tilegen {

namespace {

// Coverage at or above this is solid; below the lower mark it is noise from
// the anti-aliasing of a curve that only grazes the pixel.
constexpr int SOLID_COVERAGE = 224;
constexpr int TRACE_COVERAGE = 24;

void Check(FT_Error error, const std::string& what)
{
    if (error != 0) {
        throw std::runtime_error("FreeType: " + what + " failed (" + std::to_string(error) + ")");
    }
}

FT_Pos ToPixels26Dot6(double pixels)
{
    return static_cast<FT_Pos>(std::lround(pixels * 64.0));
}

}  // namespace

struct FontFace::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

FontFace::FontFace(const std::filesystem::path& file)
    : impl_(std::make_unique<Impl>())
{
    Check(FT_Init_FreeType(&impl_->library), "init");
    if (FT_New_Face(impl_->library, file.c_str(), 0, &impl_->face) != 0) {
        FT_Done_FreeType(impl_->library);
        throw std::runtime_error("cannot open font " + file.string());
    }
}

FontFace::~FontFace()
{
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->library);
}

CoverageMask FontFace::Rasterise(char32_t character, const GlyphBox& box) const
{
    // Unscaled and unhinted: the exact design outline, which is then mapped
    // onto the box with independent horizontal and vertical scales.
    Check(FT_Load_Char(
              impl_->face, character, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP),
        "load glyph");
    FT_Outline& outline = impl_->face->glyph->outline;
    FT_BBox ink;
    Check(FT_Outline_Get_BBox(&outline, &ink), "bounding box");
    if (ink.xMax <= ink.xMin || ink.yMax <= ink.yMin) {
        throw std::runtime_error("glyph has no ink");
    }

    // Font units to 26.6 pixels; the outer edges land on pixel centres.
    const double scaleX = (box.width - 1) * 64.0 / static_cast<double>(ink.xMax - ink.xMin);
    const double scaleY = (box.height - 1) * 64.0 / static_cast<double>(ink.yMax - ink.yMin);
    FT_Outline_Translate(&outline, -ink.xMin, -ink.yMin);
    FT_Matrix matrix{static_cast<FT_Fixed>(std::lround(scaleX * 65536.0)), 0, 0,
        static_cast<FT_Fixed>(std::lround(scaleY * 65536.0))};
    FT_Outline_Transform(&outline, &matrix);
    // FreeType's y grows upwards from the bitmap's bottom edge.
    const double bottomEdge = TILE_SIZE - (box.top + box.height - 0.5);
    FT_Outline_Translate(&outline, ToPixels26Dot6(box.left + 0.5), ToPixels26Dot6(bottomEdge));

    CoverageMask mask{};
    FT_Bitmap bitmap{};
    bitmap.rows = TILE_SIZE;
    bitmap.width = TILE_SIZE;
    bitmap.pitch = TILE_SIZE;  // positive: first row is the top
    bitmap.buffer = mask.data();
    bitmap.num_grays = 256;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    Check(FT_Outline_Get_Bitmap(impl_->library, &outline, &bitmap), "rasterise");
    return mask;
}

void PaintCoverage(TileImage& image, const CoverageMask& mask, Rgb colour)
{
    const auto blend = [](uint8_t under, uint8_t over, int coverage) {
        return static_cast<uint8_t>((under * (255 - coverage) + over * coverage + 127) / 255);
    };
    for (int y = 0; y < TILE_SIZE; ++y) {
        for (int x = 0; x < TILE_SIZE; ++x) {
            int coverage = mask[y * TILE_SIZE + x];
            if (coverage < TRACE_COVERAGE) {
                continue;
            }
            if (coverage >= SOLID_COVERAGE) {
                coverage = 255;
            }
            Rgb& pixel = image.at(x, y);
            pixel = Rgb{blend(pixel.red, colour.red, coverage),
                blend(pixel.green, colour.green, coverage),
                blend(pixel.blue, colour.blue, coverage)};
        }
    }
}

}  // namespace tilegen
