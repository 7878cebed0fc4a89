#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where the floating windows open, so that they leave the main window's panes free.
namespace placement {

enum class Side
{
    Right,
    Left
};

// Gap left between a floating window and the windows around it.
inline constexpr int Gap = 8;

// The top-left corner for a window whose frame is `size`: beside `mainFrame` and level with its
// top, on the `preferred` side first and then the other, each time below the windows already
// placed on that side (`taken`) if the first place is theirs. A place must lie inside `screen`
// and cover neither the main window nor a taken window. On a screen without such a place the
// window goes to the preferred side's first place, pushed into the screen.
QPoint besideMainWindow(const QRect& mainFrame, const QSize& size, const QRect& screen,
                        Side preferred, const QList<QRect>& taken = {});

// Where a window goes when the screen leaves no free place beside the main window (a maximised
// one, say): inside `allowed`, the area of the screen that is neither the main window's menu nor
// its bars, as high and as far right as it can be. Rows are tried top down, each from the right
// edge leftwards past the taken windows in the way; when no place is clear of `taken`, the top
// right corner. The frame is `size` cut to `allowed`.
QRect overMainWindow(const QRect& allowed, const QSize& size, const QList<QRect>& taken = {});

} // namespace placement
