#include "module_config.h"

#include "model/config.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace orvel::sim {
namespace {

std::string defaultText(std::string_view key) {
    if (key == "TpsClosedValue") {
        return "130";
    }
    if (key == "TpsOpenValue") {
        return "230";
    }
    return std::string(config::parameter(key).defaultText);
}

// The defaults with a few fields replaced.
ModuleConfig encodeWith(const std::map<std::string, std::string, std::less<>>& changed) {
    return encodeTexts([&](std::string_view key) {
        const auto it = changed.find(key);
        return it != changed.end() ? it->second : defaultText(key);
    });
}

struct FrameCase {
    int id;
    Data data;
};

class DefaultFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(DefaultFrames, CarryTheProgramsStartValuesAsItsUploadEncodesThem) {
    const auto frames = configurationFrames(defaultConfig());
    EXPECT_EQ(frames[static_cast<std::size_t>(GetParam().id - 1)], GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(Frames, DefaultFrames,
                         ::testing::Values(FrameCase{1, {10, 10, 6, 6, 6, 6, 6, 6}},
                                           FrameCase{9, {34, 34, 33, 33, 31, 30, 29, 27}},
                                           FrameCase{10, {35, 52, 58, 68, 74, 78, 80, 81}},
                                           FrameCase{18, {22, 28, 38, 55, 72, 78, 81, 81}},
                                           FrameCase{19, {45, 35, 25, 15, 5, 0, 0, 0}},
                                           FrameCase{20, {5, 4, 3, 2, 1, 0, 0, 0xFE}},
                                           FrameCase{21, {70, 50, 40, 30, 20, 15, 0, 0}},
                                           FrameCase{22, {0, 0, 0, 0, 5, 30, 3, 3}},
                                           FrameCase{23, {5, 0, 5, 30, 55, 70, 86, 5}},
                                           FrameCase{24, {22, 15, 87, 80, 2, 20, 10, 70}},
                                           FrameCase{25, {4, 0, 60, 5, 6, 130, 230, 0}},
                                           FrameCase{26, {0, 0, 0, 0, 0, 0, 0, 0}}));

TEST(ModuleConfig, TemperatureTablesHoldTwentyTwoInterpolatedPoints) {
    const ModuleConfig c = defaultConfig();
    const TemperatureTable ti{45, 42, 39, 35, 32, 29, 25, 22, 19, 15, 12,
                              9,  5,  4,  2,  0,  0,  0,  0,  0,  0,  0};
    EXPECT_EQ(c.ti, ti);
    EXPECT_EQ(c.ig[18], 0);
    EXPECT_EQ(c.ig[19], 0);
    EXPECT_EQ(c.ig[20], 0xFF);
    EXPECT_EQ(c.ig[21], 0xFE);
}

struct InterpolationCase {
    std::int8_t left;
    std::int8_t right;
    std::int8_t first;
    std::int8_t second;
};

class Interpolation : public ::testing::TestWithParam<InterpolationCase> {};

TEST_P(Interpolation, TruncatesTowardZero) {
    const auto& p = GetParam();
    const std::array<std::int8_t, 2> entered{p.left, p.right};
    const auto points = interpolate(entered);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[1], p.first);
    EXPECT_EQ(points[2], p.second);
    EXPECT_EQ(points[3], p.right);
}

INSTANTIATE_TEST_SUITE_P(Pairs, Interpolation,
                         ::testing::Values(InterpolationCase{45, 35, 42, 39},
                                           InterpolationCase{0, -2, 0, -1},
                                           InterpolationCase{-2, 0, -2, -1},
                                           InterpolationCase{10, 10, 10, 10},
                                           InterpolationCase{-100, 100, -34, 33}));

TEST(ModuleConfig, PressureTableHasTenPoints) {
    const auto c =
        encodeWith({{"eAtm820", "-9"}, {"eAtm880", "0"}, {"eAtm940", "3"}, {"eAtm1000", "12"}});
    const PressureTable expected{0xF7, 0xFA, 0xFD, 0, 1, 2, 3, 6, 9, 12};
    EXPECT_EQ(c.atm, expected);
}

TEST(ModuleConfig, SendsTheLowestEightBitsAndScalesAsTheUpload) {
    const auto c = encodeWith({{"e0", "300"},
                               {"e1", "-2"},
                               {"e0i", "8,1"},
                               {"e1i", "12"},
                               {"eLimiteRpm", "6550"},
                               {"eSondaLenta", "559"},
                               {"cbCilindros", "6"},
                               {"cbCombinacaoMapa", "MAP X RPM"},
                               {"cbSondaAtiva", "Des em Marcha Lenta"}});
    EXPECT_EQ(c.ignition[0], 44);
    EXPECT_EQ(c.ignition[1], 254);
    EXPECT_EQ(c.injection[0], 81);
    EXPECT_EQ(c.injection[1], 120);
    EXPECT_EQ(c.rpmLimitHundreds, 65);
    EXPECT_EQ(c.probeLow, 55);
    EXPECT_EQ(c.cylinders, 6);
    EXPECT_EQ(c.mapCombination, 10);
    EXPECT_EQ(c.probeMode, 15);
}

TEST(ModuleConfig, RefusesATextItCannotEncodeNamingTheField) {
    for (const auto& [key, text] : std::map<std::string, std::string>{
             {"e5", "abc"}, {"e5", "3,5"}, {"e7i", ""}, {"cbCilindros", "5"}}) {
        try {
            (void)encodeWith({{key, text}});
            ADD_FAILURE() << key << " = '" << text << "' was accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(key), std::string::npos) << e.what();
        }
    }
}

TEST(ModuleConfig, PacketsCarryEveryValueAndBackAgain) {
    auto c = encodeWith({{"e71", "40"}, {"e71i", "9,9"}, {"eCorrecaoMl105", "-5"}});
    c.tpsClosed = 100;
    c.tpsOpen = 225;
    const Payloads packets = toPackets(c);
    EXPECT_EQ(packets[0], (Data{10, 10, 6, 6, 6, 6, 6, 6}));
    EXPECT_EQ(packets[30], (Data{5, 6, 1, 1, 1, 100, 225, 0}));
    EXPECT_EQ(packets[31], (Data{22, 15, 87, 80, 2, 20, 10, 70}));
    EXPECT_EQ(fromPackets(packets), c);
}

TEST(ModuleConfig, LoadsAMapFile) {
    std::string line = "MAP X RPM;Carburado;6500;128;1;70;1500;2200";
    for (int n = 0; n < 72; ++n) {
        line += ";" + std::to_string(n % 40);
    }
    for (int n = 0; n < 72; ++n) {
        line += ";" + std::to_string(n / 10) + "," + std::to_string(n % 10);
    }
    line += ";Banda Larga (1);550;700;860;MAP;30;Desativada;1;2;3;4;MAP;3;3;3";
    line += ";45;35;25;15;5;0;0;0;5;4;3;2;1;0;0;-2;70;50;40;30;20;15;0;0";
    line += ";87;80;8;6;0,2;20;100;225\r\n";

    const ModuleConfig c = configFromMapFile(line);
    EXPECT_EQ(c.mapCombination, 10);
    EXPECT_EQ(c.distributor, 10);
    EXPECT_EQ(c.rpmLimitHundreds, 65);
    EXPECT_EQ(c.ignition[45], 5);
    EXPECT_EQ(c.injection[37], 37);
    EXPECT_EQ(c.probeType, 10);
    EXPECT_EQ(c.probeMode, 10);
    EXPECT_EQ(c.atm[9], 4);
    EXPECT_EQ(c.cylinders, 8);
    EXPECT_EQ(c.tpsClosed, 100);
    EXPECT_EQ(c.tpsOpen, 225);
}

TEST(ModuleConfig, RefusesAShortMapFile) {
    EXPECT_THROW((void)configFromMapFile("TPS X RPM;Injetado;6000\r\n"), std::invalid_argument);
}

} // namespace
} // namespace orvel::sim
