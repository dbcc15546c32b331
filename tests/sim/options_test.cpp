#include "options.h"

#include <gtest/gtest.h>

namespace orvel::sim {
namespace {

TEST(Options, ReadTheCalibrationAndFaultFlags) {
    const Options o = parseOptions({"--tps-closed", "100",          "--tps-open",
                                    "900",          "--layout",     "C",
                                    "--silent",     "--chunks",     "--garbage",
                                    "12",           "--drop-byte",  "--config",
                                    "map.txt",      "--coolant",    "95",
                                    "--engine-off", "--no-pace",    "--fuel-error",
                                    "exemplo",      "--time-scale", "10"});
    EXPECT_EQ(o.behaviour.tpsClosed, 100);
    EXPECT_EQ(o.behaviour.tpsOpen, 900);
    EXPECT_EQ(o.behaviour.layout, frames::Layout::C);
    EXPECT_TRUE(o.behaviour.silent);
    EXPECT_TRUE(o.chunks);
    EXPECT_EQ(o.behaviour.garbageBeforeFirstAnswer, 12u);
    EXPECT_TRUE(o.behaviour.dropNextByte);
    EXPECT_EQ(o.configFile, "map.txt");
    EXPECT_DOUBLE_EQ(o.coolantStartC, 95);
    EXPECT_FALSE(o.engineRunning);
    EXPECT_FALSE(o.paced);
    EXPECT_EQ(o.fuelError, "exemplo");
    EXPECT_EQ(o.behaviour.timeScale, 10);
}

TEST(Options, RefuseWhatTheyCannotUse) {
    const std::vector<std::vector<std::string_view>> bad{
        {"--tps-closed"},       {"--tps-closed", "1024"}, {"--tps-open", "x"},   {"--layout", "D"},
        {"--garbage", "-1"},    {"--frobnicate"},         {"--coolant", "20.5"}, {"--config"},
        {"--time-scale", "11"}, {"--time-scale", "0"},    {"--fuel-error"}};
    for (const auto& args : bad) {
        EXPECT_THROW((void)parseOptions(args), std::invalid_argument) << args.front();
    }
}

TEST(Options, HelpExplainsEveryOptionAndControlLine) {
    const std::string help = helpText();
    for (const char* word :
         {"--config",  "--tps-closed", "--tps-open",      "--tps ",       "--silent",
          "--layout",  "--drop-byte",  "--garbage",       "--chunks",     "--no-pace",
          "--coolant", "--engine-off", "--help",          "tps COUNT",    "silent on",
          "drop-byte", "layout A",     "garbage N",       "chunks on",    "engine on",
          "coolant",   "unplug",       "XDG_RUNTIME_DIR", "--fuel-error", "--time-scale"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
    EXPECT_TRUE(parseOptions({"--help"}).help);
}

} // namespace
} // namespace orvel::sim
