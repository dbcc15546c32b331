#pragma once

#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QString>
#include <QTimer>

#include <functional>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvel::app {

class MainWindow;

// The copies of every read and send the module history keeps, newest first,
// with a note the user types (the car's plate), and what to do with one:
// compare it with the window, load it, move it to the trash, show the folder.
class KeptFilesGroup : public QGroupBox {
    Q_OBJECT
public:
    KeptFilesGroup(MainWindow& window, const QString& folder);

    // Reads the folder again.
    void refresh();
    // "Carregar na janela" follows "Carregar".
    void setLoadEnabled(bool enabled);
    [[nodiscard]] const QString& folder() const { return folder_; }

    // Asks before moving to the trash; a question box unless a test replaces it.
    std::function<bool(const QString& question)> confirm;

private:
    [[nodiscard]] QString selectedPath() const;
    void compareSelected();
    void loadSelected();
    void deleteSelected();
    void noteEdited(QTreeWidgetItem* item, int column);

    MainWindow& window_;
    QString folder_;
    QTreeWidget* list_ = nullptr;
    QPushButton* load_ = nullptr;
    QFileSystemWatcher watcher_;
    QTimer refreshTimer_;
    bool loadEnabled_ = false;
};

} // namespace orvel::app
