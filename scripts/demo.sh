#!/usr/bin/env bash
# The whole analysis without a window, on the bundled sample series: connect the exposures,
# measure the zero order and the two first orders, simulate the mesh, and compare the
# measured energy ratios with the ratios of the synthetic truth.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="$root/build/src/cli/fringel-cli"
sample="$root/samples/fabric"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$sample"/* "$work"
cd "$work"

echo "Sample: $sample (5 exposures of a mesh of period 169, wire 51, angle 20 degrees)"
"$cli" connect -o fabric exp_0*.bmp
echo "Connected into fabric.mdt ($("$cli" info fabric.mdt))"

# The place and true peak height of order (i, j), from the sample's order list.
order() { awk -v i="$1" -v j="$2" '$1 == i && $2 == j { print $3 "," $4, $5 }' orders.txt; }
# The energy measured next to a place.
energy() { "$cli" measure fabric.mdt --at "$1" --json | sed -E 's/.*"E": ([^,]*),.*/\1/'; }

read -r at0 peak0 <<<"$(order 0 0)"
e0="$(energy "$at0")"
printf '\n%-12s %-10s %-14s %-14s %-10s\n' "order" "at" "energy" "E / E(0,0)" "truth"
printf '%-12s %-10s %-14s %-14s %-10s\n' "(0,0)" "$at0" "$e0" "1" "1"
for ij in "0 1" "1 0"; do
    read -r i j <<<"$ij"
    read -r at peak <<<"$(order "$i" "$j")"
    e="$(energy "$at")"
    awk -v o="($i,$j)" -v at="$at" -v e="$e" -v e0="$e0" -v p="$peak" -v p0="$peak0" \
        'BEGIN { printf "%-12s %-10s %-14s %-14.4g %-10.4g\n", o, at, e, e / e0, p / p0 }'
done

echo
echo "Trapezium model of the mesh (f g b0 a0 c originIntensity):"
"$cli" simulate --period 169 --diameter 51 --angle 20
