#include "recording/disk_writer.h"

#include "recording/writer.h"

#include "recording/file_io.h"

#ifdef _WIN32
#include <QDir>
#include <QStandardPaths>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace orvel::recording {

namespace {

std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string reasonOf(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "sem permissão de escrita";
    case ENOSPC:
        return "disco cheio";
#ifdef EDQUOT
    case EDQUOT:
        return "cota de disco esgotada";
#endif
    case EROFS:
        return "o disco só permite leitura";
    case ENOTDIR:
    case EEXIST:
        return "um nome do caminho não é uma pasta";
    case ENOENT:
        return "o caminho não existe";
    case ENAMETOOLONG:
        return "nome longo demais";
    case EIO:
        return "erro de leitura ou gravação no disco";
    case EFBIG:
        return "o arquivo passou do tamanho que o disco aceita";
    default:
        return "erro " + std::to_string(error) + " (" + std::strerror(error) + ")";
    }
}

} // namespace

std::string defaultFolder() {
#ifdef _WIN32
    // The user's local application data folder (%LOCALAPPDATA%), named here rather
    // than by the application's name, which in a test is the test's own. A data
    // folder given as on Linux wins, so that tests keep to folders of their own.
    const QString given = qEnvironmentVariable("XDG_DATA_HOME");
    const QString local =
        QDir::isAbsolutePath(given)
            ? given
            : QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return local.isEmpty() ? std::string()
                           : (local + QStringLiteral("/orvel/registros")).toStdString();
#else
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/') {
            return {};
        }
        base = std::string(home) + "/.local/share";
    }
    return base + "/orvel/registros";
#endif
}

DiskWriter::DiskWriter(std::size_t capacity) : capacity_(capacity) {}

DiskWriter::~DiskWriter() {
    if (!thread_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        wakeNow_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void DiskWriter::begin(Session session) {
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { run(); });
    }
    enqueue(std::move(session), false);
}

bool DiskWriter::push(const Row& row) {
    const std::lock_guard lock(mutex_);
    if (queuedRows_ >= capacity_) {
        return false;
    }
    queue_.emplace_back(row);
    ++queuedRows_;
    ++submitted_;
    return true;
}

void DiskWriter::end() {
    enqueue(End{}, true);
}

void DiskWriter::enqueue(Item item, bool wake) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(item));
        ++submitted_;
        wakeNow_ = wakeNow_ || wake;
    }
    if (wake) {
        wake_.notify_one();
    }
}

void DiskWriter::drain() {
    std::unique_lock lock(mutex_);
    const auto target = submitted_;
    wakeNow_ = true;
    wake_.notify_one();
    done_.wait(lock, [&] { return completed_ >= target; });
}

bool DiskWriter::idle() {
    const std::lock_guard lock(mutex_);
    return completed_ == submitted_;
}

std::vector<std::string> DiskWriter::takeFaults() {
    const std::lock_guard lock(mutex_);
    return std::exchange(faults_, {});
}

std::string DiskWriter::lastPath() {
    const std::lock_guard lock(mutex_);
    return lastPath_;
}

void DiskWriter::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait_for(lock, std::chrono::milliseconds(kWakeMs), [this] { return wakeNow_; });
        wakeNow_ = false;
        std::deque<Item> batch;
        batch.swap(queue_);
        queuedRows_ = 0;
        const bool stop = stopping_;
        lock.unlock();

        for (auto& item : batch) {
            handle(item);
        }
        flush(false);

        lock.lock();
        completed_ += batch.size();
        done_.notify_all();
        if (stop && queue_.empty()) {
            break;
        }
    }
    lock.unlock();
    flush(true);
    close();
}

void DiskWriter::handle(Item& item) {
    if (auto* session = std::get_if<Session>(&item)) {
        flush(true);
        close();
        session_ = std::move(*session);
        inSession_ = true;
        failed_ = false;
    } else if (const auto* row = std::get_if<Row>(&item)) {
        if (!inSession_ || failed_) {
            return;
        }
        if (fd_ < 0) {
            open();
        }
        if (fd_ >= 0) {
            appendRow(buffer_, *row);
        }
    } else {
        flush(true);
        close();
        inSession_ = false;
    }
}

void DiskWriter::open() {
    const std::string& folder = session_.folder;
    if (const int error = fileio::makeFolder(folder)) {
        fail(reasonOf(error));
        return;
    }
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &session_.start);
    std::string mapPath;
    for (int n = 1; fd_ < 0; ++n) {
        const std::string base =
            folder + "/" + stamp + (n > 1 ? "-" + std::to_string(n) : std::string());
        path_ = base + ".csv";
        mapPath = base + "-mapa.txt";
        if (fileio::exists(mapPath)) {
            continue;
        }
        if (const int error = fileio::createNew(path_, fd_); error != 0 && error != EEXIST) {
            fail(reasonOf(error));
            return;
        }
    }
    // The header and the map go out at once: a disk that takes no bytes leaves
    // no empty files behind for the list.
    int error = fileio::writeAll(fd_, header());
    if (error == 0 && !session_.mapText.empty()) {
        int mapFd = -1;
        error = fileio::createNew(mapPath, mapFd);
        if (error == 0) {
            error = fileio::writeAll(mapFd, session_.mapText);
            fileio::closeFile(mapFd);
            if (error != 0) {
                fileio::removeFile(mapPath);
            }
        }
    }
    if (error != 0) {
        close();
        fileio::removeFile(path_);
        fail(reasonOf(error));
        return;
    }
    lastSyncMs_ = steadyMs();
    unsynced_ = true;
    const std::lock_guard lock(mutex_);
    lastPath_ = path_;
}

void DiskWriter::flush(bool sync) {
    if (fd_ < 0) {
        return;
    }
    if (!buffer_.empty()) {
        if (const int error = fileio::writeAll(fd_, buffer_)) {
            fail(reasonOf(error));
            return;
        }
        buffer_.clear();
        unsynced_ = true;
    }
    const auto now = steadyMs();
    if (unsynced_ && (sync || now - lastSyncMs_ >= kSyncMs)) {
        // Off the GUI thread, at most once a second: a power cut loses at most that.
        fileio::syncData(fd_);
        lastSyncMs_ = now;
        unsynced_ = false;
    }
}

void DiskWriter::close() {
    if (fd_ >= 0) {
        fileio::closeFile(fd_);
        fd_ = -1;
    }
    buffer_.clear();
}

void DiskWriter::fail(const std::string& reason) {
    failed_ = true;
    close();
    const std::lock_guard lock(mutex_);
    faults_.push_back("Não foi possível gravar o registro do scanner na pasta " + session_.folder +
                      ": " + reason + ". O scanner continua sem gravar.");
}

} // namespace orvel::recording
