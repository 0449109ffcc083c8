#include "forms/geometry.h"

#include <cmath>

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

std::pair<int, int> CoarsePixels::devicePixels(int coarse) const
{
    // Halves away from zero: [d - 1/2, d + 1/2) above the origin, the mirror below.
    const double d = coarse - origin;
    if (d >= 0)
        return {origin + static_cast<int>(std::ceil((d - 0.5) * ratio)),
                origin + static_cast<int>(std::ceil((d + 0.5) * ratio)) - 1};
    return {origin + static_cast<int>(std::floor((d - 0.5) * ratio)) + 1,
            origin + static_cast<int>(std::floor((d + 0.5) * ratio))};
}

int CoarsePixels::device(int coarse) const
{
    const double scaled = (coarse - origin) * ratio;
    return origin +
           static_cast<int>(scaled >= 0 ? std::floor(scaled + 0.5) : -std::floor(-scaled + 0.5));
}

int CoarsePixels::coarse(int device, bool upward) const
{
    const double exact = (device - origin) / ratio;
    int at = origin + static_cast<int>(upward ? std::ceil(exact) : std::floor(exact));
    // Rounded back, the one nearer may land on the pixel too.
    if (upward && this->device(at - 1) >= device)
        --at;
    if (!upward && this->device(at + 1) <= device)
        ++at;
    return at;
}

PixelRect deviceInside(const PixelRect& coarse, const CoarsePixels& x, const CoarsePixels& y,
                       std::span<const int> edgesX, std::span<const int> edgesY)
{
    const auto edge = [](std::pair<int, int> range, std::span<const int> known, bool low) {
        for (int exact : known)
            if (exact >= range.first && exact <= range.second)
                return exact;
        return low ? range.second : range.first;
    };
    const auto left = x.devicePixels(coarse.left);
    const auto top = y.devicePixels(coarse.top);
    const auto width = CoarsePixels{0, x.ratio}.devicePixels(coarse.width());
    const auto height = CoarsePixels{0, y.ratio}.devicePixels(coarse.height());
    return {edge(left, edgesX, true), edge(top, edgesY, true),
            edge({left.first + width.first, left.second + width.second}, edgesX, false),
            edge({top.first + height.first, top.second + height.second}, edgesY, false)};
}

} // namespace forms
