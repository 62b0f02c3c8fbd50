#!/usr/bin/env bash
# Makes the README's pictures under docs/ from the shipped sample and styles:
#
#   docs/before-after.jpg   the sample, and the sample with the Default style
#   docs/styles.jpg         the sample in every shipped style, in name order
#
# Fails, naming the picture, when any of them cannot be made.  BUILD_DIR
# (default build) is the build folder; the command and the strip tool are
# built there when missing.  The plug-in's system folder is a temporary
# folder, so the user's own settings are never touched.
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
sample=data/Samples/Word.png

scripts/install-deps.sh
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
ninja -C "$build_dir" morvanel morvanel_plugin morvanel-strip

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MORVANEL_HOME="$work/home"
morvanel="$build_dir/src/host/morvanel"
strip="$build_dir/tools/strip/morvanel-strip"

fail() {
  echo "readme-pictures: cannot make $1" >&2
  exit 1
}

# Every shipped style by name, in one batch: one output per style.
styles=()
for file in data/Style/*.mv; do
  name=$(basename "$file" .mv)
  mkdir -p "$work/$name"
  if ! "$morvanel" apply "$sample" --out-dir "$work/$name" --style "$name" 2>"$work/$name.log"; then
    cat "$work/$name.log" >&2
    fail "the $name picture"
  fi
  styles+=("$work/$name/$(basename "$sample")")
done

mkdir -p docs
"$strip" docs/before-after.jpg "$sample" "$work/Default/$(basename "$sample")" --height 200 ||
  fail docs/before-after.jpg
"$strip" docs/styles.jpg "${styles[@]}" --height 90 --columns 4 || fail docs/styles.jpg
for picture in docs/before-after.jpg docs/styles.jpg; do
  [ -s "$picture" ] || fail "$picture"
done
echo "readme-pictures: wrote docs/before-after.jpg and docs/styles.jpg ($(basename -a -s .mv data/Style/*.mv | tr '\n' ' '))"
