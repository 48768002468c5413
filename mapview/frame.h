// One frame: input, the tile walk blitted into the back buffer, the legend,
// the flip.
#pragma once

constexpr char LEGEND_TEXT[] = "Keys: LEFT, RIGHT, UP, DOWN, .. and ESC";
constexpr int LEGEND_LENGTH = sizeof(LEGEND_TEXT) - 1;
static_assert(LEGEND_LENGTH == 39);

// Yellow text on a blue band, as COLORREF (0x00BBGGRR).
constexpr unsigned long TEXT_BACKGROUND_COLOR = 0xFF0000;
constexpr unsigned long TEXT_COLOR = 0x00FFFF;

void DrawLegend();
void UpdateFrame();
