#include "platform/layer/device/sdl/frame_fit.h"

#include <algorithm>

namespace layer {

FrameRect FitFrame(int frameWidth, int frameHeight, int screenWidth, int screenHeight)
{
    if (frameWidth <= 0 || frameHeight <= 0 || screenWidth <= 0 || screenHeight <= 0)
        return {0, 0, 0, 0};
    int width = 0;
    int height = 0;
    const int times = std::min(screenWidth / frameWidth, screenHeight / frameHeight);
    if (times >= 1) {
        width = frameWidth * times;
        height = frameHeight * times;
    } else if (static_cast<long long>(screenWidth) * frameHeight
        <= static_cast<long long>(screenHeight) * frameWidth) {
        // Narrower than the frame: the width is filled.
        width = screenWidth;
        height = std::max(
            1, static_cast<int>(static_cast<long long>(screenWidth) * frameHeight / frameWidth));
    } else {
        height = screenHeight;
        width = std::max(
            1, static_cast<int>(static_cast<long long>(screenHeight) * frameWidth / frameHeight));
    }
    return {(screenWidth - width) / 2, (screenHeight - height) / 2, width, height};
}

int WindowTimes(
    int frameWidth, int frameHeight, int roomWidth, int roomHeight, int bordersWidth, int bordersHeight)
{
    if (frameWidth <= 0 || frameHeight <= 0)
        return 1;
    const int across = (roomWidth - std::max(bordersWidth, 0)) / frameWidth;
    const int down = (roomHeight - std::max(bordersHeight, 0)) / frameHeight;
    return std::clamp(std::min(across, down), 1, MAX_WINDOW_TIMES);
}

}  // namespace layer
