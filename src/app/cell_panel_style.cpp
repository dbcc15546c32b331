#include "app/cell_panel_style.h"

#include <QPainter>
#include <QStyleOptionFrame>

#include <algorithm>

namespace orvel::app {

bool CellPanelStyle::framesAreStill() const {
    const QString name = baseStyle()->name();
    return name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
}

void CellPanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_PanelLineEdit || frame == nullptr || option->rect.isEmpty() ||
        !framesAreStill()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    Look look{option->rect.size(),
              static_cast<int>(option->state),
              frame->lineWidth,
              static_cast<int>(frame->features),
              painter->device()->devicePixelRatio(),
              {}};
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        look.colours[static_cast<std::size_t>(role)] =
            option->palette.color(static_cast<QPalette::ColorRole>(role)).rgba();
    }
    auto it = std::find_if(drawn_.begin(), drawn_.end(),
                           [&look](const Drawn& d) { return d.look == look; });
    if (it == drawn_.end()) {
        QPixmap pixmap(look.size * look.ratio);
        pixmap.setDevicePixelRatio(look.ratio);
        pixmap.fill(Qt::transparent);
        QPainter onPixmap(&pixmap);
        onPixmap.setRenderHints(painter->renderHints());
        QStyleOptionFrame atOrigin = *frame;
        atOrigin.rect = QRect(QPoint(), look.size);
        QProxyStyle::drawPrimitive(element, &atOrigin, &onPixmap, widget);
        onPixmap.end();
        if (drawn_.size() == kMaxLooks) {
            drawn_.erase(drawn_.begin());
        }
        drawn_.push_back({look, pixmap});
        it = drawn_.end() - 1;
    }
    painter->drawPixmap(option->rect.topLeft(), it->pixmap);
}

} // namespace orvel::app
