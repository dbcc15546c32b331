#include "files/map_file.h"

#include "core/control_store.h"
#include "core/errors.h"
#include "core/platform.h"
#include "files/field_caption.h"
#include "form/form_state.h"
#include "model/config.h"
#include "model/number_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace orvel {

namespace mapfile {

namespace {

constexpr const char* kCodePage = "WINDOWS-1252";
constexpr char kEndOfFile = 0x1A;

// Bytes that Windows-1252 leaves undefined; Windows passes them through as the
// C1 controls of the same number, so a file holding them still loads and saves back.
bool isUndefinedByte(unsigned char b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

std::size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    return 4;
}

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw FileError(std::string("Code page conversion ") + from + " to " + to +
                            " is not available");
        }
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts from `in` until the end or a character it cannot convert, which
    // is then left at `in`.
    void convert(std::string_view& in, std::string& out) {
        // iconv's input is not const in its declaration, though it is never written.
        char* inPtr = const_cast<char*>(in.data());
        // A conversion starts from the initial state, whatever the last one left.
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::size_t inLeft = in.size();
        while (inLeft > 0) {
            char buf[4096];
            char* outPtr = buf;
            std::size_t outLeft = sizeof buf;
            const std::size_t res = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            const int err = errno;
            out.append(buf, static_cast<std::size_t>(outPtr - buf));
            if (res == static_cast<std::size_t>(-1) && err != E2BIG) {
                break;
            }
        }
        in.remove_prefix(in.size() - inLeft);
    }

private:
    iconv_t cd_;
};

// UTF-8 to Windows-1252; position of the first character it cannot hold, if any.
std::optional<std::size_t> toWindows1252(Iconv& cd, std::string_view utf8, std::string& out) {
    std::string_view rest = utf8;
    while (true) {
        cd.convert(rest, out);
        if (rest.empty()) {
            return std::nullopt;
        }
        if (rest.size() >= 2 && static_cast<unsigned char>(rest[0]) == 0xC2 &&
            isUndefinedByte(static_cast<unsigned char>(rest[1]))) {
            out.push_back(rest[1]);
            rest.remove_prefix(2);
            continue;
        }
        return utf8.size() - rest.size();
    }
}

std::string fromWindows1252(Iconv& cd, std::string_view bytes) {
    std::string out;
    std::string_view rest = bytes;
    while (true) {
        cd.convert(rest, out);
        if (rest.empty()) {
            return out;
        }
        // An undefined byte becomes the C1 control of that number.
        out.push_back(static_cast<char>(0xC2));
        out.push_back(rest[0]);
        rest.remove_prefix(1);
    }
}

} // namespace

struct Codec::Converters {
    Iconv toFile{kCodePage, "UTF-8"};
    Iconv fromFile{"UTF-8", kCodePage};
};

Codec::Codec() : converters_(std::make_unique<Converters>()) {}
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
    if (const auto bad = toWindows1252(converters_->toFile, text, ignored)) {
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
    (void)toWindows1252(converters_->toFile, joined, line);
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
    const std::string text = fromWindows1252(converters_->fromFile, line);
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
    return "C:\\InjeçãoZelvarinOrvel";
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
