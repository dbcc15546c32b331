#include "analysis/cell_weights.h"
#include "analysis/correction.h"
#include "recording/recording.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace orvel::analysis {
namespace {

namespace col = recording::col;

struct SpreadCase {
    int rpmPosition, loadPosition;
    std::map<int, double> weights;
};

TEST(CellWeights, ShareASetOnlyBetweenTheCellsTheScannerMarks) {
    const SpreadCase cases[] = {
        {6, 0, {{8, 1}}},
        {14, 20, {{19, 4 / 9.0}, {27, 2 / 9.0}, {20, 2 / 9.0}, {28, 1 / 9.0}}},
        {13, 20, {{19, 2 / 3.0}, {20, 1 / 3.0}}}, // 1/6 of a row: not marked, no share
        {9, 0, {{8, 0.5}, {16, 0.5}}},
        {47, 42, {{63, 1 / 6.0}, {71, 5 / 6.0}}},
        {48, 41, {{70, 1 / 6.0}, {71, 5 / 6.0}}}, // the last row has no row below
        {-3, 10, {}},
        {20, 48, {}},
    };
    for (const auto& c : cases) {
        const Spread s = spreadOf(c.rpmPosition, c.loadPosition);
        std::map<int, double> got;
        for (int i = 0; i < s.count; ++i) {
            got[s.cells[static_cast<std::size_t>(i)].cell] =
                s.cells[static_cast<std::size_t>(i)].weight;
        }
        ASSERT_EQ(got.size(), c.weights.size()) << c.rpmPosition << "/" << c.loadPosition;
        for (const auto& [cell, w] : c.weights) {
            EXPECT_NEAR(got[cell], w, 1e-12)
                << c.rpmPosition << "/" << c.loadPosition << " " << cell;
        }
    }
}

struct Row {
    double rpmColumn = -1; // what the RPM column says, when not `rpm`; the period follows `rpm`
    double rpm = 2700, ti = 5, temperature = 90, shortTrim = 0, longTrim = 0;
    double tps = 2, rpmPosition = 18, loadPosition = 18, lambda = 700;
};

recording::Recording recordingOf(const std::vector<Row>& rows, double step = 0.2) {
    recording::Recording r;
    double t = 0;
    for (const auto& row : rows) {
        std::array<double, recording::kValueColumns.size()> v{};
        v[col::rpm] = row.rpmColumn < 0 ? row.rpm : row.rpmColumn;
        v[col::ti] = row.ti;
        v[col::temperature] = row.temperature;
        v[col::shortTrim] = row.shortTrim;
        v[col::longTrim] = row.longTrim;
        v[col::tpsVolts] = row.tps;
        v[col::rpmPosition] = row.rpmPosition;
        v[col::loadPosition] = row.loadPosition;
        v[col::lambdaMv] = row.lambda;
        const int period = row.rpm > 0 ? static_cast<int>(1'200'000 / row.rpm) : 0;
        recording::FrameSet frames{};
        frames[1] = {30,
                     {0, 0, 0, 0, 0, static_cast<std::uint8_t>(period & 0xFF),
                      static_cast<std::uint8_t>(period >> 8), 0}};
        r.append(t, v, frames);
        t += step;
    }
    return r;
}

MapContext mapOf(double cellMs) {
    MapContext m;
    m.injectionMs.fill(cellMs);
    m.probeTemperatureC = 30;
    m.cylinders = 4;
    return m;
}

// Twelve seconds in cell 27 (row 3, column 3), then one odd set and twelve more.
std::vector<Row> steady(const Row& odd) {
    std::vector<Row> rows(60, Row{});
    rows.push_back(odd);
    rows.insert(rows.end(), 60, Row{});
    return rows;
}

struct FilterCase {
    const char* what;
    Row odd;
    Filter filter;
    std::size_t excluded; // by that rule, the first two seconds' settling included
    std::size_t used;
};

TEST(Analysis, EachRuleCountsTheSetsItLeavesOut) {
    const FilterCase cases[] = {
        // A stopped engine, a cut or a cold set open the loop: two seconds' settling after.
        {"rpm 0", {.rpm = 0}, Filter::EngineStopped, 1, 100},
        // No cylinder count while recording: the period still says it runs.
        {"rpm unknown", {.rpmColumn = std::nan("")}, Filter::EngineStopped, 0, 111},
        {"rpm 0 of an older recording", {.rpmColumn = 0}, Filter::EngineStopped, 0, 111},
        {"cut", {.ti = 0}, Filter::InjectionCut, 1, 100},
        {"cold", {.temperature = 29}, Filter::Cold, 1, 100},
        // The throttle jumps and comes back: both sets move too fast.
        {"throttle", {.tps = 2.2}, Filter::ThrottleMoving, 2, 109},
        // One set elsewhere: the three before it (it is coming), it, and the
        // first two seconds back in 27 settle.
        {"cell change", {.loadPosition = 24}, Filter::Settling, 24, 97},
        {"off map", {.rpmPosition = -2}, Filter::Settling, 24, 97},
    };
    for (const auto& c : cases) {
        Analysis a;
        a.add(recordingOf(steady(c.odd)), mapOf(5), mapOf(5));
        EXPECT_EQ(a.counts().of(c.filter), c.excluded) << c.what;
        EXPECT_EQ(a.counts().used, c.used) << c.what;
        EXPECT_EQ(a.counts().total, 121u) << c.what;
    }
}

struct CorrectionCase {
    double shortTrim, longTrim, maxPercent, cellMs, proposed;
    bool clamped;
};

TEST(Analysis, CorrectsByTheSumOfTheTrimsClampedAndRoundedToATenth) {
    const CorrectionCase cases[] = {
        {4, 6, 15, 5.0, 5.5, false},    {-3, -5, 15, 5.0, 4.6, false},
        {12, 8, 15, 5.0, 5.8, true},    {-20, 0, 15, 5.0, 4.3, true},
        {12, 8, 25, 5.0, 6.0, false},   {5, 5, 15, 3.5, 3.9, false}, // 3,85: halves away from zero
        {10, 5, 15, 24.0, 25.0, false}, {0, 1, 15, 0.4, 0.4, false},
    };
    for (const auto& c : cases) {
        Options options;
        options.maxCorrectionPercent = c.maxPercent;
        Analysis a(options);
        a.add(recordingOf(
                  std::vector<Row>(40, Row{.shortTrim = c.shortTrim, .longTrim = c.longTrim})),
              mapOf(c.cellMs), mapOf(c.cellMs));
        const CellResult cell = a.propose(mapOf(c.cellMs)).cells[27];
        EXPECT_TRUE(cell.covered);
        EXPECT_DOUBLE_EQ(cell.proposed, c.proposed) << c.shortTrim << " " << c.longTrim;
        EXPECT_EQ(cell.clamped, c.clamped) << c.shortTrim << " " << c.longTrim;
        EXPECT_NEAR(cell.meanShort, c.shortTrim, 1e-9);
    }
}

TEST(Analysis, CellsBelowTheMinimumKeepTheirValueAndNoCoveredCellIsSaidSo) {
    Options options;
    options.minSeconds = 5;
    Analysis a(options);
    // 31 sets, 21 after settling in cell 27: 4,2 s of steady running, too little.
    std::vector<Row> rows(31, Row{.shortTrim = 10});
    EXPECT_NO_THROW(a.add(recordingOf(rows), mapOf(5), mapOf(5)));
    const Proposal none = a.propose(mapOf(5));
    EXPECT_EQ(none.coveredCells, 0);
    EXPECT_NEAR(none.cells[27].seconds, 4.2, 1e-9);
    EXPECT_NE(noCoverageText(none).find("mínimo 5,0 s; a melhor tem 4,2 s"), std::string::npos);
    rows.resize(40, Row{.shortTrim = 10});
    Analysis b(options);
    b.add(recordingOf(rows), mapOf(5), mapOf(5));
    const Proposal p = b.propose(mapOf(5));
    EXPECT_EQ(p.coveredCells, 1);
    EXPECT_DOUBLE_EQ(p.cells[27].proposed, 5.5);
    EXPECT_DOUBLE_EQ(p.cells[28].proposed, 5);
    EXPECT_FALSE(p.cells[28].covered);
}

TEST(Analysis, ARecordingOfAnotherMapIsCorrectedAgainstItsOwnMap) {
    Analysis a;
    a.add(recordingOf(std::vector<Row>(40, Row{.shortTrim = 10})), mapOf(4), mapOf(5));
    const Proposal p = a.propose(mapOf(5));
    EXPECT_TRUE(p.mapsDiffer);
    EXPECT_DOUBLE_EQ(p.cells[27].proposed, 4.4);
    EXPECT_NEAR(p.cells[27].changePercent(), -12, 1e-9);

    MapContext six = mapOf(5);
    six.cylinders = 6;
    EXPECT_THROW(a.add(recordingOf({Row{}}), six, mapOf(5)), AnalysisError);
}

TEST(Analysis, AppliesCoveredCellsThatAreNotExcluded) {
    Analysis a;
    std::vector<Row> rows(40, Row{.shortTrim = 10});
    rows.resize(80, Row{.shortTrim = -10, .loadPosition = 24});
    a.add(recordingOf(rows), mapOf(5), mapOf(5));
    const Proposal p = a.propose(mapOf(5));
    std::array<bool, 72> excluded{};
    using Changes = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(cellChanges(p, excluded), (Changes{{"e27i", "5,5"}, {"e28i", "4,5"}}));
    excluded[28] = true;
    EXPECT_EQ(cellChanges(p, excluded), (Changes{{"e27i", "5,5"}}));
}

// A drive as (seconds, positions, trims) stretches, five sets a second unless
// the stretch says otherwise; positions move in whole steps from `from` to `to`.
struct Stretch {
    double seconds;
    int rpmFrom, rpmTo, loadFrom, loadTo;
    double shortTrim = 0, longTrim = 0;
};

recording::Recording driveOf(const std::vector<Stretch>& stretches, double step = 0.2) {
    std::vector<Row> rows;
    for (const auto& s : stretches) {
        const int n = static_cast<int>(std::lround(s.seconds / 0.2));
        for (int i = 0; i < n; ++i) {
            const double x = n > 1 ? i / double(n - 1) : 0;
            rows.push_back({.shortTrim = s.shortTrim,
                            .longTrim = s.longTrim,
                            .rpmPosition = std::round(s.rpmFrom + x * (s.rpmTo - s.rpmFrom)),
                            .loadPosition = std::round(s.loadFrom + x * (s.loadTo - s.loadFrom))});
        }
    }
    return recordingOf(rows, step);
}

struct SteadyCase {
    const char* what;
    std::vector<Stretch> drive;
    std::map<Filter, std::size_t> excluded;
    double seconds27; // steady seconds shared to cell 27
};

TEST(Analysis, ASetCountsOnlyOnceThePositionsHeldStill) {
    const SteadyCase cases[] = {
        // One step of dither (2700 RPM around its row) is still.
        {"dither", {{4, 18, 19, 18, 18}}, {{Filter::Settling, 10}}, 2},
        // A climb inside cell 27, a step every 0,8 s: never still, though the
        // whole-number cell never changes.
        {"slow climb", {{4, 18, 23, 18, 18}}, {{Filter::Settling, 20}}, 0},
        // Still, then two steps on inside the cell: the last 0,6 s before the
        // move and two seconds after it settle; at 20 a third of a set goes to
        // the row below.
        {"step inside",
         {{6, 18, 18, 18, 18}, {6, 20, 20, 18, 18}},
         {{Filter::Settling, 23}},
         3.4 + 4 * 2 / 3.0},
        // A pass through 27 on the way to 36: its seconds stay with 36.
        {"pass", {{4, 12, 24, 12, 24}, {10, 24, 24, 24, 24}}, {}, 0},
    };
    for (const auto& c : cases) {
        Analysis a;
        a.add(driveOf(c.drive), mapOf(5), mapOf(5));
        for (const auto& [filter, count] : c.excluded) {
            EXPECT_EQ(a.counts().of(filter), count) << c.what;
        }
        EXPECT_NEAR(a.propose(mapOf(5)).cells[27].seconds, c.seconds27, 1e-6) << c.what;
    }
}

struct TrustCase {
    const char* what;
    ProbeMode probe;
    int loadPosition;
    double shortTrim, longTrim;
    Filter filter;
    std::size_t excluded;
};

TEST(Analysis, TrimsThatSayNothingAboutTheErrorAreLeftOut) {
    const TrustCase cases[] = {
        {"probe off", ProbeMode::Off, 18, 0, 0, Filter::ProbeOff, 60},
        {"off at idle, at idle", ProbeMode::OffAtIdle, 0, 0, 0, Filter::ProbeOff, 60},
        {"off at idle, part load", ProbeMode::OffAtIdle, 18, 0, 0, Filter::ProbeOff, 0},
        {"short at its limit", ProbeMode::Active, 18, 25, 3, Filter::TrimAtLimit, 50},
        {"long at its limit", ProbeMode::Active, 18, -2, -25, Filter::TrimAtLimit, 50},
        {"short just inside", ProbeMode::Active, 18, 24, 0, Filter::TrimAtLimit, 0},
    };
    for (const auto& c : cases) {
        MapContext own = mapOf(5);
        own.probe = c.probe;
        Analysis a;
        a.add(driveOf({{12, 18, 18, c.loadPosition, c.loadPosition, c.shortTrim, c.longTrim}}), own,
              mapOf(5));
        EXPECT_EQ(a.counts().of(c.filter), c.excluded) << c.what;
        EXPECT_EQ(a.propose(mapOf(5)).coveredCells, c.excluded == 0 ? 1 : 0) << c.what;
    }
}

struct DwellCase {
    const char* what;
    double step, timeScale;
    std::vector<Stretch> drive;
    double seconds27;
};

TEST(Analysis, CoverageIsSecondsOfSteadyRunningInTheEnginesTime) {
    std::vector<Stretch> passes; // a hundred passes through 27, over a second in it each
    for (int i = 0; i < 100; ++i) {
        passes.push_back({3, 12, 24, 18, 18});
        passes.push_back({3, 30, 30, 18, 18});
    }
    const DwellCase cases[] = {
        {"five sets a second", 0.2, 1, {{12, 18, 18, 18, 18}}, 10},
        {"a --time-scale 10 recording", 0.02, 10, {{12, 18, 18, 18, 18}}, 10},
        // Read at scale 1 the same recording settles ten times too slowly.
        {"its scale forgotten", 0.02, 1, {{12, 18, 18, 18, 18}}, 0},
        // A recording paused for longer than a second does not dwell meanwhile.
        {"gaps", 2, 1, {{12, 18, 18, 18, 18}}, 0},
        {"many passes", 0.2, 1, passes, 0},
    };
    for (const auto& c : cases) {
        Options options;
        options.timeScale = c.timeScale;
        Analysis a(options);
        a.add(driveOf(c.drive, c.step), mapOf(5), mapOf(5));
        EXPECT_NEAR(a.propose(mapOf(5)).cells[27].seconds, c.seconds27, 1e-6) << c.what;
    }
}

struct ToleranceCase {
    double cellMs, trims, tolerance, proposed;
    bool withinTolerance;
};

TEST(Analysis, ACellMovesATenthOnlyWhenThatGainsMoreThanTheTolerance) {
    // The module's trims are whole per cent: the cells' values vary instead.
    const ToleranceCase cases[] = {
        {7.6, 1, 0.5, 7.7, false},  // 1,00 % off now, 0,31 % at 7,7
        {7.6, 1, 0.75, 7.6, true},  // ... a gain of 0,69 %
        {5.5, 1, 0.5, 5.5, true},   // 1,00 % now, 0,80 % at 5,6
        {5.5, -1, 0.5, 5.5, true},  // 1,00 % now, 0,83 % at 5,4
        {5.5, -1, 0, 5.4, false},   // no tolerance: any gain
        {4.8, -1, 0.5, 4.8, false}, // the tenth stays: nothing to judge
        {4.8, -2, 0.5, 4.7, false}, // a small cell's tenth is large, and so is the gain
        {5.0, 20, 0.5, 5.8, false}, // clamped at 15 %: far off either way
    };
    for (const auto& c : cases) {
        Options options;
        options.tolerancePercent = c.tolerance;
        Analysis a(options);
        a.add(recordingOf(std::vector<Row>(40, Row{.shortTrim = c.trims})), mapOf(c.cellMs),
              mapOf(c.cellMs));
        const Proposal p = a.propose(mapOf(c.cellMs));
        EXPECT_DOUBLE_EQ(p.cells[27].proposed, c.proposed) << c.cellMs << " " << c.trims;
        EXPECT_EQ(p.cells[27].withinTolerance, c.withinTolerance) << c.cellMs << " " << c.trims;
        EXPECT_EQ(p.withinTolerance, c.withinTolerance ? 1 : 0);
    }
}

struct OffsetCase {
    const char* what;
    double rpm;
    int rpmPosition;
    double ms19, ms27, ms35; // the map down column 3 at 1800, 2700 and 3600 RPM
    double offset;           // per cent, cell 27
};

TEST(Analysis, TrimsAreCarriedFromTheRpmToItsStepAlongTheMapsSlope) {
    const OffsetCase cases[] = {
        {"on the row", 2700, 18, 7, 8, 9, 0},
        // 0,2 of a step above: the map would read 8 + 0,2 / 6 there.
        {"30 RPM above", 2730, 18, 7, 8, 9, (8 / (8 + 0.2 / 6.0) - 1) * 100},
        // A row's slope comes from the rows either side, not from its neighbour alone.
        {"a cell corrected alone", 2730, 18, 7, 8.8, 9, (8.8 / (8.8 + 0.2 / 6.0) - 1) * 100},
        {"between rows", 3075, 20, 7, 8, 9,
         ((8 + 2 / 6.0) / (8 + 2.5 / 6.0) - 1) * 100}, // half a step on: straight to 3600
        {"RPM not within its step", 2900, 18, 7, 8, 9, 0},
        {"RPM unknown", std::nan(""), 18, 7, 8, 9, 0},
    };
    for (const auto& c : cases) {
        MapContext map = mapOf(8);
        map.injectionMs[19] = c.ms19;
        map.injectionMs[27] = c.ms27;
        map.injectionMs[35] = c.ms35;
        std::vector<Row> rows(40, Row{.rpmColumn = c.rpm, .rpmPosition = c.rpmPosition * 1.0});
        Analysis a;
        a.add(recordingOf(rows), map, map);
        const CellResult cell = a.propose(map).cells[27];
        EXPECT_NEAR(cell.meanRpmOffset, c.offset, 1e-9) << c.what;
        EXPECT_NEAR(cell.correctionPercent, c.offset, 1e-9) << c.what;
    }
}

TEST(MapContext, NamesTheColumnsARecordingLacks) {
    const std::string header =
        "\xEF\xBB\xBFTempo (s);RPM;Ti (ms);Sonda (mV);Temperatura (°C);% Curto;TPS (V);Linha Da "
        "RPM;Posição da Carga;Quadros\r\n";
    EXPECT_EQ(missingColumns(header), (std::vector<std::string>{"% Longo"}));
}

} // namespace
} // namespace orvel::analysis
