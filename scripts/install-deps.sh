#!/bin/sh
# Installs everything the build, the tests and the demo need (Debian 12).
set -eu
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
PACKAGES="build-essential cmake ccache pkg-config clang-14 libclang-rt-14-dev clang-format
  qt6-base-dev qt6-serialport-dev libgl-dev libjpeg62-turbo-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-charts-dev qt6-datavisualization-dev libqt6opengl6-dev qt6-declarative-dev
  libgl1-mesa-dri qt6-translations-l10n
  desktop-file-utils appstream lintian dpkg-dev fakeroot file
  xvfb xauth imagemagick fonts-liberation"
missing=""
for p in $PACKAGES; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $SUDO apt-get update -q
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -q --no-install-recommends $missing
fi
