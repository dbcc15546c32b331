#pragma once

#include <QComboBox>

namespace orvel::app {

// An editable list whose drop-down lets its owner bring the items up to date
// before it opens, and is wide enough for the longest item while the box keeps
// its own size and place.
class DropDownComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;
    void hidePopup() override;

signals:
    void aboutToShowPopup();

private:
    void showStart();
};

} // namespace orvel::app
