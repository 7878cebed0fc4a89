#include "output/Centring.h"

#include <algorithm>

namespace centring {

int centredOffset(int outer, int inner)
{
    const long long difference = static_cast<long long>(outer) - inner;
    // An odd difference lies exactly on a half; take the even one of its two neighbours.
    long long half = difference / 2; // truncated toward zero
    if (difference % 2 != 0 && half % 2 != 0) {
        half += difference > 0 ? 1 : -1;
    }
    return static_cast<int>(half);
}

QPoint framePosition(QSize client, int barHeight, QSize picture)
{
    return QPoint(std::max(centredOffset(client.width(), picture.width()), 0),
                  std::max(centredOffset(client.height() - barHeight, picture.height()), 0));
}

} // namespace centring
