#include "platform/layer/device/headless/headless_backend.h"

#include "platform/layer/include/windows.h"

#include <cstring>

namespace layer {

HeadlessBackend::HeadlessBackend(int desktopWidth, int desktopHeight)
    : desktop_{desktopWidth, desktopHeight}
{
}

bool HeadlessBackend::Start(std::string& reason)
{
    if (desktop_.width <= 0 || desktop_.height <= 0) {
        reason = "the headless screen has no size";
        return false;
    }
    return true;
}

void HeadlessBackend::Stop() { }

ScreenSize HeadlessBackend::DesktopSize() const
{
    return desktop_;
}

bool HeadlessBackend::SetDisplayMode(int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    // A mode switch blanks the screen.
    presented_ = nullptr;
    frameWidth_ = width;
    frameHeight_ = height;
    frame_.assign(static_cast<size_t>(width) * height, 0);
    return true;
}

void HeadlessBackend::RestoreDisplayMode() { }

void HeadlessBackend::Present(
    const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh)
{
    // Nothing to wait for: tests run frames as fast as they are made.
    if (pixels == nullptr || width <= 0 || height <= 0)
        return;
    frameWidth_ = width;
    frameHeight_ = height;
    presented_ = pixels;
    presentedPitch_ = pitchBytes;
    if (!waitForRefresh)
        return;
    ++flips_;
    if (escapeFromFlip_ > 0 && flips_ >= escapeFromFlip_)
        keys_[VK_ESCAPE] = true;
    if (flipHook_)
        flipHook_();
}

void HeadlessBackend::KeepPresentedPixels() const
{
    if (presented_ == nullptr)
        return;
    frame_.resize(static_cast<size_t>(frameWidth_) * frameHeight_);
    const auto* row = reinterpret_cast<const uint8_t*>(presented_);
    for (int y = 0; y < frameHeight_; ++y, row += presentedPitch_)
        std::memcpy(
            &frame_[static_cast<size_t>(y) * frameWidth_], row, sizeof(uint16_t) * frameWidth_);
    presented_ = nullptr;
}

bool HeadlessBackend::PumpEvents()
{
    const bool close = closeRequested_;
    closeRequested_ = false;
    return close;
}

bool HeadlessBackend::KeyHeld(int virtualKey) const
{
    return virtualKey >= 0 && virtualKey < 256 && keys_[virtualKey];
}

void HeadlessBackend::ShowPointer(bool /*visible*/) { }

void HeadlessBackend::HoldKey(int virtualKey, bool held)
{
    if (virtualKey >= 0 && virtualKey < 256)
        keys_[virtualKey] = held;
}

void HeadlessBackend::RequestClose()
{
    closeRequested_ = true;
}

std::unique_ptr<Backend> CreateHeadlessBackend(int desktopWidth, int desktopHeight)
{
    return std::make_unique<HeadlessBackend>(desktopWidth, desktopHeight);
}

}  // namespace layer
