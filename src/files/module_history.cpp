#include "files/module_history.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace orvel {

namespace {

constexpr int kSameSecondTries = 100;

QString nameFor(const QDateTime& when, ModuleHistory::Kind kind, int attempt) {
    QString name = when.toString(QLatin1String(kKeptTimeFormat)) + QLatin1Char('-') +
                   QLatin1String(keptKindWord(kind));
    if (attempt > 1) {
        name += QStringLiteral("-%1").arg(attempt); // a read and a send in one second
    }
    return name + QStringLiteral(".txt");
}

} // namespace

ModuleHistory::ModuleHistory(Tell tell, Now now)
    : tell_(std::move(tell)),
      now_(now ? std::move(now) : [] { return QDateTime::currentDateTime(); }) {}

std::optional<std::string> ModuleHistory::keep(Kind kind, const std::string& mapFileBytes) {
    if (folder_.empty()) {
        return std::nullopt;
    }
    const QString folder = QString::fromStdString(folder_);
    const QDateTime when = now_();
    QString error;
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("a pasta não pode ser criada");
    } else {
        QString path;
        for (int attempt = 1; attempt <= kSameSecondTries && path.isEmpty(); ++attempt) {
            const QString candidate = QDir(folder).filePath(nameFor(when, kind, attempt));
            if (!QFileInfo::exists(candidate)) {
                path = candidate;
            }
        }
        QSaveFile file(path);
        if (!path.isEmpty() && file.open(QIODevice::WriteOnly) &&
            file.write(mapFileBytes.data(), static_cast<qint64>(mapFileBytes.size())) ==
                static_cast<qint64>(mapFileBytes.size()) &&
            file.commit()) {
            return path.toStdString();
        }
        error = file.errorString();
    }
    if (!told_) {
        told_ = true;
        tell_("A cópia da configuração " + std::string(kind == Kind::Read ? "lida" : "enviada") +
              " não pôde ser guardada em " + folder_ + " (" + error.toStdString() +
              "). O programa continua normalmente; nesta sessão este aviso não se repete.");
    }
    return std::nullopt;
}

std::string moduleHistoryFolder(const std::string& recordingsFolder) {
    if (recordingsFolder.empty()) {
        return {};
    }
    return QFileInfo(QString::fromStdString(recordingsFolder))
        .dir()
        .filePath(QStringLiteral("modulo"))
        .toStdString();
}

} // namespace orvel
