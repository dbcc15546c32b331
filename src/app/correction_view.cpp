#include "app/correction_view.h"

#include "app/correction_grid.h"
#include "app/main_window.h"
#include "model/config.h"
#include "model/number_text.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cctype>

namespace orvel::app {

namespace {

QDoubleSpinBox* decimalBox(double value, double low, double high, double step, int decimals) {
    auto* box = new QDoubleSpinBox;
    box->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    box->setValue(value);
    return box;
}

} // namespace

CorrectionWindow::CorrectionWindow(MainWindow& window, std::vector<analysis::Input> inputs,
                                   QWidget* parent)
    : QDialog(parent), window_(window), inputs_(std::move(inputs)) {
    setObjectName(QStringLiteral("CorrectionWindow"));
    setWindowTitle(QStringLiteral("Correção do mapa de injeção pela sonda"));
    setAttribute(Qt::WA_DeleteOnClose);

    QStringList names;
    for (const auto& input : inputs_) {
        names << QString::fromStdString(input.name);
    }
    auto* sources = new QLabel(QStringLiteral("Registros: ") + names.join(QStringLiteral(", ")));
    sources->setWordWrap(true);
    mapsNote_ = new QLabel(QStringLiteral(
        "Atenção: há registros feitos com outro mapa de injeção que o da janela. Cada célula é "
        "corrigida sobre o mapa com que foi gravada; a variação mostrada é sobre o mapa atual."));
    mapsNote_->setWordWrap(true);
    mapsNote_->setStyleSheet(QStringLiteral("background: #fff3c4; padding: 4px;"));

    const analysis::Options defaults;
    maxCorrection_ = decimalBox(defaults.maxCorrectionPercent, 1, 50, 1, 0);
    minSeconds_ = decimalBox(defaults.minSeconds, 0.2, 3600, 1, 1);
    maxTps_ = decimalBox(defaults.maxTpsVoltsPerSecond, 0.01, 1000, 0.1, 2);
    settle_ = decimalBox(defaults.settleSeconds, 0, 60, 0.5, 1);
    timeScale_ = decimalBox(defaults.timeScale, 1, 10, 1, 0);
    tolerance_ = decimalBox(defaults.tolerancePercent, 0, 5, 0.1, 1);
    tolerance_->setToolTip(QStringLiteral(
        "Uma célula só muda quando o novo décimo a aproxima da necessidade medida por mais que "
        "isto: o % Longo vem em inteiros, meio por cento para cada lado."));
    timeScale_->setToolTip(QStringLiteral(
        "Para registros feitos com o simulador em --time-scale N: os tempos acima são do motor, "
        "N vezes os do registro."));
    auto* optionsForm = new QFormLayout;
    optionsForm->addRow(QStringLiteral("Correção máxima por passada (%)"), maxCorrection_);
    optionsForm->addRow(QStringLiteral("Mínimo de leitura estável por célula (s)"), minSeconds_);
    optionsForm->addRow(QStringLiteral("Acelerador parado: variação até (V/s)"), maxTps_);
    optionsForm->addRow(QStringLiteral("Tempo parado num ponto (s)"), settle_);
    optionsForm->addRow(QStringLiteral("Escala de tempo do registro (×)"), timeScale_);
    optionsForm->addRow(QStringLiteral("Tolerância da leitura (%)"), tolerance_);
    filters_ = new QLabel;
    filters_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* top = new QHBoxLayout;
    top->addLayout(optionsForm);
    top->addSpacing(24);
    top->addWidget(filters_, 1);

    current_ = makeCorrectionGrid(window_.form().controls);
    proposed_ = makeCorrectionGrid(window_.form().controls);
    connect(proposed_, &QTableWidget::cellClicked,
            [this](int row, int column) { toggleCell(row * config::kMapColumns + column); });
    auto* grids = new QHBoxLayout;
    for (auto [grid, caption] : {std::pair{current_, "Mapa atual (ms)"},
                                 std::pair{proposed_, "Proposta (ms e variação)"}}) {
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(QString::fromUtf8(caption)));
        column->addWidget(grid);
        grids->addLayout(column);
    }

