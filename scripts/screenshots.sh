#!/usr/bin/env bash
# Renders the main dialog offscreen on the shipped sample with the default
# style into out/screenshots/, one PNG per state (fit view, zoomed view, the
# style pop-up open, the progress window, each tab pane, the texture
# chooser open and the lighting pane locked) at 1366x768 and 1920x1080, the
# settings dialog and the about window, and all of it at twice the pixel
# density (files ending in @2x).
#
#   scripts/screenshots.sh [IMAGE]      default IMAGE: data/Samples/Word.png
#
# BUILD_DIR (default build) and JOBS (default: all cores) adjust the build.
# The plug-in's system folder is out/screenshots/home, seeded from data/.
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
jobs=${JOBS:-$(nproc)}
image=${1:-data/Samples/Word.png}

scripts/install-deps.sh
cmake -S . -B "$build_dir" -G Ninja
ninja -C "$build_dir" -j"$jobs" morvanel-dialog-shots

out=out/screenshots
mkdir -p "$out"
rm -rf "$out/home"
export MORVANEL_HOME="$PWD/$out/home"
export QT_QPA_PLATFORM=offscreen
shots="$build_dir/tools/dialog-shots/morvanel-dialog-shots"
"$shots" "$image" "$out" 1366x768 1920x1080 2>/dev/null
QT_SCALE_FACTOR=2 "$shots" "$image" "$out" 1366x768 --suffix @2x 2>/dev/null
rm -rf "$out/home"
echo "screenshots: wrote $out/"
