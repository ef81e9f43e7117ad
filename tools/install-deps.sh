#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# the machine lacks. Safe to run again: it installs nothing that is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config libgtest-dev    # core and its tests
  libcli11-dev nlohmann-json3-dev                               # tamsiro-cli, extracted-folder manifests
  qt6-base-dev qt6-base-dev-tools libgl-dev                     # Qt front end
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64        # Tamsiro.exe and its tests
  xvfb xauth                                                    # a display for Wine
  fonts-wine libxrender1                                        # Wine's dialog fonts, as on Windows
  clang libclang-rt-14-dev                                      # sanitizers and fuzzing
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if ! command -v apt-get >/dev/null; then
  echo "Missing packages: ${missing[*]} (install them with your system's package manager)" >&2
  exit 1
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
