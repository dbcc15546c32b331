#pragma once

#include "link/frames.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace orvel {

class ControlStore;

// Cuts a byte stream into 12-byte groups. A group that fits no layout is
// reported once; then the stream skips to the next "H" "P" in what it holds
// (a final lone "H" is kept, as its "P" may come with the next bytes), so one
// lost or extra byte costs one frame instead of every frame after it. With no
// "H" "P" in sight it drops just the group, which keeps a stream of shifted
// frames (layouts B and C) in step.
class FrameStream {
public:
    struct Group {
        std::optional<frames::ModuleFrame> frame; // nullopt: fits no layout
    };

    void append(std::span<const std::uint8_t> bytes);
    // Takes the next whole group off the stream; nullopt while fewer than 12 bytes wait.
    [[nodiscard]] std::optional<Group> next();
    void clear();
    [[nodiscard]] std::size_t size() const { return bytes_.size() - head_; }

private:
    // Bytes to drop after an unrecognised group at the head.
    [[nodiscard]] std::size_t resyncLength() const;

    std::vector<std::uint8_t> bytes_;
    std::size_t head_ = 0; // bytes before it are consumed
};

// ComPort1RxChar: every group moves both progress bars to its id (0 when it
// fits no layout), goes to the download or the scanner by id, and marks that
// something arrived for the scanner's watchdog.
class FrameReceiver {
public:
    struct Sinks {
        // Runs one group's handling as an event of its own.
        std::function<void(const std::function<void()>&)> dispatch;
        std::function<void(const frames::ModuleFrame&)> configuration; // ids 1..26
        std::function<void(const frames::ModuleFrame&)> scanner;       // ids 29..34
        std::function<void()> groupArrived; // any 12 bytes: a sign of life
    };
    FrameReceiver(ControlStore& controls, Sinks sinks)
        : controls_(controls), sinks_(std::move(sinks)) {}
    // The bytes of one receive notification, in order.
    void ComPort1RxChar(std::span<const std::uint8_t> bytes);
    // The port was opened: the pending bytes are dropped.
    void reset() { stream_.clear(); }
    [[nodiscard]] std::size_t pendingSize() const { return stream_.size(); }

private:
    void handleGroup(const FrameStream::Group& group);

    ControlStore& controls_;
    Sinks sinks_;
    FrameStream stream_;
};

} // namespace orvel
