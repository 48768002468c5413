// Deterministic noise for the textures. Everything is a pure function of a
// seed and integer coordinates, so the pictures come out the same on every
// run and every machine (no std:: distributions, whose output may differ).
#pragma once

#include <cstdint>

namespace tilegen {

// A uniform value in [0, 1) for the lattice point (i, j) of stream seed.
double HashUnit(uint64_t seed, int64_t i, int64_t j);

// Value noise on a lattice with one point every `period` pixels that wraps
// after 64 pixels; period must divide 64. Smoothly interpolated between
// lattice points, so it tiles without a seam. Result in [0, 1].
double PeriodicValueNoise(uint64_t seed, int period, double x, double y);

// Octaves of PeriodicValueNoise, centred on 0: sum of amplitude * (noise - 0.5).
// Each octave's lattice is shifted by its own fraction of a cell so that the
// lattice lines of the octaves do not line up into a visible grid.
struct NoiseOctave {
    int period;
    double amplitude;
};
template <typename Octaves>
double PeriodicFractalNoise(uint64_t seed, const Octaves& octaves, double x, double y)
{
    double sum = 0.0;
    uint64_t stream = seed;
    for (const NoiseOctave& octave : octaves) {
        const double shiftX = HashUnit(stream, -1, 0) * octave.period;
        const double shiftY = HashUnit(stream, 0, -1) * octave.period;
        sum += octave.amplitude
            * (PeriodicValueNoise(stream, octave.period, x + shiftX, y + shiftY) - 0.5);
        stream += 0x9E3779B97F4A7C15ull;
    }
    return sum;
}

}  // namespace tilegen
