// The process entry, as a C runtime provides it on the platform: WinMain with
// the module's handle and the command line after the program's name. The
// program itself reads no command line, so the options a Linux user types
// are answered here, before anything touches the display.
#include "platform/layer/device/screen.h"
#include "platform/layer/include/windows.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The usage's own exit status for an option it does not know, as getopt's
// users give.
constexpr int USAGE_ERROR = 2;

const char HELP[] = "Usage: tilescroll [--window]\n"
                    "       tilescroll --help | --version\n"
                    "\n"
                    "Scrolls a 640 x 480 view over a 2048 x 2048 map of tiles: the Win32\n"
                    "DirectDraw demonstration, on its own compatibility layer. It starts\n"
                    "full screen.\n"
                    "\n"
                    "Keys:\n"
                    "  arrow keys      scroll (a game pad's d-pad or left stick too)\n"
                    "  Escape          end the program (a game pad's Back or B too)\n"
                    "  Alt+Enter, F11  switch between full screen and a window\n"
                    "\n"
                    "Options:\n"
                    "  --window        start in a window instead of full screen\n"
                    "  --help          print this help and exit\n"
                    "  --version       print the version and exit\n"
                    "\n"
                    "Environment:\n"
                    "  TILESCROLL_BACKEND=headless\n"
                    "                  show nothing: frames stay in memory (unset or empty:\n"
                    "                  the desktop)\n"
                    "  TILESCROLL_HEADLESS_ESCAPE_AFTER=N\n"
                    "                  with the headless backend, hold Escape from the N-th\n"
                    "                  frame on, so that a run ends by itself\n"
                    "\n"
                    "Exit status: 0 after Escape, a closed window or a close signal;\n"
                    "1 when the program could not start; 2 for an unknown option.\n";

// The process's exit status when an option ends it here, else -1 with the
// run's options taken.
int TakeOptions(int argc, char** argv)
{
    bool inWindow = false;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0) {
            std::fputs(HELP, stdout);
            return EXIT_SUCCESS;
        }
        if (std::strcmp(option, "--version") == 0) {
            std::puts("tilescroll " TILESCROLL_VERSION);
            return EXIT_SUCCESS;
        }
        if (std::strcmp(option, "--window") == 0) {
            inWindow = true;
            continue;
        }
        std::fprintf(stderr, "tilescroll: unknown option '%s'; try --help\n", option);
        return USAGE_ERROR;
    }
    layer::SetStartInWindow(inWindow);
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    int exitCode = TakeOptions(argc, argv);
    if (exitCode < 0) {
        std::string commandLine;
        for (int i = 1; i < argc; ++i) {
            if (i > 1)
                commandLine += ' ';
            commandLine += argv[i];
        }
        exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
    }
    // Ends through exit() rather than a return from main: in the browser
    // build main has long returned to the page by the time WinMain does,
    // and only exit() takes the code back to it.
    std::exit(exitCode);
}
