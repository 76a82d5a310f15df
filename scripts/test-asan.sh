#!/usr/bin/env bash
# AddressSanitizer + UndefinedBehaviorSanitizer pass: the unit test suite
# (plumora_tests, the renderer it drives, the VST3 bundle and the app it
# checks) built with clang and -fsanitize=address,undefined (undefined
# behaviour halts the test), run through CTest.
#
# It shares build/fuzz with the fuzzers (scripts/fuzz.sh): one sanitized JUCE
# for both. Left out: the VST3 host test (label "host": it compiles a second
# JUCE of its own and runs the same processor as the unit tests), the storm
# tests (label "storm": minutes of audio even without a sanitizer), and
# WavetableReading.CubicReadHitsSamplesAndWrapsAroundTheCycle, which expects
# GCC's rounding to 4 ULPs of a result that cancels large terms; clang's code
# rounds it differently (no sanitizer report); and the accessibility tests,
# which open real windows: under X11 JUCE decodes its drag-hand cursor with
# its own GIF reader, whose undefined behaviour (inside JUCE) halts the test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${PLUMORA_JOBS:-2}"

build="$("$root/scripts/fuzz.sh" --configure | tail -n 1)"
export CCACHE_DIR="${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/plumora/ccache-sanitize}"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1

started=$SECONDS
cmake --build "$build" --target plumora_tests -j "$jobs"
echo "test-asan: build took $((SECONDS - started)) s"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
started=$SECONDS
# Executables this pass does not build stand in CTest's list as *_NOT_BUILT.
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 900 --no-tests=error \
      -LE 'host|storm' -E '_NOT_BUILT$|^WavetableReading\.CubicReadHitsSamplesAndWrapsAroundTheCycle$|^Accessib(ility|leEditor)\.'
echo "test-asan: tests took $((SECONDS - started)) s"
