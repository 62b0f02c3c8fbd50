#!/usr/bin/env bash
# Installs the Debian packages Morvanel builds with, only those that are missing.
#   --gimp  also GIMP 2.10 and libgimp 2.0 for the GIMP plug-in and its tests
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libpng-dev libjpeg62-turbo-dev libtiff-dev
  nlohmann-json3-dev
  qt6-base-dev
  libgtest-dev libbenchmark-dev
)
for option in "$@"; do
  case "$option" in
    --gimp) packages+=(gimp libgimp2.0-dev) ;;
    *) echo "install-deps: unknown option $option (only --gimp)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
if ! "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
