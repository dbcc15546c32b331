#include "transfer/module_check.h"

#include "model/config.h"
#include "model/number_text.h"
#include "transfer/configuration_frames.h"

#include <string_view>

namespace orvel::modulecheck {

namespace {

// Where a value sits in the packets: packet number (1..32) and byte.
struct Slot {
    int packet = 0;
    int byte = 0;
};

constexpr std::array<std::string_view, 3> kCorrectionRows{"eCorrecaoTi", "eCorrecaoIg",
                                                          "eCorrecaoMl"};

// Point p of a table the upload spreads over packets from `first` on, 8 a packet.
Slot tablePoint(int first, int point) {
    return {first + point / 8, point % 8};
}

// The module keeps the packets' bytes and answers them rearranged: the tables
// at their entered points (every third), the probe, quick acceleration and
// engine settings regrouped by frame.
Slot slotOf(int frame, int byte) {
    if (frame >= 1 && frame <= 18) {
        return {frame, byte};
    }
    if (frame >= 19 && frame <= 21) {
        return tablePoint(19 + 3 * (frame - 19), 3 * byte);
    }
    switch (frame) {
    case 22: {
        constexpr std::array<Slot, 4> kRest{{{30, 1}, {30, 2}, {30, 3}, {30, 4}}};
        return byte < 4 ? tablePoint(28, 3 * byte) : kRest[static_cast<std::size_t>(byte - 4)];
    }
    case 23: {
        constexpr std::array<Slot, 8> k{
            {{29, 5}, {}, {30, 0}, {29, 7}, {29, 2}, {29, 3}, {29, 4}, {29, 6}}};
        return k[static_cast<std::size_t>(byte)];
    }
    case 24:
        return {32, byte};
    case 25: {
        constexpr std::array<Slot, 8> k{
            {{30, 5}, {30, 6}, {30, 7}, {31, 0}, {31, 1}, {31, 5}, {31, 6}, {}}};
        return k[static_cast<std::size_t>(byte)];
    }
    default:
        return {};
    }
}

std::string keyOf(int frame, int byte) {
    if (frame >= 1 && frame <= 9) {
        return config::ignitionKey(8 * (frame - 1) + byte);
    }
    if (frame >= 10 && frame <= 18) {
        return config::injectionKey(8 * (frame - 10) + byte);
    }
    if (frame >= 19 && frame <= 21) {
        return config::correctionKey(kCorrectionRows[static_cast<std::size_t>(frame - 19)], byte);
    }
    constexpr std::array<std::array<std::string_view, 8>, 4> kOthers{{
        {"eAtm820", "eAtm880", "eAtm940", "eAtm1000", "cbRapidaTpsxMap", "eBasico", "eGanho",
         "eDecremento"},
        {"cbSondaTipo", "", "cbSondaAtiva", "eSondaTemp", "eSondaLenta", "eSondaParcial",
         "eSondaPlena", "cbSondaCorrecao"},
        {"eDeslCutOff", "eLigaCutOff", "eLigaEletro", "eDesligaEletro", "emSCorrecaoEletro",
         "ePercEletro", "emSAr", "ePercentualAr"},
        {"cbCilindros", "cbTipoDistribuidor", "eLimiteRpm", "cbCombinacaoMapa", "eAvancoPartida",
         kTpsClosedKey, kTpsOpenKey, ""},
    }};
    if (frame >= 22 && frame <= 25) {
        return std::string(
            kOthers[static_cast<std::size_t>(frame - 22)][static_cast<std::size_t>(byte)]);
    }
    return {};
}

// A byte as a read would show it; a code no list item has, and the sensor's end
// points, as their number.
std::string shown(int frame, const FrameData& data, int byte, const std::string& key) {
    const DecodedFrame decoded =
        decodeConfigurationFrame(frames::ModuleFrame{static_cast<std::uint8_t>(frame), data});
    for (const auto& [name, text] : decoded.texts) {
        if (name == key) {
            return text;
        }
    }
    const int value = data[static_cast<std::size_t>(byte)];
    return key.starts_with("cb") ? "código " + numtext::formatInteger(value)
                                 : numtext::formatInteger(value);
}

} // namespace

StoredFrames storedFrames(const Packets& packets) {
    StoredFrames out{};
    for (int frame = 1; frame <= kFrames; ++frame) {
        for (int byte = 0; byte < 8; ++byte) {
            const Slot s = slotOf(frame, byte);
            if (s.packet >= frames::kFirstPacket && s.packet <= frames::kLastPacket) {
                out[static_cast<std::size_t>(frame - 1)][static_cast<std::size_t>(byte)] =
                    packets[static_cast<std::size_t>(s.packet - 1)]
                        .payload[static_cast<std::size_t>(s.byte)];
            }
        }
    }
    return out;
}

ByteOrigin originOf(int frame, int byte) {
    std::string key = keyOf(frame, byte);
    const int packet = key.empty() ? 0 : slotOf(frame, byte).packet;
    return {std::move(key), packet};
}

Outcome compare(const StoredFrames& expected, const ReceivedFrames& received) {
    Outcome out;
    for (int frame = 1; frame <= kFrames; ++frame) {
        const auto index = static_cast<std::size_t>(frame - 1);
        if (!received[index]) {
            out.missingFrames.push_back(frame);
            continue;
        }
        const FrameData& want = expected[index];
        const FrameData& got = *received[index];
        for (int byte = 0; byte < 8; ++byte) {
            const auto b = static_cast<std::size_t>(byte);
            ByteOrigin origin = originOf(frame, byte);
            if (origin.key.empty() || want[b] == got[b]) {
                continue;
            }
            out.differences.push_back({origin.key, origin.packet,
                                       shown(frame, want, byte, origin.key),
                                       shown(frame, got, byte, origin.key)});
        }
    }
    return out;
}

} // namespace orvel::modulecheck
