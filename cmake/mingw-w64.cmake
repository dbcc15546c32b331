# Cross-builds the Windows x86-64 program with Debian's MinGW-w64 (posix threads)
# against the Qt, libjpeg and GoogleTest prefix that scripts/windows.sh unpacks
# or builds. ORVEL_WINDOWS_PREFIX (or the same environment variable) names it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT ORVEL_WINDOWS_PREFIX)
    set(ORVEL_WINDOWS_PREFIX "$ENV{ORVEL_WINDOWS_PREFIX}")
endif()
if(NOT ORVEL_WINDOWS_PREFIX)
    message(FATAL_ERROR "ORVEL_WINDOWS_PREFIX names no Qt for MinGW-w64 prefix")
endif()
# try_compile projects see the toolchain file again, without the cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVEL_WINDOWS_PREFIX)
set(ENV{ORVEL_WINDOWS_PREFIX} "${ORVEL_WINDOWS_PREFIX}")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${ORVEL_WINDOWS_PREFIX}")
set(CMAKE_PREFIX_PATH "${ORVEL_WINDOWS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# moc, rcc and uic are Debian's own Qt 6.4.2, the same version as the prefix.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# Tests run under Wine when ctest starts them.
find_program(ORVEL_WINE NAMES wine64 wine)
if(ORVEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVEL_WINE})
endif()
