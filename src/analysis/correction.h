#pragma once

#include "analysis/map_context.h"
#include "core/errors.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvel {
class ControlStore;
}

namespace orvel::recording {
class Recording;
}

namespace orvel::analysis {

// Input that gives no proposal (a message for the user).
class AnalysisError : public OrvelError {
public:
    using OrvelError::OrvelError;
};

// Times are the engine's: a recording made against the simulator's
// `--time-scale N` runs N engine seconds per recorded second (timeScale N).
struct Options {
    double maxCorrectionPercent = 15; // per pass, either way
    // Seconds of steady running, shared between cells as the sets are, that a cell
    // needs for a proposal: a cell the engine only passes through gains none however
    // long the drive, while each minute of cruising adds a minute.
    double minSeconds = 4;
    double maxTpsVoltsPerSecond = 0.5;
    // How long the RPM and load positions must have stayed within one step of each
    // other before a set describes that point of the map.
    double settleSeconds = 2;
    double timeScale = 1;
    // A cell changes only when its new tenth comes closer to the need the trims
    // measured by more than this. The module reports its long trim in whole per
    // cent (half a per cent either way) and its loop sits a little off the probe's
    // target: a smaller gain may as well be a loss.
    double tolerancePercent = 0.5;
};

// The trims' range in the module: a trim there has run out of authority, so the
// set says the error is at least that much, not what it is.
inline constexpr double kTrimLimitPercent = 25;
// A gap between sets longer than this (engine seconds) breaks a steady stretch.
inline constexpr double kLongestSetGapSeconds = 1;

// Why a set is left out; each has its own counter. A set is counted under the
// first rule it breaks, in this order.
enum class Filter {
    EngineStopped,
    InjectionCut,
    Cold,
    ProbeOff,
    ThrottleMoving,
    Settling,
    TrimAtLimit,
    OffMap
};
inline constexpr std::size_t kFilterCount = 8;
[[nodiscard]] std::string_view filterName(Filter filter);

struct FilterCounts {
    std::array<std::size_t, kFilterCount> excluded{};
    std::size_t used = 0;
    std::size_t total = 0;
    double steadySeconds = 0; // engine seconds of the sets used
    [[nodiscard]] std::size_t of(Filter f) const { return excluded[static_cast<std::size_t>(f)]; }
};

struct CellResult {
    double seconds = 0; // weighted seconds of steady running
    double meanShort = 0;
    double meanLong = 0;
    double meanLambdaMv = 0;
    double meanRpmOffset = 0; // per cent the RPM's offset from its step adds
    double current = 0;       // the window's value, ms
    bool covered = false;
    bool clamped = false;
    // Covered, but its new tenth would not bring it closer to the need by more
    // than the tolerance: it keeps its value.
    bool withinTolerance = false;
    double correctionPercent = 0; // after clamping
    double proposed = 0;          // ms, at the map's tenth
    [[nodiscard]] double changePercent() const {
        return current > 0 ? (proposed / current - 1) * 100 : 0;
    }
};

struct Proposal {
    std::array<CellResult, 72> cells{};
    FilterCounts counts;
    bool mapsDiffer = false; // some recording ran with another injection map
    int coveredCells = 0;
    int withinTolerance = 0;
    double minSeconds = 0;
    double tolerancePercent = 0;
};

// Why a proposal covers no cell, with the numbers that say how close it came.
[[nodiscard]] std::string noCoverageText(const Proposal& proposal);

// A cell's value after a correction: rounded to the tenth the map shows (halves
// away from zero) and kept within what an injection cell accepts.
[[nodiscard]] double correctedCell(double ms, double correctionPercent);
// The text an injection cell receives for a proposed value.
[[nodiscard]] std::string cellText(double ms);

// Collects the steady closed-loop sets of recordings, cell by cell.
class Analysis {
public:
    explicit Analysis(Options options = {}) : options_(options) {}

    // One recording and the configuration it ran with. Throws AnalysisError when
    // its cylinder count differs from `window`'s.
    void add(const recording::Recording& recording, const MapContext& own,
             const MapContext& window);

    // The proposed map for `window`. Each covered cell is corrected against the
    // maps its sets ran with (their weighted mean, so the window's own value when
    // every recording ran with it). No cell may be covered (coveredCells 0).
    [[nodiscard]] Proposal propose(const MapContext& window) const;

    [[nodiscard]] const FilterCounts& counts() const { return counts_; }

private:
    struct Sums {
        double seconds = 0;
        double shortTrim = 0;
        double longTrim = 0;
        double lambdaMv = 0;
        double rpmOffset = 0;
        double ownMs = 0;
    };
    Options options_;
    std::array<Sums, 72> sums_{};
    FilterCounts counts_;
    bool mapsDiffer_ = false;
};

// The cell texts "Aplicar" writes: (injection key, text) for every covered cell
// not excluded whose text changes.
[[nodiscard]] std::vector<std::pair<std::string, std::string>>
cellChanges(const Proposal& proposal, const std::array<bool, 72>& excluded);

// Writes the cell texts into the injection map in one go (one step to undo).
void applyChanges(ControlStore& store,
                  const std::vector<std::pair<std::string, std::string>>& changes);

} // namespace orvel::analysis
