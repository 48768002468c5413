#include "platform/layer/ddraw/row_copy.h"

#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define LAYER_WIDE_ROW_COPY 1
#include <immintrin.h>
#endif

namespace layer {
namespace {

using CopyRows = void (*)(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, size_t, int);

void CopyRowsPlain(uint8_t* to, ptrdiff_t toPitch, const uint8_t* from, ptrdiff_t fromPitch,
    size_t bytes, int rows)
{
    for (int y = 0; y < rows; ++y, to += toPitch, from += fromPitch)
        std::memcpy(to, from, bytes);
}

#ifdef LAYER_WIDE_ROW_COPY

__attribute__((target("avx2"))) inline void Move32(uint8_t* to, const uint8_t* from)
{
    _mm256_storeu_si256(
        reinterpret_cast<__m256i*>(to), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)));
}

// Rows shorter than a move are copied as two moves that overlap in the
// middle, so every width takes two moves and no byte loop.
template <typename Word>
inline void MoveTwoOverlapping(uint8_t* to, const uint8_t* from, size_t bytes)
{
    Word head, tail;
    std::memcpy(&head, from, sizeof(Word));
    std::memcpy(&tail, from + bytes - sizeof(Word), sizeof(Word));
    std::memcpy(to, &head, sizeof(Word));
    std::memcpy(to + bytes - sizeof(Word), &tail, sizeof(Word));
}

__attribute__((target("avx2,prfchw"))) void CopyRowsWide(uint8_t* to, ptrdiff_t toPitch,
    const uint8_t* from, ptrdiff_t fromPitch, size_t bytes, int rows)
{
    if (bytes == 128) {
        // A whole 64-pixel tile row: most pieces of a frame are made of these.
        for (int y = 0; y < rows; ++y, to += toPitch, from += fromPitch) {
            // The destination's lines are rarely still cached: asking for
            // them, for writing, a few rows ahead overlaps those fetches
            // with the copying. A hint only, so past the last row is fine.
            const uintptr_t ahead = reinterpret_cast<uintptr_t>(to) + 3 * toPitch;
            __builtin_prefetch(reinterpret_cast<const void*>(ahead), 1, 3);
            __builtin_prefetch(reinterpret_cast<const void*>(ahead + 64), 1, 3);
            __builtin_prefetch(reinterpret_cast<const void*>(ahead + 127), 1, 3);
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 32));
            const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 64));
            const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 96));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), a);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 32), b);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 64), c);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 96), d);
        }
        return;
    }
    if (bytes >= 32) {
        // Whole moves from the left, then one that ends at the row's end.
        const size_t last = bytes - 32;
        for (int y = 0; y < rows; ++y, to += toPitch, from += fromPitch) {
            for (size_t offset = 0; offset < last; offset += 32)
                Move32(to + offset, from + offset);
            Move32(to + last, from + last);
        }
        return;
    }
    for (int y = 0; y < rows; ++y, to += toPitch, from += fromPitch) {
        if (bytes >= 16)
            MoveTwoOverlapping<__m128i>(to, from, bytes);
        else if (bytes >= 8)
            MoveTwoOverlapping<uint64_t>(to, from, bytes);
        else if (bytes >= 4)
            MoveTwoOverlapping<uint32_t>(to, from, bytes);
        else
            std::memcpy(to, from, 2);
    }
}

bool CpuHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}

#endif

struct Choice {
    CopyRows copy;
    RowCopyPath path;
};

Choice AutomaticChoice()
{
#ifdef LAYER_WIDE_ROW_COPY
    if (CpuHasAvx2())
        return {CopyRowsWide, RowCopyPath::Wide};
#endif
    return {CopyRowsPlain, RowCopyPath::Plain};
}

void ChooseThenCopy(uint8_t* to, ptrdiff_t toPitch, const uint8_t* from, ptrdiff_t fromPitch,
    size_t bytes, int rows);

// Settled by the first copy (or question), then one indirect call per blit.
Choice chosen{ChooseThenCopy, RowCopyPath::Plain};

void ChooseThenCopy(uint8_t* to, ptrdiff_t toPitch, const uint8_t* from, ptrdiff_t fromPitch,
    size_t bytes, int rows)
{
    chosen = AutomaticChoice();
    chosen.copy(to, toPitch, from, fromPitch, bytes, rows);
}

}  // namespace

void CopyPixelRows(
    uint16_t* to, ptrdiff_t toPitch, const uint16_t* from, ptrdiff_t fromPitch, int width, int rows)
{
    chosen.copy(reinterpret_cast<uint8_t*>(to), toPitch, reinterpret_cast<const uint8_t*>(from),
        fromPitch, static_cast<size_t>(width) * sizeof(uint16_t), rows);
}

bool WideRowCopyAvailable()
{
#ifdef LAYER_WIDE_ROW_COPY
    return CpuHasAvx2();
#else
    return false;
#endif
}

RowCopyPath ActiveRowCopyPath()
{
    if (chosen.copy == ChooseThenCopy)
        chosen = AutomaticChoice();
    return chosen.path;
}

bool ForceRowCopyPath(RowCopyPath path)
{
    if (path == RowCopyPath::Plain) {
        chosen = {CopyRowsPlain, RowCopyPath::Plain};
        return true;
    }
#ifdef LAYER_WIDE_ROW_COPY
    if (CpuHasAvx2()) {
        chosen = {CopyRowsWide, RowCopyPath::Wide};
        return true;
    }
#endif
    return false;
}

void ChooseRowCopyPathAutomatically()
{
    chosen = AutomaticChoice();
}

}  // namespace layer
