// Where the program's frame goes on a screen or window of another size.
// Internal to the SDL backend; free of SDL so that it can be checked alone.
#pragma once

namespace layer {

struct FrameRect {
    int x;
    int y;
    int width;
    int height;
};

// Centred with its aspect kept, on black around it. Where the frame fits at
// least once it is scaled by the largest whole number that fits, so every
// pixel of it is a square of one size; on a smaller screen it shrinks to fill
// one side. All zero when either size is empty.
FrameRect FitFrame(int frameWidth, int frameHeight, int screenWidth, int screenHeight);

// A new window's size in frames: the largest whole number whose window,
// with its frame of borders and title bar around it, fits the room the
// desktop leaves; at least 1 and at most MAX_WINDOW_TIMES, the user may
// make it bigger.
constexpr int MAX_WINDOW_TIMES = 2;
int WindowTimes(
    int frameWidth, int frameHeight, int roomWidth, int roomHeight, int bordersWidth, int bordersHeight);

}  // namespace layer
