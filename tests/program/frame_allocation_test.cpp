// The frame path allocates nothing: after a warm-up, the whole loop (the
// message queue, input, tile blits, legend and flip) runs hundreds of frames,
// scrolling through every kind of tile cover, without one allocation. Every
// global operator new of this test program counts while the window is open.
#include "display/display_state.h"
#include "mapview/view_position.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

namespace {

bool counting = false;
long allocations = 0;

void* Allocate(std::size_t size, std::size_t alignment = 0)
{
    if (counting)
        ++allocations;
    if (size == 0)
        size = 1;
    if (alignment > alignof(std::max_align_t))
        return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    return std::malloc(size);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment = 0)
{
    if (void* memory = Allocate(size, alignment))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

namespace {

namespace test = layer::test;

constexpr int WARM_UP_FRAMES = 10;
constexpr int FRAMES_PER_LEG = 60;  // 240 pixels: every offset within a tile, both ways

TEST(FrameAllocations, NoneWhileScrollingAfterTheFirstFrames)
{
    test::ResetLayer(1024, 768);
    DisplayState = {};
    viewRight = 640;
    viewBottom = 480;
    // Right and down, then left and up, then right alone and down alone.
    const int legs[][2] = {{VK_RIGHT, VK_DOWN}, {VK_LEFT, VK_UP}, {VK_RIGHT, 0}, {0, VK_DOWN}};
    const int measured = FRAMES_PER_LEG * 4;
    int frames = 0;
    long counted = -1;
    int32_t farthestRight = 0, farthestDown = 0;
    test::OnFlip([&] {
        ++frames;
        farthestRight = std::max(farthestRight, viewRight);
        farthestDown = std::max(farthestDown, viewBottom);
        const int into = frames - WARM_UP_FRAMES;
        if (into == 0) {
            allocations = 0;
            counting = true;
        }
        if (into >= 0 && into < measured && into % FRAMES_PER_LEG == 0) {
            test::ReleaseAllKeys();
            for (int key : legs[into / FRAMES_PER_LEG])
                if (key != 0)
                    test::HoldKey(key);
        }
        if (into == measured) {
            counting = false;
            counted = allocations;
            test::ReleaseAllKeys();
            test::HoldKey(VK_ESCAPE);
        }
    });
    EXPECT_EQ(WinMain(GetModuleHandleA(NULL), NULL, const_cast<char*>(""), SW_SHOWDEFAULT), 0);
    counting = false;
    test::ResetLayer();

    EXPECT_EQ(counted, 0) << "allocations in " << measured << " frames";
    EXPECT_GE(frames, WARM_UP_FRAMES + measured);
    // The keys took effect, so the frames went through many covers.
    EXPECT_GE(farthestRight, 640 + SCROLL_STEP * (FRAMES_PER_LEG - 1));
    EXPECT_GE(farthestDown, 480 + SCROLL_STEP * (FRAMES_PER_LEG - 1));
}

}  // namespace
