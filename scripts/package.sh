#!/bin/sh
# Builds the Debian package and the archive and checks them with the desktop's own
# tools: the menu entry, the AppStream metadata, lintian (no errors, hardened), the
# dependencies, the contents, and
# (as root, unless ORVEL_PACKAGE_INSTALL=0) an install, a run and a clean removal.
# Usage: package.sh [build dir, default build-package]
# The package is built optimised and hardened, in a folder of its own so that the
# test builds keep their flags.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/${1:-build-package}"
id=org.orvel.Orvel

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DORVEL_HARDENING=ON \
    -DORVEL_SANITIZE=OFF -DORVEL_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target orvel orvel-module-sim orvel_install_files
rm -f "$build"/orvel_*.deb "$build"/orvel-*.tar.gz
(cd "$build" && cpack -G DEB >/dev/null && cpack -G TGZ >/dev/null)
deb=$(ls "$build"/orvel_*.deb)
archive=$(ls "$build"/orvel-*.tar.gz)
echo "Package: $deb"
echo "Archive: $archive"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$id.metainfo.xml"
lintian --fail-on error --tag-display-limit 0 "$deb"
# Hardening is only an informational tag: look for it.
if lintian --display-info --tag-display-limit 0 "$deb" | grep hardening-; then
    echo "the programs are not built hardened" >&2
    exit 1
fi

# The dependencies are written by hand, so that the Qt libraries' t64 names of
# Debian 13 and Ubuntu 24.04 are alternatives; every library the programs link,
# as dpkg-shlibdeps names it here, must be among them.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
mkdir -p "$unpacked/shlibs/debian"
: >"$unpacked/shlibs/debian/control"
needed=$(cd "$unpacked/shlibs" &&
    dpkg-shlibdeps -O "$unpacked/usr/bin/orvel" "$unpacked/usr/bin/orvel-module-sim" 2>/dev/null |
    sed 's/^shlibs:Depends=//' | tr ',' '\n' | sed 's/ *(.*//; s/^ *//')
[ -n "$needed" ] || {
    echo "dpkg-shlibdeps found no libraries" >&2
    exit 1
}
alternatives=$(echo "$depends" | tr ',|' '\n\n' | sed 's/ *(.*//; s/^ *//')
for package in $needed; do
    echo "$alternatives" | grep -qx "$package" || {
        echo "Depends lacks $package" >&2
        exit 1
    }
done
if echo "$depends" | tr ',' '\n' | grep libqt6 | grep -v "t64"; then
    echo "a Qt library above has no t64 alternative" >&2
    exit 1
fi

# The package under /usr, the archive under its own folder for any prefix.
check_contents() { # <listing> <prefix> <what>
    missing=0
    for path in bin/orvel bin/orvel-module-sim \
        share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
        share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/128x128/apps/$id.png \
        share/icons/hicolor/256x256/apps/$id.png share/man/man1/orvel.1.gz \
        share/doc/orvel/copyright; do
        if ! echo "$1" | grep -qx "$2$path"; then
            echo "missing from the $3: $path" >&2
            missing=1
        fi
    done
    [ "$missing" -eq 0 ]
}
check_contents "$(dpkg-deb --contents "$deb" | awk '{print $6}')" ./usr/ package
check_contents "$(tar -tzf "$archive")" "$(basename "$archive" .tar.gz)/" archive
for size in 48 128 256; do
    file "$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" |
        grep -q "PNG image data, $size x $size" || {
        echo "icon $size is not a $size x $size PNG" >&2
        exit 1
    }
done

if [ "$(id -u)" -eq 0 ] && [ "${ORVEL_PACKAGE_INSTALL:-1}" != 0 ]; then
    if dpkg -s orvel >/dev/null 2>&1; then
        echo "orvel is installed on this machine already: install test skipped"
    else
        export DEBIAN_FRONTEND=noninteractive
        apt-get install -y -q "$deb" >/dev/null
        env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/orvel --version
        # Software centres show the Portuguese texts only when their language tag
        # matches the user's locale as AppStream spells it. The cache is rebuilt
        # by force: it can miss a file changed within the same second.
        appstreamcli refresh-cache --force >/dev/null
        summary=$(LANG=pt_BR.UTF-8 LANGUAGE= LC_ALL= appstreamcli get $id | grep "^Summary:" || true)
        apt-get remove -y -q orvel >/dev/null
        appstreamcli refresh-cache --force >/dev/null
        if dpkg -s orvel >/dev/null 2>&1 || [ -e /usr/bin/orvel ]; then
            echo "orvel was not removed cleanly" >&2
            exit 1
        fi
        case "$summary" in
        "Summary: Configure e acompanhe"*) ;;
        *)
            echo "pt_BR users get the summary in another language: $summary" >&2
            exit 1
            ;;
        esac
        echo "Installed, ran and removed cleanly."
    fi
fi
echo "Package checks passed."
