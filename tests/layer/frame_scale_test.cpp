// The frame drawn into a window's own pixels (no GPU): each pixel a square
// of its value, nothing outside the frame's place touched; and how big a new
// window opens. The channels' widening shows in the read-backs of the
// present and of a saved frame.
#include "platform/layer/device/sdl/frame_fit.h"
#include "platform/layer/device/sdl/frame_scale.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A 3 x 2 frame with a padded row, into a target with a wider row and a
// guard around the place: every target pixel is the table's value for the
// source pixel under it, and the guard keeps its value.
template <typename Pixel> void CheckScaled(int times)
{
    constexpr int W = 3;
    constexpr int H = 2;
    constexpr int FRAME_PITCH = 4;  // pixels, one of them padding
    const uint16_t frame[H * FRAME_PITCH] = {1, 2, 3, 999, 4, 5, 6, 999};
    std::vector<uint32_t> table(65536);
    for (uint32_t p = 0; p < table.size(); ++p)
        table[p] = 0x1000 + p * 7;
    const int margin = 2;
    const int pitch = W * times + 2 * margin;  // pixels
    const int rows = H * times + 2 * margin;
    const Pixel guard = static_cast<Pixel>(0xA5A5A5A5u);
    std::vector<Pixel> target(static_cast<size_t>(pitch) * rows, guard);
    ASSERT_TRUE(layer::ScaleFrame(frame, FRAME_PITCH * 2, W, H, times, table.data(),
        &target[margin * pitch + margin], pitch * static_cast<int>(sizeof(Pixel)), sizeof(Pixel)));
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < pitch; ++x) {
            const int fx = x - margin;
            const int fy = y - margin;
            const bool inside = fx >= 0 && fy >= 0 && fx < W * times && fy < H * times;
            const Pixel want = inside
                ? static_cast<Pixel>(table[frame[(fy / times) * FRAME_PITCH + fx / times]])
                : guard;
            ASSERT_EQ(target[y * pitch + x], want) << times << "x at " << x << "," << y;
        }
}

TEST(FrameScale, EveryPixelBecomesASquareOfItsColourAndNothingAroundIsTouched)
{
    for (int times : {1, 2, 3}) {
        CheckScaled<uint32_t>(times);
        CheckScaled<uint16_t>(times);
    }
}

TEST(FrameScale, RefusesWhatItCannotWriteAndWritesNothing)
{
    const uint16_t frame[4] = {1, 2, 3, 4};
    std::vector<uint32_t> table(65536, 0x12345678u);
    struct Row {
        int pitch;
        int times;
        int targetPitch;
        int bytes;
    };
    const Row rows[] = {{4, 1, 8, 3}, {4, 0, 8, 4}, {2, 1, 8, 4}, {4, 2, 12, 4}, {4, 1, 2, 2}};
    for (const Row& r : rows) {
        std::vector<uint32_t> target(64, 7);
        EXPECT_FALSE(layer::ScaleFrame(
            frame, r.pitch, 2, 2, r.times, table.data(), target.data(), r.targetPitch, r.bytes))
            << r.pitch << " " << r.times << " " << r.targetPitch << " " << r.bytes;
        EXPECT_EQ(target, std::vector<uint32_t>(64, 7));
    }
}

// A new window: the largest whole multiple of 640 x 480 that fits the room
// with its title bar, never less than once nor more than twice.
TEST(FrameFit, NewWindowIsTheLargestWholeMultipleThatFitsWithItsTitleBar)
{
    const std::array<int, 5> rows[] = {{1366, 768, 16, 48, 1}, {1920, 1080, 16, 48, 2},
        {3840, 2160, 16, 48, 2}, {1296, 1008, 16, 48, 2}, {1296, 1007, 16, 48, 1},
        {1295, 1008, 16, 48, 1}, {640, 480, 16, 48, 1}, {300, 200, 0, 0, 1}};
    for (auto [w, h, bw, bh, times] : rows)
        EXPECT_EQ(layer::WindowTimes(640, 480, w, h, bw, bh), times) << w << "x" << h;
}

}  // namespace
