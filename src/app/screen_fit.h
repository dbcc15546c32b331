#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace orvel::app {

// Where a window of fixed content goes on a screen whose work area may be too
// small for it (a laptop at 150 %: 1280 x 720 logical pixels less the task bar).
struct ScreenFit {
    QRect client;   // the window's inside, in screen coordinates
    bool scrolls{}; // the content no longer fits: the window shows it scrolled
};

// The content keeps its size and every position in it; only the window around it
// shrinks, by as little as the work area demands, leaving room for the scroll
// bars that then appear. `frame` is what the system draws around the window.
[[nodiscard]] ScreenFit fitOnScreen(QSize content, QRect workArea, QMargins frame,
                                    int scrollBarExtent);

} // namespace orvel::app
