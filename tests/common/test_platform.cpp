// What follows for both platforms from their own hooks.
#include "test_platform.h"

#include "forms/accessible.h"

namespace testplatform {

void press(const forms::Control& control, Point at)
{
    const Box b = box(control);
    mouse(control.owner(), true, {b.left + at.x, b.top + at.y});
}

void release(const forms::Control& control, Point at)
{
    const Box b = box(control);
    mouse(control.owner(), false, {b.left + at.x, b.top + at.y});
}

Image image(const forms::Control& control)
{
    const Image whole = image(control.owner());
    const Box b = box(control);
    Image part{b.width(), b.height(), {}};
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
            part.pixels.push_back(whole.at(x, y));
    return part;
}

int accessibleChildIndex(const forms::Control& control)
{
    return static_cast<int>(
               forms::AccessibleTree(control.owner(), {}, kReaderShape).indexOf(control)) -
           1;
}

} // namespace testplatform
