#include "files/map_file.h"

#include "core/control_store.h"
#include "core/errors.h"
#include "core/platform.h"
#include "files/code_page.h"
#include "files/field_caption.h"
#include "form/form_state.h"
#include "model/config.h"
#include "model/number_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>

namespace orvel {

namespace mapfile {

namespace {

constexpr char kEndOfFile = 0x1A;

} // namespace

Codec::Codec() : codePage_(std::make_unique<Windows1252>()) {}
Codec::~Codec() = default;

Values collect(const ControlStore& store, int tpsClosed, int tpsOpen) {
    Values values;
    values.reserve(config::kValueCount);
    for (const auto& p : config::fileOrder()) {
        values.push_back(store.text(p.key));
    }
    values.push_back(numtext::formatInteger(tpsClosed));
    values.push_back(numtext::formatInteger(tpsOpen));
    return values;
}

std::string Codec::unwritableCharacter(std::string_view text) {
    if (text.find(';') != std::string_view::npos) {
        return ";";
    }
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        return "quebra de linha";
    }
    // Windows-1252 holds all of ASCII: most texts need no conversion to tell.
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return {};
    }
    std::string ignored;
    if (const auto bad = codePage_->fromUtf8(text, ignored)) {
        const auto length = utf8Length(static_cast<unsigned char>(text[*bad]));
        return std::string(text.substr(*bad, length));
    }
    return {};
}

std::string Codec::encodeLine(const Values& values) {
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (const auto bad = unwritableCharacter(values[i]); !bad.empty()) {
            throw FileError("Value " + std::to_string(i + 1) +
                            " holds a character a map file cannot hold (" + bad + ")");
        }
        if (i > 0) {
            joined.push_back(';');
        }
        joined.append(values[i]);
    }
    std::string line;
    line.reserve(joined.size() + 2);
    (void)codePage_->fromUtf8(joined, line);
    line.append("\r\n");
    return line;
}

std::vector<std::string> Codec::decodeSlots(std::string_view fileBytes) {
    std::string line;
    for (const char c : fileBytes) {
        if (c == '\n' || c == kEndOfFile) {
            break;
        }
        if (c != '\r') {
            line.push_back(c);
        }
    }
    const std::string text = codePage_->toUtf8(line);
    std::vector<std::string> table(1);
    table.reserve(std::min<std::size_t>(
        kMaxSlots, 1 + static_cast<std::size_t>(std::count(text.begin(), text.end(), ';'))));
    for (const char c : text) {
        if (c == ';') {
            if (table.size() == kMaxSlots) {
                break;
            }
            table.emplace_back();
        } else {
            table.back().push_back(c);
        }
    }
    return table;
}

std::string unwritableCharacter(std::string_view text) {
    return Codec().unwritableCharacter(text);
}

std::string encodeLine(const Values& values) {
    return Codec().encodeLine(values);
}

std::vector<std::string> decodeSlots(std::string_view fileBytes) {
    return Codec().decodeSlots(fileBytes);
}

std::string initialFolder() {
#ifdef Q_OS_WIN
    // The folder the module's map files have always been kept in on Windows; made
    // when it is missing, so that the first "Salvar" lands there. A user who may
    // not write to C:\ gets the Documents folder instead of a dialog that fails.
    const QString folder = QStringLiteral("C:/InjeçãoZelvarinOrvel");
    if (QFileInfo(folder).isDir() || QDir().mkpath(folder)) {
        return QDir::toNativeSeparators(folder).toStdString();
    }
    return QDir::toNativeSeparators(
               QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .toStdString();
#else
    const QDir home = QDir::home();
    const QString folder = home.filePath(QStringLiteral("InjeçãoZelvarinOrvel"));
    if (QFileInfo(folder).isDir()) {
        return folder.toStdString();
    }
    return home.path().toStdString();
#endif
}

} // namespace mapfile

