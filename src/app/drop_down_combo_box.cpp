#include "app/drop_down_combo_box.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace orvel::app {

void DropDownComboBox::showPopup() {
    emit aboutToShowPopup();
    QAbstractItemView* list = view();
    const QFontMetrics metrics(list->font());
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    }
    const int frame = 2 * (list->frameWidth() + style()->pixelMetric(QStyle::PM_FocusFrameHMargin));
    const int scrollBar =
        count() > maxVisibleItems() ? list->verticalScrollBar()->sizeHint().width() : 0;
    // Room for the item's own margins on both sides.
    const int margins = 2 * metrics.averageCharWidth();
    list->setMinimumWidth(std::max(width(), widest + frame + scrollBar + margins));
    QComboBox::showPopup();
}

} // namespace orvel::app
