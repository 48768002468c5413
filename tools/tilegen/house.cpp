#include "house.h"

#include "periodic_noise.h"

#include <cmath>

namespace tilegen {

namespace {

// The house is symmetric about this column.
constexpr int AXIS = 31;

// Roof: a blunt peak at y 1 (x 28..34), eaves at y 31 spanning x 9..53.
constexpr int ROOF_TOP = 1;
constexpr int EAVES = 31;
constexpr int ROOF_TOP_HALF = 3;
constexpr int EAVES_HALF = 22;

// Gable: pointed at y 15, meeting the eaves at x 18..44.
constexpr int GABLE_TOP = 15;
constexpr int GABLE_BASE_HALF = 13;

// Wall below the eaves: white x 14..48 between two-pixel outlines.
constexpr int WALL_LEFT = 14;
constexpr int WALL_RIGHT = 48;
constexpr int BASE_LINE = 56;

constexpr int DOOR_LEFT = 26;
constexpr int DOOR_RIGHT = 35;
constexpr int DOOR_TOP = 38;

constexpr int WINDOW_TOP = 21;
constexpr int WINDOW_BOTTOM = 29;
constexpr int WINDOW_HALF = 2;
constexpr Rgb WINDOW_PANE{96, 160, 255};

constexpr int OUTLINE = 2;
constexpr int ROOF_SPECKS = 7;

// Half-width of a sloped shape at row y, between its top and bottom rows.
int HalfWidth(int y, int top, int topHalf, int bottom, int bottomHalf)
{
    const double t = static_cast<double>(y - top) / (bottom - top);
    return static_cast<int>(std::lround(topHalf + t * (bottomHalf - topHalf)));
}

void FillRow(TileImage& image, int y, int left, int right, Rgb colour)
{
    for (int x = left; x <= right; ++x) {
        image.at(x, y) = colour;
    }
}

// A row of a symmetric sloped shape: outline at both ends, fill between.
void SlopedRow(TileImage& image, int y, int half, Rgb fill)
{
    FillRow(image, y, AXIS - half, AXIS + half, BLACK);
    if (half >= OUTLINE) {
        FillRow(image, y, AXIS - half + OUTLINE, AXIS + half - OUTLINE, fill);
    }
}

void DrawRoof(TileImage& image, uint64_t seed)
{
    for (int y = ROOF_TOP; y <= EAVES; ++y) {
        const int half = HalfWidth(y, ROOF_TOP, ROOF_TOP_HALF, EAVES, EAVES_HALF);
        const bool edge = y == ROOF_TOP || y == EAVES;
        SlopedRow(image, y, half, edge ? BLACK : ROOF_BLUE);
    }
    // A few dark specks of moss on the tiles, each clear of the outline.
    for (int placed = 0, attempt = 0; placed < ROOF_SPECKS; ++attempt) {
        const int x = static_cast<int>(HashUnit(seed, attempt, 0) * TILE_SIZE);
        const int y = static_cast<int>(HashUnit(seed, attempt, 1) * TILE_SIZE);
        bool clear = x > 0 && y > 0 && x < TILE_SIZE - 1 && y < TILE_SIZE - 1;
        for (int dy = -1; clear && dy <= 1; ++dy) {
            for (int dx = -1; clear && dx <= 1; ++dx) {
                clear = image.at(x + dx, y + dy) == ROOF_BLUE;
            }
        }
        // Keep them off the part of the roof the gable will cover.
        if (clear && y >= GABLE_TOP - 1) {
            const int gableHalf = HalfWidth(y, GABLE_TOP, 0, EAVES, GABLE_BASE_HALF);
            clear = std::abs(x - AXIS) > gableHalf + 1;
        }
        if (clear) {
            image.at(x, y) = BLACK;
            ++placed;
        }
    }
}

void DrawGable(TileImage& image)
{
    // The wall rises into the roof here; at the eaves row its white runs on
    // into the wall below, so the eaves line stops at the gable.
    for (int y = GABLE_TOP; y <= EAVES; ++y) {
        SlopedRow(image, y, HalfWidth(y, GABLE_TOP, 0, EAVES, GABLE_BASE_HALF), WHITE);
    }
}

void DrawWindow(TileImage& image)
{
    for (int y = WINDOW_TOP; y <= WINDOW_BOTTOM; ++y) {
        FillRow(image, y, AXIS - WINDOW_HALF, AXIS + WINDOW_HALF, BLACK);
        if (y != WINDOW_TOP && y != WINDOW_BOTTOM) {
            FillRow(image, y, AXIS - WINDOW_HALF + 1, AXIS + WINDOW_HALF - 1, WINDOW_PANE);
        }
    }
}

void DrawWall(TileImage& image)
{
    for (int y = EAVES + 1; y < BASE_LINE; ++y) {
        FillRow(image, y, WALL_LEFT - OUTLINE, WALL_RIGHT + OUTLINE, BLACK);
        FillRow(image, y, WALL_LEFT, WALL_RIGHT, WHITE);
    }
    FillRow(image, BASE_LINE, WALL_LEFT - OUTLINE, WALL_RIGHT + OUTLINE, BLACK);
}

void DrawDoor(TileImage& image)
{
    // A one-pixel frame, the door itself, and two plank lines.
    for (int y = DOOR_TOP - 1; y < BASE_LINE; ++y) {
        FillRow(image, y, DOOR_LEFT - 1, DOOR_RIGHT + 1, BLACK);
        if (y >= DOOR_TOP) {
            FillRow(image, y, DOOR_LEFT, DOOR_RIGHT, DOOR_RED);
            image.at(DOOR_LEFT + 3, y) = BLACK;
            image.at(DOOR_RIGHT - 3, y) = BLACK;
        }
    }
}

}  // namespace

TileImage DrawHouse(const TileImage& grass, uint64_t seed)
{
    TileImage image = grass;
    DrawRoof(image, seed);
    DrawGable(image);
    DrawWindow(image);
    DrawWall(image);
    DrawDoor(image);
    return image;
}

}  // namespace tilegen
