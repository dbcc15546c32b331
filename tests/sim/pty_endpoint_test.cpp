#include "pty_endpoint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel::sim {
namespace {

namespace fs = std::filesystem;

class PtyFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvel-sim-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        base = pattern;
        folder = base + "/orvel-ports";
    }
    void TearDown() override { fs::remove_all(base); }

    std::string base;
    std::string folder;
};

TEST(PortFolder, UsesTheRuntimeFolderOrAPrivateOneInTmp) {
    EXPECT_EQ(portFolder("/run/user/1000", 1000), "/run/user/1000/orvel-ports");
    EXPECT_EQ(portFolder(nullptr, 1000), "/tmp/orvel-ports-1000");
    EXPECT_EQ(portFolder("", 42), "/tmp/orvel-ports-42");
}

TEST_F(PtyFolder, IsCreatedForTheUserAlone) {
    ensurePrivateFolder(folder, ::getuid());
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_NO_THROW(ensurePrivateFolder(folder, ::getuid())); // and accepted again
}

TEST_F(PtyFolder, IsRefusedWhenOthersCouldUseIt) {
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    EXPECT_THROW(ensurePrivateFolder(folder, ::getuid()), std::runtime_error);
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    EXPECT_THROW(ensurePrivateFolder(folder, ::getuid() + 1), std::runtime_error);
}

TEST_F(PtyFolder, IsRefusedWhenItIsNoFolder) {
    ASSERT_EQ(::symlink("/tmp", folder.c_str()), 0);
    EXPECT_THROW(ensurePrivateFolder(folder, ::getuid()), std::runtime_error);
}

TEST_F(PtyFolder, LinksTakeTheLowestFreeNumberAndReuseDanglingOnes) {
    ensurePrivateFolder(folder, ::getuid());
    EXPECT_EQ(publishLink(folder, "/dev/null"), folder + "/module0");
    EXPECT_EQ(publishLink(folder, "/dev/null"), folder + "/module1");
    ASSERT_EQ(::unlink((folder + "/module0").c_str()), 0);
    EXPECT_EQ(publishLink(folder, "/dev/zero"), folder + "/module0");
    ASSERT_EQ(::symlink("/nonexistent/pts/99", (folder + "/module2").c_str()), 0);
    EXPECT_EQ(publishLink(folder, "/dev/null"), folder + "/module2");
    EXPECT_EQ(fs::read_symlink(folder + "/module2"), "/dev/null");
}

TEST_F(PtyFolder, TheTerminalReachesTheMasterAndTheLinkGoesWithTheEndpoint) {
    ensurePrivateFolder(folder, ::getuid());
    std::string link;
    {
        PtyEndpoint pty(folder);
        link = pty.linkPath();
        EXPECT_EQ(link, folder + "/module0");
        pollfd idle{pty.master(), POLLIN, 0};
        ASSERT_EQ(::poll(&idle, 1, 0), 1);
        EXPECT_NE(idle.revents & POLLHUP, 0) << "nobody holds the terminal yet";

        const int terminal = ::open(link.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        const std::uint8_t command[] = {0x00, 0x33, 0x61, 0x61, 0x61, 0x61};
        ASSERT_EQ(::write(terminal, command, sizeof command), 6);
        pollfd in{pty.master(), POLLIN, 0};
        ASSERT_EQ(::poll(&in, 1, 1000), 1);
        std::uint8_t got[16];
        EXPECT_EQ(::read(pty.master(), got, sizeof got), 6);
        EXPECT_EQ(got[1], 0x33);
        ::close(terminal);
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

} // namespace
} // namespace orvel::sim
