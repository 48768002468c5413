// The test controls: reaching into the layer's parts to reset, count, hold
// keys and read pictures.
#include "platform/layer/testing/test_controls.h"

#include "platform/layer/device/headless/headless_backend.h"
#include "platform/layer/calls/call_log.h"
#include "platform/layer/ddraw/ddraw_internal.h"
#include "platform/layer/gdi/gdi_internal.h"
#include "platform/layer/kernel/kernel_internal.h"
#include "platform/layer/testing/png_writer.h"
#include "platform/layer/device/screen.h"
#include "platform/layer/user/user_internal.h"

#include <memory>

namespace layer::test {
namespace {

HeadlessBackend* Headless()
{
    auto* headless = dynamic_cast<HeadlessBackend*>(RunningBackend());
    if (headless == nullptr)
        Refuse("test controls", "the headless backend is not in use; call ResetLayer first");
    return headless;
}

// Ends every object the layer holds and puts this backend in place.
void ResetLayerOn(std::unique_ptr<Backend> backend)
{
    ClearFailures();
    ClearCallHooks();
    StopRecording();
    // DirectDraw first: ending its objects gives back device contexts and the
    // display mode while the old backend is still there.
    ResetDirectDraw();
    ResetWindows();
    ResetMessages();
    ResetGdi();
    ResetTestResources();
    CloseOpenFiles();
    TakeCapturedDebugOutput();
    InstallBackend(std::move(backend));
}

}  // namespace

void ResetLayer(int screenWidth, int screenHeight)
{
    ResetLayerOn(CreateHeadlessBackend(screenWidth, screenHeight));
}

bool ResetLayerOnDesktop()
{
    std::string reason;
    ResetLayerOn(CreateDesktopBackend(reason));
    return RunningBackend() != nullptr;
}

void OnFlip(std::function<void()> hook)
{
    if (HeadlessBackend* headless = Headless())
        headless->SetFlipHook(std::move(hook));
}

void HoldKey(int virtualKey, bool held)
{
    if (HeadlessBackend* headless = Headless())
        headless->HoldKey(virtualKey, held);
}

void RequestDesktopClose()
{
    if (HeadlessBackend* headless = Headless())
        headless->RequestClose();
}

int LiveSurfaces()
{
    return CountLiveSurfaces();
}

int KeptShells()
{
    return CountKeptShells();
}

int LivePalettes()
{
    return CountLivePalettes();
}

int LiveDirectDrawObjects()
{
    return CountLiveDirectDrawObjects();
}

int LiveGdiObjects()
{
    return LiveGdiObjectCount();
}

int LiveWindows()
{
    return CountLiveWindows();
}

DisplayMode CurrentDisplayMode()
{
    const ScreenMode mode = CurrentScreenMode();
    return {mode.width, mode.height, mode.bitsPerPixel};
}

int FlipCount()
{
    return FlipsSinceReset();
}

void MarkSurfaceLost(IDirectDrawSurface* surface)
{
    if (Surface* ours = FindSurface(surface))
        ours->MarkLost();
}

void SwitchAwayFromDisplay(bool away)
{
    if (away) {
        MarkEverySurfaceLost();
        RestoreDesktopMode();
    }
    SetForegroundElsewhere(away);
}

void LockStillDrawing(IDirectDrawSurface* surface, int times)
{
    if (Surface* ours = FindSurface(surface))
        ours->SetStillDrawing(times);
}

Pixels ReadSurface(IDirectDrawSurface* surface)
{
    Pixels pixels;
    const Surface* ours = FindSurface(surface);
    if (ours == nullptr || !ours->Alive())
        return pixels;
    pixels.width = ours->Width();
    pixels.height = ours->Height();
    pixels.values.reserve(static_cast<size_t>(pixels.width) * pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        pixels.values.insert(pixels.values.end(), ours->Row(y), ours->Row(y) + pixels.width);
    return pixels;
}

Pixels VisibleFrame()
{
    Pixels pixels;
    if (const HeadlessBackend* headless = Headless()) {
        pixels.width = headless->FrameWidth();
        pixels.height = headless->FrameHeight();
        pixels.values = headless->Frame();
    }
    return pixels;
}

const uint32_t* BitmapPixels(HBITMAP bitmap)
{
    return KeptBitmapPixels(bitmap);
}

bool SavePng(const Pixels& pixels, const std::string& path)
{
    if (pixels.values.size() != static_cast<size_t>(pixels.width) * pixels.height)
        return false;
    return WritePng565(pixels.values.data(), pixels.width, pixels.height, path);
}

void RegisterResource(const char* name, const char* type, const std::vector<uint8_t>& data)
{
    AddTestResource(name, type, data);
}

std::string TakeDebugOutput()
{
    return TakeCapturedDebugOutput();
}


int PendingMessages()
{
    return CountPostedMessages();
}

bool CursorHidden()
{
    return CursorCountHidden();
}

}  // namespace layer::test
