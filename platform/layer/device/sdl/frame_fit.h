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

}  // namespace layer
