#pragma once

#include "core/platform.h"
#include "link/frames.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

// Apart from the other fakes: programs without a test framework use it too.
namespace orvel::test {

// Records what the core writes and feeds bytes back as the module would.
class FakeLink : public SerialLink, public PortProber {
public:
    void open(const std::string& name) override;
    void close() override;
    [[nodiscard]] bool isOpen() const override { return open_; }
    void write(std::span<const std::uint8_t> bytes) override;
    [[nodiscard]] bool probe(const std::string& name) override { return openable.count(name) > 0; }

    // Delivers bytes as one receive notification.
    void feed(std::span<const std::uint8_t> bytes);
    void feed(std::initializer_list<std::uint8_t> bytes);
    void feedFrame(std::uint8_t id, std::array<std::uint8_t, 8> data,
                   frames::Layout layout = frames::Layout::A);
    // The adapter was pulled out while open.
    void unplug(const std::string& message = "ReadFile function failed (win error code: 5)");

    std::set<std::string> openable{"COM1", "COM3"};
    // Ports the system refuses, with its error number; any other port that is not
    // openable is absent (ENOENT).
    std::map<std::string, int> refused;
    std::string openName;
    int opens = 0;
    int closes = 0;
    bool failWrites = false;
    std::vector<std::vector<std::uint8_t>> writes; // one entry per write call

private:
    bool open_ = false;
};

} // namespace orvel::test
