#pragma once

#include "engine_model.h"
#include "fuel_loop.h"
#include "module_config.h"
#include "wire.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The module's behaviour, bytes in and bytes out, with no port and no clock of
// its own: the caller passes the time, so tests drive it directly.
namespace orvel::sim {

struct Behaviour {
    bool silent = false;
    frames::Layout layout = frames::Layout::A;
    bool dropNextByte = false;
    std::size_t garbageBeforeFirstAnswer = 0;
    // Throttle counts for the TPS calibration: the first scanner session reads
    // `tpsClosed`, later ones `tpsOpen`. `tpsFixed` wins over both.
    std::optional<int> tpsClosed;
    std::optional<int> tpsOpen;
    std::optional<int> tpsFixed;
    // Faults of the line during an upload, each for the next packet of that number
    // only: one of its bytes arrives changed, or the whole packet never arrives.
    std::optional<int> corruptPacket;
    std::optional<int> dropPacket;
    // The engine runs this many times faster: each poll brings as many more sets,
    // each still 200 ms of the engine's time.
    int timeScale = 1;
};

enum class ControlResult { Done, Unplug, Unknown };

class SimulatedModule {
public:
    using Time = std::chrono::microseconds;
    static constexpr int kSetsPerPoll = 5;
    static constexpr Time kSetInterval{200'000};

    SimulatedModule(ModuleConfig config, Behaviour behaviour, EngineModel engine = EngineModel(),
                    FuelError fuelError = noFuelError());

    // Bytes from the program, in order; answers are queued for takeOutput().
    void receive(std::span<const std::uint8_t> bytes, Time now);
    // Queues the scanner sets that are due by now.
    void advance(Time now);
    // When advance() next has work, if a scanner session is running.
    [[nodiscard]] std::optional<Time> nextDue() const;
    // Pieces to put on the line, oldest first (one per frame, garbage run or lost-byte frame).
    [[nodiscard]] std::vector<Bytes> takeOutput();

    // The program closed the port: half-received messages and live values end there.
    void disconnected();

    // A control line ("tps 300", "silent on", "layout B" ...).
    ControlResult control(std::string_view line, Time now);

    [[nodiscard]] const ModuleConfig& config() const { return config_; }
    [[nodiscard]] const Behaviour& behaviour() const { return behaviour_; }
    [[nodiscard]] bool scannerRunning() const { return setsLeft_ > 0; }
    [[nodiscard]] int packetsHeld() const;
    [[nodiscard]] EngineModel& engine() { return engine_; }
    // Set by the chunked-output control lines; the pacer reads it.
    [[nodiscard]] bool chunks() const { return chunks_; }
    void setChunks(bool on) { chunks_ = on; }

    // One line per event the module notices, for the console and for tests.
    std::function<void(const std::string&)> log;

private:
    void handleCommand(std::uint8_t command, Time now);
    void handlePacket(std::span<const std::uint8_t> bytes);
    void endUpload();
    void sendFrame(std::uint8_t id, const Data& data);
    void sendScannerSet(Time now);
    void note(const std::string& line) const;
    [[nodiscard]] Time engineTime(Time now) const { return now * behaviour_.timeScale; }

    ModuleConfig config_;
    Behaviour behaviour_;
    EngineModel engine_;
    FuelLoop fuel_;
    Bytes input_;
    std::array<std::optional<Data>, kPacketCount> packets_{};
    std::vector<Bytes> output_;
    int setsLeft_ = 0;
    Time nextSetAt_{0};
    int stopsSeen_ = 0;
    bool sessionOpen_ = false;
    bool chunks_ = false;
};

} // namespace orvel::sim
