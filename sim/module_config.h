#pragma once

#include "wire.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What the module keeps in its memory: the raw bytes it receives in the upload
// packets and answers in the configuration frames.
namespace orvel::sim {

inline constexpr int kPacketCount = 32;
inline constexpr int kTemperaturePoints = 22; // 0, 5 ... 105 °C
inline constexpr int kPressurePoints = 10;    // 820, 840 ... 1000 mbar

using TemperatureTable = std::array<std::uint8_t, kTemperaturePoints>; // signed bytes
using PressureTable = std::array<std::uint8_t, kPressurePoints>;       // signed bytes
using Payloads = std::array<Data, kPacketCount>;                       // packets 1..32

struct ModuleConfig {
    std::array<std::uint8_t, 72> ignition{};  // degrees
    std::array<std::uint8_t, 72> injection{}; // tenths of a millisecond
    TemperatureTable ti{};
    TemperatureTable ig{};
    TemperatureTable ml{};
    PressureTable atm{};

    std::uint8_t probeLow = 0; // 10 mV units
    std::uint8_t probePartial = 0;
    std::uint8_t probeFull = 0;
    std::uint8_t probeType = 0;
    std::uint8_t probeCorrection = 0;
    std::uint8_t probeTemperature = 0;
    std::uint8_t probeMode = 0;

    std::uint8_t quickAccelSource = 0;
    std::uint8_t basicTenths = 0;
    std::uint8_t gain = 0;
    std::uint8_t decrement = 0;

    std::uint8_t cylinders = 0;
    std::uint8_t distributor = 0;
    std::uint8_t rpmLimitHundreds = 0;
    std::uint8_t mapCombination = 0;
    std::uint8_t crankingAdvance = 0;
    std::uint8_t tpsClosed = 0;
    std::uint8_t tpsOpen = 0; // quarter counts

    std::uint8_t cutOffOffHundreds = 0; // eDeslCutOff
    std::uint8_t cutOffOnHundreds = 0;  // eLigaCutOff
    std::uint8_t fanOn = 0;             // °C
    std::uint8_t fanOff = 0;
    std::uint8_t fanCorrectionTenths = 0;
    std::uint8_t fanPercent = 0;
    std::uint8_t acTenths = 0;
    std::uint8_t acPercent = 0;

    friend bool operator==(const ModuleConfig&, const ModuleConfig&) = default;
};

// The configuration from the texts of the program's fields, encoded as its upload
// would encode them (tables interpolated to 22 and 10 points). `text` gives the
// text of a parameter key, or of "TpsClosedValue" / "TpsOpenValue".
// Throws std::invalid_argument naming the field whose text cannot be encoded.
[[nodiscard]] ModuleConfig encodeTexts(const std::function<std::string(std::string_view)>& text);
// The program's start values.
[[nodiscard]] ModuleConfig defaultConfig();
// A map file's bytes (Windows-1252 line of 199 values).
[[nodiscard]] ModuleConfig configFromMapFile(std::string_view fileBytes);

// The upload's packets and the configuration they carry.
[[nodiscard]] Payloads toPackets(const ModuleConfig& config);
[[nodiscard]] ModuleConfig fromPackets(const Payloads& packets);

// Data of configuration frames 1..26 (index 0 is frame 1).
[[nodiscard]] std::array<Data, 26> configurationFrames(const ModuleConfig& config);

// The entered values at every third point with two interpolated points between
// each neighbouring pair; values are signed bytes, as the module stores them.
[[nodiscard]] std::vector<std::int8_t> interpolate(std::span<const std::int8_t> entered);

} // namespace orvel::sim
