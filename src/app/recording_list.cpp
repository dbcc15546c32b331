#include "app/recording_list.h"

#include "recording/disk_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace orvel::app {

namespace {

constexpr qint64 kTailBytes = 4096; // longer than any row

// Counts line ends without reading the file into memory.
qint64 countLines(QFile& file) {
    if (file.size() == 0) {
        return 0;
    }
    if (const uchar* data = file.map(0, file.size())) {
        const auto* begin = reinterpret_cast<const char*>(data);
        const qint64 lines = std::count(begin, begin + file.size(), '\n');
        file.unmap(const_cast<uchar*>(data));
        return lines;
    }
    qint64 lines = 0;
    char buffer[65536];
    file.seek(0);
    for (qint64 n = 0; (n = file.read(buffer, sizeof buffer)) > 0;) {
        lines += std::count(buffer, buffer + n, '\n');
    }
    return lines;
}

// The first field of the last complete line: its time, "12,345".
double lastTime(QFile& file) {
    file.seek(std::max<qint64>(0, file.size() - kTailBytes));
    const QByteArray tail = file.readAll();
    const qsizetype end = tail.lastIndexOf('\n');
    if (end <= 0) {
        return 0;
    }
    const qsizetype begin = tail.lastIndexOf('\n', end - 1) + 1;
    const QByteArray line = tail.mid(begin, end - begin);
    bool ok = false;
    const double seconds = QString::fromLatin1(line.left(line.indexOf(';')))
                               .replace(QLatin1Char(','), QLatin1Char('.'))
                               .trimmed()
                               .toDouble(&ok);
    return ok ? seconds : 0;
}

} // namespace

QString recordingsFolder() {
    return QString::fromStdString(recording::defaultFolder());
}

QString mapFileOf(const QString& recordingPath) {
    QString path = recordingPath;
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        path.chop(4);
    }
    return path + QStringLiteral("-mapa.txt");
}

RecordingEntry summarizeRecording(const QString& path) {
    RecordingEntry entry;
    entry.path = path;
    const QFileInfo info(path);
    entry.bytes = info.size();
    // Named by the local start time: AAAA-MM-DD_HH-MM-SS, maybe with "-2", "-3".
    static const QRegularExpression name(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2})(-\\d+)?$"));
    const auto match = name.match(info.completeBaseName());
    entry.start = match.hasMatch() ? QDateTime::fromString(match.captured(1),
                                                           QStringLiteral("yyyy-MM-dd_HH-mm-ss"))
                                   : info.lastModified();
    entry.suffix = match.hasMatch() && match.hasCaptured(2) ? -match.captured(2).toInt() : 1;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        entry.rows = std::max<qint64>(0, countLines(file) - 1); // the header is no row
        entry.seconds = entry.rows > 0 ? lastTime(file) : 0;
    }
    return entry;
}

namespace {

void newestFirst(std::vector<RecordingEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        if (a.start != b.start) {
            return a.start > b.start;
        }
        return a.suffix != b.suffix ? a.suffix > b.suffix : a.path > b.path;
    });
}

} // namespace

std::vector<RecordingEntry> listRecordings(const QString& folder) {
    std::vector<RecordingEntry> entries;
    const QDir dir(folder);
    for (const QString& file : dir.entryList({QStringLiteral("*.csv")}, QDir::Files)) {
        entries.push_back(summarizeRecording(dir.filePath(file)));
    }
    newestFirst(entries);
    return entries;
}

std::vector<RecordingEntry> RecordingCatalog::list(const QString& folder) {
    std::vector<RecordingEntry> entries;
    QHash<QString, Known> seen;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.csv")}, QDir::Files)) {
        const QString path = info.filePath();
        Known k = known_.value(path);
        if (k.bytes != info.size() || k.modified != info.lastModified()) {
            k = {info.size(), info.lastModified(), summarizeRecording(path)};
            ++reads_;
        }
        entries.push_back(k.entry);
        seen.insert(path, std::move(k));
    }
    known_ = std::move(seen); // files gone are forgotten
    newestFirst(entries);
    return entries;
}

} // namespace orvel::app
