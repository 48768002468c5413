// One frame: input, the tile walk blitted into the back buffer, the legend,
// the flip, and the surfaces restored when the flip finds them lost.
#pragma once

#include "platform/win32.h"

constexpr char LEGEND_TEXT[] = "Keys: LEFT, RIGHT, UP, DOWN, .. and ESC";
constexpr int LEGEND_LENGTH = sizeof(LEGEND_TEXT) - 1;
static_assert(LEGEND_LENGTH == 39);

void DrawLegend();
// FALSE when the frame could not be shown because the display is lost and
// cannot come back yet; TRUE otherwise.
BOOL UpdateFrame();
