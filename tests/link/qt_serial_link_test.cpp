#include "core/errors.h"
#include "link/port_info.h"
#include "link/qt_serial_link.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace orvel {
namespace {

// A pseudo-terminal stands in for the adapter: the link opens the slave side,
// the test plays the module on the master side.
class QtSerialLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(::grantpt(master_), 0);
        ASSERT_EQ(::unlockpt(master_), 0);
        slave_ = ::ptsname(master_);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        link_.onReceived = [this](std::span<const std::uint8_t> bytes) {
            received_.insert(received_.end(), bytes.begin(), bytes.end());
        };
        link_.onFailure = [this](const std::string& message) { failures_.push_back(message); };
    }
    void TearDown() override {
        link_.close();
        closeMaster();
    }
    void closeMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }
    // Runs the event loop until `done` holds or the time is up.
    bool pumpUntil(const std::function<bool()>& done, int ms = 1000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return done();
    }
    std::vector<std::uint8_t> readMaster(std::size_t count) {
        std::vector<std::uint8_t> out;
        pumpUntil([&] {
            std::uint8_t buf[64];
            const auto n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                out.insert(out.end(), buf, buf + n);
            }
            return out.size() >= count;
        });
        return out;
    }

    int argc_ = 1;
    char name_[16] = "link_tests";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication app_{argc_, argv_};
    QtSerialLink link_;
    int master_ = -1;
    std::string slave_;
    std::vector<std::uint8_t> received_;
    std::vector<std::string> failures_;
};

TEST_F(QtSerialLinkTest, SendsAndReceivesBytesOverTheLine) {
    link_.open(slave_);
    ASSERT_TRUE(link_.isOpen());
    const std::vector<std::uint8_t> poll{0x00, 0x7F, 0x61, 0x61, 0x61, 0x61};
    link_.write(poll);
    EXPECT_EQ(readMaster(poll.size()), poll);

    const std::uint8_t frame[12] = {0xAA, 29, 1, 2, 3, 0x0D, 0x0A, 0x11, 0xFF, 0, 7, 8};
    ASSERT_EQ(::write(master_, frame, sizeof frame), 12);
    EXPECT_TRUE(pumpUntil([&] { return received_.size() == 12; }));
    EXPECT_EQ(received_, std::vector<std::uint8_t>(frame, frame + 12));
}

TEST_F(QtSerialLinkTest, BytesThatArriveDuringAWriteAreHandedOverAfterIt) {
    link_.open(slave_);
    const std::uint8_t frame[12] = {0xAA, 30, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(::write(master_, frame, sizeof frame), 12);
    const std::vector<std::uint8_t> poll{0x00, 0x7F, 0x61, 0x61, 0x61, 0x61};
    link_.write(poll);
    EXPECT_TRUE(received_.empty()) << "frame handling ran inside the sending handler";
    EXPECT_TRUE(pumpUntil([&] { return received_.size() == 12; }));
}

TEST_F(QtSerialLinkTest, OpensThroughALinkAsSimulatedModulesPublishThem) {
    char folder[] = "/tmp/orvel-link-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string alias = std::string(folder) + "/module1";
    ASSERT_EQ(::symlink(slave_.c_str(), alias.c_str()), 0);
    EXPECT_TRUE(link_.probe(alias));
    link_.open(alias);
    const std::vector<std::uint8_t> poll{0x00, 0x7F, 0x61, 0x61, 0x61, 0x61};
    link_.write(poll);
    EXPECT_EQ(readMaster(poll.size()), poll);
    link_.close();
    ::unlink(alias.c_str());
    ::rmdir(folder);
}

TEST_F(QtSerialLinkTest, LineRunsAt38400EightBitsNoParityNoFlowControl) {
    link_.open(slave_);
    termios tio{};
    ASSERT_EQ(::tcgetattr(master_, &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), B38400);
    EXPECT_EQ(::cfgetispeed(&tio), B38400);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), 0u);
}

TEST_F(QtSerialLinkTest, OpenPortIsExclusive) {
    EXPECT_TRUE(link_.probe(slave_));
    link_.open(slave_);
    QtSerialLink other;
    EXPECT_FALSE(other.probe(slave_));
    try {
        other.open(slave_);
        FAIL() << "opened a port held by another";
    } catch (const PortError& e) {
        EXPECT_EQ(e.systemError(), EBUSY) << "the busy-port hint would not show";
    }
    link_.close();
    EXPECT_TRUE(other.probe(slave_));
}

TEST_F(QtSerialLinkTest, AbsentPortReportsTheSystemErrorNumber) {
    try {
        link_.open("/dev/orvel-no-such-port");
        FAIL() << "opened an absent port";
    } catch (const PortError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Unable to open com port (win error code: " + std::to_string(ENOENT) + ")");
    }
    EXPECT_FALSE(link_.isOpen());
    EXPECT_FALSE(link_.probe("!!"));
}

// Against the system's own list: the port list gives whole paths and links,
// which the system knows by their device file.
TEST_F(QtSerialLinkTest, DescriptionIsTheSystemsForTheDeviceAPathOrLinkNames) {
    const std::string device = "/dev/ttyS0";
    QSerialPortInfo known;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() == QString::fromStdString(device)) {
            known = info;
        }
    }
    if (known.isNull()) {
        GTEST_SKIP() << "the system lists no " << device << " here";
    }
    char folder[] = "/tmp/orvel-link-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string alias = std::string(folder) + "/adapter";
    ASSERT_EQ(::symlink(device.c_str(), alias.c_str()), 0);
    for (const std::string& name : {device, alias, known.portName().toStdString()}) {
        const QSerialPortInfo found = portinfo::infoFor(name);
        EXPECT_FALSE(found.isNull()) << name;
        EXPECT_EQ(found.systemLocation(), known.systemLocation()) << name;
        EXPECT_EQ(link_.description(name), known.description().toStdString()) << name;
    }
    ::unlink(alias.c_str());
    ::rmdir(folder);
    EXPECT_TRUE(portinfo::infoFor("/dev/orvel-no-such-port").isNull());
}

TEST_F(QtSerialLinkTest, WriteOnAClosedPortFails) {
    const std::vector<std::uint8_t> bytes{1, 2, 3};
    EXPECT_THROW(link_.write(bytes), PortError);
}

TEST_F(QtSerialLinkTest, LineHangUpIsReportedOnceAndClosesThePort) {
    link_.open(slave_);
    closeMaster(); // the adapter is pulled out
    EXPECT_TRUE(pumpUntil([&] { return !failures_.empty(); }));
    pumpUntil([] { return false; }, 200); // let any further notice arrive
    ASSERT_EQ(failures_.size(), 1u);
    EXPECT_EQ(failures_[0],
              "ReadFile function failed (win error code: " + std::to_string(EIO) + ")");
    EXPECT_FALSE(link_.isOpen());
}

TEST_F(QtSerialLinkTest, ClosedPortReportsNoFailure) {
    link_.open(slave_);
    link_.close();
    closeMaster();
    pumpUntil([] { return false; }, 200);
    EXPECT_TRUE(failures_.empty());
}

} // namespace
} // namespace orvel
