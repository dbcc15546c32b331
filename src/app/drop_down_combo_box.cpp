#include "app/drop_down_combo_box.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace orvel::app {

void DropDownComboBox::showPopup() {
    emit aboutToShowPopup();
    // The refresh (and the items' tool tips) put the whole text back in the edit,
    // which then shows its end: a long path shows its start, as before.
    showStart();
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

void DropDownComboBox::hidePopup() {
    QComboBox::hidePopup();
    showStart();
}

void DropDownComboBox::showStart() {
    if (QLineEdit* edit = lineEdit()) {
        edit->setCursorPosition(0);
    }
}

} // namespace orvel::app
