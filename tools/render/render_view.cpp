// Renders the program's frame for one view position on the layer's headless
// backend and saves it as a PNG: the reference that screenshots of the real
// program are compared with.
//   render_view <viewRight> <viewBottom> <out.png>
#include "display/display_state.h"
#include "headless_program.h"
#include "mapview/frame.h"
#include "mapview/map_constants.h"
#include "mapview/view_position.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: render_view <viewRight> <viewBottom> <out.png>\n");
        return 2;
    }
    const int right = std::atoi(argv[1]);
    const int bottom = std::atoi(argv[2]);
    if (right < SCREEN_WIDTH || right > VIEW_RIGHT_MAX || bottom < SCREEN_HEIGHT
        || bottom > VIEW_BOTTOM_MAX) {
        std::fprintf(stderr, "render_view: view out of bounds\n");
        return 2;
    }

    if (!StartHeadlessProgram("render_view"))
        return 1;
    viewRight = right;
    viewBottom = bottom;
    UpdateFrame();
    const bool saved = layer::test::SavePng(layer::test::VisibleFrame(), argv[3]);
    StopHeadlessProgram();
    return saved ? 0 : 1;
}
