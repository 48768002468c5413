// The device behind the layer: the desktop's screen, the display mode, the
// frames shown on it and the keyboard. One backend serves the process; the
// DirectDraw and USER parts reach it through screen.h, never directly by type.
//
// Two kinds exist: the headless one (headless/) for the tests and for runs
// without a screen, and the desktop one for a person at a screen, made by
// CreateDesktopBackend: SDL2's (sdl/), the page's canvas in the browser build
// (web/), or none in a build without either (no_desktop_backend.cpp). A
// backend is started once, before its first use, and stopped once (Stop, or
// its destructor).
//
// device/ and its backends include include/ and calls/ only: nothing of the
// modules above them.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace layer {

struct ScreenSize {
    int width;
    int height;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Brings the device up. False when it cannot, with one plain sentence in
    // `reason` (it ends up after "layer: DirectDrawCreate: no display backend: ").
    virtual bool Start(std::string& reason) = 0;
    // Gives everything back: the desktop's own mode, any window, the device.
    virtual void Stop() = 0;

    // The desktop's own mode, as it is when no program has set one.
    virtual ScreenSize DesktopSize() const = 0;
    // Takes the screen for exclusive full-screen use at this size; frames of
    // that size follow. False when the device cannot show it.
    virtual bool SetDisplayMode(int width, int height) = 0;
    // Gives the desktop its own mode back and ends exclusive use.
    virtual void RestoreDisplayMode() = 0;

    // Shows one whole frame: `height` rows of `width` 16-bit 5-6-5 pixels, the
    // rows `pitchBytes` apart. The pixels are read during the call, unless
    // ReadsPixelsLater() says otherwise. With waitForRefresh the call returns
    // once the display's next refresh has taken the frame (a vsync'd flip);
    // without, as soon as it is queued.
    virtual void Present(
        const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh)
        = 0;
    // True for a backend that keeps the address of the last frame presented
    // and reads its pixels only when asked for them: the layer then calls
    // PixelsChanging() before that memory is written or freed (screen.h).
    virtual bool ReadsPixelsLater() const
    {
        return false;
    }
    virtual void PixelsChanging() { }

    // Takes in what the desktop sent since the last call (key changes, close
    // requests) without waiting. True when the desktop asked the program to
    // close (e.g. its window's close button): the layer turns that into
    // WM_CLOSE for the program's main window.
    virtual bool PumpEvents() = 0;
    // Waits a little for the desktop to send something, for a caller with
    // nothing to do until it does (WaitMessage); PumpEvents then takes it in.
    // False when nothing can ever arrive: the headless backend has no desktop,
    // and its test controls act between calls, never during one.
    virtual bool WaitForEvents()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return true;
    }
    // Whether the key with this Win32 virtual-key code (0 to 255) is down now,
    // on the keyboard or on a game pad that stands for it.
    virtual bool KeyHeld(int virtualKey) const = 0;
    // Whether the mouse pointer shows over the program's screen (ShowCursor).
    virtual void ShowPointer(bool visible) = 0;
};

// The headless backend: no window; each present is kept as the picture the
// screen shows; keys are held by the tests. headless_backend.h has its extras.
std::unique_ptr<Backend> CreateHeadlessBackend(int desktopWidth, int desktopHeight);

// The backend for a person at a screen, or null with the reason when this
// build has none.
std::unique_ptr<Backend> CreateDesktopBackend(std::string& reason);

}  // namespace layer
