// BeginPaint on the platform's own USER: the rectangle to paint is the
// bounds of what was invalidated, within the window, and painting validates.
#include "platform/win32.h"
#include "tests/support/test_window.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(Paint, RcPaintBoundsWhatWasInvalidatedWithinTheWindow)
{
    HWND window = CreateTestWindow();
    ASSERT_NE(window, static_cast<HWND>(NULL));
    const RECT WHOLE = {0, 0, 640, 480};
    const struct {
        std::vector<RECT> invalidated;
        RECT expected;
    } cases[] = {{{{10, 20, 30, 40}}, {10, 20, 30, 40}},
        {{{10, 20, 30, 40}, {100, 5, 110, 25}}, {10, 5, 110, 40}},
        {{{600, 400, 700, 500}}, {600, 400, 640, 480}}, {{WHOLE}, WHOLE}};
    for (const auto& c : cases) {
        ValidateRect(window, NULL);
        for (const RECT& rect : c.invalidated)
            InvalidateRect(window, &rect, FALSE);
        PAINTSTRUCT paint;
        ASSERT_NE(BeginPaint(window, &paint), static_cast<HDC>(NULL));
        EndPaint(window, &paint);
        const RECT& r = paint.rcPaint;
        EXPECT_TRUE(r.left == c.expected.left && r.top == c.expected.top
            && r.right == c.expected.right && r.bottom == c.expected.bottom)
            << r.left << "," << r.top << " to " << r.right << "," << r.bottom;
        RECT left;
        EXPECT_FALSE(GetUpdateRect(window, &left, FALSE));
    }
    DestroyWindow(window);
}

}  // namespace
