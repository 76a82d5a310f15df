#!/usr/bin/env bash
# Runs a Windows program under Wine, headless, in Plumora's own Wine prefix,
# and exits with the program's exit code. The Windows build's test emulator
# (CMAKE_CROSSCOMPILING_EMULATOR in cmake/mingw-w64-x86_64.cmake).
#
#   scripts/wine-run.sh program.exe [arguments...]
#   scripts/wine-run.sh --prepare        # only make sure the prefix exists
#
# With PLUMORA_WINE_DISPLAY=xvfb the program shows its windows on a virtual X
# display of its own (xvfb-run; packages xvfb and xauth), for tests that take
# pictures of them. Wine picks its display driver when its session (the
# wineserver) starts, and a session started headless keeps every window off
# screen, so such a program gets a session of its own: the running one ends
# first (run no other Wine program meanwhile: CTest's RUN_SERIAL), and its
# own ends before its display does.
#
# The prefix lives outside the source tree, in
#   ${PLUMORA_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/plumora/wineprefix}
# and is created on first use (about a minute).
set -euo pipefail

export WINEPREFIX="${PLUMORA_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/plumora/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers (they would ask through a dialog), no display.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
unset DISPLAY WAYLAND_DISPLAY

if ! command -v wine > /dev/null; then
    echo "wine-run: wine is not installed (apt-get install wine wine64)" >&2
    exit 127
fi

ready="$WINEPREFIX/.plumora-ready"
if [ ! -f "$ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    # One creator at a time; the lock's descriptor is closed for Wine itself,
    # or the wineserver it leaves running would hold the lock.
    exec 9> "$WINEPREFIX.lock"
    flock 9
    if [ ! -f "$ready" ]; then
        echo "wine-run: creating the Wine prefix $WINEPREFIX" >&2
        rm -rf "$WINEPREFIX" # what an interrupted creation left
        started=$SECONDS
        wineboot --init 9>&- > /dev/null 2>&1 || true
        wineserver --wait 9>&- || true
        if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -d "$WINEPREFIX/dosdevices" ]; then
            echo "wine-run: wineboot did not create the prefix $WINEPREFIX" >&2
            exit 1
        fi
        touch "$ready"
        echo "wine-run: prefix ready in $((SECONDS - started)) s" >&2
    fi
    exec 9>&-
fi

if [ "${1:-}" = "--prepare" ]; then
    echo "wine-run: prefix $WINEPREFIX ready"
    exit 0
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 program.exe [arguments...] | --prepare" >&2
    exit 2
fi
case "${PLUMORA_WINE_DISPLAY:-}" in
    "")
        exec wine "$@"
        ;;
    xvfb)
        if ! command -v xvfb-run > /dev/null || ! command -v xauth > /dev/null; then
            echo "wine-run: PLUMORA_WINE_DISPLAY=xvfb needs xvfb-run and xauth (apt-get install xvfb xauth)" >&2
            exit 127
        fi
        wineserver --wait || true
        # Room for a 1800 x 1290 window (an editor at a scale of 1.5).
        exec xvfb-run --auto-servernum --server-args="-screen 0 1920x1440x24 -nolisten tcp" \
            bash -c 'wine "$@"; status=$?; wineserver --wait; exit $status' wine-run "$@"
        ;;
    *)
        echo "wine-run: PLUMORA_WINE_DISPLAY is '$PLUMORA_WINE_DISPLAY'; it may only be xvfb or empty" >&2
        exit 2
        ;;
esac
