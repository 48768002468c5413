// The browser backend: the page's canvas shows the program's display mode,
// scaled by the page itself (page.html), and a waiting present yields
// to the browser until its next refresh, so the program's own loop runs one
// frame per refresh without changing. The only file of the layer that calls
// into the page (through web_backend.js).
#include "platform/layer/device/backend.h"
#include "platform/layer/include/rgb565.h"

#include <cstdint>
#include <emscripten.h>
#include <vector>

// The page's side, in web_backend.js.
extern "C" {
// False without a canvas that has a 2D context; its size goes to size[0..1].
int web_start(int* size);
void web_stop();
int web_set_mode(int width, int height);
void web_show_frame(
    const uint32_t* rgba, int width, int height, int waited, double startedAt, double workMs);
// Yields to the browser until its next refresh (an Asyncify import).
void web_wait_for_refresh();
int web_key_held(int virtualKey);
void web_show_pointer(int visible);
}

namespace layer {
namespace {

// A loop that stops flipping would hold the page's only thread for good;
// after this long without a refresh it is given one anyway.
constexpr double LONGEST_RUN_WITHOUT_YIELD_MS = 250;

// One 5-6-5 pixel as opaque RGBA bytes, widened as everywhere in the layer.
uint32_t Rgba(uint16_t pixel)
{
    const Rgb8 c = Widen565(pixel);
    return c.red | uint32_t{c.green} << 8 | uint32_t{c.blue} << 16 | 0xFF000000u;
}

// Every pixel's RGBA, looked up: in WebAssembly without SIMD this is about
// five times as fast as working each pixel out, and 256 KB is little.
struct RgbaTable {
    uint32_t entries[65536];
    RgbaTable()
    {
        for (uint32_t pixel = 0; pixel < 65536; ++pixel)
            entries[pixel] = Rgba(static_cast<uint16_t>(pixel));
    }
};

class WebBackend final : public Backend {
public:
    ~WebBackend() override
    {
        Stop();
    }

    bool Start(std::string& reason) override
    {
        if (started_)
            return true;
        int size[2] = {0, 0};
        if (web_start(size) == 0) {
            reason = "the page has no canvas with a 2D context to draw on";
            return false;
        }
        desktop_ = {size[0], size[1]};
        started_ = true;
        yieldedAt_ = emscripten_get_now();
        return true;
    }

    void Stop() override
    {
        if (started_)
            web_stop();
        started_ = false;
    }

    ScreenSize DesktopSize() const override
    {
        return desktop_;
    }

    bool SetDisplayMode(int width, int height) override
    {
        return started_ && width > 0 && height > 0 && web_set_mode(width, height) != 0;
    }

    // The last frame stays on the page after the program ends.
    void RestoreDisplayMode() override { }

    void Present(
        const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh) override
    {
        if (!started_ || pixels == nullptr || width <= 0 || height <= 0 || pitchBytes < 2 * width)
            return;
        const double startedAt = emscripten_get_now();
        static const RgbaTable rgba;
        rgba_.resize(static_cast<size_t>(width) * height);
        uint32_t* to = rgba_.data();
        const auto* row = reinterpret_cast<const uint8_t*>(pixels);
        for (int y = 0; y < height; ++y, row += pitchBytes) {
            const auto* from = reinterpret_cast<const uint16_t*>(row);
            for (int x = 0; x < width; ++x)
                *to++ = rgba.entries[from[x]];
        }
        const double workMs = refreshed_ ? startedAt - yieldedAt_ : 0;
        web_show_frame(rgba_.data(), width, height, waitForRefresh, startedAt, workMs);
        if (waitForRefresh)
            WaitForRefresh();
    }

    bool PumpEvents() override
    {
        // Keys arrive while the program waits for a refresh; a page sends no
        // close request (closing the tab ends everything at once).
        if (started_ && emscripten_get_now() - yieldedAt_ > LONGEST_RUN_WITHOUT_YIELD_MS)
            WaitForRefresh();
        return false;
    }

    bool KeyHeld(int virtualKey) const override
    {
        return started_ && virtualKey >= 0 && virtualKey < 256 && web_key_held(virtualKey) != 0;
    }

    void ShowPointer(bool visible) override
    {
        if (started_)
            web_show_pointer(visible ? 1 : 0);
    }

private:
    void WaitForRefresh()
    {
        web_wait_for_refresh();
        yieldedAt_ = emscripten_get_now();
        refreshed_ = true;
    }

    bool started_ = false;
    bool refreshed_ = false;
    double yieldedAt_ = 0;
    ScreenSize desktop_{};
    std::vector<uint32_t> rgba_;
};

}  // namespace

std::unique_ptr<Backend> CreateDesktopBackend(std::string& /*reason*/)
{
    return std::make_unique<WebBackend>();
}

}  // namespace layer
