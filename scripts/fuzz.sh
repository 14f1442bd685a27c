#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for a while on a copy of its corpus.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 60 s, every target)
# New inputs go to build-fuzz/corpus/<target>; a crashing input is saved as
# build-fuzz/crash-<target>-...; add it to fuzz/corpus/<target> once the fault is fixed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(bmp project picture number_text)

"$root/scripts/install-deps.sh" --fuzz
CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DFRINGEL_FUZZ=ON -DFRINGEL_BUILD_GUI=OFF \
    -DFRINGEL_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build-fuzz" -j "$(nproc)" $(printf -- '--target fuzz_%s ' "${targets[@]}")

for t in "${targets[@]}"; do
    work="$root/build-fuzz/corpus/$t"
    mkdir -p "$work"
    echo "== $t: $seconds s"
    "$root/build-fuzz/fuzz/fuzz_$t" "$work" "$root/fuzz/corpus/$t" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$root/build-fuzz/crash-$t-" \
        2>&1 | grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)'
done
