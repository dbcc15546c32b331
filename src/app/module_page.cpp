#include "app/module_page.h"

#include "app/cell_frames.h"
#include "app/control_widgets.h"
#include "app/kept_files_group.h"
#include "app/main_window.h"
#include "app/send_reminder.h"
#include "model/config.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

namespace orvel::app {

namespace {

constexpr const char* kIdle = "Lê o que o módulo guarda, sem mudar a janela, e compara com o "
                              "último envio desta sessão (sem envio, com a janela).";

constexpr const char* kReading = "Lendo o módulo...";

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QSettings settings() {
    return QSettings(QStringLiteral("orvel"), QStringLiteral("orvel"));
}

bool isMapCell(const std::string& key) {
    for (int n = 0; n < config::kMapCells; ++n) {
        if (key == config::ignitionKey(n) || key == config::injectionKey(n)) {
            return true;
        }
    }
    return false;
}

} // namespace

ModulePage::ModulePage(MainWindow& window) : window_(window) {
    setObjectName(QStringLiteral("TabModulo"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    kept_ = new KeptFilesGroup(window_, q(window_.form().moduleHistory.folder()));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(buildCheckGroup(), 1);
    layout->addWidget(kept_, 1);
    const QFont font = fontOf({FontFamily::Arial, 12, false}, this->font());
    setFont(font);
    for (auto* child : findChildren<QWidget*>()) {
        child->setFont(font);
    }

    reminder_ = new SendReminder(*window_.control(QStringLiteral("Form1")));
    reminder_->onAction = [this] {
        window_.showPage(this);
        if (reminderChecks_) {
            check();
        }
    };
    auto& hooks = window_.form().windowHooks;
    hooks.sent = [this] { sent(); };
    hooks.checked = [this](const ModuleChecker::Result& r) { showResult(r); };
    hooks.activityChanged = [this] { statesChanged(); };
    statesChanged();
}

ModulePage::~ModulePage() {
    window_.form().windowHooks = {};
    delete frames_.data();
}

QWidget* ModulePage::buildCheckGroup() {
    auto* group = new QGroupBox(QStringLiteral(" Conferir módulo "));
    check_ = new QPushButton(QStringLiteral("Conferir módulo"));
    check_->setObjectName(QStringLiteral("btnConferirModulo"));
    check_->setToolTip(q(kIdle));
    connect(check_, &QPushButton::clicked, this, [this] { check(); });
    afterSend_ = new QCheckBox(QStringLiteral("Conferir sempre depois de \"Enviar Dados\""));
    afterSend_->setObjectName(QStringLiteral("cbConferirAposEnviar"));
    afterSend_->setChecked(settings().value(kCheckAfterSendKey, false).toBool());
    connect(afterSend_, &QCheckBox::toggled, this,
            [](bool on) { settings().setValue(kCheckAfterSendKey, on); });
    status_ = new QLabel(q(kIdle));
    status_->setObjectName(QStringLiteral("lblResultadoConferir"));
    status_->setWordWrap(true);
    differences_ = new QListWidget;
    differences_->setObjectName(QStringLiteral("listaDiferencasModulo"));
    differences_->setWordWrap(true);
    sendAgain_ = new QPushButton(QStringLiteral("Enviar de novo"));
    sendAgain_->setObjectName(QStringLiteral("btnEnviarDeNovo"));
    sendAgain_->setToolTip(QStringLiteral("Envia outra vez a configuração da janela, como "
                                          "\"Enviar Dados\"."));
    connect(sendAgain_, &QPushButton::clicked, this, [this] { window_.form().click("btnEnvia"); });
    clear_ = new QPushButton(QStringLiteral("Fechar resultado"));
    clear_->setObjectName(QStringLiteral("btnFecharResultado"));
    connect(clear_, &QPushButton::clicked, this, [this] { clearResult(); });

    auto* top = new QHBoxLayout;
    top->addWidget(check_);
    top->addWidget(afterSend_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(sendAgain_);
    bottom->addWidget(clear_);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(top);
    layout->addWidget(status_);
    layout->addWidget(differences_, 1);
    layout->addLayout(bottom);
    clearResult();
    return group;
}

void ModulePage::setHiddenEdges(int right, int bottom) {
    layout()->setContentsMargins(6, 4, 6 + right, 6 + bottom);
}

void ModulePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reminder_->hide();
    kept_->refresh();
}

void ModulePage::check() {
    clearResult();
    window_.form().dispatch([this] { window_.form().moduleCheck.start(); });
}

void ModulePage::sent() {
    clearResult();
    kept_->refresh();
    // A check right away would answer inside the send's own handler: it waits a turn.
    if (afterSend_->isChecked()) {
        shownInReminder_ = true;
        reminderChecks_ = false;
        reminder_->present(QStringLiteral("Dados enviados. Conferindo o módulo..."), {});
        QTimer::singleShot(0, this, [this] { check(); });
    } else {
        shownInReminder_ = false;
        reminderChecks_ = true;
        reminder_->present(QStringLiteral("Dados enviados. Para ver o que o módulo guardou: "),
                           QStringLiteral("Conferir módulo"));
    }
}

void ModulePage::showResult(const ModuleChecker::Result& result) {
    clearResult();
    const auto& outcome = result.outcome;
    const auto& controls = window_.form().controls;
    QList<QWidget*> cells;
    QStringList tips;
    for (const auto& d : outcome.differences) {
        const QString line = q(differenceText(controls, d, result.basis));
        differences_->addItem(line);
        if (isMapCell(d.key)) {
            cells.append(window_.control(q(d.key)));
            tips.append(QStringLiteral("Conferir módulo\n") + line);
        }
    }
    QString summary;
    if (outcome.agrees()) {
        summary = result.basis == ModuleChecker::Basis::LastSend
                      ? QStringLiteral("O módulo confere com o que foi enviado.")
                      : QStringLiteral("O módulo confere com a configuração da janela.");
    } else {
        if (!outcome.differences.empty()) {
            summary = QStringLiteral("O módulo difere em %1 %2%3. Envie de novo e confira outra "
                                     "vez.")
                          .arg(outcome.differences.size())
                          .arg(outcome.differences.size() == 1 ? QStringLiteral("valor")
                                                               : QStringLiteral("valores"))
                          .arg(cells.isEmpty() ? QString()
                                               : QStringLiteral(" (as células, com moldura "
                                                                "nos mapas)"));
        }
        summary = (summary + QLatin1Char(' ') + q(missingFramesText(outcome))).trimmed();
        sendAgain_->setVisible(true);
        clear_->setVisible(true);
    }
    status_->setText(summary);
    differences_->setVisible(differences_->count() > 0);
    if (!cells.isEmpty()) {
        // Over the maps' page, as the comparison with a file frames its cells.
        QWidget* page = window_.control(q(config::ignitionKey(0)))->parentWidget();
        frames_ = new CellFrames(page, window_.control(QStringLiteral("pnAguarde")),
                                 QStringLiteral("moduleCheckFrames"));
        frames_->setCells(cells);
        for (qsizetype i = 0; i < cells.size(); ++i) {
            frames_->setTip(cells[i], tips[i]);
        }
    }
    if (shownInReminder_ && !isVisible()) {
        reminderChecks_ = false;
        reminder_->present(summary.section(QLatin1Char('.'), 0, 0) + QLatin1Char('.'),
                           outcome.agrees() ? QString() : QStringLiteral("Ver"));
    }
    shownInReminder_ = false;
}

void ModulePage::clearResult() {
    delete frames_.data();
    differences_->clear();
    differences_->hide();
    sendAgain_->hide();
    clear_->hide();
    status_->setText(q(kIdle));
}

void ModulePage::statesChanged() {
    const PageStates states = pageStates(window_.form().activity);
    check_->setEnabled(states.checkModule);
    kept_->setLoadEnabled(states.load);
    if (states.checking) {
        status_->setText(q(kReading));
    } else if (status_->text() == q(kReading)) {
        // Ended without a result (silence, the port): its box or notice tells why.
        status_->setText(q(kIdle));
    }
}

} // namespace orvel::app
