#include "app/comparison_panel.h"

#include "app/cell_frames.h"
#include "app/main_window.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orvel::app {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString cellName(std::size_t position) {
    return qs(std::string(config::fileOrder().at(position).key));
}

} // namespace

ComparisonPanel::ComparisonPanel(MainWindow& window, const QString& fileName,
                                 mapfile::Values fileValues)
    : QWidget(&window, Qt::Window), window_(window), store_(window.form().controls),
      fileValues_(std::move(fileValues)) {
    setObjectName(QStringLiteral("comparisonPanel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Comparação com arquivo"));

    auto* layout = new QVBoxLayout(this);
    auto* file = new QLabel(QStringLiteral("Arquivo: %1").arg(fileName), this);
    file->setWordWrap(true);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(file);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("comparisonSummary"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    others_ = new QTreeWidget(this);
    others_->setObjectName(QStringLiteral("otherDifferences"));
    others_->setRootIsDecorated(false);
    others_->setHeaderLabels({QStringLiteral("Ajuste"), QStringLiteral("Na tela"),
                              QStringLiteral("No arquivo"), QStringLiteral("Diferença")});
    layout->addWidget(others_, 1);
    auto* close = new QPushButton(QStringLiteral("Fechar comparação"), this);
    close->setObjectName(QStringLiteral("closeComparison"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignRight);

    if (QWidget* first = window_.control(cellName(compare::kIgnitionFirst))) {
        overlay_ =
            new CellFrames(first->parentWidget(), window_.control(QStringLiteral("pnAguarde")),
                           QStringLiteral("comparisonFrames"));
    }
    for (std::size_t i = compare::kIgnitionFirst; compare::isMapCell(i); ++i) {
        if (QWidget* cell = window_.control(cellName(i))) {
            cell->installEventFilter(this);
        }
    }

    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, &ComparisonPanel::recompute);
    observer_ = store_.addObserver([this](const std::string& name, Prop prop) {
        if (prop == Prop::Text && config::findParameter(name) != nullptr) {
            pending_.start();
        }
    });
    recompute();
    fitCaptions();
}

void ComparisonPanel::fitCaptions() {
    // Wide enough for the longest caption any setting may list, so none is cut
    // at the panel's first size; the value columns take what their texts need.
    int widest = others_->fontMetrics().horizontalAdvance(others_->headerItem()->text(0));
    for (std::size_t i = 0; i < config::kValueCount; ++i) {
        if (!compare::isMapCell(i)) {
            widest = std::max(widest,
                              others_->fontMetrics().horizontalAdvance(qs(compare::captionAt(i))));
        }
    }
    constexpr int kCellPadding = 24; // the item's margins and the header's sort room
    QHeaderView* header = others_->header();
    header->setStretchLastSection(true);
    header->resizeSection(0, widest + kCellPadding);
    for (int c = 1; c < others_->columnCount(); ++c) {
        const int text = others_->fontMetrics().horizontalAdvance(others_->headerItem()->text(c));
        header->resizeSection(c, std::max(header->sectionSize(c), text + kCellPadding));
    }
    const int frame = 2 * others_->frameWidth() + others_->verticalScrollBar()->sizeHint().width();
    const QMargins margins = layout()->contentsMargins();
    resize(std::max(560, header->length() + frame + margins.left() + margins.right()), 360);
}

ComparisonPanel::~ComparisonPanel() {
    store_.removeObserver(observer_);
    delete overlay_.data();
}

ComparisonPanel* ComparisonPanel::of(const MainWindow& window) {
    return window.findChild<ComparisonPanel*>(QStringLiteral("comparisonPanel"),
                                              Qt::FindDirectChildrenOnly);
}

QString ComparisonPanel::cellToolTip(const QString& cell) const {
    return cellTips_.value(cell);
}

void ComparisonPanel::recompute() {
    pending_.stop();
    const auto& state = window_.form().state;
    auto found = compare::differences(
        mapfile::collect(store_, state.tpsClosedValue, state.tpsOpenValue), fileValues_);
    // Percent is not what the file holds: the injection map compares again in mS.
    const bool injectionInPercent = window_.form().activity.percent();
    if (injectionInPercent) {
        std::erase_if(found, [](const compare::Difference& d) {
            return d.position >= compare::kInjectionFirst && compare::isMapCell(d.position);
        });
    }
    differences_ = std::move(found);

    cellTips_.clear();
    QList<QWidget*> framed;
    int ignition = 0;
    int injection = 0;
    others_->clear();
    for (const auto& d : differences_) {
        const QString delta =
            d.delta ? qs(compare::formatDelta(*d.delta)) : QStringLiteral("(texto)");
        if (!compare::isMapCell(d.position)) {
            new QTreeWidgetItem(others_, {qs(d.caption), qs(d.current), qs(d.other), delta});
            continue;
        }
        (d.position < compare::kInjectionFirst ? ignition : injection)++;
        const QString name = cellName(d.position);
        cellTips_.insert(name, QStringLiteral("%1\nNo arquivo: %2\nNa tela: %3\nDiferença "
                                              "(arquivo − tela): %4")
                                   .arg(qs(d.caption), qs(d.other), qs(d.current), delta));
        if (QWidget* cell = window_.control(name)) {
            framed.append(cell);
        }
    }
    if (overlay_) {
        overlay_->setCells(framed);
    }
    QString summary = QStringLiteral("Células diferentes (com moldura nos mapas): %1 no mapa "
                                     "de ignição, %2 no mapa de injeção.")
                          .arg(ignition)
                          .arg(injection);
    if (injectionInPercent) {
        summary += QStringLiteral(" O mapa de injeção está em %: volte para mS para "
                                  "compará-lo.");
    }
    if (others_->topLevelItemCount() == 0) {
        summary += QStringLiteral(" Nenhum outro ajuste difere.");
    }
    summary_->setText(summary);
}

bool ComparisonPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        if (auto* cell = qobject_cast<QWidget*>(watched)) {
            const QString tip = cellToolTip(cell->objectName());
            if (!tip.isEmpty()) {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, cell);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvel::app
