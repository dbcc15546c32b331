#include "support/sequence_module.h"

#include "link/frames.h"

namespace orvel::test::seq {

namespace {

using Data = std::array<std::uint8_t, 8>;

void append(std::vector<std::uint8_t>& out, int id, const Data& data) {
    const auto frame = frames::encodeFrame({static_cast<std::uint8_t>(id), data});
    out.insert(out.end(), frame.begin(), frame.end());
}

// A configuration every upload can send back: each value fits its packet byte.
Data configurationData(const ModulePlan& plan, int id) {
    const auto b = [](int v) { return static_cast<std::uint8_t>(v); };
    if (id <= 9) {
        return {b(10 + id), b(12 + id), b(14 + id), b(16 + id), 20, 22, 24, 26};
    }
    if (id <= 18) {
        return {b(20 + id), b(25 + id), b(30 + id), b(35 + id), 40, 45, 50, 55};
    }
    switch (id) {
    case 19:
    case 20:
    case 21:
        return {0, 2, 0xFE, 4, 0, 0, 1, 0xFF};
    case 22:
        return {0, 1, 2, 3, 0, 20, 5, 3};
    case 23:
        return {0, 0, 0, 60, 1, 2, 3, 0};
    case 24:
        return {15, 12, 90, 85, 10, 20, 15, 10};
    case 25:
        return {4, 0, 60, 0, 10, plan.closedValue, plan.openValue, 0};
    default:
        return {};
    }
}

void loseByte(std::vector<std::uint8_t>& bytes, int at) {
    if (at >= 0 && static_cast<std::size_t>(at) < bytes.size()) {
        bytes.erase(bytes.begin() + at);
    }
}

} // namespace

std::vector<std::uint8_t> configurationBytes(const ModulePlan& plan) {
    std::vector<std::uint8_t> out;
    out.reserve(26 * frames::kFrameSize);
    for (int id = 1; id <= frames::kLastConfigurationId; ++id) {
        append(out, id, configurationData(plan, id));
    }
    return out;
}

std::vector<std::uint8_t> scannerBytes(int tpsRaw) {
    std::vector<std::uint8_t> out;
    out.reserve(3 * frames::kFrameSize);
    append(out, 29,
           {80, 50, 0, 100, static_cast<std::uint8_t>(tpsRaw & 0xFF),
            static_cast<std::uint8_t>(tpsRaw >> 8), 3, 12});
    append(out, 30, {10, 14, 0x18, 0x01, 0, 0xB0, 0x04, 0});
    append(out, 31, {});
    return out;
}

std::vector<std::uint8_t> strayBytes(const ModulePlan& plan, Stray what, int tpsRaw) {
    std::vector<std::uint8_t> out;
    switch (what) {
    case Stray::ConfigFirst:
        append(out, 1, configurationData(plan, 1));
        break;
    case Stray::ConfigLast:
        append(out, frames::kLastConfigurationId, {});
        break;
    case Stray::Sensors:
        out = scannerBytes(tpsRaw);
        out.resize(frames::kFrameSize);
        break;
    case Stray::ScannerFrames:
        out = scannerBytes(tpsRaw);
        break;
    case Stray::BrokenFrame:
        append(out, 29, {});
        out.resize(5);
        break;
    }
    return out;
}

std::string Module::heard(std::span<const std::uint8_t> bytes, std::int64_t now,
                          std::vector<Delivery>& out) {
    const auto command = frames::decodeCommand(bytes);
    if (silent || !command) {
        return {};
    }
    if (*command == frames::Command::ReadConfig && !plan_.reads.empty()) {
        const ReadAnswer& a = plan_.reads[reads_++ % plan_.reads.size()];
        auto all = configurationBytes(plan_);
        loseByte(all, a.lostByte);
        using Mode = ReadAnswer::Mode;
        if (a.mode == Mode::AtOnce || a.mode == Mode::Late) {
            out.push_back({now + (a.mode == Mode::Late ? a.delayMs : 0), std::move(all)});
        } else if (a.mode == Mode::Chunks) {
            const std::size_t n = static_cast<std::size_t>(std::max(1, a.chunks));
            for (std::size_t i = 0; i < n; ++i) {
                const auto from = all.begin() + static_cast<long>(all.size() * i / n);
                const auto to = all.begin() + static_cast<long>(all.size() * (i + 1) / n);
                out.push_back({now + a.delayMs + static_cast<long>(i) * a.chunkGapMs, {from, to}});
            }
        }
        return "module " + describe(a);
    }
    if (*command == frames::Command::ScannerPoll && !plan_.polls.empty()) {
        const PollAnswer& a = plan_.polls[polls_++ % plan_.polls.size()];
        if (!a.answered) {
            return "module ignores the poll";
        }
        auto answer = scannerBytes(a.tpsRaw);
        loseByte(answer, a.lostByte);
        out.push_back({now + a.delayMs, std::move(answer)});
        // Worth telling: what fails the closed-throttle check, and damaged answers.
        if (a.lostByte >= 0 || a.tpsRaw > 255) {
            return "module answers the poll (TPS " + std::to_string(a.tpsRaw) + ")" +
                   (a.lostByte >= 0 ? ", losing a byte" : "");
        }
        return {};
    }
    return {};
}

} // namespace orvel::test::seq
