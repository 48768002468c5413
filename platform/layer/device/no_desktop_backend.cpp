// The desktop backend of a build that has none (TILESCROLL_SDL off): only the
// headless backend serves, and asking for the desktop says why it cannot.
#include "platform/layer/device/backend.h"

namespace layer {

std::unique_ptr<Backend> CreateDesktopBackend(std::string& reason)
{
    reason = "this build has no desktop backend (built without SDL); "
             "set TILESCROLL_BACKEND=headless";
    return nullptr;
}

}  // namespace layer
