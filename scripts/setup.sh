#!/usr/bin/env bash
# Installs the Debian packages Quenmar needs (only those missing), then configures and
# builds everything with the "default" CMake preset. Used by ./run.sh and ./test.sh.
# (clang, libclang-rt-14-dev and llvm are for the fuzz targets and readable sanitizer
# reports; the default build does not use them.)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake g++ ninja-build
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev
  libcli11-dev libgtest-dev nlohmann-json3-dev libgmp-dev libtbb-dev libdxflib-dev
  coinor-libcbc-dev
  fonts-liberation libx11-dev
  qt6-svg-dev pkg-config bash-completion
  desktop-file-utils appstream dpkg-dev man-db groff-base
  clang libclang-rt-14-dev llvm
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake --preset default >/dev/null
cmake --build --preset default
