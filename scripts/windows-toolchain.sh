#!/bin/bash
# Builds the toolkit the Windows program is cross-built against, for a machine
# that lacks the prepared archive: Qt 6.4.2 (qtbase: Core, Gui, Widgets, Test;
# Serial Port; Charts), libjpeg-turbo 2.1.5 and GoogleTest 1.12.1 for Windows
# x86-64 with Debian 12's MinGW-w64, using Debian's own Qt 6.4.2 host tools.
# About 35 minutes on two cores.
# Usage: [ORVEL_QT_GIT=<url with @>] windows-toolchain.sh <prefix>
# Sources: Debian's source packages (qt6-base, libjpeg-turbo, googletest) and
# Qt's own repositories at tag v6.4.2 for Serial Port and Charts, which
# Debian's mirror does not always carry.
set -eu
P=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi

# Debian's source packages need the source lines of the same mirror.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            $SUDO tee /etc/apt/sources.list.d/orvel-sources.sources >/dev/null
    else
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $SUDO tee /etc/apt/sources.list.d/orvel-src.list >/dev/null
    fi
    $SUDO apt-get update -q
fi
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends \
    dpkg-dev git perl cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev-tools
src=$work/src
mkdir -p "$src"
(cd "$src" && apt-get source -q qt6-base=6.4.2+dfsg-10 libjpeg-turbo googletest >/dev/null 2>&1 ||
    apt-get source -q qt6-base libjpeg-turbo googletest >/dev/null)
# ORVEL_QT_GIT names another place for Qt's repositories (a mirror, a local
# copy), with @ standing for the module: file:///srv/git/qt+@/repo
for m in qtserialport qtcharts; do
    for url in ${ORVEL_QT_GIT:+"$(printf '%s' "$ORVEL_QT_GIT" | sed "s/@/$m/g")"} \
        "https://code.qt.io/qt/$m.git" "https://github.com/qt/$m.git"; do
        git clone -q --depth 1 --branch v6.4.2 "$url" "$src/$m" && break
    done
    [ -d "$src/$m" ] || { echo "no source of $m at tag v6.4.2" >&2; exit 1; }
done
# Debian's folders carry the package's version; the build wants Qt's own names.
qtbase=$(find "$src" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
jpeg=$(find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
gtest=$(find "$src" -maxdepth 1 -type d -name 'googletest-*' | head -n1)
b=$work/build
mkdir -p "$P" "$b"
cat >"$P/mingw-w64.cmake" <<'TC'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
get_filename_component(_orvel_mingw_prefix "${CMAKE_CURRENT_LIST_DIR}" ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${_orvel_mingw_prefix}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC
# Debian's qtbase source leaves out the WinTab headers: the Windows platform
# plugin is built without tablet input.
win="$qtbase/src/plugins/platforms/windows"
sed -i 's/QT_CONFIG(tabletevent)/0 \/\* built without WinTab \*\//' "$win"/qwindowscontext.cpp \
    "$win"/qwindowspointerhandler.cpp "$win"/qwindowspointerhandler.h
sed -i 's/CONDITION QT_FEATURE_tabletevent$/CONDITION FALSE/' "$win"/CMakeLists.txt "$win"/../direct2d/CMakeLists.txt
# Qt 6.4.2's Windows plugin uses dynamic-GL code without checking that OpenGL is built at all.
sed -i 's/QT_CONFIG(dynamicgl)/(QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl))/' "$win"/qwindowswindow.cpp
host=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
cmake -S "$qtbase" -B "$b/qtbase" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$P/mingw-w64.cmake" \
    "${host[@]}" -DCMAKE_INSTALL_PREFIX="$P" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_network=OFF -DFEATURE_opengl=OFF -DFEATURE_icu=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_doubleconversion=OFF
cmake --build "$b/qtbase" && cmake --install "$b/qtbase"
for m in qtserialport qtcharts; do
    cmake -S "$src/$m" -B "$b/$m" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$P/lib/cmake/Qt6/qt.toolchain.cmake" \
        "${host[@]}" -DCMAKE_INSTALL_PREFIX="$P" -DCMAKE_BUILD_TYPE=Release \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    cmake --build "$b/$m" && cmake --install "$b/$m"
done
cmake -S "$jpeg" -B "$b/jpeg" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$P/mingw-w64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$P" -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF -DENABLE_SHARED=OFF \
    -DWITH_TURBOJPEG=OFF
cmake --build "$b/jpeg" && cmake --install "$b/jpeg"
cmake -S "$gtest" -B "$b/gtest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$P/mingw-w64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$P" -DCMAKE_BUILD_TYPE=Release
cmake --build "$b/gtest" && cmake --install "$b/gtest"
# Qt's toolchain file chain-loads the MinGW one by the absolute path it was
# configured with; relative, the prefix can move.
sed -i 's|set(__qt_initially_configured_toolchain_file "[^"]*")|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../mingw-w64.cmake")|' \
    "$P/lib/cmake/Qt6/qt.toolchain.cmake"
find "$P" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
echo "toolkit in $P"
