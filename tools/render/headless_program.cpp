#include "headless_program.h"

#include "display/display_setup.h"
#include "display/display_state.h"
#include "display/tile_set.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"

#include <cstdio>

static LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

bool StartHeadlessProgram(const char* toolName)
{
    layer::test::ResetLayer(SCREEN_WIDTH, SCREEN_HEIGHT);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.lpszClassName = "HEADLESS_PROGRAM";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "HEADLESS_PROGRAM", "", WS_POPUP, 0, 0, SCREEN_WIDTH,
        SCREEN_HEIGHT, NULL, NULL, NULL, NULL);
    DisplayState.MainWindow = window;
    if (window == NULL || InitDisplay(window) == 0) {
        std::fprintf(stderr, "%s: display setup failed\n", toolName);
        return false;
    }
    LoadTileSet();
    return true;
}

void StopHeadlessProgram()
{
    ReleaseDisplay();
}