namespace {

constexpr const char* kFilter = "Arquivos Compatíveis (.txt)|*.txt|Todos os arquivos|*.*";

std::string unwritableMessage(std::string_view caption, std::string_view character) {
    return " Atenção ! !  O campo \"" + std::string(caption) +
           "\" contém um caractere não permitido (" + std::string(character) + ").  ";
}

// The platform's reason in the short form the user knows from other programs.
std::string openFailure(const QFileDevice& file, bool forWriting) {
    const QFileInfo info(file.fileName());
    if (!forWriting && !info.exists()) {
        return "File not found";
    }
    if (forWriting && !info.absoluteDir().exists()) {
        return "Path not found";
    }
    if (info.isDir() || (info.exists() && !(forWriting ? info.isWritable() : info.isReadable()))) {
        return "File access denied";
    }
    return file.errorString().toStdString();
}

std::string writeFailure(const QFileDevice& file) {
    if (file.error() == QFileDevice::ResourceError) {
        return "Disk full (" + file.errorString().toStdString() + ")";
    }
    return file.errorString().toStdString();
}

std::string readFile(const std::string& name) {
    QFile file(QString::fromStdString(name));
    if (QFileInfo(file).isDir() || !file.open(QIODevice::ReadOnly)) {
        throw FileError(openFailure(file, false));
    }
    // A map file is one short line: a huge file is refused by its size, and a
    // device without one (a pipe) is read no further than the limit shows.
    constexpr auto limit = static_cast<qint64>(mapfile::kMaxFileBytes);
    const std::string tooLarge =
        "Arquivo grande demais para ser um arquivo de mapa (mais de 1 MiB)";
    if (file.size() > limit) {
        throw FileError(tooLarge);
    }
    const QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit) {
        throw FileError(tooLarge);
    }
    if (file.error() != QFileDevice::NoError) {
        throw FileError(file.errorString().toStdString());
    }
    return bytes.toStdString();
}

} // namespace

FileDialogOptions MapFileHandler::dialogOptions(const char* name,
                                                const std::string& lastName) const {
    return FileDialogOptions{name, kFilter, "*.txt", mapfile::initialFolder(), lastName};
}

void MapFileHandler::btnSalvarClick() {
    const auto name = dialogs_.saveFileName(dialogOptions("sdSalvar", lastSaveName_));
    if (!name) {
        return;
    }
    lastSaveName_ = *name;

    const auto values = mapfile::collect(controls_, state_.tpsClosedValue, state_.tpsOpenValue);
    // A text that would not load back as itself is refused before the file is touched.
    const auto& order = config::fileOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (const auto bad = codec_.unwritableCharacter(values[i]); !bad.empty()) {
            dialogs_.message(unwritableMessage(fieldCaption(controls_, order[i].key), bad));
            controls_.focus(order[i].key);
            return;
        }
    }
    const std::string line = codec_.encodeLine(values);

    // Written beside the target and renamed over it, so a failed write leaves the
    // previous file as it was.
    QSaveFile file(QString::fromStdString(*name));
    // Unbuffered, so that a short write shows here and not in a flush that the
    // commit would not report.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw FileError(openFailure(file, true));
    }
    const char* data = line.data();
    auto left = static_cast<qint64>(line.size());
    while (left > 0) {
        // After a short write the next one fails with the platform's reason.
        const qint64 written = file.write(data, left);
        if (written <= 0) {
            const std::string reason = writeFailure(file);
            file.cancelWriting();
            throw FileError(reason);
        }
        data += written;
        left -= written;
    }
    if (!file.commit()) {
        throw FileError(writeFailure(file));
    }
}

void MapFileHandler::btnCarregarClick() {
    const auto name = dialogs_.openFileName(dialogOptions("odCarregar", lastOpenName_));
    if (!name) {
        return;
    }
    lastOpenName_ = *name;
    load(readFile(*name));
}

void MapFileHandler::loadFile(const std::string& name) {
    load(readFile(name));
}

void MapFileHandler::load(std::string_view fileBytes) {
    const auto table = codec_.decodeSlots(fileBytes);
    auto slot = [&](std::size_t position) -> std::string {
        return position <= table.size() ? table[position - 1] : std::string();
    };
    // The TPS numbers are checked before any field changes, so a bad file leaves
    // the window as it was.
    const auto& order = config::fileOrder();
    const int tpsClosed = numtext::parseInteger(slot(order.size() + 1));
    const int tpsOpen = numtext::parseInteger(slot(order.size() + 2));

    for (std::size_t i = 0; i < order.size(); ++i) {
        controls_.setText(order[i].key, slot(i + 1));
    }
    state_.tpsClosedValue = tpsClosed;
    state_.tpsOpenValue = tpsOpen;
}

} // namespace orvel
