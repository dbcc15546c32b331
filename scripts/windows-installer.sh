#!/bin/sh
# Packs the Windows program's folder as Orvel-<version>-setup.exe (NSIS, in
# Portuguese) and Orvel-<version>-portatil.zip, then checks the installer under
# Wine: a silent install, the installed orvel.exe --version, the Start-menu entry
# and the uninstaller's registration, a silent removal that leaves nothing in
# the installation folder. Usage: windows-installer.sh <Windows build folder>
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
. "$root/scripts/windows-env.sh"
dist=$build/dist
folder=$dist/Orvel
nsis=$build/packaging/windows
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup=$dist/Orvel-$version-setup.exe
zip=$dist/Orvel-$version-portatil.zip

# Every file of the folder, installed and removed by name: the uninstaller must
# not take anything a user put beside them.
(
    cd "$folder"
    find . -type d | sort | while read -r dir; do
        win=$(echo "${dir#.}" | tr / '\\')
        echo "SetOutPath \"\$INSTDIR$win\""
        find "$dir" -maxdepth 1 -type f | sort | while read -r file; do
            echo "File \"$folder/${file#./}\""
        done
    done
) >"$nsis/files.nsh"
(
    cd "$folder"
    find . -type f | sort | while read -r file; do
        echo "Delete \"\$INSTDIR\\$(echo "${file#./}" | tr / '\\')\""
    done
    find . -mindepth 1 -type d | sort -r | while read -r dir; do
        echo "RMDir \"\$INSTDIR\\$(echo "${dir#./}" | tr / '\\')\""
    done
) >"$nsis/unfiles.nsh"
rm -f "$setup" "$zip"
makensis -V2 -DOUTPUT="$setup" "$nsis/orvel.nsi"
(cd "$dist" && zip -qr "$zip" Orvel)
echo "Installer: $setup"
echo "Portable:  $zip"

check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
wine_prefix "$check/wine"
wine "$setup" /S
wineserver -w
installed="$WINEPREFIX/drive_c/Program Files/Orvel"
[ -f "$installed/orvel.exe" ] || { echo "the installer put no orvel.exe in $installed" >&2; exit 1; }
wine "$installed/orvel.exe" --version | tr -d '\r' | grep -qx "orvel $version"
[ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Orvel.lnk" ] ||
    { echo "no Start-menu entry" >&2; exit 1; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvel'
wine reg query "$key" /v UninstallString >/dev/null
wine "$installed/desinstalar.exe" /S
wineserver -w
if [ -e "$installed" ] && [ -n "$(ls -A "$installed")" ]; then
    echo "the uninstaller left files behind:" >&2
    ls -lR "$installed" >&2
    exit 1
fi
if wine reg query "$key" >/dev/null 2>&1; then
    echo "the uninstaller left its registration behind" >&2
    exit 1
fi
echo "The installer installs, runs and uninstalls cleanly under Wine."
