#include "transfer/upload.h"

#include "core/control_store.h"
#include "core/errors.h"
#include "core/platform.h"
#include "link/serial_port_controller.h"
#include "model/config.h"
#include "model/number_text.h"

#include <string>

namespace orvel {

namespace {

constexpr std::array<std::string_view, 3> kCorrectionRows{"eCorrecaoTi", "eCorrecaoIg",
                                                          "eCorrecaoMl"};

// Reads field texts as the packets need them. Whatever fails puts the focus on
// its field first, so the user sees which value to mend.
class FieldReader {
public:
    explicit FieldReader(ControlStore& controls) : controls_(controls) {}

    [[nodiscard]] int integer(std::string_view key) const {
        try {
            return numtext::parseInteger(controls_.text(key));
        } catch (const ConversionError&) {
            controls_.focus(key);
            throw;
        }
    }

    // One-decimal fields travel in tenths; 3,55 fails as "35,5" is not whole.
    [[nodiscard]] int tenths(std::string_view key) const {
        try {
            return numtext::parseTenths(controls_.text(key));
        } catch (const ConversionError&) {
            controls_.focus(key);
            throw;
        }
    }

    // A value that does not fit its byte would reach the module as another number.
    [[nodiscard]] std::uint8_t unsignedByte(int value, std::string_view key) const {
        if (value < 0 || value > 255) {
            refuse(value, "(0 a 255)", key);
        }
        return static_cast<std::uint8_t>(value);
    }

    [[nodiscard]] std::int8_t signedByte(int value, std::string_view key) const {
        if (value < -128 || value > 127) {
            refuse(value, "(-128 a 127)", key);
        }
        return static_cast<std::int8_t>(value);
    }

    [[nodiscard]] std::uint8_t integerByte(std::string_view key, int divisor = 1) const {
        return unsignedByte(integer(key) / divisor, key);
    }
    [[nodiscard]] std::uint8_t tenthsByte(std::string_view key) const {
        return unsignedByte(tenths(key), key);
    }

private:
    // The message shows the number that would be sent, the one the range is about.
    [[noreturn]] void refuse(int value, std::string_view range, std::string_view key) const {
        if (!key.empty()) {
            controls_.focus(key);
        }
        throw RefusedError(" Atenção ! !  Valor fora da faixa " + std::string(range) + ": " +
                           numtext::formatInteger(value) + " ");
    }

