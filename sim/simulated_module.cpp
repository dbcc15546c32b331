#include "simulated_module.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <utility>

namespace orvel::sim {

namespace {

constexpr std::uint8_t kCommandLead = 0x00;
constexpr std::uint8_t kCommandFill = 0x61;
constexpr std::uint8_t kGarbageByte = 0x55;
// The bit a noisy line flips in a corrupted packet's first byte.
constexpr std::uint8_t kCorruptingBits = 0x04;

std::optional<int> numberAfter(std::string_view line, std::string_view word) {
    if (!line.starts_with(word) || line.size() <= word.size() || line[word.size()] != ' ') {
        return std::nullopt;
    }
    auto rest = line.substr(word.size() + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end != rest.data() + rest.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> switchAfter(std::string_view line, std::string_view word) {
    if (line.size() <= word.size() || !line.starts_with(word) || line[word.size()] != ' ') {
        return std::nullopt;
    }
    const auto rest = line.substr(word.size() + 1);
    if (rest == "on") {
        return true;
    }
    if (rest == "off") {
        return false;
    }
    return std::nullopt;
}

std::string trimmedLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.remove_suffix(1);
    }
    while (!line.empty() && line.front() == ' ') {
        line.remove_prefix(1);
    }
    return std::string(line);
}

} // namespace

SimulatedModule::SimulatedModule(ModuleConfig config, Behaviour behaviour, EngineModel engine,
                                 FuelError fuelError)
    : config_(config), behaviour_(behaviour), engine_(engine), fuel_(config, std::move(fuelError)) {
    behaviour_.timeScale = std::max(behaviour_.timeScale, 1);
}

void SimulatedModule::note(const std::string& line) const {
    if (log) {
        log(line);
    }
}

void SimulatedModule::receive(std::span<const std::uint8_t> bytes, Time now) {
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    // Commands start with 00 and are six bytes; packets start with their number
    // 1..32 and are nine. Anything else is noise: skip a byte and look again.
    std::size_t at = 0;
    while (at < input_.size()) {
        const std::uint8_t lead = input_[at];
        const std::size_t left = input_.size() - at;
        if (lead == kCommandLead) {
            if (left < frames::kCommandSize) {
                break;
            }
            const bool filled = input_[at + 2] == kCommandFill && input_[at + 3] == kCommandFill &&
                                input_[at + 4] == kCommandFill && input_[at + 5] == kCommandFill;
            if (!filled) {
                note("skipped a byte that starts no command");
                ++at;
                continue;
            }
            handleCommand(input_[at + 1], now);
            at += frames::kCommandSize;
        } else if (lead >= 1 && lead <= kPacketCount) {
            if (left < frames::kPacketSize) {
                break;
            }
            handlePacket(std::span(input_).subspan(at, frames::kPacketSize));
            at += frames::kPacketSize;
        } else {
            note("skipped a byte that starts no command or packet");
            ++at;
        }
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<long>(at));
}

void SimulatedModule::handleCommand(std::uint8_t command, Time now) {
    switch (static_cast<frames::Command>(command)) {
    case frames::Command::ReadConfig: {
        note("command: read configuration");
        if (behaviour_.silent) {
            return;
        }
        const auto data = configurationFrames(config_);
        for (std::size_t i = 0; i < data.size(); ++i) {
            sendFrame(static_cast<std::uint8_t>(i + 1), data[i]);
        }
        return;
    }
    case frames::Command::ScannerPoll:
        note("command: scanner poll");
        sessionOpen_ = true;
        setsLeft_ = kSetsPerPoll * behaviour_.timeScale;
        nextSetAt_ = now;
        advance(now);
        return;
    case frames::Command::ScannerStop:
        note("command: scanner stop");
        setsLeft_ = 0;
        if (sessionOpen_) {
            sessionOpen_ = false;
            ++stopsSeen_;
        }
        return;
    case frames::Command::UploadEnd:
        note("command: upload end");
        endUpload();
        return;
    }
    std::ostringstream text;
    text << "command: unknown 0x" << std::hex << static_cast<int>(command) << ", ignored";
    note(text.str());
}

void SimulatedModule::handlePacket(std::span<const std::uint8_t> bytes) {
    const int number = bytes[0];
    if (behaviour_.dropPacket == number) {
        behaviour_.dropPacket.reset();
        note("packet " + std::to_string(number) + " lost on the line");
        return;
    }
    Data payload{};
    std::copy(bytes.begin() + 1, bytes.end(), payload.begin());
    if (behaviour_.corruptPacket == number) {
        behaviour_.corruptPacket.reset();
        payload[0] ^= kCorruptingBits;
        note("packet " + std::to_string(number) + " changed on the line");
    }
    packets_[bytes[0] - 1u] = payload;
    std::ostringstream text;
    text << "packet " << static_cast<int>(bytes[0]) << ":";
    for (auto b : payload) {
        text << ' ' << static_cast<int>(b);
    }
    note(text.str());
}

int SimulatedModule::packetsHeld() const {
    int held = 0;
    for (const auto& p : packets_) {
        held += p ? 1 : 0;
    }
    return held;
}

void SimulatedModule::endUpload() {
    std::string missing;
    Payloads payloads{};
    for (std::size_t i = 0; i < packets_.size(); ++i) {
        if (packets_[i]) {
            payloads[i] = *packets_[i];
        } else {
            missing += (missing.empty() ? "" : " ") + std::to_string(i + 1);
        }
    }
    packets_ = {};
    if (!missing.empty()) {
        // A partial set would mix two configurations: keep the old one whole.
        note("upload incomplete, nothing applied; missing packets: " + missing);
        return;
    }
    config_ = fromPackets(payloads);
    note("upload applied");
}

void SimulatedModule::sendFrame(std::uint8_t id, const Data& data) {
    if (behaviour_.garbageBeforeFirstAnswer > 0) {
        output_.emplace_back(behaviour_.garbageBeforeFirstAnswer, kGarbageByte);
        behaviour_.garbageBeforeFirstAnswer = 0;
    }
    Bytes frame = encodeModuleFrame(id, data, behaviour_.layout);
    if (behaviour_.dropNextByte) {
        behaviour_.dropNextByte = false;
        frame.erase(frame.begin());
        note("dropped the first byte of frame " + std::to_string(id));
    }
    output_.push_back(std::move(frame));
}

void SimulatedModule::sendScannerSet(Time now) {
    std::optional<int> count = behaviour_.tpsFixed;
    if (!count) {
        count = stopsSeen_ == 0 ? behaviour_.tpsClosed : behaviour_.tpsOpen;
        if (!count && stopsSeen_ > 0) {
            count = behaviour_.tpsClosed;
        }
    }
    engine_.setThrottleCount(count);
    const EngineState engine = engine_.at(engineTime(now), config_);
    auto frames = scannerFrames(engine, config_);
    const double seconds = std::chrono::duration<double>(kSetInterval).count();
    applyReading(frames, fuel_.step(engine, config_, seconds));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        sendFrame(static_cast<std::uint8_t>(29 + i), frames[i]);
    }
}

