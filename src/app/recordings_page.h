#pragma once

#include "app/recording_list.h"
#include "recording/recording.h"

#include <QFileSystemWatcher>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QGroupBox;
class QListWidget;
class QTreeWidget;

namespace orvel::app {

class ChartCanvas;
class MainWindow;
class RecordingPlot;
class ReplayBar;

// The "Registros" page: the recordings of the scanner sessions, a plot of the
// opened one, and its replay through the window.
class RecordingsPage : public QWidget {
    Q_OBJECT
public:
    explicit RecordingsPage(MainWindow& window);
    ~RecordingsPage() override;

    // The tab control reaches past the window's edges: keeps the page's contents
    // inside what shows.
    void setHiddenEdges(int right, int bottom);
    // Reads the folder again.
    void refresh();
    void openFile(const QString& path);
    // Shows a recording in the plot and makes it the one replayed.
    void showRecording(std::shared_ptr<const recording::Recording> recording, const QString& path);
    [[nodiscard]] RecordingPlot& plot() { return *plot_; }
    [[nodiscard]] const QString& folder() const { return folder_; }
    [[nodiscard]] const RecordingCatalog& catalog() const { return catalog_; }

    // Asks before deleting; a question box unless a test replaces it.
    std::function<bool(const QString& question)> confirm;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* buildListGroup();
    QGroupBox* buildChannelGroup();
    QGroupBox* buildPlotGroup();
    void applyFonts();
    void openCurrent();
    void chooseFile();
    void deleteSelected();
    void openFolder();
    [[nodiscard]] std::string folderNotOpened() const;
    void analyse();
    void channelsChanged();
    [[nodiscard]] QStringList selectedPaths() const;

    MainWindow& window_;
    QString folder_;
    RecordingCatalog catalog_;
    QFileSystemWatcher watcher_;
    QTimer refreshTimer_;
    QTreeWidget* list_ = nullptr;
    QListWidget* channels_ = nullptr;
    QGroupBox* plotGroup_ = nullptr;
    ChartCanvas* canvas_ = nullptr;
    std::unique_ptr<RecordingPlot> plot_;
    ReplayBar* replayBar_ = nullptr;
    std::shared_ptr<const recording::Recording> recording_;
    QString recordingPath_;
    QString lastChosenFile_;
};

} // namespace orvel::app
