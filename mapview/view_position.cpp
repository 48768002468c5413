#include "mapview/view_position.h"

#include "mapview/map_constants.h"

int32_t viewRight = SCREEN_WIDTH;
int32_t viewBottom = SCREEN_HEIGHT;

void ScrollView(bool rightHeld, bool leftHeld, bool upHeld, bool downHeld)
{
    if (rightHeld) {
        viewRight += SCROLL_STEP;
        if (viewRight > VIEW_RIGHT_MAX)
            viewRight = VIEW_RIGHT_MAX;
    }
    if (leftHeld) {
        viewRight -= SCROLL_STEP;
        if (viewRight < SCREEN_WIDTH)
            viewRight = SCREEN_WIDTH;
    }
    if (upHeld) {
        viewBottom -= SCROLL_STEP;
        if (viewBottom < SCREEN_HEIGHT)
            viewBottom = SCREEN_HEIGHT;
    }
    if (downHeld) {
        viewBottom += SCROLL_STEP;
        // The bottom bound is one short of the map's height, so a view that
        // would reach 2048 stops at 2047.
        if (viewBottom >= VIEW_BOTTOM_MAX + 1)
            viewBottom = VIEW_BOTTOM_MAX;
    }
}