void SimulatedModule::advance(Time now) {
    while (setsLeft_ > 0 && nextSetAt_ <= now) {
        if (!behaviour_.silent) {
            sendScannerSet(nextSetAt_);
        }
        --setsLeft_;
        nextSetAt_ += kSetInterval / behaviour_.timeScale;
    }
}

std::optional<SimulatedModule::Time> SimulatedModule::nextDue() const {
    if (setsLeft_ <= 0) {
        return std::nullopt;
    }
    return nextSetAt_;
}

std::vector<Bytes> SimulatedModule::takeOutput() {
    std::vector<Bytes> out;
    out.swap(output_);
    return out;
}

void SimulatedModule::disconnected() {
    if (!input_.empty() || setsLeft_ > 0) {
        note("port closed by the program");
    }
    input_.clear();
    setsLeft_ = 0;
}

ControlResult SimulatedModule::control(std::string_view raw, Time now) {
    const std::string line = trimmedLine(raw);
    if (line.empty()) {
        return ControlResult::Done;
    }
    ControlResult result = ControlResult::Done;
    if (auto count = numberAfter(line, "tps")) {
        behaviour_.tpsFixed = *count;
    } else if (line == "tps off") {
        behaviour_.tpsFixed.reset();
    } else if (auto silent = switchAfter(line, "silent")) {
        behaviour_.silent = *silent;
    } else if (auto packet = numberAfter(line, "corrupt-packet")) {
        behaviour_.corruptPacket = *packet;
    } else if (auto lost = numberAfter(line, "drop-packet")) {
        behaviour_.dropPacket = *lost;
    } else if (line == "drop-byte") {
        behaviour_.dropNextByte = true;
    } else if (line == "layout A") {
        behaviour_.layout = frames::Layout::A;
    } else if (line == "layout B") {
        behaviour_.layout = frames::Layout::B;
    } else if (line == "layout C") {
        behaviour_.layout = frames::Layout::C;
    } else if (auto garbage = numberAfter(line, "garbage"); garbage && *garbage >= 0) {
        output_.emplace_back(static_cast<std::size_t>(*garbage), kGarbageByte);
    } else if (auto chunks = switchAfter(line, "chunks")) {
        chunks_ = *chunks;
    } else if (auto running = switchAfter(line, "engine")) {
        engine_.setRunning(*running);
    } else if (auto coolant = numberAfter(line, "coolant")) {
        engine_.setCoolant(*coolant, engineTime(now));
    } else if (line == "unplug") {
        result = ControlResult::Unplug;
    } else {
        note("unknown control line: " + line);
        return ControlResult::Unknown;
    }
    note("ok " + line);
    return result;
}

} // namespace orvel::sim
