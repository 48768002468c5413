#include "periodic_noise.h"

#include "tile_image.h"

#include <cmath>

namespace tilegen {

namespace {

uint64_t SplitMix64(uint64_t value)
{
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

double SmoothStep(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

int Wrap(int64_t i, int count)
{
    const int64_t r = i % count;
    return static_cast<int>(r < 0 ? r + count : r);
}

}  // namespace

double HashUnit(uint64_t seed, int64_t i, int64_t j)
{
    uint64_t h = SplitMix64(seed);
    h = SplitMix64(h ^ static_cast<uint64_t>(i));
    h = SplitMix64(h ^ static_cast<uint64_t>(j));
    return static_cast<double>(h >> 11) * 0x1.0p-53;
}

double PeriodicValueNoise(uint64_t seed, int period, double x, double y)
{
    const int cells = TILE_SIZE / period;
    const double fx = x / period;
    const double fy = y / period;
    const int64_t ix = static_cast<int64_t>(std::floor(fx));
    const int64_t iy = static_cast<int64_t>(std::floor(fy));
    const double tx = SmoothStep(fx - static_cast<double>(ix));
    const double ty = SmoothStep(fy - static_cast<double>(iy));

    const int x0 = Wrap(ix, cells);
    const int x1 = Wrap(ix + 1, cells);
    const int y0 = Wrap(iy, cells);
    const int y1 = Wrap(iy + 1, cells);
    const double top = HashUnit(seed, x0, y0) * (1 - tx) + HashUnit(seed, x1, y0) * tx;
    const double bottom = HashUnit(seed, x0, y1) * (1 - tx) + HashUnit(seed, x1, y1) * tx;
    return top * (1 - ty) + bottom * ty;
}

}  // namespace tilegen
