#pragma once

#include "recording/recording.h"

#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace orvel::recording {

// Writes recordings on a thread of its own, so that a slow or full disk never
// holds up the window: the GUI thread only appends to a bounded queue. The
// worker wakes a few times a second, creates the files on a session's first
// row, writes what has come in one batch and syncs it at most once a second.
class DiskWriter {
public:
    struct Session {
        std::string folder;
        std::tm start{};     // local time: names the files
        std::string mapText; // empty: no map file beside the recording
    };

    explicit DiskWriter(std::size_t capacity);
    ~DiskWriter(); // writes what is queued, then closes
    DiskWriter(const DiskWriter&) = delete;
    DiskWriter& operator=(const DiskWriter&) = delete;

    void begin(Session session);
    // False (and the row dropped) when the queue is full.
    [[nodiscard]] bool push(const Row& row);
    void end();
    // Blocks until everything handed over so far is written.
    void drain();
    [[nodiscard]] bool idle();
    // Messages for the user about faults since the last call, in Portuguese.
    [[nodiscard]] std::vector<std::string> takeFaults();
    // The recording file of the latest session with a row; empty before.
    [[nodiscard]] std::string lastPath();

    static constexpr int kWakeMs = 250;
    static constexpr int kSyncMs = 1000;

private:
    struct End {};
    using Item = std::variant<Session, Row, End>;
    void enqueue(Item item, bool wake);
    void run();
    void handle(Item& item);
    void open();
    void flush(bool sync);
    void close();
    void fail(const std::string& reason);

    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Item> queue_;
    std::size_t queuedRows_ = 0;
    std::uint64_t submitted_ = 0;
    std::uint64_t completed_ = 0;
    bool stopping_ = false;
    bool wakeNow_ = false;
    std::vector<std::string> faults_;
    std::string lastPath_;
    std::thread thread_;

    // The worker's own: no lock needed.
    Session session_;
    bool inSession_ = false;
    bool failed_ = false;
    int fd_ = -1;
    std::string path_;
    std::string buffer_;
    std::int64_t lastSyncMs_ = 0;
    bool unsynced_ = false;
};

// $XDG_DATA_HOME/orvel/registros, or ~/.local/share/orvel/registros; empty
// when neither variable gives a place.
[[nodiscard]] std::string defaultFolder();

} // namespace orvel::recording
