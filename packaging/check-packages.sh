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
#  - lintian finds no error and no warning in the .deb; it holds the
#    copyright file, a changelog naming its version and a manual page for
#    each program; tamsiro --help and --version print and exit 0 without a
#    display;
#  - the portable .tar.gz holds tamsiro, README.txt (and tamsiro-cli when
#    the .deb does) in one folder.
#   packaging/check-packages.sh <build folder>
# With --windows, the Windows zip of a MinGW build folder instead: it holds
# Tamsiro.exe, tamsiro-cli.exe (64-bit Windows programs, one for the
# desktop, one for the console) and README.txt with Windows line ends, in
# one folder and nothing else.
#   packaging/check-packages.sh --windows <build folder>
set -euo pipefail
windows=0
if [[ ${1:-} == --windows ]]; then windows=1; shift; fi
build=${1:?usage: $0 [--windows] <build folder>}
app_id=io.github.tamsiro.Tamsiro

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

if ((windows)); then
  zip=$(ls -t "$build"/Tamsiro-*-Windows.zip 2>/dev/null | head -1)
  [[ -n $zip ]] || { echo "FAIL: no Tamsiro-*-Windows.zip in $build" >&2; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  folder=$(basename "$zip" .zip)
  listing=$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')
  expected="$folder/README.txt $folder/Tamsiro.exe $folder/tamsiro-cli.exe "
  if [[ $listing == "$expected" ]]; then pass "$(basename "$zip") holds $expected"; else fail "$(basename "$zip") holds $listing, not $expected"; fi
  unzip -q "$zip" -d "$work"
  for program in Tamsiro.exe:GUI tamsiro-cli.exe:console; do
    name=${program%%:*} kind=${program##*:}
    if file "$work/$folder/$name" | grep -q "PE32+ executable ($kind) x86-64"; then
      pass "$name: 64-bit Windows $kind program"
    else
      fail "$name: $(file "$work/$folder/$name")"
    fi
  done
  if [[ -s $work/$folder/README.txt ]] && ! grep -qv $'\r$' "$work/$folder/README.txt"; then
    pass "README.txt has Windows line ends"
  else
    fail "README.txt missing or with bare LF line ends"
  fi
  if ((failures)); then
    echo "package-check: $failures failed" >&2
    exit 1
  fi
  echo "package-check --windows: all passed"
  exit 0
fi

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

# Errors and warnings only: the informational tags are advice.
if lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
  pass "lintian: no error or warning"
else
  fail "lintian:"; cat "$work/lintian.log" >&2
fi
version=$(dpkg-deb -f "$deb" Version)
doc=$usr/share/doc/tamsiro
if [[ -s $doc/copyright ]] && head -1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/'; then
  pass "machine-readable copyright file"
else
  fail "no DEP-5 copyright file in $doc"
fi
if [[ $(zcat "$doc/changelog.gz" 2>/dev/null | head -1) == "tamsiro ($version) "* ]]; then
  pass "changelog.gz starts at $version"
else
  fail "changelog.gz does not start at $version: $(zcat "$doc/changelog.gz" 2>&1 | head -1)"
fi
if grep -qx 'StartupWMClass=Tamsiro' "$usr/share/applications/$app_id.desktop"; then
  pass "StartupWMClass names the window's class"
else
  fail "desktop entry lacks StartupWMClass=Tamsiro"
fi
for program in tamsiro tamsiro-cli; do
  [[ -x $usr/bin/$program ]] || continue
  page=$usr/share/man/man1/$program.1.gz
  if zcat "$page" 2>/dev/null | grep -q '^\.SH DESCRIPTION'; then pass "manual page $program(1)"; else fail "no manual page $page"; fi
done
# Asked for help or version, the desktop program prints and needs no display.
for option in --help --version; do
  if out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$usr/bin/tamsiro" "$option" 2>&1) && [[ $out == *Tamsiro* || $out == *tamsiro* ]]; then
    pass "tamsiro $option without a display"
  else
    fail "tamsiro $option without a display: $out"
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