    status_ = new QLabel;
    status_->setWordWrap(true);
    apply_ = new QPushButton(QStringLiteral("&Aplicar"));
    apply_->setToolTip(QStringLiteral(
        "Escreve as células incluídas no mapa de injeção da janela. Nada é enviado: envie com "
        "\"Enviar Dados\"."));
    auto* close = new QPushButton(QStringLiteral("&Fechar"));
    connect(apply_, &QPushButton::clicked, [this] { apply(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(apply_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sources);
    layout->addWidget(mapsNote_);
    layout->addLayout(top);
    layout->addLayout(grids);
    layout->addWidget(new QLabel(QStringLiteral(
        "Laranja: mais combustível; azul: menos; verde: já dentro da tolerância. Clique numa "
        "célula da proposta para excluí-la ou incluí-la; passe o mouse para ver as leituras.")));
    layout->addLayout(buttons);

    for (QDoubleSpinBox* box :
         {maxCorrection_, minSeconds_, maxTps_, settle_, timeScale_, tolerance_}) {
        connect(box, &QDoubleSpinBox::valueChanged, [this] { analyse(); });
    }
    // The window follows the map: every change of a cell or of what the analysis
    // reads from the configuration (undo included), and the switch to percent.
    observer_ = window_.form().controls.addObserver([this](const std::string& name, Prop prop) {
        if (prop == Prop::Text && followed(name)) {
            refreshLater();
        }
    });
}

CorrectionWindow::~CorrectionWindow() {
    window_.form().controls.removeObserver(observer_);
}

bool CorrectionWindow::followed(const std::string& name) {
    // Injection cells are "e<n>i"; the rest the analysis reads from the window's map.
    if (name.size() >= 3 && name.front() == 'e' && name.back() == 'i' &&
        std::isdigit(static_cast<unsigned char>(name[1]))) {
        return true;
    }
    return name == "cbCilindros" || name == "eSondaTemp" || name == "cbSondaAtiva";
}

analysis::Options CorrectionWindow::options() const {
    analysis::Options o;
    o.maxCorrectionPercent = maxCorrection_->value();
    o.minSeconds = minSeconds_->value();
    o.maxTpsVoltsPerSecond = maxTps_->value();
    o.settleSeconds = settle_->value();
    o.timeScale = timeScale_->value();
    o.tolerancePercent = tolerance_->value();
    return o;
}

void CorrectionWindow::setOptions(const analysis::Options& o) {
    const QSignalBlocker b1(maxCorrection_), b2(minSeconds_), b3(maxTps_), b4(settle_),
        b5(timeScale_), b6(tolerance_);
    maxCorrection_->setValue(o.maxCorrectionPercent);
    minSeconds_->setValue(o.minSeconds);
    maxTps_->setValue(o.maxTpsVoltsPerSecond);
    settle_->setValue(o.settleSeconds);
    timeScale_->setValue(o.timeScale);
    tolerance_->setValue(o.tolerancePercent);
    analyse();
}

QString CorrectionWindow::analyse() {
    refreshPending_ = false;
    proposal_.reset();
    QString problem;
    analysis::FilterCounts counts;
    // In percent the cells are no milliseconds: nothing to compare the trims with.
    const bool percent = window_.form().activity.percent();
    if (percent) {
        problem =
            QStringLiteral("O mapa de injeção está em %: volte para ms para analisar e aplicar.");
    } else {
        try {
            const analysis::MapContext windowMap =
                analysis::contextFromStore(window_.form().controls);
            analysis::Analysis analysis(options());
            for (const auto& input : inputs_) {
                try {
                    analysis.add(input.recording, input.map, windowMap);
                } catch (const analysis::AnalysisError& e) {
                    throw analysis::AnalysisError(input.name + ": " + e.what());
                }
            }
            counts = analysis.counts();
            proposal_ = analysis.propose(windowMap);
            if (proposal_->coveredCells == 0) {
                problem = QString::fromStdString(analysis::noCoverageText(*proposal_));
            }
        } catch (const OrvelError& e) {
            problem = QString::fromStdString(e.what());
        }
    }
    showCurrent(!percent);
    showCounts(counts);
    if (proposal_) {
        showProposal();
        showStatus(problem.isEmpty() ? refusalToApply()
                                     : QStringLiteral("Sem proposta: ") + problem,
                   true);
    } else {
        for (int n = 0; n < config::kMapCells; ++n) {
            clearProposedCell(*proposed_->item(n / config::kMapColumns, n % config::kMapColumns));
        }
        mapsNote_->setVisible(false);
        showStatus(QStringLiteral("Sem proposta: ") + problem, true);
    }
    apply_->setEnabled(problem.isEmpty());
    return problem;
}

void CorrectionWindow::refreshLater() {
    // An edit writes many cells (a paste, "Aplicar", an undo): one analysis after them.
    if (!refreshPending_) {
        refreshPending_ = true;
        QTimer::singleShot(0, this, [this] {
            if (refreshPending_) {
                analyse();
            }
        });
    }
}

void CorrectionWindow::showCurrent(bool inMs) {
    const auto& store = window_.form().controls;
    for (int n = 0; n < config::kMapCells; ++n) {
        current_->item(n / config::kMapColumns, n % config::kMapColumns)
            ->setText(inMs ? QString::fromStdString(store.text(config::injectionKey(n))).trimmed()
                           : QString());
    }
}

void CorrectionWindow::showCounts(const analysis::FilterCounts& counts) {
    QString text = QStringLiteral("Leituras: %1, aproveitadas: %2\nDeixadas de fora:")
                       .arg(counts.total)
                       .arg(counts.used);
    for (std::size_t f = 0; f < analysis::kFilterCount; ++f) {
        const std::string_view name = analysis::filterName(static_cast<analysis::Filter>(f));
        text += QStringLiteral("\n   %1: %2")
                    .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
                    .arg(counts.excluded[f]);
    }
    if (proposal_) {
        text += QStringLiteral("\nCélulas já dentro da tolerância (ficam como estão): %1")
                    .arg(proposal_->withinTolerance);
    }
    filters_->setText(text);
}

void CorrectionWindow::showProposal() {
    const analysis::Proposal& p = *proposal_;
    mapsNote_->setVisible(p.mapsDiffer);
    for (int n = 0; n < config::kMapCells; ++n) {
        showProposedCell(*proposed_->item(n / config::kMapColumns, n % config::kMapColumns),
                         p.cells[static_cast<std::size_t>(n)],
                         excluded_[static_cast<std::size_t>(n)], p.tolerancePercent);
    }
}

QString CorrectionWindow::refusalToApply() const {
    const std::uint8_t blockers = window_.form().activity.mapWriteBlockers();
    if (blockers & Activity::kPercentMap) {
        return QStringLiteral("O mapa de injeção está em %: volte para ms para aplicar.");
    }
    // While these run the map is not the user's to change; all that run are named.
    static const std::array<std::pair<Activity::MapWriter, const char*>, 6> kWhat{{
        {Activity::kScannerRuns, "desative o scanner"},
        {Activity::kReadRuns, "aguarde o fim da leitura dos dados"},
        {Activity::kUploadRuns, "aguarde o fim do envio dos dados"},
        {Activity::kTpsRuns, "aguarde o fim da configuração do TPS"},
        {Activity::kReplayRuns, "encerre a reprodução"},
        {Activity::kAlterationRuns, "volte da alteração de mapas"},
    }};
    QStringList steps;
    for (const auto& [bit, text] : kWhat) {
        if (blockers & bit) {
            steps << QString::fromUtf8(text);
        }
    }
    return steps.isEmpty() ? QString()
                           : QStringLiteral("Não é possível aplicar agora: ") +
                                 steps.join(QStringLiteral("; ")) + QStringLiteral(".");
}

bool CorrectionWindow::apply() {
    // Refused before anything is analysed again: in percent the analysis would
    // read percentages as milliseconds.
    if (const QString refusal = refusalToApply(); !refusal.isEmpty()) {
        showStatus(refusal, true);
        return false;
    }
    // The window's map may have been edited since: look again before writing.
    if (!analyse().isEmpty()) {
        return false;
    }
    const auto changes = analysis::cellChanges(*proposal_, excluded_);
    Form& form = window_.form();
    // One undo step for the whole correction.
    form.edit("Correção pela sonda", [&] { analysis::applyChanges(form.controls, changes); });
    analyse();
    showStatus(QStringLiteral("%1 células alteradas no mapa de injeção. Envie com \"Enviar "
                              "Dados\".")
                   .arg(changes.size()),
               false);
    return true;
}

void CorrectionWindow::toggleCell(int cell) {
    if (!proposal_ || !proposal_->cells[static_cast<std::size_t>(cell)].covered) {
        return;
    }
    auto& excluded = excluded_[static_cast<std::size_t>(cell)];
    excluded = !excluded;
    showProposal();
}

QString CorrectionWindow::status() const {
    return status_->text();
}

QString CorrectionWindow::filterText() const {
    return filters_->text();
}

void CorrectionWindow::showStatus(const QString& text, bool warning) {
    status_->setText(text);
    status_->setStyleSheet(warning && !text.isEmpty() ? QStringLiteral("color: #a03000;")
                                                      : QString());
}

} // namespace orvel::app
