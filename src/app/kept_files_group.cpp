#include "app/kept_files_group.h"

#include "app/folder_list.h"
#include "app/main_window.h"
#include "app/map_view_actions.h"
#include "app/open_folder.h"
#include "core/errors.h"
#include "files/module_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvel::app {

namespace {

constexpr int kNoteColumn = 4;
constexpr int kRefreshDelayMs = 500;

} // namespace

KeptFilesGroup::KeptFilesGroup(MainWindow& window, const QString& folder)
    : QGroupBox(QStringLiteral(" Configurações lidas e enviadas ")), window_(window),
      folder_(folder) {
    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("listaModulo"));
    list_->setHeaderLabels({QStringLiteral("Data e hora"), QStringLiteral("Tipo"),
                            QStringLiteral("Cilindros"), QStringLiteral("Limite de RPM"),
                            QStringLiteral("Nota")});
    list_->setRootIsDecorated(false);
    list_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::SelectedClicked);
    list_->setToolTip(QStringLiteral("Cada leitura e cada envio fica guardado aqui. Duplo clique "
                                     "na nota para escrever, por exemplo, a placa do carro."));
    list_->header()->setStretchLastSection(true);
    for (int c = 0; c < kNoteColumn; ++c) {
        list_->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    connect(list_, &QTreeWidget::itemChanged, this, &KeptFilesGroup::noteEdited);
    connect(list_, &QTreeWidget::itemSelectionChanged, this,
            [this] { setLoadEnabled(loadEnabled_); });

    auto* compare = listButton(QStringLiteral("Comparar"), QStringLiteral("btnCompararGuardado"),
                               QStringLiteral("Compara o arquivo escolhido com a janela."));
    load_ = listButton(QStringLiteral("Carregar na janela"), QStringLiteral("btnCarregarGuardado"),
                       QStringLiteral("Põe o arquivo escolhido na janela, como \"Carregar\"; "
                                      "Ctrl+Z desfaz."));
    auto* erase = listButton(QStringLiteral("Excluir"), QStringLiteral("btnExcluirGuardado"),
                             QStringLiteral("Move o arquivo escolhido para a lixeira."));
    auto* open = listButton(QStringLiteral("Abrir pasta"), QStringLiteral("btnAbrirPastaModulo"),
                            QStringLiteral("Mostra a pasta das configurações guardadas."));
    connect(compare, &QPushButton::clicked, this, [this] { compareSelected(); });
    connect(load_, &QPushButton::clicked, this, [this] { loadSelected(); });
    connect(erase, &QPushButton::clicked, this, [this] { deleteSelected(); });
    connect(open, &QPushButton::clicked, this, [this] {
        window_.form().dispatch([this] {
            openFolderInFileManager(
                this, window_.form(), folder_,
                "Nenhum gerenciador de arquivos abriu a pasta das configurações guardadas. Ela "
                "fica em " +
                    QDir::toNativeSeparators(folder_).toStdString());
        });
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttonGrid(compare, load_, erase, open));

    confirm = [this](const QString& question) { return askMoveToTrash(this, question); };
    refreshOnFolderChanges(this, watcher_, refreshTimer_, kRefreshDelayMs, [this] { refresh(); });
}

void KeptFilesGroup::refresh() {
    // The history makes the folder with its first copy.
    if (watcher_.directories().isEmpty() && QDir(folder_).exists()) {
        watcher_.addPath(folder_);
    }
    const QString selected = selectedPath();
    const QSignalBlocker blocker(list_);
    list_->clear();
    const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    for (const auto& kept : listKeptConfigurations(folder_)) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, locale.toString(kept.when, QStringLiteral("dd/MM/yyyy HH:mm:ss")));
        item->setText(1, kept.kind == ModuleHistory::Kind::Read ? QStringLiteral("Lido")
                                                                : QStringLiteral("Enviado"));
        item->setText(2, kept.cylinders);
        item->setText(3, kept.rpmLimit);
        item->setText(kNoteColumn, kept.note);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setData(0, Qt::UserRole, kept.path);
        item->setToolTip(0, QDir::toNativeSeparators(kept.path));
        if (kept.path == selected) {
            list_->setCurrentItem(item);
        }
    }
    setLoadEnabled(loadEnabled_);
}

void KeptFilesGroup::setLoadEnabled(bool enabled) {
    loadEnabled_ = enabled;
    load_->setEnabled(enabled);
}

QString KeptFilesGroup::selectedPath() const {
    const auto* item = list_->currentItem();
    return item != nullptr && item->isSelected() ? item->data(0, Qt::UserRole).toString()
                                                 : QString();
}

void KeptFilesGroup::noteEdited(QTreeWidgetItem* item, int column) {
    if (column != kNoteColumn) {
        return;
    }
    const QString path = item->data(0, Qt::UserRole).toString();
    window_.form().dispatch([&] {
        if (!writeNote(path, item->text(kNoteColumn))) {
            throw FileError("A nota não pôde ser guardada em " +
                            QDir::toNativeSeparators(notePathOf(path)).toStdString());
        }
    });
}

void KeptFilesGroup::compareSelected() {
    const QString path = selectedPath();
    if (path.isEmpty()) {
        window_.form().dispatch(
            [] { throw RefusedError("Escolha na lista o arquivo a comparar"); });
        return;
    }
    openComparison(window_, path.toStdString());
}

void KeptFilesGroup::loadSelected() {
    const QString path = selectedPath();
    Form& form = window_.form();
    form.edit("Carregar", [&] {
        if (path.isEmpty()) {
            throw RefusedError("Escolha na lista o arquivo a carregar");
        }
        form.files.loadFile(path.toStdString());
    });
}

void KeptFilesGroup::deleteSelected() {
    const QString path = selectedPath();
    if (path.isEmpty()) {
        return;
    }
    if (!confirm(QStringLiteral("Mover %1 para a lixeira?").arg(QFileInfo(path).fileName()))) {
        return;
    }
    window_.form().dispatch([this, &path] {
        const bool moved = QFile::moveToTrash(path);
        if (moved && QFile::exists(notePathOf(path))) {
            QFile::moveToTrash(notePathOf(path));
        }
        refresh();
        if (!moved) {
            throw FileError("Não foi possível mover para a lixeira: " +
                            QDir::toNativeSeparators(path).toStdString());
        }
    });
}

} // namespace orvel::app
