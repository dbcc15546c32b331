#include "link/frame_receiver.h"

#include "core/control_store.h"

namespace orvel {

void FrameStream::append(std::span<const std::uint8_t> bytes) {
    if (head_ > 0) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

std::optional<FrameStream::Group> FrameStream::next() {
    if (size() < frames::kFrameSize) {
        return std::nullopt;
    }
    const std::span<const std::uint8_t, frames::kFrameSize> group(bytes_.data() + head_,
                                                                  frames::kFrameSize);
    Group out{frames::decodeGroup(group)};
    head_ += out.frame ? frames::kFrameSize : resyncLength();
    if (head_ == bytes_.size()) {
        clear();
    }
    return out;
}

void FrameStream::clear() {
    bytes_.clear();
    head_ = 0;
}

std::size_t FrameStream::resyncLength() const {
    const std::size_t end = bytes_.size();
    for (std::size_t at = head_ + 1; at < end; ++at) {
        if (bytes_[at] != frames::kFrameStart) {
            continue;
        }
        if (at + 1 == end || bytes_[at + 1] == frames::kFrameMark) {
            return at - head_;
        }
    }
    return frames::kFrameSize;
}

void FrameReceiver::ComPort1RxChar(std::span<const std::uint8_t> bytes) {
    stream_.append(bytes);
    // The group leaves the stream before it is handled: a handler may wait in a
    // modal box, during which further notifications come in and are handled.
    while (auto group = stream_.next()) {
        // Each group is its own event: an error in one frame's handler is shown
        // and the following frames are still handled, so nothing piles up.
        sinks_.dispatch([this, &group] { handleGroup(*group); });
        sinks_.groupArrived();
    }
}

void FrameReceiver::handleGroup(const FrameStream::Group& group) {
    const int id = group.frame ? group.frame->id : 0;
    controls_.setPosition("pbCarregando", id);
    controls_.setPosition("pbCarregando1", id);
    if (frames::isConfigurationId(id)) {
        sinks_.configuration(*group.frame);
    } else if (frames::isScannerId(id)) {
        sinks_.scanner(*group.frame);
    }
}

} // namespace orvel
