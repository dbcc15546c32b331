#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <vector>

namespace orvel::app {

// One recording file as the list shows it, read cheaply: the start from the
// file's name, the rows from its line count, the duration from its last row.
struct RecordingEntry {
    QString path;
    QDateTime start;
    int suffix = 1; // "-2", "-3" ...: later sessions started in the same second
    double seconds = 0;
    qint64 rows = 0;
    qint64 bytes = 0;
};

// $XDG_DATA_HOME/orvel/registros (by default ~/.local/share/orvel/registros).
[[nodiscard]] QString recordingsFolder();
// The recordings of a folder, newest first.
[[nodiscard]] std::vector<RecordingEntry> listRecordings(const QString& folder);

// The same, reading only the files that are new or changed since the last call
// (by name, size and modification time): a showing of the page costs a
// directory listing, not a read of every recording.
class RecordingCatalog {
public:
    [[nodiscard]] std::vector<RecordingEntry> list(const QString& folder);
    [[nodiscard]] int reads() const { return reads_; } // files read so far

private:
    struct Known {
        qint64 bytes = -1;
        QDateTime modified;
        RecordingEntry entry;
    };
    QHash<QString, Known> known_;
    int reads_ = 0;
};
[[nodiscard]] RecordingEntry summarizeRecording(const QString& path);
// The map saved beside a recording ("...-mapa.txt").
[[nodiscard]] QString mapFileOf(const QString& recordingPath);

} // namespace orvel::app
