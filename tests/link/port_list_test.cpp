#include "link/port_info.h"
#include "link/port_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <string>
#ifndef _WIN32
#include <unistd.h>
#endif
#include <vector>

namespace orvel {
namespace {

namespace fs = std::filesystem;

class RecordingProber : public PortProber {
public:
    explicit RecordingProber(std::set<std::string> openable) : openable_(std::move(openable)) {}
    bool probe(const std::string& name) override {
        probed.push_back(name);
        return openable_.count(name) > 0;
    }
    std::vector<std::string> probed;

private:
    std::set<std::string> openable_;
};

class TempFolder {
public:
    TempFolder() {
        path = fs::temp_directory_path() /
               ("orvel-port-list-" + std::to_string(std::random_device{}()));
        fs::create_directory(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    void touch(const std::string& name) const { std::ofstream(path / name).put('x'); }
    fs::path path;
};

TEST(PortListTest, WindowsNamesFromTenOnCarryTheLongPrefix) {
    const auto names = windowsCandidates(256);
    ASSERT_EQ(names.size(), 256u);
    EXPECT_EQ(names[0], "COM1");
    EXPECT_EQ(names[8], "COM9");
    EXPECT_EQ(names[9], "\\\\.\\COM10");
    EXPECT_EQ(names[11], "\\\\.\\COM12");
    EXPECT_EQ(names[255], "\\\\.\\COM256");
    // The system itself knows them without the prefix.
    EXPECT_EQ(portinfo::plainName(names[11]), "COM12");
    EXPECT_EQ(portinfo::plainName("COM3"), "COM3");
    EXPECT_EQ(portinfo::plainName("/dev/ttyUSB0"), "/dev/ttyUSB0");
}

TEST(PortListTest, LinuxListsSimulatedModulesFirstByNameThenDeviceFamilies) {
    TempFolder sim;
    for (const char* n : {"module-b", "module-a", "module-10", "module-2"}) {
        sim.touch(n);
    }
    const auto names = linuxCandidates(sim.path);
    ASSERT_EQ(names.size(), 4u + 3 * 32);
    EXPECT_EQ(names[0], (sim.path / "module-10").string());
    EXPECT_EQ(names[1], (sim.path / "module-2").string());
    EXPECT_EQ(names[2], (sim.path / "module-a").string());
    EXPECT_EQ(names[3], (sim.path / "module-b").string());
    EXPECT_EQ(names[4], "/dev/ttyUSB0");
    EXPECT_EQ(names[35], "/dev/ttyUSB31");
    EXPECT_EQ(names[36], "/dev/ttyACM0");
    EXPECT_EQ(names[68], "/dev/ttyS0");
    EXPECT_EQ(names.back(), "/dev/ttyS31");
}

TEST(PortListTest, LinuxWithoutSimulatorFolderStartsWithUsbAdapters) {
    const auto names = linuxCandidates("/nonexistent/orvel-ports");
    ASSERT_EQ(names.size(), 96u);
    EXPECT_EQ(names.front(), "/dev/ttyUSB0");
}

TEST(PortListTest, MacListsCallOutDevicesOnlySortedByName) {
    TempFolder dev;
    for (const char* n : {"cu.usbserial-B", "tty.usbserial-A", "cu.Bluetooth", "cu.usbserial-A"}) {
        dev.touch(n);
    }
    const auto names = macCandidates(dev.path);
    const std::vector<std::string> expected{(dev.path / "cu.Bluetooth").string(),
                                            (dev.path / "cu.usbserial-A").string(),
                                            (dev.path / "cu.usbserial-B").string()};
    EXPECT_EQ(names, expected);
}

TEST(PortListTest, ProbesInOrderKeepingOnlyPortsThatOpen) {
    RecordingProber prober({"COM3", "\\\\.\\COM12"});
    const auto names =
        ListSerialPorts(prober, windowsCandidates(256), [](const std::string&) { return true; });
    EXPECT_EQ(names, (std::vector<std::string>{"COM3", "\\\\.\\COM12"}));
    ASSERT_EQ(prober.probed.size(), 256u);
    EXPECT_EQ(prober.probed.front(), "COM1");
    EXPECT_EQ(prober.probed.back(), "\\\\.\\COM256");
}

TEST(PortListTest, AbsentDeviceFilesAreNotProbed) {
    RecordingProber prober({"/dev/ttyS0", "/dev/ttyUSB1"});
    const std::set<std::string> present{"/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyS1"};
    const auto names = ListSerialPorts(prober, linuxCandidates("/nonexistent"),
                                       [&](const std::string& n) { return present.count(n) > 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyUSB1", "/dev/ttyS0"}));
    EXPECT_EQ(prober.probed,
              (std::vector<std::string>{"/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyS1"}));
}

// A plugged-in USB adapter that this user may not open (not in dialout) or that
// another program holds is still listed, so that "Ativar" can say why it fails;
// a serial device file that does not open stays out, as nothing may be behind it.
TEST(PortListTest, PresentUsbAdaptersAreListedWithoutAProbe) {
    struct Case {
        const char* name;
        bool adapter;
    };
    for (const Case& c : {Case{"/dev/ttyUSB0", true}, Case{"/dev/ttyACM12", true},
                          Case{"/dev/ttyUSB", false}, Case{"/dev/ttyS0", false},
                          Case{"/tmp/orvel-ports/module1", false}, Case{"COM3", false}}) {
        EXPECT_EQ(usbAdapterFile(c.name), c.adapter) << c.name;
    }

    RecordingProber prober({"/dev/ttyS1"});
    const std::set<std::string> present{"/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1"};
    const auto names = ListSerialPorts(
        prober, linuxCandidates("/nonexistent"),
        [&](const std::string& n) { return present.count(n) > 0; }, usbAdapterFile);
    EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS1"}));
    EXPECT_EQ(prober.probed, (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1"}));
}

// Restores an environment variable when the test ends.
#ifndef _WIN32
class ScopedEnv {
public:
    explicit ScopedEnv(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) {
            old_ = v;
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(PortListTest, SimulatorFolderFollowsTheRuntimeDirectory) {
    ScopedEnv keep("XDG_RUNTIME_DIR");
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4321", 1);
    EXPECT_EQ(simulatedPortFolder(), "/run/user/4321/orvel-ports");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(simulatedPortFolder(), "/tmp/orvel-ports-" + std::to_string(::getuid()));
}

TEST(PortListTest, SimulatedModuleLinksAreListedWhenTheyOpen) {
    ScopedEnv keep("XDG_RUNTIME_DIR");
    TempFolder runtime;
    fs::create_directory(runtime.path / "orvel-ports");
    const fs::path target = runtime.path / "pty-stand-in";
    std::ofstream(target).put('x');
    fs::create_symlink(target, runtime.path / "orvel-ports" / "module1");
    fs::create_symlink(runtime.path / "gone", runtime.path / "orvel-ports" / "module0");
    ::setenv("XDG_RUNTIME_DIR", runtime.path.c_str(), 1);

    const std::string live = (runtime.path / "orvel-ports" / "module1").string();
    RecordingProber prober({live});
    EXPECT_EQ(ListSerialPorts(prober), std::vector<std::string>{live});
    // The stale link of a simulator that has ended is skipped without a probe.
    EXPECT_EQ(std::count(prober.probed.begin(), prober.probed.end(),
                         (runtime.path / "orvel-ports" / "module0").string()),
              0);
}
#else
TEST(PortListTest, WindowsProbesEveryComNameInOrderAndListsThoseThatOpen) {
    RecordingProber prober({"COM3", "\\\\.\\COM12"});
    EXPECT_EQ(ListSerialPorts(prober), (std::vector<std::string>{"COM3", "\\\\.\\COM12"}));
    EXPECT_EQ(prober.probed.size(), 256u);
}
#endif

} // namespace
} // namespace orvel
