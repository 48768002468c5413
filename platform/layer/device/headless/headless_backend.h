// The headless backend, with its extras for the test controls and for
// TILESCROLL_HEADLESS_ESCAPE_AFTER (screen.cpp). Internal to device/.
#pragma once

#include "platform/layer/device/backend.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace layer {

class HeadlessBackend final : public Backend {
public:
    HeadlessBackend(int desktopWidth, int desktopHeight);

    bool Start(std::string& reason) override;
    void Stop() override;
    ScreenSize DesktopSize() const override;
    bool SetDisplayMode(int width, int height) override;
    void RestoreDisplayMode() override;
    void Present(const uint16_t* pixels, int pitchBytes, int width, int height,
        bool waitForRefresh) override;
    // The screen is looked at far less often than it is flipped, so a
    // present only notes where the frame is; its pixels are copied when a
    // test reads them or before the layer changes that memory.
    bool ReadsPixelsLater() const override
    {
        return true;
    }
    void PixelsChanging() override
    {
        KeepPresentedPixels();
    }
    bool PumpEvents() override;
    bool WaitForEvents() override
    {
        return false;
    }
    bool KeyHeld(int virtualKey) const override;
    void ShowPointer(bool visible) override;

    void HoldKey(int virtualKey, bool held);
    // The next PumpEvents reports a close request from the desktop.
    void RequestClose();
    // Called after each waiting present (a flip) has been shown, so a test
    // can act between the frames of a running program.
    void SetFlipHook(std::function<void()> hook)
    {
        flipHook_ = std::move(hook);
    }
    // Holds Escape from the flip with this number on (0: never): how a run
    // of the whole program ends where no test controls reach it.
    void HoldEscapeFromFlip(int flip)
    {
        escapeFromFlip_ = flip;
    }

    // The picture the screen shows: the last frame presented, a black screen
    // after a mode switch, nothing (0 x 0) before either. It stays after the
    // mode is given back, so a finished run can still be looked at.
    int FrameWidth() const
    {
        return frameWidth_;
    }
    int FrameHeight() const
    {
        return frameHeight_;
    }
    const std::vector<uint16_t>& Frame() const
    {
        KeepPresentedPixels();
        return frame_;
    }

private:
    // Const: copying the pixels does not change the picture shown.
    void KeepPresentedPixels() const;

    ScreenSize desktop_;
    std::array<bool, 256> keys_{};
    bool closeRequested_ = false;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    mutable std::vector<uint16_t> frame_;
    // The frame presented last, not yet copied into frame_.
    mutable const uint16_t* presented_ = nullptr;
    int presentedPitch_ = 0;
    std::function<void()> flipHook_;
    int flips_ = 0;
    int escapeFromFlip_ = 0;
};

}  // namespace layer
