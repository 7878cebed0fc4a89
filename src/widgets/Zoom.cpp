#include "widgets/Zoom.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<Zoom, 11> Steps{
    {{1, 4}, {1, 3}, {1, 2}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {6, 1}, {8, 1}, {12, 1}, {16, 1}}};

} // namespace

std::span<const Zoom> Zoom::steps()
{
    return Steps;
}

Zoom Zoom::in() const
{
    const auto next = std::find_if(Steps.begin(), Steps.end(),
                                   [this](const Zoom& step) { return step.scale() > scale(); });
    return next == Steps.end() ? Steps.back() : *next;
}

Zoom Zoom::out() const
{
    const auto next = std::find_if(Steps.rbegin(), Steps.rend(),
                                   [this](const Zoom& step) { return step.scale() < scale(); });
    return next == Steps.rend() ? Steps.front() : *next;
}

QRect Zoom::toView(const QRect& area) const
{
    if (area.isEmpty()) {
        return {};
    }
    const QPoint topLeft(toView(area.left()), toView(area.top()));
    const auto last = [this](int image) {
        return down > 1 ? toView(image) : toView(image + 1) - 1;
    };
    const QPoint bottomRight(last(area.right()), last(area.bottom()));
    return QRect(topLeft, bottomRight);
}
