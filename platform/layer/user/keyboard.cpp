// The keyboard's state at this moment, from the backend.
#include "platform/layer/device/backend.h"
#include "platform/layer/calls/call_log.h"
#include "platform/layer/device/screen.h"
#include "platform/layer/include/windows.h"

SHORT WINAPI GetAsyncKeyState(int vKey)
{
    if (!layer::BeginCall("GetAsyncKeyState"))
        return 0;
    // Only the "down now" bit: the "pressed since the last call" bit is
    // unreliable on the platform, and programs are told not to use it.
    const layer::Backend* backend = layer::RunningBackend();
    if (backend == nullptr || vKey < 0 || vKey > 255 || !backend->KeyHeld(vKey))
        return 0;
    return static_cast<SHORT>(0x8000);
}