    ControlStore& controls_;
};

// Two values in between each pair of entered points, truncated toward zero.
template <std::size_t N> void interpolate(std::array<std::int8_t, N>& table) {
    for (std::size_t b = 0; b + 3 < N; b += 3) {
        const int left = table[b];
        const int right = table[b + 3];
        table[b + 1] = static_cast<std::int8_t>(left + (right - left) / 3);
        table[b + 2] = static_cast<std::int8_t>(left + 2 * (right - left) / 3);
    }
}

void setCode(int& code, std::string_view list, const ControlStore& controls) {
    if (auto value = config::codeOf(list, controls.text(list))) {
        code = *value;
    }
}

std::uint8_t wire(std::int8_t value) {
    return static_cast<std::uint8_t>(value);
}

} // namespace

void Upload::btnEnviaClick() {
    if (activity_.mayTransfer()) {
        start(Activity::Upload::User);
    }
}

void Upload::startForTpsCalibration() {
    // Its scanner is off by now; polls between the packets would spoil them.
    if (activity_.portOpen() && !activity_.uploading() && !activity_.receiving() &&
        !activity_.scanning()) {
        start(Activity::Upload::Tps);
    }
}

std::array<frames::ConfigPacket, frames::kLastPacket> Upload::packetsFromWindow() const {
    return packetsFor(prepare());
}

std::array<frames::ConfigPacket, frames::kLastPacket>
Upload::packetsFor(const UploadValues& values) const {
    std::array<frames::ConfigPacket, frames::kLastPacket> packets{};
    for (int k = frames::kFirstPacket; k <= frames::kLastPacket; ++k) {
        packets[static_cast<std::size_t>(k - 1)] = buildPacket(k, values);
    }
    return packets;
}

void Upload::start(Activity::Upload owner) {
    const UploadValues values = prepare();
    // Every value is checked before anything is shown or sent: an upload that
    // stops half-way would leave the module with a mixed configuration.
    const auto packets = packetsFor(values);
    hooks_.beforeStart();
    packets_ = packets;
    static_cast<UploadValues&>(state_) = values;
    if (hooks_.started) {
        hooks_.started();
    }

    // During the TPS procedure the bars keep what it shows.
    if (activity_.tps() == Activity::Tps::None) {
        for (auto bar : {"pbCarregando", "pbCarregando1"}) {
            controls_.setPosition(bar, 0);
            controls_.setMin(bar, 0);
            controls_.setMax(bar, kBarMaximum);
        }
    }
    activity_.uploadStarted(owner);
    pace_.setInterval(kFirstTickMs);
    pace_.setEnabled(true);
    state_.uploadTick = 0;
}

void Upload::Timer2Timer() {
    pace_.setInterval(kTickMs);
    auto& s = state_;
    ++s.uploadTick;
    controls_.setPosition("pbCarregando", s.uploadTick);
    controls_.setPosition("pbCarregando1", s.uploadTick);
    if (!activity_.uploading() || !port_.lineOpen()) {
        finish(false); // the line failed under the upload: its notice says so and closes
        return;
    }
    const int tick = s.uploadTick;
    try {
        if (tick >= frames::kFirstPacket && tick <= frames::kLastPacket) {
            port_.send(frames::encodePacket(packets_[static_cast<std::size_t>(tick - 1)]));
            if (tick == 31) {
                controls_.setRange("BarraTps", s.tpsClosedValue / 4, s.tpsOpenValue);
            }
        } else if (tick == kEndTick) {
            port_.send(frames::encodeCommand(frames::Command::UploadEnd));
            finish(true);
        }
    } catch (const OrvelError&) {
        // A failed write: the rest would go out without it, so the upload stops here.
        finish(false);
        throw;
    }
}

void Upload::abort() {
    if (activity_.uploading()) {
        finish(false);
    }
}

void Upload::finish(bool completed) {
    pace_.setEnabled(false);
    if (!activity_.uploading()) {
        return;
    }
    const bool forTps = activity_.upload() == Activity::Upload::Tps;
    activity_.uploadEnded();
    if (completed) {
        lastSent_ = packets_;
    }
    if (completed && hooks_.sent) {
        hooks_.sent();
    }
    if (forTps) {
        hooks_.tpsUploadEnded(completed);
    }
}

frames::ConfigPacket Upload::buildPacket(int number) const {
    return buildPacket(number, state_);
}

UploadValues Upload::prepare() const {
    const FieldReader read(controls_);
    // Unknown list texts keep the codes of the last click.
    UploadValues p = static_cast<const UploadValues&>(state_);
    p.fanCorrectionTenths = read.tenths("emSCorrecaoEletro");

    auto enter = [&](auto& table, std::size_t point, std::string_view key) {
        table[point] = read.signedByte(read.integer(key), key);
    };
    auto enterRow = [&](std::array<std::int8_t, 22>& table, std::string_view row) {
        for (int column = 0; column < 8; ++column) {
            enter(table, 3 * static_cast<std::size_t>(column), config::correctionKey(row, column));
        }
    };
    enterRow(p.tiCorrectionTable, kCorrectionRows[0]);
    enterRow(p.igCorrectionTable, kCorrectionRows[1]);
    enterRow(p.mlCorrectionTable, kCorrectionRows[2]);
    for (std::size_t i = 0; i < config::kPressureKeys.size(); ++i) {
        enter(p.atmCorrectionTable, 3 * i, config::kPressureKeys[i]);
    }
    interpolate(p.tiCorrectionTable);
    interpolate(p.igCorrectionTable);
    interpolate(p.mlCorrectionTable);
    interpolate(p.atmCorrectionTable);

    const auto& c = controls_;
    setCode(p.probeCorrectionCode, "cbSondaCorrecao", c);
    setCode(p.mapCombinationCode, "cbCombinacaoMapa", c);
    setCode(p.quickAccelSourceCode, "cbRapidaTpsxMap", c);
    setCode(p.probeModeCode, "cbSondaAtiva", c);
    setCode(p.probeTypeCode, "cbSondaTipo", c);
    setCode(p.cylinderCount, "cbCilindros", c);
    setCode(p.distributorCode, "cbTipoDistribuidor", c);
    return p;
}

frames::ConfigPacket Upload::buildPacket(int number, const UploadValues& p) const {
    const FieldReader read(controls_);
    const auto& s = state_;
    frames::ConfigPacket packet{static_cast<std::uint8_t>(number), {}};
    auto& d = packet.payload;
    // Values no field holds: nothing to focus.
    auto program = [&](int value) { return read.unsignedByte(value, {}); };

    if (number >= 1 && number <= 9) {
        for (int i = 0; i < 8; ++i) {
            d[i] = read.integerByte(config::ignitionKey(8 * (number - 1) + i));
        }
    } else if (number >= 10 && number <= 18) {
        if (activity_.percent()) {
            // The module takes the cells as milliseconds.
            controls_.focus("btnmS");
            throw RefusedError(" Atenção ! !  O mapa de injeção está em \" % \". Converta para "
                               "Ti \" mS \" antes de enviar.  ");
        }
        for (int i = 0; i < 8; ++i) {
            d[i] = read.tenthsByte(config::injectionKey(8 * (number - 10) + i));
        }
    } else if (number >= 19 && number <= 27) {
        const auto& table = number <= 21   ? p.tiCorrectionTable
                            : number <= 24 ? p.igCorrectionTable
                                           : p.mlCorrectionTable;
        const std::size_t first = 8 * static_cast<std::size_t>((number - 19) % 3);
        for (std::size_t i = 0; i < 8 && first + i < table.size(); ++i) {
            d[i] = wire(table[first + i]);
        }
    } else if (number == 28) {
        for (std::size_t i = 0; i < 8; ++i) {
            d[i] = wire(p.atmCorrectionTable[i]);
        }
    } else if (number == 29) {
        d = {wire(p.atmCorrectionTable[8]),       wire(p.atmCorrectionTable[9]),
             read.integerByte("eSondaLenta", 10), read.integerByte("eSondaParcial", 10),
             read.integerByte("eSondaPlena", 10), program(p.probeTypeCode),
             program(p.probeCorrectionCode),      read.integerByte("eSondaTemp")};
    } else if (number == 30) {
        // No count yet (nothing read or sent, and a list text that is no item):
        // the module would work its engine speed out with no cylinders.
        if (p.cylinderCount < 1) {
            controls_.focus("cbCilindros");
            throw RefusedError(" Atenção ! !  Número de cilindros inválido: " +
                               numtext::formatInteger(p.cylinderCount) + " ");
        }
        d = {program(p.probeModeCode),        program(p.quickAccelSourceCode),
             read.tenthsByte("eBasico"),      read.integerByte("eGanho"),
             read.integerByte("eDecremento"), program(p.cylinderCount),
             program(p.distributorCode),      read.integerByte("eLimiteRpm", 100)};
    } else if (number == 31) {
        d = {program(p.mapCombinationCode),
             read.integerByte("eAvancoPartida"),
             1,
             1,
             1,
             program(s.tpsClosedValue),
             program(s.tpsOpenValue),
             0};
    } else if (number == 32) {
        d = {read.integerByte("eDeslCutOff", 100),
             read.integerByte("eLigaCutOff", 100),
             read.integerByte("eLigaEletro"),
             read.integerByte("eDesligaEletro"),
             read.unsignedByte(p.fanCorrectionTenths, "emSCorrecaoEletro"),
             read.integerByte("ePercEletro"),
             read.tenthsByte("emSAr"),
             read.integerByte("ePercentualAr")};
    }
    return packet;
}

} // namespace orvel
