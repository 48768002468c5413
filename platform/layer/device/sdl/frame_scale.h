// The frame drawn into a window's own pixels, for displays that draw in
// software: each pixel a square of a whole number of pixels, through a
// table from 5-6-5 to the window's pixel format. Internal to the SDL
// backend; free of SDL so that it can be checked alone.
#pragma once

#include <cstdint>

namespace layer {

// Writes the width x height frame, each pixel `times` x `times`, at `target`
// (the top left of the frame's place, rows `targetPitchBytes` apart) in
// pixels of 2 or 4 bytes: `table[p]` for the 5-6-5 pixel p. False, with
// nothing written, for any other pixel size or an empty or bad size.
bool ScaleFrame(const uint16_t* frame, int framePitchBytes, int width, int height, int times,
    const uint32_t* table, void* target, int targetPitchBytes, int bytesPerPixel);

}  // namespace layer
