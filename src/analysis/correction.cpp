#include "analysis/correction.h"

#include "analysis/cell_weights.h"
#include "core/control_store.h"
#include "link/frames.h"
#include "model/config.h"
#include "model/number_text.h"
#include "recording/recording.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orvel::analysis {

namespace {

namespace col = recording::col;

constexpr std::array<std::string_view, kFilterCount> kFilterNames{
    "Motor parado (RPM 0)",    "Corte de injeção (Ti 0)",   "Motor frio (abaixo da sonda)",
    "Acelerador em movimento", "Logo após mudar de célula", "Fora do mapa"};

// Steps through a recording's sets in order and says which rule, if any, leaves
// a set out. Throttle speed is judged against the previous set; the settling
// time starts at the first set and again at every change of the current cell.
class RowFilter {
public:
    RowFilter(const recording::Recording& r, const MapContext& own, const Options& options)
        : r_(r), own_(own), options_(options) {}

    std::optional<Filter> check(std::size_t row, int rpmPosition, int loadPosition) {
        const double t = r_.time(row);
        // A set without frame 29 (only at a session's start) keeps the last throttle.
        const double tps =
            r_.known(col::tpsVolts, row) ? r_.value(col::tpsVolts, row) : previousTps_;
        const int cell = rpmPosition < 0 ? -1
                                         : rpmPosition / kStepsPerCell * config::kMapColumns +
                                               loadPosition / kStepsPerCell;
        const bool moving =
            row > 0 && std::abs(tps - previousTps_) >
                           options_.maxTpsVoltsPerSecond * std::max(t - previousTime_, 1e-3);
        if (row == 0 || cell != previousCell_) {
            cellSince_ = t;
        }
        previousTps_ = tps;
        previousTime_ = t;
        previousCell_ = cell;

        // The period, not the RPM column: the RPM is unknown while the cylinder
        // count was, and the period tells a running engine all the same.
        if (ignitionPeriod(row) == 0) {
            return Filter::EngineStopped;
        }
        if (r_.value(col::ti, row) <= 0) {
            return Filter::InjectionCut;
        }
        if (!r_.known(col::temperature, row) ||
            r_.value(col::temperature, row) < own_.probeTemperatureC) {
            return Filter::Cold; // not known to be warm enough
        }
        if (moving) {
            return Filter::ThrottleMoving;
        }
        if (t - cellSince_ < options_.settleSeconds) {
            return Filter::Settling;
        }
        return std::nullopt;
    }

private:
    // Frame 30's period; 0 when the set has no frame 30.
    [[nodiscard]] int ignitionPeriod(std::size_t row) const {
        const auto engine = r_.frames(row)[1];
        return engine.id == 30 ? frames::u16(engine.data[5], engine.data[6]) : 0;
    }

    const recording::Recording& r_;
    const MapContext& own_;
    const Options& options_;
    double previousTps_ = 0;
    double previousTime_ = 0;
    int previousCell_ = -1;
    double cellSince_ = 0;
};

} // namespace

std::string_view filterName(Filter filter) {
    return kFilterNames[static_cast<std::size_t>(filter)];
}

double correctedCell(double ms, double correctionPercent) {
    const double value = ms * (1 + correctionPercent / 100);
    const double tenth = numtext::parseDecimal(numtext::formatPattern(value, "0.0"));
    return std::clamp(tenth, kInjectionMinimumMs, kInjectionMaximumMs);
}

std::string cellText(double ms) {
    return numtext::formatPattern(ms, "0.0");
}

void Analysis::add(const recording::Recording& recording, const MapContext& own,
                   const MapContext& window) {
    if (own.cylinders != window.cylinders) {
        throw AnalysisError("O registro foi feito com " + std::to_string(own.cylinders) +
                            " cilindros e o mapa da janela tem " +
                            std::to_string(window.cylinders));
    }
    mapsDiffer_ = mapsDiffer_ || !own.sameInjectionMap(window);
    RowFilter filter(recording, own, options_);
    for (std::size_t row = 0; row < recording.rows(); ++row) {
        ++counts_.total;
        // Positions are whole steps: their fixed point is the value.
        const int rpmPosition = recording.fixedValue(col::rpmPosition, row);
        const int loadPosition = recording.fixedValue(col::loadPosition, row);
        std::optional<Filter> out = filter.check(row, rpmPosition, loadPosition);
        const Spread spread = spreadOf(rpmPosition, loadPosition);
        if (!out && spread.count == 0) {
            out = Filter::OffMap;
        }
        if (out) {
            ++counts_.excluded[static_cast<std::size_t>(*out)];
            continue;
        }
        ++counts_.used;
        const double shortTrim = recording.value(col::shortTrim, row);
        const double longTrim = recording.value(col::longTrim, row);
        const double lambda = recording.value(col::lambdaMv, row);
        for (int i = 0; i < spread.count; ++i) {
            const auto& [cell, w] = spread.cells[static_cast<std::size_t>(i)];
            auto& s = sums_[static_cast<std::size_t>(cell)];
            s.weight += w;
            s.shortTrim += w * shortTrim;
            s.longTrim += w * longTrim;
            s.lambdaMv += w * lambda;
            s.ownMs += w * own.injectionMs[static_cast<std::size_t>(cell)];
        }
    }
}

Proposal Analysis::propose(const MapContext& window) const {
    Proposal p;
    p.counts = counts_;
    p.mapsDiffer = mapsDiffer_;
    const double limit = std::abs(options_.maxCorrectionPercent);
    for (std::size_t n = 0; n < sums_.size(); ++n) {
        const Sums& s = sums_[n];
        CellResult& c = p.cells[n];
        c.current = window.injectionMs[n];
        c.proposed = c.current;
        c.samples = s.weight;
        if (s.weight <= 0) {
            continue;
        }
        c.meanShort = s.shortTrim / s.weight;
        c.meanLong = s.longTrim / s.weight;
        c.meanLambdaMv = s.lambdaMv / s.weight;
        if (s.weight + 1e-9 < options_.minSamples) {
            continue;
        }
        const double wanted = c.meanShort + c.meanLong;
        c.correctionPercent = std::clamp(wanted, -limit, limit);
        c.clamped = c.correctionPercent != wanted;
        c.proposed = correctedCell(s.ownMs / s.weight, c.correctionPercent);
        c.covered = true;
        ++p.coveredCells;
    }
    if (p.coveredCells == 0) {
        throw AnalysisError("Nenhuma célula tem amostras suficientes (mínimo " +
                            numtext::formatGeneral(options_.minSamples) + ") em " +
                            std::to_string(counts_.used) + " de " + std::to_string(counts_.total) +
                            " leituras aproveitadas");
    }
    return p;
}

std::vector<std::pair<std::string, std::string>> cellChanges(const Proposal& proposal,
                                                             const std::array<bool, 72>& excluded) {
    std::vector<std::pair<std::string, std::string>> changes;
    for (std::size_t n = 0; n < proposal.cells.size(); ++n) {
        const CellResult& c = proposal.cells[n];
        if (!c.covered || excluded[n]) {
            continue;
        }
        const std::string text = cellText(c.proposed);
        if (text != cellText(c.current)) {
            changes.emplace_back(config::injectionKey(static_cast<int>(n)), text);
        }
    }
    return changes;
}

void applyChanges(ControlStore& store,
                  const std::vector<std::pair<std::string, std::string>>& changes) {
    for (const auto& [key, text] : changes) {
        store.setText(key, text);
    }
}

} // namespace orvel::analysis
