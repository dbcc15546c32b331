#pragma once

#include "editing/map_heat.h"

#include <QString>
#include <QWidget>

#include <array>
#include <optional>

namespace orvel::app {

// A map as a grid of coloured cells, blue for its lowest value to red for its
// highest, each with its value; the cell the engine runs in is framed.
class HeatGrid : public QWidget {
    Q_OBJECT
public:
    struct Cell {
        QString text;
        std::optional<double> value;
        bool inUse = false;
    };
    using Cells = std::array<Cell, config::kMapCells>;

    explicit HeatGrid(QWidget* parent = nullptr);

    void setCells(const Cells& cells);
    // The captions above the columns, as the window's map shows them.
    using Captions = std::array<QString, config::kMapColumns>;
    void setColumnCaptions(const Captions& captions);
    [[nodiscard]] const Captions& columnCaptions() const { return captions_; }
    // The colour scale's end labels: the texts of a lowest and a highest cell.
    [[nodiscard]] QString lowText() const { return lowText_; }
    [[nodiscard]] QString highText() const { return highText_; }
    [[nodiscard]] const Cells& cells() const { return cells_; }
    // The colour a cell is painted with (grey when it has no value).
    [[nodiscard]] QColor cellColor(int cell) const;
    [[nodiscard]] std::optional<mapview::Range> range() const { return range_; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QRectF cellRect(int row, int column) const;
    void paintLegend(QPainter& painter, const QRectF& area) const;

    Cells cells_;
    std::optional<mapview::Range> range_;
    Captions captions_;
    QString lowText_;
    QString highText_;
};

} // namespace orvel::app
