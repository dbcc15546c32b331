#pragma once

#include <QObject>
#include <QString>

namespace orvel {
class PortProber;
}

namespace orvel::app {

class DropDownComboBox;

// Tool tips of the port list: the box shows the whole path of its port, each
// item of the drop-down its path and what the adapter calls itself. The item
// texts stay the bare names that activation and the map files use.
class PortListTips : public QObject {
    Q_OBJECT
public:
    PortListTips(DropDownComboBox* combo, PortProber& prober);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The name, and the device's description below it.
    [[nodiscard]] QString tipFor(const QString& name) const;
    void describeItems();

    DropDownComboBox* combo_;
    PortProber& prober_;
};

} // namespace orvel::app
