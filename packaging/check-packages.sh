#!/usr/bin/env bash
# Checks the Linux packages in a build folder (make package-check):
#  - the .deb's dependencies name the Qt 6 runtime;
#  - its desktop entry passes desktop-file-validate and its metainfo
#    appstreamcli validate (offline);
#  - its icons are PNGs of the sizes their theme folders say;
#  - dpkg installs it into a throw-away root (dpkg --root, with
#    --force-depends: that root holds no Qt, the host's libraries serve),
#    and what it installed runs: tamsiro-cli --version when the package
#    holds it, else tamsiro's libraries all resolve;
#  - the portable .tar.gz holds tamsiro, README.txt (and tamsiro-cli when
#    the .deb does) in one folder.
#   packaging/check-packages.sh <build folder>
set -euo pipefail
build=${1:?usage: $0 <build folder>}
app_id=io.github.tamsiro.Tamsiro

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

deb=$(ls -t "$build"/tamsiro_*.deb 2>/dev/null | head -1)
tgz=$(ls -t "$build"/Tamsiro-*-Linux.tar.gz 2>/dev/null | head -1)
[[ -n $deb && -n $tgz ]] || { echo "FAIL: no tamsiro_*.deb or Tamsiro-*-Linux.tar.gz in $build" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins; do
  if [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]]; then
    pass "depends on $needed"
  else
    fail "Depends lacks $needed: $depends"
  fi
done

# Installed into an empty root with dpkg itself.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
if dpkg --root="$root" --force-depends --log=/dev/null -i "$deb" >"$work/dpkg.log" 2>&1 &&
   dpkg --root="$root" -s tamsiro 2>/dev/null | grep -q '^Status: install ok installed'; then
  pass "dpkg installs $(basename "$deb")"
else
  fail "dpkg -i into $root failed:"; cat "$work/dpkg.log" >&2
fi

usr=$root/usr
if desktop-file-validate "$usr/share/applications/$app_id.desktop"; then pass "desktop entry valid"; else fail "desktop entry"; fi
if appstreamcli validate --no-net --explain "$usr/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" 2>&1; then
  pass "metainfo valid"
else
  fail "metainfo:"; cat "$work/appstream.log" >&2
fi
if [[ -s $usr/share/doc/tamsiro/README.txt ]]; then pass "README.txt in /usr/share/doc/tamsiro"; else fail "no README.txt"; fi

for size in 16 24 32 48 64 128 256; do
  icon=$usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
  if file "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size,"; then
    pass "icon ${size}x${size}"
  else
    fail "icon ${size}x${size}: $(file "$icon" 2>&1)"
  fi
done

if [[ -x $usr/bin/tamsiro-cli ]]; then
  if version=$("$usr/bin/tamsiro-cli" --version 2>&1) && [[ -n $version ]]; then
    pass "installed tamsiro-cli --version: $version"
  else
    fail "installed tamsiro-cli --version: $version"
  fi
fi
if [[ -x $usr/bin/tamsiro ]] && ! ldd "$usr/bin/tamsiro" | grep -q "not found"; then
  pass "installed tamsiro's libraries resolve"
else
  fail "installed tamsiro missing or unresolved: $(ldd "$usr/bin/tamsiro" 2>&1 | grep 'not found')"
fi

folder=$(basename "$tgz" .tar.gz)
listing=$(tar tzf "$tgz" | sort | tr '\n' ' ')
members=("$folder/tamsiro" "$folder/README.txt")
[[ -x $usr/bin/tamsiro-cli ]] && members+=("$folder/tamsiro-cli")
for member in "${members[@]}"; do
  if [[ " $listing" == *" $member "* ]]; then pass "$(basename "$tgz") holds $member"; else fail "$(basename "$tgz") lacks $member: $listing"; fi
done

if ((failures)); then
  echo "package-check: $failures failed" >&2
  exit 1
fi
echo "package-check: all passed"
