#include "pickers/Placement.h"

#include <algorithm>
#include <functional>

namespace placement {

namespace {

bool isFree(const QRect& place, const QRect& mainFrame, const QRect& screen,
            const QList<QRect>& taken)
{
    return screen.contains(place) && !place.intersects(mainFrame) &&
           std::none_of(taken.begin(), taken.end(),
                        [&](const QRect& other) { return place.intersects(other); });
}

} // namespace

QPoint besideMainWindow(const QRect& mainFrame, const QSize& size, const QRect& screen,
                        Side preferred, const QList<QRect>& taken)
{
    auto firstPlace = [&](Side side) {
        const int left = side == Side::Right ? mainFrame.right() + 1 + Gap
                                             : mainFrame.left() - Gap - size.width();
        return QRect(QPoint(left, mainFrame.top()), size);
    };
    for (Side side : {preferred, preferred == Side::Right ? Side::Left : Side::Right}) {
        QRect place = firstPlace(side);
        // Down the side, under each window that is in the way.
        for (int tries = 0; tries <= taken.size(); ++tries) {
            if (isFree(place, mainFrame, screen, taken)) {
                return place.topLeft();
            }
            const auto blocker = std::find_if(taken.begin(), taken.end(),
                                              [&](const QRect& r) { return place.intersects(r); });
            if (blocker == taken.end()) {
                break;
            }
            place.moveTop(blocker->bottom() + 1 + Gap);
        }
    }
    const QRect place = firstPlace(preferred);
    const int left = std::clamp(place.left(), screen.left(),
                                std::max(screen.left(), screen.right() + 1 - size.width()));
    const int top = std::clamp(place.top(), screen.top(),
                               std::max(screen.top(), screen.bottom() + 1 - size.height()));
    return QPoint(left, top);
}

QRect overMainWindow(const QRect& allowed, const QSize& size, const QList<QRect>& taken)
{
    const QSize fits = size.boundedTo(allowed.size());
    QList<int> tops{allowed.top()};
    QList<int> lefts{allowed.right() + 1 - fits.width()};
    for (const QRect& other : taken) {
        tops.append(other.bottom() + 1 + Gap);
        lefts.append(other.left() - Gap - fits.width());
    }
    std::sort(tops.begin(), tops.end());
    std::sort(lefts.begin(), lefts.end(), std::greater<>());
    for (int top : tops) {
        for (int left : lefts) {
            const QRect place(QPoint(left, top), fits);
            if (allowed.contains(place) &&
                std::none_of(taken.begin(), taken.end(),
                             [&](const QRect& other) { return place.intersects(other); })) {
                return place;
            }
        }
    }
    return QRect(QPoint(allowed.right() + 1 - fits.width(), allowed.top()), fits);
}

} // namespace placement
