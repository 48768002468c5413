// The frame path allocates nothing: after a warm-up, the whole loop (the
// message queue, input, tile blits, legend and flip) runs hundreds of frames,
// scrolling through every kind of tile cover, without one allocation. Every
// plain operator new of this test program counts while the window is open;
// the layer's aligned surface memory comes only with new surfaces.
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

void* Allocate(std::size_t size)
{
    allocations += counting;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

// The sized and array forms too, so that a sanitizer's own never frees
// memory that came from here.
void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
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

namespace {

namespace test = layer::test;

TEST(FrameAllocations, NoneWhileScrollingAfterTheFirstFrames)
{
    constexpr int WARM_UP = 10, LEG = 60;  // 240 pixels: every offset within a tile, both ways
    test::ResetLayer(1024, 768);
    DisplayState = {};
    viewRight = 640;
    viewBottom = 480;
    // Right and down, then left and up, then right alone and down alone.
    const int legs[][2]
        = {{VK_RIGHT, VK_DOWN}, {VK_LEFT, VK_UP}, {VK_RIGHT, VK_RIGHT}, {VK_DOWN, VK_DOWN}};
    int frames = 0;
    long counted = -1;
    int32_t farthestRight = 0, farthestDown = 0;
    test::OnFlip([&] {
        const int into = ++frames - WARM_UP;
        farthestRight = std::max(farthestRight, viewRight);
        farthestDown = std::max(farthestDown, viewBottom);
        if (into == 0) {
            allocations = 0;
            counting = true;
        }
        if (into >= 0 && into < 4 * LEG && into % LEG == 0) {
            test::ReleaseAllKeys();
            for (int key : legs[into / LEG])
                test::HoldKey(key);
        }
        if (into == 4 * LEG) {
            counting = false;
            counted = allocations;
            test::HoldKey(VK_ESCAPE);
        }
    });
    EXPECT_EQ(WinMain(GetModuleHandleA(NULL), NULL, const_cast<char*>(""), SW_SHOWDEFAULT), 0);
    counting = false;
    test::ResetLayer();

    EXPECT_EQ(counted, 0) << "allocations in " << 4 * LEG << " frames";
    // The keys took effect, so the frames went through many covers.
    EXPECT_GE(farthestRight, 640 + SCROLL_STEP * (LEG - 1));
    EXPECT_GE(farthestDown, 480 + SCROLL_STEP * (LEG - 1));
}

}  // namespace
