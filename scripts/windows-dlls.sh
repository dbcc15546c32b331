#!/bin/sh
# Checks that a Windows program folder is whole: every DLL that any program,
# library or plugin in it imports is in the folder or part of Windows (found in a
# fresh Wine prefix's system32, or an API set that Windows' loader resolves).
# Usage: windows-dlls.sh <folder>
set -eu
folder=$1
. "$(dirname "$0")/windows-env.sh"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
wine_prefix "$prefix"
system=$prefix/drive_c/windows/system32
have=$(find "$folder" -iname '*.dll' -exec basename {} \; | tr 'A-Z' 'a-z')
status=0
for binary in $(find "$folder" -iname '*.exe' -o -iname '*.dll'); do
    for dll in $(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p'); do
        lower=$(echo "$dll" | tr 'A-Z' 'a-z')
        case $lower in
        api-ms-win-* | ext-ms-win-*) continue ;; # API sets: names the loader resolves itself
        esac
        if ! echo "$have" | grep -qx "$lower" && [ ! -e "$system/$lower" ] &&
            ! ls "$system" | tr 'A-Z' 'a-z' | grep -qx "$lower"; then
            echo "$binary needs $dll, which is neither in the folder nor in Windows" >&2
            status=1
        fi
    done
done
exit $status
