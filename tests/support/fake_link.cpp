#include "support/fake_link.h"

#include "core/errors.h"

#include <cerrno>

namespace orvel::test {

void FakeLink::open(const std::string& name) {
    std::string plain = name.rfind("\\\\.\\", 0) == 0 ? name.substr(4) : name;
    if (openable.count(plain) == 0) {
        const auto it = refused.find(plain);
        const int code = it != refused.end() ? it->second : ENOENT;
        throw PortError("Unable to open com port (win error code: " + std::to_string(code) + ")",
                        code);
    }
    open_ = true;
    openName = plain;
    ++opens;
}

void FakeLink::close() {
    if (open_) {
        ++closes;
    }
    open_ = false;
}

void FakeLink::write(std::span<const std::uint8_t> data) {
    if (failWrites || !open_) {
        throw PortError("WriteFile function failed (win error code: 22)");
    }
    writes.emplace_back(data.begin(), data.end());
}

void FakeLink::feed(std::span<const std::uint8_t> data) {
    if (onReceived) {
        onReceived(data);
    }
}

void FakeLink::feed(std::initializer_list<std::uint8_t> data) {
    feed(std::span<const std::uint8_t>(data.begin(), data.size()));
}

void FakeLink::feedFrame(std::uint8_t id, std::array<std::uint8_t, 8> data, frames::Layout layout) {
    const auto frame = frames::encodeFrame({id, data}, layout);
    feed(frame);
}

void FakeLink::unplug(const std::string& message) {
    if (onFailure) {
        onFailure(message);
    }
}

} // namespace orvel::test
