#!/usr/bin/env bash
# Time of every engine stage at 4000 x 3000 with every stage on, with one
# thread and with all threads, from bench/engine (built with
# -DMORVANEL_BUILD_BENCH=ON).
#
#   bench/stage-table.sh [BUILD-DIR] [SETTING]
#
# SETTING: 0 the default style, 1 with texture and foreground, 2 every stage
# (the default), 3 and 4 every stage with smoothing, bevel length and shadow
# diffusion all at 1 (3) or all at 100 (4).  The two runs alternate stage by
# stage, so that a machine busy with other work slows both alike.
set -euo pipefail

calc() { awk "BEGIN { print $1 }"; }

build=${1:-build}
setting=${2:-2}
bench="$build/bench/engine/morvanel_engine_bench"
[ -x "$bench" ] || { echo "no $bench: configure with -DMORVANEL_BUILD_BENCH=ON and build" >&2; exit 2; }

# Median time in ms of one benchmark with the given thread count.
time_of() {
    MORVANEL_THREADS=$1 "$bench" --benchmark_filter="^$2\$" --benchmark_repetitions=3 \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
        awk -F, '/_median"/ { print $3 }'
}

all=$(nproc)
printf "%-20s %12s %12s %8s\n" "stage (4000x3000)" "1 thread ms" "$all threads ms" "ratio"
for stage in CreateDistance FuncBevel MakeBevel TextureMapping ForeGroundMapping FuncAlpha MakeShadow Lighting \
    CompositeShadow Render; do
    name="BM_$stage/w:4000/h:3000/setting:$setting"
    one=$(time_of 1 "$name")
    many=$(time_of "$all" "$name")
    printf "%-20s %12.1f %12.1f %8.2f\n" "$stage" "$one" "$many" "$(calc "$many / $one")"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
