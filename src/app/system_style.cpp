#include "app/system_style.h"

#ifdef _WIN32
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

#include <cmath>
#endif

namespace orvel::app {

#ifdef _WIN32
namespace {

// At 1,5 a line edit of odd size starts or ends half-way through a device
// pixel, and the native style draws frame lines into those half pixels, which
// the screen never shows. Drawn one to one into the device pixels the field
// covers whole, as the system draws its own edit fields, every line stays.
class WholeFrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        if ((element != PE_PanelLineEdit && element != PE_FrameLineEdit) || frame == nullptr ||
            ratio == std::floor(ratio) || option->rect.isEmpty()) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QTransform toDevice = painter->deviceTransform();
        const QRectF covered = toDevice.mapRect(QRectF(option->rect));
        const QRect whole(QPoint(static_cast<int>(std::ceil(covered.left())),
                                 static_cast<int>(std::ceil(covered.top()))),
                          QPoint(static_cast<int>(std::floor(covered.right())) - 1,
                                 static_cast<int>(std::floor(covered.bottom())) - 1));
        if (whole.isEmpty()) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        QImage buffer(whole.size(), QImage::Format_ARGB32_Premultiplied);
        buffer.fill(Qt::transparent);
        QStyleOptionFrame moved(*frame);
        moved.rect = QRect(QPoint(0, 0), whole.size());
        moved.styleObject = nullptr; // no hover animation painting at the widget's place
        {
            QPainter inner(&buffer);
            // Without the widget the style takes the buffer's own ratio, not the screen's.
            QProxyStyle::drawPrimitive(element, &moved, &inner, nullptr);
        }
        buffer.setDevicePixelRatio(ratio); // its pixels land on the screen's one to one
        painter->drawImage(toDevice.inverted().map(QPointF(whole.topLeft())), buffer);
    }
};

} // namespace

QStyle* createSystemStyle(const QString& base) {
    return base.isEmpty() ? new WholeFrameStyle : new WholeFrameStyle(base);
}

void installSystemStyle() {
    QApplication::setStyle(createSystemStyle()); // the application owns it
}
#else
QStyle* createSystemStyle(const QString&) {
    return nullptr;
}

void installSystemStyle() {}
#endif

} // namespace orvel::app
