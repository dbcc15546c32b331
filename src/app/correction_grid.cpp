#include "app/correction_grid.h"

#include "core/control_store.h"
#include "model/config.h"
#include "model/number_text.h"

#include <QHeaderView>
#include <QStringList>
#include <QTableWidget>

#include <algorithm>
#include <array>
#include <cmath>

namespace orvel::app {

namespace {

// The captions above the injection map's columns (TPS or MAP steps).
constexpr std::array<std::string_view, 8> kInjectionColumnLabels{
    "Label57", "Label63", "Label64", "Label65", "Label66", "Label69", "Label70", "Label71"};
constexpr int kCellWidth = 68;
constexpr int kCellHeight = 38;

// More fuel shades towards orange, less towards blue; full colour at 15 %.
QColor changeColour(double percent) {
    if (std::abs(percent) < 0.05) {
        return Qt::white;
    }
    const double t = std::min(std::abs(percent) / 15, 1.0) * 0.8 + 0.2;
    const QColor end = percent > 0 ? QColor(255, 140, 40) : QColor(60, 130, 255);
    const auto mix = [t](int to) { return static_cast<int>(std::lround(255 + (to - 255) * t)); };
    return {mix(end.red()), mix(end.green()), mix(end.blue())};
}

} // namespace

QString decimalText(double value, std::string_view pattern) {
    return QString::fromStdString(numtext::formatPattern(value, pattern));
}

QTableWidget* makeCorrectionGrid(const ControlStore& controls) {
    auto* grid = new QTableWidget(config::kMapRows, config::kMapColumns);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    QStringList rows;
    for (int rpm : config::kRowRpm) {
        rows << QString::number(rpm);
    }
    QStringList columns;
    for (auto label : kInjectionColumnLabels) {
        columns << QString::fromStdString(controls.caption(label)).trimmed();
    }
    grid->setVerticalHeaderLabels(rows);
    grid->setHorizontalHeaderLabels(columns);
    grid->horizontalHeader()->setDefaultSectionSize(kCellWidth);
    grid->verticalHeader()->setDefaultSectionSize(kCellHeight);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setFixedSize(grid->verticalHeader()->sizeHint().width() + kCellWidth * 8 + 4,
                       grid->horizontalHeader()->sizeHint().height() + kCellHeight * 9 + 4);
    for (int n = 0; n < config::kMapCells; ++n) {
        auto* item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        grid->setItem(n / config::kMapColumns, n % config::kMapColumns, item);
    }
    return grid;
}

void showProposedCell(QTableWidgetItem& item, const analysis::CellResult& c, bool excluded,
                      double tolerancePercent) {
    QString tip = QStringLiteral("Leitura estável: %1 s").arg(decimalText(c.seconds, "0.0"));
    if (c.seconds > 0) {
        tip += QStringLiteral("\n% Curto médio: %1\n% Longo médio: %2\nSonda média: %3 mV"
                              "\nRPM fora da linha: %4 %")
                   .arg(decimalText(c.meanShort, "0.0"), decimalText(c.meanLong, "0.0"),
                        decimalText(c.meanLambdaMv, "0"),
                        decimalText(c.meanRpmOffset, "+0.0;-0.0;0.0"));
    }
    item.setForeground(Qt::black);
    if (!c.covered) {
        // Kept as it is: shown greyed so the grid reads as the whole proposed map.
        item.setText(decimalText(c.current, "0.0"));
        item.setForeground(QColor(150, 150, 150));
        item.setBackground(QColor(240, 240, 240));
        item.setToolTip(tip + QStringLiteral("\nPoucas leituras: fica como está"));
        return;
    }
    tip +=
        QStringLiteral("\nCorreção: %1 %").arg(decimalText(c.correctionPercent, "+0.0;-0.0;0.0")) +
        (c.clamped ? QStringLiteral(" (limitada)") : QString());
    if (excluded) {
        // The value it keeps, not the one it will not get.
        item.setText(decimalText(c.current, "0.0") + QStringLiteral("\nexcluída"));
        item.setBackground(QColor(170, 170, 170));
        item.setToolTip(tip + QStringLiteral("\nProposta: %1; excluída: clique para incluir")
                                  .arg(decimalText(c.proposed, "0.0")));
    } else if (c.withinTolerance) {
        item.setText(decimalText(c.current, "0.0") + QStringLiteral("\nna tolerância"));
        item.setBackground(QColor(225, 245, 225));
        item.setToolTip(tip + QStringLiteral("\nJá dentro da tolerância (%1 %): outro décimo não a "
                                             "aproximaria mais que isso; fica como está")
                                  .arg(decimalText(tolerancePercent, "0.0")));
    } else {
        item.setText(decimalText(c.proposed, "0.0") + QStringLiteral("\n") +
                     decimalText(c.changePercent(), "+0.0 %;-0.0 %;0.0 %"));
        item.setBackground(changeColour(c.changePercent()));
        item.setToolTip(tip);
    }
}

void clearProposedCell(QTableWidgetItem& item) {
    item.setText(QString());
    item.setToolTip(QString());
    item.setBackground(Qt::white);
}

} // namespace orvel::app
