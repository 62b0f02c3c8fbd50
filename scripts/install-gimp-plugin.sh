#!/usr/bin/env bash
# Builds the GIMP 2.10 plug-in and installs it for the current user:
#   <GIMP folder>/plug-ins/morvanel-gimp/morvanel-gimp    the GIMP plug-in
#   <GIMP folder>/plug-ins/morvanel-gimp/libmorvanel.so   the plug-in library it hosts
#   <GIMP folder>/plug-ins/morvanel-gimp/libmorvanel_dialog.so   its dialogs, loaded on demand
#   <GIMP folder>/plug-ins/morvanel-gimp/data/            styles, textures, images
# The GIMP folder is $GIMP2_DIRECTORY when set, else ~/.config/GIMP/2.10
# (following XDG_CONFIG_HOME).  Restart GIMP afterwards; the filter is under
# Filters > Light and Shadow > Morvanel...
#
#   scripts/install-gimp-plugin.sh [--build-dir DIR] [--no-build]
#     --build-dir DIR  the build folder to use (default: build)
#     --no-build       install what DIR already holds
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build_dir=build
build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=${2:?--build-dir needs a folder}; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "install-gimp-plugin: unknown option $1" >&2; exit 2 ;;
  esac
done

if [ "$build" = 1 ]; then
  if ! pkg-config --exists gimp-2.0; then
    echo "install-gimp-plugin: libgimp 2.0 is missing; run scripts/install-deps.sh --gimp first" >&2
    exit 1
  fi
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANEL_BUILD_GIMP=ON
  cmake --build "$build_dir" --target morvanel-gimp morvanel_plugin morvanel_dialog
fi

executable="$build_dir/src/gimp/morvanel-gimp"
library="$build_dir/src/plugin/libmorvanel.so"
dialogs="$build_dir/src/plugin/libmorvanel_dialog.so"
for file in "$executable" "$library" "$dialogs"; do
  if [ ! -f "$file" ]; then
    echo "install-gimp-plugin: $file is missing; build it first (or leave out --no-build)" >&2
    exit 1
  fi
done

gimp_folder=${GIMP2_DIRECTORY:-${XDG_CONFIG_HOME:-$HOME/.config}/GIMP/2.10}
target="$gimp_folder/plug-ins/morvanel-gimp"
mkdir -p "$target"
# Fresh copies under temporary names, renamed into place: a GIMP that is
# running keeps the files it has open.
install -m 755 "$executable" "$target/.morvanel-gimp.new"
mv -f "$target/.morvanel-gimp.new" "$target/morvanel-gimp"
# Not executable: GIMP must not take the library for a plug-in of its own.
for lib in "$library" "$dialogs"; do
  name=$(basename "$lib")
  install -m 644 "$lib" "$target/.$name.new"
  mv -f "$target/.$name.new" "$target/$name"
done
rm -rf "$target/data"
cp -R "$source_dir/data" "$target/data"
echo "install-gimp-plugin: installed into $target"
