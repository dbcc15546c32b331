#ifdef _WIN32
#include "core/errors.h"
#include "link/win32_serial_link.h"

#include <gtest/gtest.h>

#include <vector>

// The port itself is proven through a Wine COM port by scripts/windows-e2e.sh;
// these are the failures a workshop PC without the port shows.
namespace orvel {
namespace {

TEST(Win32SerialLinkTest, AbsentPortFailsWithTheSystemsNumberAndNothingIsOpen) {
    Win32SerialLink link;
    for (const char* name : {"COM199", "\\\\.\\COM199"}) {
        try {
            link.open(name);
            FAIL() << name << " opened";
        } catch (const PortError& error) {
            EXPECT_STREQ(error.what(), "Unable to open com port (win error code: 2)") << name;
            EXPECT_EQ(error.systemError(), 2) << name;
        }
        EXPECT_FALSE(link.isOpen());
        EXPECT_FALSE(link.probe(name));
    }
    const std::vector<std::uint8_t> bytes{1, 2, 3};
    EXPECT_THROW(link.write(bytes), PortError);
}

} // namespace
} // namespace orvel
#endif
