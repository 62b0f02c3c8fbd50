#!/usr/bin/env bash
# The main job on a fresh machine: installs what is missing, builds the
# morvanel command and its plug-in, applies the default style to the shipped
# sample, and renders every shipped style for comparison.
#
#   scripts/demo.sh            writes out/Word-default.png and out/styles/*.png
#
# BUILD_DIR (default build) and JOBS (default: all cores) adjust the build.
# The plug-in's system folder is out/home, seeded from data/ on each run, so
# the user's own settings are never touched.
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
jobs=${JOBS:-$(nproc)}
sample=Word

scripts/install-deps.sh
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
ninja -C "$build_dir" -j"$jobs" morvanel morvanel_plugin

mkdir -p out/styles
rm -rf out/home
export MORVANEL_HOME="$PWD/out/home"
morvanel="$build_dir/src/host/morvanel"

"$morvanel" apply "data/Samples/$sample.png" -o "out/$sample-default.png" --style data/Style/Default.mv
echo "demo: wrote out/$sample-default.png"

for style in data/Style/*.mv; do
  name=$(basename "$style" .mv)
  "$morvanel" apply "data/Samples/$sample.png" -o "out/styles/$name.png" --style "$style"
done
echo "demo: wrote every style to out/styles/"
