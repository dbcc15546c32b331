#pragma once

#include <QDateTime>
#include <QString>

#include <vector>

namespace orvel::app {

// One recording file as the list shows it, read cheaply: the start from the
// file's name, the rows from its line count, the duration from its last row.
struct RecordingEntry {
    QString path;
    QDateTime start;
    double seconds = 0;
    qint64 rows = 0;
    qint64 bytes = 0;
};

// $XDG_DATA_HOME/orvel/registros (by default ~/.local/share/orvel/registros).
[[nodiscard]] QString recordingsFolder();
// The recordings of a folder, newest first.
[[nodiscard]] std::vector<RecordingEntry> listRecordings(const QString& folder);
[[nodiscard]] RecordingEntry summarizeRecording(const QString& path);
// The map saved beside a recording ("...-mapa.txt").
[[nodiscard]] QString mapFileOf(const QString& recordingPath);

} // namespace orvel::app
