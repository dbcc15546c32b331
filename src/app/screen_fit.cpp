#include "app/screen_fit.h"

#include <algorithm>

namespace orvel::app {

ScreenFit fitOnScreen(QSize content, QRect workArea, QMargins frame, int scrollBarExtent) {
    const QSize room = workArea.marginsRemoved(frame).size();
    QSize wanted = content;
    if (wanted.height() > room.height()) {
        wanted.rwidth() += scrollBarExtent;
    }
    if (wanted.width() > room.width()) {
        wanted.rheight() += scrollBarExtent;
        if (wanted.height() > room.height() && wanted.width() == content.width()) {
            wanted.rwidth() += scrollBarExtent;
        }
    }
    ScreenFit fit;
    fit.scrolls = wanted != content;
    const QSize size(std::min(wanted.width(), room.width()),
                     std::min(wanted.height(), room.height()));
    // Centred in the work area, the title bar never above its top.
    const QPoint centred(workArea.left() + frame.left() + (room.width() - size.width()) / 2,
                         workArea.top() + frame.top() + (room.height() - size.height()) / 2);
    fit.client = QRect(centred, size);
    return fit;
}

} // namespace orvel::app
