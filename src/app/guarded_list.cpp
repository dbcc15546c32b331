#include "app/guarded_list.h"

#include <QMetaObject>

namespace orvel::app {

GuardedListValidator::GuardedListValidator(std::function<QString()> accepted,
                                           std::function<void()> refused, QObject* parent)
    : QValidator(parent), accepted_(std::move(accepted)), refused_(std::move(refused)) {}

QValidator::State GuardedListValidator::validate(QString& input, int& /*position*/) const {
    // The edit also asks about its current text (leaving the field): that is the
    // text the window holds, so it stands.
    if (input == accepted_()) {
        return Acceptable;
    }
    QMetaObject::invokeMethod(
        const_cast<GuardedListValidator*>(this), [this] { refused_(); }, Qt::QueuedConnection);
    return Invalid;
}

} // namespace orvel::app
