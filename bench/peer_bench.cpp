// The peers composing the same frame from the same twelve 5-6-5 tiles, piece
// by piece as the tile walk hands them out: SDL2's SDL_LowerBlit on
// SDL_Surfaces, and pixman's pixman_blt and pixman_image_composite32 (SRC).
// Each is checked once against our back buffer before it is timed.
#include "bench/registry.h"
#include "bench/scene.h"
#include "mapview/tile_walk.h"

#include <SDL.h>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <pixman.h>
#include <string>
#include <vector>

namespace bench {
namespace {

// 16-bit pixels on a 64-byte boundary, as the layer's surfaces have them.
class AlignedPixels {
public:
    AlignedPixels() = default;
    explicit AlignedPixels(size_t count)
        : pixels_(static_cast<uint16_t*>(std::aligned_alloc(64, (count * 2 + 63) / 64 * 64)))
    {
    }
    uint16_t* get() const
    {
        return pixels_.get();
    }
    // pixman takes pixels as 32-bit words.
    uint32_t* words() const
    {
        return reinterpret_cast<uint32_t*>(pixels_.get());
    }

private:
    struct Free {
        void operator()(uint16_t* pixels) const
        {
            std::free(pixels);
        }
    };
    std::unique_ptr<uint16_t, Free> pixels_;
};

struct Reference {
    TilePixels tiles;
    std::vector<uint16_t> frame;
};

// The tiles, and the frame our layer composes from them for this view.
bool MakeReference(ViewCase view, Reference& reference)
{
    const bool ready = SetUpDisplay();
    if (ready) {
        reference.tiles = ReadTiles();
        BlitTilePieces(view.viewRight, view.viewBottom);
        reference.frame = ReadBackBuffer();
    }
    TearDownDisplay();
    if (!ready || reference.frame.size() != FRAME_PIXELS)
        return false;
    for (const std::vector<uint16_t>& tile : reference.tiles) {
        if (tile.size() != size_t{TILE_SIZE} * TILE_SIZE)
            return false;
    }
    return true;
}

bool SameFrame(const std::vector<uint16_t>& ours, const uint8_t* pixels, size_t pitchBytes)
{
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        if (std::memcmp(&ours[size_t{SCREEN_WIDTH} * y], pixels + pitchBytes * y,
                size_t{SCREEN_WIDTH} * sizeof(uint16_t))
            != 0)
            return false;
    }
    return true;
}

void ComposeSdl(benchmark::State& state, ViewCase view)
{
    Reference reference;
    if (!MakeReference(view, reference)) {
        state.SkipWithError("the display could not be set up");
        return;
    }
    // The pixels live where ours do, on 64-byte boundaries, as pixman's do
    // below. (SDL's own allocation promises 32: whether its streaming copy
    // then writes whole cache lines or halves of two, several times slower,
    // would depend on where the heap happens to put the frame.)
    std::array<AlignedPixels, TILE_COUNT> tileBits;
    std::array<SDL_Surface*, TILE_COUNT> tiles{};
    for (int i = 0; i < TILE_COUNT; ++i) {
        tileBits[i] = AlignedPixels(size_t{TILE_SIZE} * TILE_SIZE);
        std::memcpy(tileBits[i].get(), reference.tiles[i].data(), TILE_SIZE * TILE_SIZE * 2);
        tiles[i] = SDL_CreateRGBSurfaceWithFormatFrom(
            tileBits[i].get(), TILE_SIZE, TILE_SIZE, 16, TILE_SIZE * 2, SDL_PIXELFORMAT_RGB565);
        if (tiles[i] == nullptr)
            break;
        SDL_SetSurfaceBlendMode(tiles[i], SDL_BLENDMODE_NONE);
    }
    AlignedPixels frameBits(FRAME_PIXELS);
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(
        frameBits.get(), SCREEN_WIDTH, SCREEN_HEIGHT, 16, SCREEN_WIDTH * 2, SDL_PIXELFORMAT_RGB565);
    auto compose = [&] {
        ComputeTilePieces(view.viewRight, view.viewBottom, [&](const TilePiece& piece) {
            const int w = piece.source.right - piece.source.left;
            const int h = piece.source.bottom - piece.source.top;
            SDL_Rect source{piece.source.left, piece.source.top, w, h};
            SDL_Rect destination{piece.x, piece.y, w, h};
            SDL_LowerBlit(tiles[piece.tile], &source, frame, &destination);
        });
    };
    if (frame == nullptr || tiles.back() == nullptr) {
        state.SkipWithError(SDL_GetError());
    } else {
        compose();
        if (!SameFrame(reference.frame, static_cast<const uint8_t*>(frame->pixels), frame->pitch))
            state.SkipWithError("SDL's frame differs from ours");
    }
    for (auto _ : state) {
        compose();
        benchmark::ClobberMemory();
    }
    for (SDL_Surface* tile : tiles)
        SDL_FreeSurface(tile);
    SDL_FreeSurface(frame);
}

enum class PixmanCall { Blt, Composite };

void ComposePixman(benchmark::State& state, ViewCase view, PixmanCall call)
{
    Reference reference;
    if (!MakeReference(view, reference)) {
        state.SkipWithError("the display could not be set up");
        return;
    }
    // pixman wants 32-bit aligned rows and counts strides in bytes for
    // images, in 32-bit words for pixman_blt.
    constexpr int TILE_STRIDE = TILE_SIZE * 2;
    constexpr int FRAME_STRIDE = SCREEN_WIDTH * 2;
    std::array<AlignedPixels, TILE_COUNT> tileBits;
    std::array<pixman_image_t*, TILE_COUNT> tiles{};
    for (int i = 0; i < TILE_COUNT; ++i) {
        tileBits[i] = AlignedPixels(size_t{TILE_SIZE} * TILE_SIZE);
        std::memcpy(tileBits[i].get(), reference.tiles[i].data(), TILE_STRIDE * TILE_SIZE);
        tiles[i] = pixman_image_create_bits(
            PIXMAN_r5g6b5, TILE_SIZE, TILE_SIZE, tileBits[i].words(), TILE_STRIDE);
    }
    AlignedPixels frameBits(FRAME_PIXELS);
    pixman_image_t* frame = pixman_image_create_bits(
        PIXMAN_r5g6b5, SCREEN_WIDTH, SCREEN_HEIGHT, frameBits.words(), FRAME_STRIDE);
    bool blitted = true;
    auto compose = [&] {
        ComputeTilePieces(view.viewRight, view.viewBottom, [&](const TilePiece& piece) {
            const int w = piece.source.right - piece.source.left;
            const int h = piece.source.bottom - piece.source.top;
            if (call == PixmanCall::Blt) {
                blitted &= pixman_blt(tileBits[piece.tile].words(), frameBits.words(),
                    TILE_STRIDE / 4, FRAME_STRIDE / 4, 16, 16, piece.source.left, piece.source.top,
                    piece.x, piece.y, w, h);
            } else {
                pixman_image_composite32(PIXMAN_OP_SRC, tiles[piece.tile], nullptr, frame,
                    piece.source.left, piece.source.top, 0, 0, piece.x, piece.y, w, h);
            }
        });
    };
    compose();
    if (!blitted
        || !SameFrame(
            reference.frame, reinterpret_cast<const uint8_t*>(frameBits.get()), FRAME_STRIDE))
        state.SkipWithError("pixman's frame differs from ours");
    for (auto _ : state) {
        compose();
        benchmark::ClobberMemory();
    }
    for (pixman_image_t* tile : tiles)
        pixman_image_unref(tile);
    pixman_image_unref(frame);
}

}  // namespace

void RegisterPeerBenchmarks()
{
    for (const ViewCase& view : {WORST_VIEW, BEST_VIEW}) {
        const std::string suffix = std::string("/") + view.name;
        benchmark::RegisterBenchmark((COMPOSE_SDL + suffix).c_str(), ComposeSdl, view);
        benchmark::RegisterBenchmark(
            (COMPOSE_PIXMAN_BLT + suffix).c_str(), ComposePixman, view, PixmanCall::Blt);
        benchmark::RegisterBenchmark((COMPOSE_PIXMAN_COMPOSITE + suffix).c_str(), ComposePixman,
            view, PixmanCall::Composite);
    }
}

}  // namespace bench
