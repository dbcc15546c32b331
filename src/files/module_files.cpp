#include "files/module_files.h"

#include "files/map_file.h"
#include "model/config.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

namespace orvel {

namespace {

// A note is a line or two; anything longer is no note of ours.
constexpr qint64 kMaxNoteBytes = 4096;

QString slotText(const std::vector<std::string>& values, std::string_view key) {
    const auto& order = config::fileOrder();
    for (std::size_t i = 0; i < order.size() && i < values.size(); ++i) {
        if (order[i].key == key) {
            return QString::fromStdString(values[i]).trimmed();
        }
    }
    return {};
}

void readHints(KeptConfiguration& kept) {
    QFile file(kept.path);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(mapfile::kMaxFileBytes));
    try {
        const auto values = mapfile::decodeSlots(bytes.toStdString());
        kept.cylinders = slotText(values, "cbCilindros");
        kept.rpmLimit = slotText(values, "eLimiteRpm");
    } catch (const std::exception&) {
        // No code page converter: the list still shows the file.
    }
}

} // namespace

std::vector<KeptConfiguration> listKeptConfigurations(const QString& folder) {
    static const QRegularExpression kName(
        QStringLiteral(R"(^(\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2})-(lido|enviado)(-\d+)?\.txt$)"));
    std::vector<KeptConfiguration> out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        const auto match = kName.match(name);
        if (!match.hasMatch()) {
            continue;
        }
        KeptConfiguration kept;
        kept.path = dir.filePath(name);
        kept.when = QDateTime::fromString(match.captured(1), QLatin1String(kKeptTimeFormat));
        kept.kind = match.captured(2) == QLatin1String(keptKindWord(ModuleHistory::Kind::Read))
                        ? ModuleHistory::Kind::Read
                        : ModuleHistory::Kind::Sent;
        readHints(kept);
        kept.note = readNote(kept.path);
        out.push_back(std::move(kept));
    }
    // Newest first; files of one second in a fixed order, so the list does not shuffle.
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        if (a.when != b.when) {
            return a.when > b.when;
        }
        return a.path > b.path;
    });
    return out;
}

QString notePathOf(const QString& keptPath) {
    QString base = keptPath;
    if (base.endsWith(QLatin1String(".txt"))) {
        base.chop(4);
    }
    return base + QStringLiteral(".nota");
}

QString readNote(const QString& keptPath) {
    QFile file(notePathOf(keptPath));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.read(kMaxNoteBytes)).trimmed();
}

bool writeNote(const QString& keptPath, const QString& note) {
    const QString path = notePathOf(keptPath);
    const QString text = note.trimmed();
    if (text.isEmpty()) {
        return !QFile::exists(path) || QFile::remove(path);
    }
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8() + '\n';
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace orvel
