// The process entry, as a C runtime provides it on the platform: WinMain with
// the module's handle and the command line after the program's name.
#include "platform/layer/include/windows.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    int exitCode;
    {
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
