// Renders the program's frame for one view position on the layer's headless
// backend and saves it as a PNG: the reference that screenshots of the real
// program are compared with.
//   render_view <viewRight> <viewBottom> <out.png>
#include <cstdio>
#include <cstdlib>

#include "display/display_setup.h"
#include "display/display_state.h"
#include "display/tile_set.h"
#include "mapview/frame.h"
#include "mapview/view_position.h"
#include "platform/layer/test_controls.h"
#include "platform/win32.h"

static LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: render_view <viewRight> <viewBottom> <out.png>\n");
        return 2;
    }
    const int right = std::atoi(argv[1]);
    const int bottom = std::atoi(argv[2]);
    if (right < SCREEN_WIDTH || right > VIEW_RIGHT_MAX || bottom < SCREEN_HEIGHT ||
        bottom > VIEW_BOTTOM_MAX) {
        std::fprintf(stderr, "render_view: view out of bounds\n");
        return 2;
    }

    layer::test::ResetLayer(SCREEN_WIDTH, SCREEN_HEIGHT);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.lpszClassName = "RENDER_VIEW";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "RENDER_VIEW", "", WS_POPUP, 0, 0, SCREEN_WIDTH,
                                  SCREEN_HEIGHT, NULL, NULL, NULL, NULL);
    DisplayState.MainWindow = window;
    if (window == NULL || InitDisplay(window) == 0) {
        std::fprintf(stderr, "render_view: display setup failed\n");
        return 1;
    }
    LoadTileSet();
    viewRight = right;
    viewBottom = bottom;
    UpdateFrame();
    const bool saved = layer::test::SavePng(layer::test::VisibleFrame(), argv[3]);
    ReleaseDisplay();
    return saved ? 0 : 1;
}
