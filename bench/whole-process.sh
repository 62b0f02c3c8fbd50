#!/usr/bin/env bash
# The whole morvanel process against the image tool's distance-and-shade
# pipeline, run alternately on the same generated 4000 x 3000 image.
#
#   bench/whole-process.sh [BUILD-DIR] [ROUNDS]
#
# Prints each run's wall-clock time, the medians, their ratio (morvanel /
# pipeline) and morvanel's peak memory.  Needs ImageMagick for the pipeline
# and for making the image; it is installed here when missing (apt-get),
# never by scripts/install-deps.sh.
set -euo pipefail

calc() { awk "BEGIN { print $1 }"; }

build=${1:-build}
rounds=${2:-5}
morvanel="$build/src/host/morvanel"
[ -x "$morvanel" ] || { echo "no $morvanel: build first" >&2; exit 2; }

# A real ImageMagick convert (a stand-in of the same name may come first).
find_convert() {
    for c in magick convert-im6.q16 convert /usr/bin/convert; do
        if command -v "$c" >/dev/null 2>&1 && "$c" -version 2>/dev/null | grep -q ImageMagick; then
            command -v "$c"
            return 0
        fi
    done
    return 1
}
if ! convert=$(find_convert); then
    echo "installing imagemagick for the comparison pipeline" >&2
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends imagemagick >&2 ||
        { "${sudo_cmd[@]}" apt-get update >&2 &&
          DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends imagemagick >&2; }
    convert=$(find_convert)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MORVANEL_HOME="$work/home" HOME="$work/userhome"
mkdir -p "$MORVANEL_HOME" "$HOME"

# A rounded rectangle on a transparent layer.
big="$work/big.png"
"$convert" -size 4000x3000 xc:none -fill 'rgb(200,120,60)' \
    -draw "roundrectangle 400,300 3600,2700 250,250" "$big"

seconds() {  # seconds of wall clock that the command takes
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    calc "$end - $start"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ours=()
theirs=()
echo "round  morvanel s  pipeline s"
for ((i = 1; i <= rounds; i++)); do
    a=$(seconds "$morvanel" apply "$big" -o "$work/ours.png")
    b=$(seconds "$convert" "$big" -alpha extract -morphology Distance Euclidean:4 -auto-level -shade 135x45 \
        "$work/theirs.png")
    ours+=("$a")
    theirs+=("$b")
    printf "%5d  %10.3f  %10.3f\n" "$i" "$a" "$b"
done
m=$(printf "%s\n" "${ours[@]}" | median)
p=$(printf "%s\n" "${theirs[@]}" | median)
printf "median %10.3f  %10.3f\n" "$m" "$p"
printf "ratio morvanel / pipeline: %.3f (%.1f times faster)\n" "$(calc "$m / $p")" "$(calc "$p / $m")"

peak=$( { /usr/bin/time -v "$morvanel" apply "$big" -o "$work/ours.png" >/dev/null 2>/dev/null; } 2>&1 |
        awk -F: '/Maximum resident/ { gsub(/ /, "", $2); print $2 }' || true)
if [ -z "$peak" ]; then
    peak=$( (/usr/bin/time -f "%M" "$morvanel" apply "$big" -o "$work/ours.png" >/dev/null) 2>&1 | tail -1)
fi
printf "morvanel peak memory: %d MB, %.1f bytes per pixel\n" "$((peak / 1024))" "$(calc "$peak * 1024 / 12000000")"
echo "threads: ${MORVANEL_THREADS:-all} of $(nproc) processors; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
