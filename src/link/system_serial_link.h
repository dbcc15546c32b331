#pragma once

// The serial link the program uses on the system it is built for.
#ifdef _WIN32
#include "link/win32_serial_link.h"
namespace orvel {
using SystemSerialLink = Win32SerialLink;
}
#else
#include "link/qt_serial_link.h"
namespace orvel {
using SystemSerialLink = QtSerialLink;
}
#endif
