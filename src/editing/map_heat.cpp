#include "editing/map_heat.h"

#include "core/errors.h"
#include "model/number_text.h"

#include <algorithm>
#include <cmath>

namespace orvel::mapview {

namespace {

constexpr std::array<Stop, 5> kStops{{
    {0.0, {0, 0, 255}},
    {0.25, {0, 200, 255}},
    {0.5, {0, 210, 0}},
    {0.75, {255, 220, 0}},
    {1.0, {255, 0, 0}},
}};

std::uint8_t mix(std::uint8_t a, std::uint8_t b, double t) {
    return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
}

} // namespace

std::string cellKey(Map map, int cell) {
    return map == Map::Ignition ? config::ignitionKey(cell) : config::injectionKey(cell);
}

Cells readCells(const ControlStore& store, Map map) {
    Cells cells;
    for (int n = 0; n < config::kMapCells; ++n) {
        auto& cell = cells[static_cast<std::size_t>(n)];
        try {
            cell = numtext::parseDecimal(store.text(cellKey(map, n)));
        } catch (const ConversionError&) {
            cell.reset();
        }
        if (cell && !std::isfinite(*cell)) {
            cell.reset();
        }
    }
    return cells;
}

std::optional<Range> rangeOf(const Cells& cells) {
    std::optional<Range> range;
    for (const auto& cell : cells) {
        if (!cell) {
            continue;
        }
        if (!range) {
            range = Range{*cell, *cell};
        }
        range->low = std::min(range->low, *cell);
        range->high = std::max(range->high, *cell);
    }
    return range;
}

std::span<const Stop> scaleStops() {
    return kStops;
}

Rgb heatColor(double value, Range range) {
    const double span = range.high - range.low;
    const double at = span > 0 ? std::clamp((value - range.low) / span, 0.0, 1.0) : 0.5;
    for (std::size_t i = 1; i < kStops.size(); ++i) {
        if (at <= kStops[i].at) {
            const auto& a = kStops[i - 1];
            const auto& b = kStops[i];
            const double t = (at - a.at) / (b.at - a.at);
            return {mix(a.color.r, b.color.r, t), mix(a.color.g, b.color.g, t),
                    mix(a.color.b, b.color.b, t)};
        }
    }
    return kStops.back().color;
}

Rgb textColorOn(Rgb background) {
    // Relative luminance as the web's contrast rules define it; above about 0.18
    // black text contrasts more than white.
    auto linear = [](std::uint8_t channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * linear(background.r) + 0.7152 * linear(background.g) +
                             0.0722 * linear(background.b);
    return luminance > 0.179 ? colors::black : colors::white;
}

} // namespace orvel::mapview
