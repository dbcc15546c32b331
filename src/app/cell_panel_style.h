#pragma once

#include <QPixmap>
#include <QProxyStyle>

#include <array>
#include <vector>

namespace orvel::app {

// The application's style for the map cells, with their frame drawn once per look
// and then copied: an operation on a whole map repaints 72 cells, and the style's
// antialiased rounded frame was half of each cell's paint. Only for styles whose
// frames do not animate (Fusion, Windows); under any other the style draws as usual.
class CellPanelStyle : public QProxyStyle {
public:
    CellPanelStyle() = default;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

private:
    // Everything the frame's pixels depend on.
    struct Look {
        QSize size;
        int state = 0;
        int lineWidth = 0;
        int features = 0;
        qreal ratio = 1;
        std::array<QRgb, QPalette::NColorRoles> colours{};
        friend bool operator==(const Look&, const Look&) = default;
    };
    struct Drawn {
        Look look;
        QPixmap pixmap;
    };
    [[nodiscard]] bool framesAreStill() const;

    // A few looks: the cells' colours (plain, the scanner's red) by focus and hover.
    static constexpr std::size_t kMaxLooks = 32;
    mutable std::vector<Drawn> drawn_;
};

} // namespace orvel::app
