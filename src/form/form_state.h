#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace orvel {

// The values an upload click prepares from the fields and packets 19..32 send.
// A download also sets the cylinder count.
struct UploadValues {
    std::array<std::int8_t, 22> tiCorrectionTable{};
    std::array<std::int8_t, 22> igCorrectionTable{};
    std::array<std::int8_t, 22> mlCorrectionTable{};
    std::array<std::int8_t, 10> atmCorrectionTable{};
    int cylinderCount = 0; // 0 until a configuration has been read or sent
    int probeCorrectionCode = 5;
    int mapCombinationCode = 0;
    int quickAccelSourceCode = 0;
    int probeModeCode = 0;
    int probeTypeCode = 0;
    int distributorCode = 0;
    int fanCorrectionTenths = 0;
};

// The named values that live beside the window's fields (what runs is the
// activity's).
struct FormState : UploadValues {
    // Upload pace
    std::uint16_t uploadTick = 0;

    // TPS end points (part of the configuration, not field texts)
    int tpsClosedValue = 130;
    int tpsOpenValue = 230;

    // Live scanner
    bool frameReceived = false;
    int loadPosition = 0;
    int rpmPosition = 0;
    double injectionTimeMs = 0;
    double injectorDuty = 0;
    std::array<std::optional<int>, 4> highlightedCells{};
    int tpsRawValue = 0;
    double tpsVoltage = 0;

    // Map tools
    int tpsCalibrationFrameCount = 0;
    int tpsCalibrationTick = 0;
    std::array<double, 72> calibrationBackup{};
};

} // namespace orvel
