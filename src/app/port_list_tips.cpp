#include "app/port_list_tips.h"

#include "app/drop_down_combo_box.h"
#include "core/platform.h"
#include "link/port_info.h"

#include <QHelpEvent>
#include <QToolTip>

namespace orvel::app {

PortListTips::PortListTips(DropDownComboBox* combo, PortProber& prober)
    : QObject(combo), combo_(combo), prober_(prober) {
    // Connected after the list's own refresh, so the items described are the new ones.
    connect(combo, &DropDownComboBox::aboutToShowPopup, this, &PortListTips::describeItems);
    combo->installEventFilter(this);
}

QString PortListTips::tipFor(const QString& name) const {
    if (name.isEmpty()) {
        return {};
    }
    const std::string description = prober_.description(name.toStdString());
    if (description.empty()) {
        return name;
    }
#ifdef Q_OS_WIN
    // As the Device Manager names it: "USB-SERIAL CH340 (COM5)".
    return QString::fromStdString(description) + QStringLiteral(" (") +
           QString::fromStdString(portinfo::plainName(name.toStdString())) + QLatin1Char(')');
#else
    return name + QLatin1Char('\n') + QString::fromStdString(description);
#endif
}

void PortListTips::describeItems() {
    for (int i = 0; i < combo_->count(); ++i) {
        combo_->setItemData(i, tipFor(combo_->itemText(i)), Qt::ToolTipRole);
    }
}

bool PortListTips::eventFilter(QObject* watched, QEvent* event) {
    // Worked out when asked, so that it follows the text however it changed.
    if (watched == combo_ && event->type() == QEvent::ToolTip) {
        const QString tip = tipFor(combo_->currentText());
        if (tip.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, combo_);
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvel::app
