#pragma once

#include "link/frames.h"

#include <cstdint>

// The numbers the scanner frames carry, worked out once: the window shows them
// and the drive recorder writes them, so both must agree to the last digit.
namespace orvel::scanvalues {

// Frame 29, bytes 4 and 5: the TPS count of the 10-bit converter.
[[nodiscard]] constexpr double tpsVolts(int raw) {
    return raw * 5 / 1023.0;
}
// Frame 29, byte 3: the lambda probe in tens of millivolts.
[[nodiscard]] constexpr int lambdaMillivolts(std::uint8_t b) {
    return b * 10;
}
// Frame 30, bytes 2 and 3: the injection time in tenths of a millisecond, shifted by two.
[[nodiscard]] constexpr int injectionTenths(std::uint8_t low, std::uint8_t high) {
    return frames::u16(low, high) >> 2;
}
// Frame 30, byte 4: the atmospheric pressure in steps of 20 mbar above 820.
[[nodiscard]] constexpr int atmosphericMbar(std::uint8_t b) {
    return b * 20 + 820;
}
// Frame 30, bytes 5 and 6: the ignition period. No RPM without a period or
// without the cylinder count (0 until a configuration is read or sent).
[[nodiscard]] constexpr int rpm(int period, int cylinders) {
    return period > 0 && cylinders > 0 ? 4'800'000 / cylinders / period : 0;
}
// The injector's duty in percent at that RPM and injection time.
[[nodiscard]] constexpr double injectorDuty(int rpmValue, int cylinders, double injectionMs) {
    return cylinders > 0 ? static_cast<double>(rpmValue) / cylinders * 20 * injectionMs / 100 / 30
                         : 0.0;
}

} // namespace orvel::scanvalues
