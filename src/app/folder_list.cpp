#include "app/folder_list.h"

#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace orvel::app {

QPushButton* listButton(const QString& caption, const QString& name, const QString& hint) {
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

QGridLayout* buttonGrid(QPushButton* first, QPushButton* second, QPushButton* third,
                        QPushButton* fourth) {
    auto* grid = new QGridLayout;
    grid->addWidget(first, 0, 0);
    grid->addWidget(second, 0, 1);
    grid->addWidget(third, 1, 0);
    grid->addWidget(fourth, 1, 1);
    return grid;
}

bool askMoveToTrash(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orvel"), question, QMessageBox::NoButton,
                    parent);
    auto* yes = box.addButton(QStringLiteral("Mover para a lixeira"), QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == yes;
}

void refreshOnFolderChanges(QWidget* owner, QFileSystemWatcher& watcher, QTimer& timer, int delayMs,
                            std::function<void()> refresh) {
    timer.setSingleShot(true);
    timer.setInterval(delayMs);
    QObject::connect(&timer, &QTimer::timeout, owner, std::move(refresh));
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, owner, [owner, &timer] {
        if (owner->isVisible() && !timer.isActive()) {
            timer.start();
        }
    });
}

} // namespace orvel::app
