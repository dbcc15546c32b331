# Sourced by the Windows scripts: where the toolkit for MinGW-w64 lives, and a
# way to make a private Wine prefix (Wine's own files, its C: drive, its COM
# ports) so that nothing of the user's ~/.wine is touched.
ORVEL_WINDOWS_CACHE=${ORVEL_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvel-windows}
ORVEL_WINDOWS_PREFIX=${ORVEL_WINDOWS_PREFIX:-$ORVEL_WINDOWS_CACHE/qt6-mingw}
export ORVEL_WINDOWS_PREFIX
export WINEDEBUG=-all

# wine_prefix <folder>: a new, empty Wine prefix there, made ready.
wine_prefix() {
    rm -rf "$1"
    mkdir -p "$1"
    WINEPREFIX=$(cd "$1" && pwd) # Wine takes absolute paths only
    export WINEPREFIX
    # No Mono or Gecko installer dialogs: the program needs neither.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    wineserver -w
}

# wine_offscreen: the prefix's programs draw off screen, with the Liberation
# fonts. Wine passes no QT_* variable of Linux on to Windows programs, so these
# go into the prefix's own environment.
wine_offscreen() {
    wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >/dev/null 2>&1
    wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR \
        /d 'Z:\usr\share\fonts\truetype\liberation' /f >/dev/null 2>&1
    wineserver -w
}
