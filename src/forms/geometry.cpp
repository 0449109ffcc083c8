#include "forms/geometry.h"

namespace forms {

namespace {

long overlap(const PixelRect& a, const PixelRect& b)
{
    const PixelRect both = a.intersected(b);
    return both.empty() ? 0 : static_cast<long>(both.width()) * both.height();
}

// How far apart two rectangles lie, 0 when they touch or overlap.
long distance(const PixelRect& a, const PixelRect& b)
{
    const long dx = std::max({0, b.left - a.right, a.left - b.right});
    const long dy = std::max({0, b.top - a.bottom, a.top - b.bottom});
    return dx * dx + dy * dy;
}

// The least move along one axis that puts [from, from + size) inside
// [low, high); the low edge wins where it cannot be whole.
int within(int from, int size, int low, int high)
{
    return std::max(std::min(from, high - size), low);
}

} // namespace

const Screen* screenInUse(std::span<const Screen> screens,
                          const std::optional<PixelRect>& foreground)
{
    if (screens.empty())
        return nullptr;
    const Screen* best = &screens.front();
    if (!foreground)
        return best;
    for (const Screen& screen : screens)
        if (overlap(*foreground, screen.bounds) > overlap(*foreground, best->bounds))
            best = &screen;
    return best;
}

PixelPoint keptOnScreens(const PixelRect& frame, std::span<const PixelRect> workAreas)
{
    const PixelPoint here{frame.left, frame.top};
    const PixelRect* best = nullptr;
    for (const PixelRect& area : workAreas) {
        if (area.empty())
            continue;
        if (frame.intersected(area) == frame)
            return here;
        if (best == nullptr)
            best = &area;
        else if (const long more = overlap(frame, area) - overlap(frame, *best); more != 0) {
            if (more > 0)
                best = &area;
        } else if (distance(frame, area) < distance(frame, *best))
            best = &area;
    }
    if (best == nullptr)
        return here;
    return {within(frame.left, frame.width(), best->left, best->right),
            within(frame.top, frame.height(), best->top, best->bottom)};
}

} // namespace forms
