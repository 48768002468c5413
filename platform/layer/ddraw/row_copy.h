// Copying rows of 16-bit pixels between areas that do not overlap: the work
// of every fast blit. A wide path (32-byte moves) is chosen once, at run
// time, where the CPU has it; the plain path copies each row with memcpy.
// Both leave the same pixels. Internal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace layer {

// `rows` rows of `width` pixels (width > 0), the rows `toPitch` and
// `fromPitch` bytes apart. The two areas must not overlap.
void CopyPixelRows(uint16_t* to, ptrdiff_t toPitch, const uint16_t* from, ptrdiff_t fromPitch,
    int width, int rows);

enum class RowCopyPath {
    Plain,  // memcpy per row, on any CPU
    Wide,  // 32-byte loads and stores (AVX2)
};
// Whether this CPU can take the wide path.
bool WideRowCopyAvailable();
// The path in force: the wide one where available, unless one was forced.
RowCopyPath ActiveRowCopyPath();
// For tests and benchmarks: forces a path (the wide one only where
// available; false otherwise), or goes back to the automatic choice.
bool ForceRowCopyPath(RowCopyPath path);
void ChooseRowCopyPathAutomatically();

}  // namespace layer
