#!/usr/bin/env bash
# Fuzzing: builds the libFuzzer targets in fuzz/ with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer (build/fuzz), then runs each for a bounded time.
#
#   bash scripts/fuzz.sh [SECONDS_PER_TARGET [TARGET...]]   # 60 s each, all targets
#   bash scripts/fuzz.sh 600 midi_stream                   # one target, ten minutes
#   bash scripts/fuzz.sh --configure                       # only configure; prints the folder
#
# Targets: preset_json host_state timbre_library character_map midi_stream.
# Each starts from its seeds (fuzz/corpus/TARGET, plus the factory presets,
# the shipped data files or freshly saved state chunks) and from the corpus
# earlier runs grew (build/fuzz/corpus/TARGET). A target that crashes, hangs
# or fails a check stops; its input lands in build/fuzz/findings/TARGET/ and
# its log in build/fuzz/logs/TARGET.log. The others still run; the script
# then exits 1. Reproduce a finding with: build/fuzz/fuzz/fuzz_TARGET FILE
#
# Each target keeps one processor (or engine) for the whole run and resets
# it before every input; every 256th input also runs on a new one and must
# end the same, which shows the reset leaves nothing behind. A finding of
# that check depends on the inputs before it: replay the corpus in order with
# PLUMORA_FUZZ_RESET_CHECK_EVERY=1 (the check on every input) to find it.
# The JSON targets mutate the parsed tree and midi_stream whole MIDI events,
# so most inputs get past the parsers. Under the sanitizers preset_json,
# timbre_library and character_map run over a thousand inputs a second,
# host_state and midi_stream several hundred; the summary prints the rate.
#
# The same folder holds the ASan/UBSan build of the test suite
# (scripts/test-asan.sh), so JUCE is compiled with the sanitizers only once.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PLUMORA_FUZZ_BUILD_DIR:-$root/build/fuzz}"
jobs="${PLUMORA_JOBS:-2}"
cache_home="${XDG_CACHE_HOME:-$HOME/.cache}"
all_targets=(preset_json host_state timbre_library character_map midi_stream)

"$root/scripts/install-packages.sh" >&2
"$root/scripts/apt-install-missing.sh" clang libclang-rt-14-dev ccache >&2

# Compiler cache outside the clone: a fresh clone (as in CI) rebuilds from it.
export CCACHE_DIR="${CCACHE_DIR:-$cache_home/plumora/ccache-sanitize}"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-3G}"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DPLUMORA_SANITIZE=address,undefined \
        -DPLUMORA_BUILD_FUZZERS=ON \
        -DPLUMORA_BUILD_BENCHMARKS=OFF >&2
fi

if [ "${1:-}" = "--configure" ]; then
    echo "$build"
    exit 0
fi

seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=("${all_targets[@]}"); fi
case "$seconds" in
    ''|*[!0-9]*) echo "fuzz: seconds per target must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac

started=$SECONDS
cmake --build "$build" --target plumora_fuzzers -j "$jobs"
echo "fuzz: build took $((SECONDS - started)) s"

# Seeds beyond fuzz/corpus/TARGET: what the product ships and saves.
state_seeds="$build/seeds/host_state"
rm -rf "$state_seeds"
"$build/fuzz/fuzz_state_seeds" "$state_seeds" 2> >(grep -v '^\[pm-midi\]' >&2)
extra_seeds() {
    case "$1" in
        preset_json)    echo "$root/presets" ;;
        host_state)     echo "$state_seeds" ;;
        timbre_library) echo "$root/resources/timbres" ;;
        character_map)  echo "$root/resources/character_maps" ;;
    esac
}
dictionary() {
    case "$1" in
        preset_json)                  echo "$root/fuzz/preset_json.dict" ;;
        host_state)                   echo "$root/fuzz/host_state.dict" ;;
        timbre_library|character_map) echo "$root/fuzz/simple_data.dict" ;;
    esac
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=()
for target in "${targets[@]}"; do
    executable="$build/fuzz/fuzz_$target"
    if [ ! -x "$executable" ]; then
        echo "fuzz: no target '$target' (have: ${all_targets[*]})" >&2
        exit 2
    fi
    corpus="$build/corpus/$target"
    findings="$build/findings/$target"
    log="$build/logs/$target.log"
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    options=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1
             -artifact_prefix="$findings/")
    if [ -n "$(dictionary "$target")" ]; then options+=(-dict="$(dictionary "$target")"); fi
    seeds=("$root/fuzz/corpus/$target")
    if [ -n "$(extra_seeds "$target")" ]; then seeds+=("$(extra_seeds "$target")"); fi

    echo "fuzz: $target for $seconds s"
    target_started=$SECONDS
    status=0
    # Without the engine's per-note-off diagnostics, thousands of lines a second here.
    "$executable" "${options[@]}" "$corpus" "${seeds[@]}" 2>&1 | { grep -v '^\[pm-midi\]' || true; } > "$log" || status=$?
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)"
    rate="$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)"
    inputs="$(find "$corpus" -type f | wc -l)"
    if [ "$status" -eq 0 ]; then
        echo "fuzz: $target passed: ${runs:-?} inputs run (${rate:-?}/s) in $((SECONDS - target_started)) s; corpus $inputs files"
    else
        echo "fuzz: $target FAILED (exit $status) after $((SECONDS - target_started)) s; log $log" >&2
        grep -E -A 30 '^==[0-9]+==ERROR|runtime error|fuzz check failed|ALARM|Test unit written' "$log" | head -n 60 >&2 || tail -n 40 "$log" >&2
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: findings in ${failed[*]}; inputs in $build/findings/" >&2
    echo "fuzz: $(( ${#targets[@]} - ${#failed[@]} )) passed, ${#failed[@]} failed"
    exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran clean, $seconds s each"
echo "fuzz: ${#targets[@]} passed, 0 failed"
