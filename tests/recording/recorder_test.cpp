#include "files/map_file.h"
#include "recording/reader.h"
#include "recording/writer.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <sys/stat.h>

namespace orvel::test {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A scanner session recorded on the manual clock into a private folder.
class RecorderTest : public CoreTest {
protected:
    RecorderTest() {
#ifdef _WIN32
        _putenv_s("TZ", "UTC");
        _tzset();
#else
        setenv("TZ", "UTC", 1);
        tzset();
#endif
        root = fs::temp_directory_path() /
               ("orvel-recorder-" + std::to_string(std::random_device{}()));
        fs::create_directories(root);
        folder = root / "dados" / "registros";
        form.recorder.setFolder(folder.string());
        form.recorder.setClocks([this] { return clock.now(); },
                                [] {
                                    return std::chrono::system_clock::from_time_t(
                                        1796740205); // 2026-12-08 14:30:05
                                });
        form.state.cylinderCount = 4;
    }
    ~RecorderTest() override {
        fs::remove_all(root);
    }

    // The check tick after the writer is done: what it has to tell, it tells now.
    void settle() {
        form.recorder.drain();
        clock.advance(250);
    }

    fs::path root;
    fs::path folder;
};

TEST_F(RecorderTest, EachSetBecomesARowOfWhatTheFramesSayAndTheMapGoesBeside) {
    activate();
    form.click("Button3");
    clock.advance(30);
    link.feedFrame(31, {}); // nothing of 29 and 30 yet
    clock.advance(20);
    link.feedFrame(29, {90, 40, 12, 45, 0x00, 0x02, 20, 25});
    link.feedFrame(30, {15, 18, 0x88, 0x13, 10, 0xE8, 0x03, 1});
    link.feedFrame(31, {0xFB, 3, 0, 0xFE, 2, 1, 0, 0});
    EXPECT_EQ(text("eRpm"), "1200");
    EXPECT_EQ(text("eTi"), "125,0  250");
    EXPECT_EQ(text("eValorTps"), "2,50 ");
    clock.advance(1000);
    link.feedFrame(31, {}); // 29 and 30 of this set were lost
    form.click("Button3");
    settle();

    const fs::path file = folder / "2026-12-08_14-30-05.csv";
    EXPECT_EQ(contents(file),
              recording::header() +
                  "0,030;;;;;0;0;;;;;;;0;0;0;;;;;0;0;"
                  "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                  "1F 00 00 00 00 00 00 00 00\r\n"
                  "0,050;1200;125,0;450;90;-5;3;15;2,50;20;40;12;1020;0;-2;2;250;18;25;1;1;0;"
                  "1D 5A 28 0C 2D 00 02 14 19 1E 0F 12 88 13 0A E8 03 01 "
                  "1F FB 03 00 FE 02 01 00 00\r\n"
                  "1,050;1200;125,0;450;90;0;0;15;2,50;20;40;12;1020;0;0;0;250;18;25;1;0;0;"
                  "1D 5A 28 0C 2D 00 02 14 19 1E 0F 12 88 13 0A E8 03 01 "
                  "1F 00 00 00 00 00 00 00 00\r\n");
    EXPECT_EQ(recording::readRecordingFile(file.string()).recording.rows(), 3u);
    EXPECT_EQ(contents(folder / "2026-12-08_14-30-05-mapa.txt"),
              mapfile::encodeLine(mapfile::collect(form.controls, 130, 230)));
#ifndef _WIN32
    struct stat info {};
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
#endif
    EXPECT_FALSE(form.recorderCheck->enabled()) << "nothing left to watch";
}

TEST_F(RecorderTest, WithoutTheCylinderCountRpmAndDutyAreLeftEmptyAsTheWindowLeavesThem) {
    form.state.cylinderCount = 0; // no configuration read or sent
    activate();
    form.click("Button3");
    link.feedFrame(29, {90, 40, 12, 45, 0x00, 0x02, 20, 25});
    link.feedFrame(30, {15, 18, 0x88, 0x13, 10, 0xE8, 0x03, 1});
    link.feedFrame(31, {});
    EXPECT_EQ(text("eRpm"), "");
    form.click("Button3");
    settle();
    const auto r =
        recording::readRecordingFile((folder / "2026-12-08_14-30-05.csv").string()).recording;
    ASSERT_EQ(r.rows(), 1u);
    EXPECT_FALSE(r.known(recording::col::rpm, 0));
    EXPECT_FALSE(r.known(recording::col::duty, 0));
    EXPECT_EQ(r.value(recording::col::ti, 0), 125.0);
    EXPECT_EQ(r.value(recording::col::temperature, 0), 90.0);
}

TEST_F(RecorderTest, TheWatchdogEndsTheSessionAndTheNextOneInTheSameSecondGetsASuffix) {
    activate();
    for (int session = 0; session < 2; ++session) {
        form.click("Button3");
        clock.advance(10);
        link.feedFrame(31, {});
        dialogs.expectMessage("Módulo não responde");
        clock.advance(2000);
        EXPECT_FALSE(form.scanner.isOn());
        EXPECT_FALSE(form.recorder.recording());
    }
    settle();
    for (auto name : {"2026-12-08_14-30-05.csv", "2026-12-08_14-30-05-2.csv"}) {
        EXPECT_EQ(recording::readRecordingFile((folder / name).string()).recording.rows(), 1u)
            << name;
    }
    EXPECT_TRUE(fs::exists(folder / "2026-12-08_14-30-05-2-mapa.txt"));
}

std::string faultBox(const fs::path& folder, const std::string& reason) {
    return "Não foi possível gravar o registro do scanner na pasta " + folder.string() + ": " +
           reason + ". O scanner continua sem gravar.";
}

#ifndef _WIN32
TEST_F(RecorderTest, ADiskThatTakesNoBytesAtTheStartLeavesNoEmptyFiles) {
    activate();
    // No byte more fits in any file, as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit none = old;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    form.click("Button3");
    link.feedFrame(31, {});
    form.recorder.drain();
    setrlimit(RLIMIT_FSIZE, &old);
    dialogs.expectError(faultBox(folder, "o arquivo passou do tamanho que o disco aceita"));
    clock.advance(250);
    EXPECT_TRUE(form.scanner.isOn());
    form.click("Button3");
    settle();
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(form.recorder.lastFile(), "");
}
#endif

TEST_F(RecorderTest, AFolderThatCannotBeMadeIsToldOncePerSessionAndTheScannerGoesOn) {
    std::ofstream(root / "dados") << "a file where the folder should be";
    activate();
    const std::string box = faultBox(folder, "um nome do caminho não é uma pasta");
    for (int session = 0; session < 2; ++session) {
        form.click("Button3");
        clock.advance(10);
        link.feedFrame(31, {});
        dialogs.expectError(box);
        settle();
        link.feedFrame(31, {});
        settle();
        EXPECT_TRUE(form.scanner.isOn());
        form.click("Button3");
        settle();
    }
}

} // namespace
} // namespace orvel::test
