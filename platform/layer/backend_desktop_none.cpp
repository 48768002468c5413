// This build has no backend for a person at a screen yet; the SDL2 backend
// replaces this file. The reason reaches standard error through the failing
// DirectDrawCreate.
#include "platform/layer/backend.h"

namespace layer {

std::unique_ptr<Backend> CreateDesktopBackend(std::string& reason)
{
    reason = "this build has no desktop backend (TILESCROLL_BACKEND=headless runs without a "
             "screen)";
    return nullptr;
}

}  // namespace layer
