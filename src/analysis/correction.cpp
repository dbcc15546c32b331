#include "analysis/correction.h"

#include "analysis/cell_weights.h"
#include "analysis/rpm_offset.h"
#include "analysis/set_filter.h"
#include "core/control_store.h"
#include "model/config.h"
#include "model/number_text.h"
#include "recording/recording.h"

#include <algorithm>
#include <cmath>

namespace orvel::analysis {

namespace {

namespace col = recording::col;

constexpr std::array<std::string_view, kFilterCount> kFilterNames{
    "Motor parado (RPM 0)",
    "Corte de injeção (Ti 0)",
    "Motor frio (abaixo da sonda)",
    "Sonda desativada (Sonda Ativa)",
    "Acelerador em movimento",
    "Motor ainda não parado num ponto",
    "Correção da sonda no limite (±25 %)",
    "Fora do mapa"};

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
    SetFilter filter(recording, own, options_);
    for (std::size_t row = 0; row < recording.rows(); ++row) {
        ++counts_.total;
        // Positions are whole steps: their fixed point is the value.
        const int rpmPosition = recording.fixedValue(col::rpmPosition, row);
        const int loadPosition = recording.fixedValue(col::loadPosition, row);
        auto [out, seconds] = filter.check(row, rpmPosition, loadPosition);
        const Spread spread = spreadOf(rpmPosition, loadPosition);
        if (!out && spread.count == 0) {
            out = Filter::OffMap;
        }
        if (out) {
            ++counts_.excluded[static_cast<std::size_t>(*out)];
            continue;
        }
        ++counts_.used;
        counts_.steadySeconds += seconds;
        const double shortTrim = recording.value(col::shortTrim, row);
        const double longTrim = recording.value(col::longTrim, row);
        const double lambda = recording.value(col::lambdaMv, row);
        const double trims = shortTrim + longTrim;
        const double factor =
            recording.known(col::rpm, row)
                ? rpmOffsetFactor(own, recording.value(col::rpm, row), rpmPosition, loadPosition)
                : 1.0;
        const double rpmOffset = ((1 + trims / 100) * factor - 1) * 100 - trims; // per cent
        for (int i = 0; i < spread.count; ++i) {
            const auto& [cell, w] = spread.cells[static_cast<std::size_t>(i)];
            const double ws = w * seconds;
            auto& s = sums_[static_cast<std::size_t>(cell)];
            s.seconds += ws;
            s.shortTrim += ws * shortTrim;
            s.longTrim += ws * longTrim;
            s.lambdaMv += ws * lambda;
            s.rpmOffset += ws * rpmOffset;
            s.ownMs += ws * own.injectionMs[static_cast<std::size_t>(cell)];
        }
    }
}

Proposal Analysis::propose(const MapContext& window) const {
    Proposal p;
    p.counts = counts_;
    p.mapsDiffer = mapsDiffer_;
    p.minSeconds = options_.minSeconds;
    p.tolerancePercent = options_.tolerancePercent;
    const double limit = std::abs(options_.maxCorrectionPercent);
    for (std::size_t n = 0; n < sums_.size(); ++n) {
        const Sums& s = sums_[n];
        CellResult& c = p.cells[n];
        c.current = window.injectionMs[n];
        c.proposed = c.current;
        c.seconds = s.seconds;
        if (s.seconds <= 0) {
            continue;
        }
        c.meanShort = s.shortTrim / s.seconds;
        c.meanLong = s.longTrim / s.seconds;
        c.meanLambdaMv = s.lambdaMv / s.seconds;
        c.meanRpmOffset = s.rpmOffset / s.seconds;
        if (s.seconds + 1e-9 < options_.minSeconds) {
            continue;
        }
        const double own = s.ownMs / s.seconds;
        const double wanted = c.meanShort + c.meanLong + c.meanRpmOffset;
        c.correctionPercent = std::clamp(wanted, -limit, limit);
        c.clamped = c.correctionPercent != wanted;
        c.covered = true;
        ++p.coveredCells;
        const double candidate = correctedCell(own, c.correctionPercent);
        if (cellText(candidate) == cellText(c.current)) {
            continue;
        }
        // Both errors against the need measured, unclamped: a clamped cell is far off.
        const double need = own * (1 + wanted / 100);
        const auto errorAt = [need](double ms) { return std::abs(need / ms - 1) * 100; };
        if (c.current > 0 &&
            errorAt(c.current) - errorAt(candidate) <= options_.tolerancePercent + 1e-9) {
            c.withinTolerance = true;
            ++p.withinTolerance;
            continue;
        }
        c.proposed = candidate;
    }
    return p;
}

std::string noCoverageText(const Proposal& p) {
    double most = 0;
    for (const auto& c : p.cells) {
        most = std::max(most, c.seconds);
    }
    return "Nenhuma célula tem leitura estável suficiente (mínimo " +
           numtext::formatPattern(p.minSeconds, "0.0") + " s; a melhor tem " +
           numtext::formatPattern(most, "0.0") + " s). Aproveitadas " +
           std::to_string(p.counts.used) + " de " + std::to_string(p.counts.total) +
           " leituras; veja acima o que deixou as outras de fora.";
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
