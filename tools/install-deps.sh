#!/usr/bin/env bash
# Installs whatever the build and the tests need and the machine lacks.
#
#   tools/install-deps.sh [--build-only]
#
# --build-only installs what the gcc build (tests, Qt and manual pages
# included) needs, so that it can start while the rest installs.
#
# With apt-get (Debian, Ubuntu) it installs Debian's packages, and is safe to
# run again: it installs nothing that is there. Elsewhere (macOS) it only
# says what to install and exits 0, so that make goes on with what the
# machine has.
set -euo pipefail

build_packages=(
  build-essential cmake ninja-build pkg-config libgtest-dev    # core and its tests
  libcli11-dev nlohmann-json3-dev                               # command-line front end
  qt6-base-dev qt6-base-dev-tools libgl-dev                     # Qt front end
  help2man                                                      # manual pages
)
packages=(
  dpkg-dev file desktop-file-utils appstream                    # the .deb and its checks
  lintian zip unzip                                             # Debian policy, the Windows zip
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64        # Tamsiro.exe and its tests
  xvfb xauth                                                    # a display for Wine
  fonts-wine libxrender1                                        # Wine's dialog fonts, as on Windows
  clang                                                         # sanitizers and fuzzing (runtime below)
  desktop-file-utils appstream file                             # checks of the Linux package
)
# Linux only: the FAT test's virtual machine, its kernel and its disks
# (fdisk for sfdisk: the crash states' disk has a partition table).
fat_packages=(qemu-system-x86 linux-image-cloud-amd64 busybox-static dosfstools mtools e2fsprogs cpio fdisk)

# The same on macOS: the Xcode command-line tools bring the compiler; the
# Windows and Linux-only checks do not run there.
brew_formulae=(qt cmake ninja googletest cli11 nlohmann-json)

if ! command -v apt-get >/dev/null || ! command -v dpkg-query >/dev/null; then
  if command -v brew >/dev/null; then
    missing=()
    for formula in "${brew_formulae[@]}"; do
      brew list --versions "$formula" >/dev/null 2>&1 || missing+=("$formula")
    done
    if ((${#missing[@]})); then
      echo "Missing Homebrew packages; install them with:  brew install ${missing[*]}" >&2
    fi
  else
    echo "No apt-get here: install a C++20 compiler, CMake 3.21+, Ninja, GoogleTest, Qt 6," \
      "CLI11 and nlohmann/json with your system's package manager" \
      "(on macOS: brew install ${brew_formulae[*]})." >&2
  fi
  echo "Going on with what this machine has." >&2
  exit 0
fi

build_only=0
[[ ${1:-} == --build-only ]] && build_only=1

sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
# Lists fetched within the hour (by the --build-only run just before) are
# not fetched again.
updated=0
[[ -n $(find /var/lib/apt/lists -maxdepth 1 -name '*_Packages*' -mmin -60 2>/dev/null | head -1) ]] && updated=1

# apt_install PACKAGE...: installs those that are not installed yet.
apt_install() {
  local missing=() package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  if ((!updated)); then
    "${sudo[@]}" apt-get update -qq
    updated=1
  fi
  # dpkg's own fsyncs are for a system that must survive a power cut in
  # the middle of an install; a CI machine is thrown away instead.
  local unsafe=()
  [[ ${CI:-} == true ]] && unsafe=(-o Dpkg::Options::=--force-unsafe-io)
  # Another install on the same machine holds the lock for a while.
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${unsafe[@]}" "${missing[@]}" >/dev/null
}

apt_install "${build_packages[@]}"
((build_only)) && exit 0
apt_install "${packages[@]}"
[[ $(uname -s) == Linux ]] && apt_install "${fat_packages[@]}"

# The sanitizer and libFuzzer runtime is made for one clang version: the one
# installed (14 on Debian 12).
clang_version=$(clang -dumpversion)
apt_install "libclang-rt-${clang_version%%.*}-dev"
