#include "app/recordings_page.h"

#include "app/chart_canvas.h"
#include "app/control_widgets.h"
#include "app/correction_window.h"
#include "app/folder_list.h"
#include "app/main_window.h"
#include "app/open_folder.h"
#include "app/recording_list.h"
#include "app/recording_plot.h"
#include "app/replay_bar.h"
#include "core/errors.h"
#include "recording/columns.h"
#include "recording/reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvel::app {

namespace {

constexpr int kSideWidth = 300;
constexpr int kRefreshDelayMs = 1000;
// Shown when a recording opens: the channels a technician looks at first.
const std::vector<int> kFirstChannels{recording::col::rpm, recording::col::ti,
                                      recording::col::lambdaMv, recording::col::tpsVolts};

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(QRect(1, 1, 10, 10), colour);
    return QIcon(pixmap);
}

} // namespace

RecordingsPage::RecordingsPage(MainWindow& window) : window_(window), folder_(recordingsFolder()) {
    setObjectName(QStringLiteral("TabRegistros"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* side = new QVBoxLayout;
    side->addWidget(buildListGroup(), 5);
    side->addWidget(buildChannelGroup(), 4);
    auto* main = new QVBoxLayout;
    main->addWidget(buildPlotGroup(), 1);
    replayBar_ = new ReplayBar(window_, *plot_);
    main->addWidget(replayBar_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(main, 1);
    applyFonts();

    confirm = [this](const QString& question) { return askMoveToTrash(this, question); };
    // A recording being written changes the folder every second: one refresh for a
    // burst of changes, and none while the page is not shown (showing it refreshes).
    refreshOnFolderChanges(this, watcher_, refreshTimer_, kRefreshDelayMs, [this] { refresh(); });
}

RecordingsPage::~RecordingsPage() = default;

QGroupBox* RecordingsPage::buildListGroup() {
    auto* group = new QGroupBox(QStringLiteral(" Registros "));
    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("listaRegistros"));
    list_->setHeaderLabels({QStringLiteral("Início"), QStringLiteral("Duração"),
                            QStringLiteral("Linhas"), QStringLiteral("Tamanho")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setToolTip(QStringLiteral("Duplo clique ou Enter abre o registro."));
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < 4; ++c) {
        list_->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    connect(list_, &QTreeWidget::itemActivated, this, [this] { openCurrent(); });
    auto* erase = new QShortcut(QKeySequence::Delete, list_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(erase, &QShortcut::activated, this, [this] { deleteSelected(); });

    auto* open = listButton(QStringLiteral("Abrir arquivo..."), QStringLiteral("btnAbrirRegistro"),
                            QStringLiteral("Abre um registro de qualquer pasta."));
    auto* folderButton = listButton(QStringLiteral("Abrir pasta"), QStringLiteral("btnAbrirPasta"),
                                    QStringLiteral("Mostra a pasta dos registros."));
    auto* eraseButton = listButton(QStringLiteral("Excluir"), QStringLiteral("btnExcluirRegistro"),
                                   QStringLiteral("Move os registros escolhidos para a lixeira."));
    auto* analyseButton =
        listButton(QStringLiteral("Analisar"), QStringLiteral("btnAnalisar"),
                   QStringLiteral("Propõe correções do mapa de injeção a partir das "
                                  "correções da sonda nos registros escolhidos."));
    connect(open, &QPushButton::clicked, this, [this] { chooseFile(); });
    connect(folderButton, &QPushButton::clicked, this, [this] { openFolder(); });
    connect(eraseButton, &QPushButton::clicked, this, [this] { deleteSelected(); });
    connect(analyseButton, &QPushButton::clicked, this, [this] { analyse(); });

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(list_);
    layout->addLayout(buttonGrid(open, folderButton, eraseButton, analyseButton));
    group->setFixedWidth(kSideWidth);
    return group;
}

QGroupBox* RecordingsPage::buildChannelGroup() {
    auto* group = new QGroupBox(QStringLiteral(" Canais "));
    channels_ = new QListWidget;
    channels_->setObjectName(QStringLiteral("listaCanais"));
    channels_->setToolTip(QStringLiteral("Marque os canais do gráfico; cada um tem sua escala."));
    for (std::size_t c = 0; c < recording::kValueColumns.size(); ++c) {
        const CurveStyle style = RecordingPlot::styleOf(static_cast<int>(c));
        const auto& name = recording::kValueColumns[c].name;
        auto* item = new QListWidgetItem(
            swatch(style.color),
            QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        const bool first = std::find(kFirstChannels.begin(), kFirstChannels.end(),
                                     static_cast<int>(c)) != kFirstChannels.end();
        item->setCheckState(first ? Qt::Checked : Qt::Unchecked);
        channels_->addItem(item);
    }
    connect(channels_, &QListWidget::itemChanged, this, [this] { channelsChanged(); });
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(channels_);
    group->setFixedWidth(kSideWidth);
    return group;
}

QGroupBox* RecordingsPage::buildPlotGroup() {
    plotGroup_ = new QGroupBox(QStringLiteral(" Gráfico "));
    canvas_ = new ChartCanvas;
    canvas_->setObjectName(QStringLiteral("grafico"));
    plot_ = std::make_unique<RecordingPlot>(*canvas_);
    auto* all = listButton(QStringLiteral("Ver tudo"), QStringLiteral("btnVerTudo"),
                           QStringLiteral("Mostra o registro inteiro."));
    connect(all, &QPushButton::clicked, this, [this] { plot_->showAll(); });
    auto* hint = new QLabel(
        QStringLiteral("Roda do mouse: zoom · arrastar: escolher trecho · botão direito: mover"));
    hint->setStyleSheet(QStringLiteral("color: #606060;"));
    auto* row = new QHBoxLayout;
    row->addWidget(all);
    row->addWidget(hint, 1);
    auto* layout = new QVBoxLayout(plotGroup_);
    layout->addWidget(canvas_, 1);
    layout->addLayout(row);
    channelsChanged();
    return plotGroup_;
}

void RecordingsPage::applyFonts() {
    // Style sheets stop fonts from passing down: every widget gets its own.
    const QFont font = fontOf({FontFamily::Arial, 12, false}, this->font());
    setFont(font);
    for (auto* child : findChildren<QWidget*>()) {
        child->setFont(font);
    }
}

void RecordingsPage::setHiddenEdges(int right, int bottom) {
    layout()->setContentsMargins(6, 4, 6 + right, 6 + bottom);
}

void RecordingsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void RecordingsPage::refresh() {
    // The recorder makes the folder with the first session: until then the
    // nearest folder that exists tells when it comes.
    QString watched = folder_;
    while (!watched.isEmpty() && !QDir(watched).exists()) {
        watched = QFileInfo(watched).path();
    }
    if (!watcher_.directories().isEmpty() && watcher_.directories() != QStringList{watched}) {
        watcher_.removePaths(watcher_.directories());
    }
    if (!watched.isEmpty() && watcher_.directories().isEmpty()) {
        watcher_.addPath(watched);
    }
    const QStringList selected = selectedPaths();
    const QSignalBlocker blocker(list_);
    list_->clear();
    const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    for (const auto& entry : catalog_.list(folder_)) {
        auto* item = new QTreeWidgetItem(list_);
        // Sessions started in the same second keep their file's number.
        const QString start = locale.toString(entry.start, QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        item->setText(0, entry.suffix > 1 ? QStringLiteral("%1 (%2)").arg(start).arg(entry.suffix)
                                          : start);
        item->setText(1, durationText(entry.seconds));
        item->setText(2, QString::number(entry.rows));
        item->setText(3, locale.formattedDataSize(entry.bytes, 1, QLocale::DataSizeSIFormat));
        for (int c = 1; c < 4; ++c) {
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setData(0, Qt::UserRole, entry.path);
        item->setToolTip(0, QDir::toNativeSeparators(entry.path));
        item->setSelected(selected.contains(entry.path));
    }
}

QStringList RecordingsPage::selectedPaths() const {
    QStringList paths;
    for (const auto* item : list_->selectedItems()) {
        paths << item->data(0, Qt::UserRole).toString();
    }
    return paths;
}

void RecordingsPage::openCurrent() {
    if (const auto* item = list_->currentItem()) {
        openFile(item->data(0, Qt::UserRole).toString());
    }
}

void RecordingsPage::openFile(const QString& path) {
    window_.form().dispatch([this, &path] {
        auto result = recording::readRecordingFile(path.toStdString());
        const auto rows = result.recording.rows();
        showRecording(std::make_shared<const recording::Recording>(std::move(result.recording)),
                      path);
        if (result.lastLineCut) {
            window_.form().dialogs.message(
                "A última linha do registro estava incompleta e foi ignorada. Linhas lidas: " +
                std::to_string(rows) + ".");
        }
    });
}

void RecordingsPage::showRecording(std::shared_ptr<const recording::Recording> recording,
                                   const QString& path) {
    recording_ = std::move(recording);
    recordingPath_ = path;
    plotGroup_->setTitle(QStringLiteral(" Gráfico: %1 ").arg(QFileInfo(path).fileName()));
    plot_->setRecording(recording_);
    replayBar_->setRecording(recording_);
}

void RecordingsPage::chooseFile() {
    window_.form().dispatch([this] {
        FileDialogOptions options{"odRegistro", "Registros (.csv)|*.csv|Todos os arquivos|*.*",
                                  "*.csv", folder_.toStdString(), lastChosenFile_.toStdString()};
        if (auto path = window_.form().dialogs.openFileName(options)) {
            lastChosenFile_ = q(*path);
            openFile(lastChosenFile_);
        }
    });
}

void RecordingsPage::deleteSelected() {
    const QStringList paths = selectedPaths();
    if (paths.isEmpty()) {
        return;
    }
    const QString question =
        paths.size() == 1
            ? QStringLiteral("Mover o registro %1 para a lixeira?")
                  .arg(QFileInfo(paths.front()).fileName())
            : QStringLiteral("Mover os %1 registros escolhidos para a lixeira?").arg(paths.size());
    if (!confirm(question)) {
        return;
    }
    window_.form().dispatch([this, &paths] {
        QStringList failed;
        for (const QString& path : paths) {
            if (!QFile::moveToTrash(path)) {
                failed << QDir::toNativeSeparators(path);
                continue;
            }
            if (const QString map = mapFileOf(path); QFile::exists(map)) {
                QFile::moveToTrash(map);
            }
        }
        refresh();
        if (!failed.isEmpty()) {
            throw FileError("Não foi possível mover para a lixeira: " +
                            failed.join(QStringLiteral(", ")).toStdString());
        }
    });
}

void RecordingsPage::openFolder() {
    window_.form().dispatch([this] {
        // The folder the recorder writes, private to the user as the recorder makes it.
        openFolderInFileManager(this, window_.form(), folder_, folderNotOpened());
        refresh();
    });
}

std::string RecordingsPage::folderNotOpened() const {
    return "Nenhum gerenciador de arquivos abriu a pasta dos registros. Ela fica em " +
           QDir::toNativeSeparators(folder_).toStdString();
}

void RecordingsPage::analyse() {
    QStringList paths = selectedPaths();
    if (paths.isEmpty() && !recordingPath_.isEmpty() && QFile::exists(recordingPath_)) {
        paths << recordingPath_;
    }
    window_.form().dispatch([this, &paths] {
        if (paths.isEmpty()) {
            throw RefusedError("Escolha na lista os registros a analisar");
        }
        std::vector<std::string> files;
        for (const QString& path : paths) {
            files.push_back(path.toStdString());
        }
        openCorrectionWindow(&window_, window_, files);
    });
}

void RecordingsPage::channelsChanged() {
    std::vector<int> chosen;
    for (int row = 0; row < channels_->count(); ++row) {
        if (channels_->item(row)->checkState() == Qt::Checked) {
            chosen.push_back(row);
        }
    }
    plot_->setChannels(std::move(chosen));
}

} // namespace orvel::app
