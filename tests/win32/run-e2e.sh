#!/usr/bin/env bash
# End-to-end tests of Tamsiro.exe: builds it and its zip (MinGW-w64), checks
# the zip (packaging/check-packages.sh --windows), runs it under Wine
# on a virtual display, drives it with tests/win32/tamsiro_driver.exe as a
# person would, and compares the stick and the program folder byte for byte
# with what each scenario must leave.
#
#   tests/win32/run-e2e.sh [--screenshots] [scenario...]
#
# --screenshots also refreshes docs/screenshots/win32-*.png.
set -uo pipefail

REPO=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$REPO/build/win32-e2e
# The scenarios run the Tamsiro.exe a user gets: unpacked from the zip.
UNZIPPED=$WORK/zip
EXE=$UNZIPPED/Tamsiro.exe
DRIVER=$REPO/build/mingw/tests/win32/tamsiro_driver.exe
# The fixture maker is a host program: it comes from the dev tree, built
# here, or from E2E_FIXTURE, one built already (make test's release tree).
FIXTURE=${E2E_FIXTURE:-$REPO/build/dev/tests/win32/tamsiro_e2e_fixture}

screenshots=0
selected=()
for arg in "$@"; do
  case $arg in
    --screenshots) screenshots=1 ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) selected+=("$arg") ;;
  esac
done

say() { printf '%s\n' "$*"; }
die() { printf 'run-e2e: %s\n' "$*" >&2; exit 2; }

for tool in cmake ninja x86_64-w64-mingw32-windres wine Xvfb; do
  command -v "$tool" >/dev/null || die "$tool is missing (tools/install-deps.sh installs it)"
done

# ---------------------------------------------------------------- build
started=$SECONDS
say "== building Tamsiro.exe, the driver and the fixture maker"
mkdir -p "$WORK"
# Warnings are errors in the cross build: it is the one check of the
# Windows-only code with MinGW's compiler.
{
  cmake --preset mingw -DTAMSIRO_BUILD_TESTS=ON -DTAMSIRO_WERROR=ON &&
  cmake --build --preset mingw -j2 --target Tamsiro tamsiro_driver tamsiro_packages &&
  if [[ ${E2E_FIXTURE:-} ]]; then
    [[ -x $FIXTURE ]] || { echo "$FIXTURE is missing"; false; }
  else
    cmake --preset dev && cmake --build --preset dev -j2 --target tamsiro_e2e_fixture
  fi
} >"$WORK/build.log" 2>&1 || { tail -40 "$WORK/build.log"; die "build failed (log: $WORK/build.log)"; }

say "== checking the Windows zip"
"$REPO/packaging/check-packages.sh" --windows "$REPO/build/mingw" || die "the Windows zip is not as it should be"
zip=$(ls -t "$REPO"/build/mingw/Tamsiro-*-Windows.zip | head -1)
rm -rf "$UNZIPPED" "$WORK/unzip"
mkdir -p "$WORK/unzip"
unzip -q "$zip" -d "$WORK/unzip" && mv "$WORK/unzip/$(basename "$zip" .zip)" "$UNZIPPED" || die "cannot unpack $zip"

# ---------------------------------------------------------------- Wine on Xvfb
xvfb_pid=
cleanup() {
  [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]] && wineserver -k >/dev/null 2>&1
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -f "$WORK/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $WORK/display ]] && break; sleep 0.1; done
[[ -s $WORK/display ]] || die "Xvfb did not start (log: $WORK/xvfb.log)"
export DISPLAY=:$(head -1 "$WORK/display")

export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# prepare_prefix: a new prefix, ready to start programs. Wine's first boot
# of a prefix now and then dies half-way ("could not load kernel32.dll"), or
# leaves it refusing the first CreateProcess; such a prefix is thrown away.
prepare_prefix() {
  wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  wineboot -i >"$WORK/wineboot.log" 2>&1 || return 1
  # Wine draws the window frames itself: there is no window manager.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || return 1
  # Its frame glyphs come from Marlett; some packagings leave Wine's own
  # fonts outside the prefix.
  for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
    for fonts in /usr/share/wine/fonts /usr/lib/wine/fonts /opt/wine*/share/wine/fonts; do
      [[ -f $fonts/$font ]] && { cp "$fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"; break; }
    done
  done
  wineserver -p 60 >/dev/null 2>&1 || true
  wine cmd /c exit 0 >>"$WORK/wineboot.log" 2>&1
}
say "== preparing a fresh Wine prefix (display $DISPLAY)"
prefix_ready=
for attempt in 1 2 3; do
  prepare_prefix && { prefix_ready=1; break; }
  say "   Wine's prefix was not usable (attempt $attempt), trying again"
done
[[ -n $prefix_ready ]] || die "cannot prepare a Wine prefix (log: $WORK/wineboot.log)"

# ---------------------------------------------------------------- helpers
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

passed=0
failed=0
failures=()
scenario= dir= prog= stick= expect= P= S=

# new_scenario NAME [EXE-NAME]: empty program folder with the program, no stick yet
new_scenario() {
  scenario=$1
  dir=$WORK/scenarios/$1
  rm -rf "$dir"
  mkdir -p "$dir/prog" "$dir/expect"
  prog=$dir/prog stick=$dir/stick expect=$dir/expect
  cp "$EXE" "$prog/${2:-Tamsiro.exe}"
  P=$(winpath "$prog") S=$(winpath "$stick")
  scenario_started=$SECONDS
}

fixture() { "$FIXTURE" "$@" || die "fixture maker failed: $*"; }

# Starting state, to derive the expected end state from.
snapshot() {
  rm -rf "$expect"
  mkdir -p "$expect"
  cp -a "$prog" "$expect/prog"
  [[ -d $stick ]] && cp -a "$stick" "$expect/stick"
  for extra in "$@"; do cp -a "$dir/$extra" "$expect/$extra"; done
  return 0
}

# drive < script: runs the driver on the script, keeps its transcript.
drive() {
  cat >"$dir/$scenario.script"
  timeout 300 wine "$DRIVER" "$(winpath "$dir/$scenario.script")" >"$dir/$scenario.transcript" 2>"$dir/$scenario.err"
  local status=$?
  if ((status != 0)); then
    # Whatever the driver could not end, this does.
    wineserver -k >/dev/null 2>&1
    wineserver -p 60 >/dev/null 2>&1 || true
  fi
  return $status
}

# compare [folders...]: actual trees against the expected ones, every byte.
compare() {
  local differences=
  local trees=("$@")
  ((${#trees[@]})) || trees=(prog stick)
  for tree in "${trees[@]}"; do
    if [[ -e $expect/$tree || -e $dir/$tree ]]; then
      # The lock's file and the stick's record (whose identity is the host's
      # view of the folder) are Tamsiro's own bookkeeping: left out.
      differences+=$(diff -r --no-dereference -x TAMSIRO.LCK -x STICK.JSON "$expect/$tree" "$dir/$tree" 2>&1 | sed "s|$dir/||g")
    fi
  done
  printf '%s' "$differences"
}

# finish STATUS: records the scenario's outcome.
finish() {
  local status=$1 differences
  differences=$(compare "${@:2}")
  local took=$((SECONDS - scenario_started))
  if ((status == 0)) && [[ -z $differences ]]; then
    passed=$((passed + 1))
    say "PASS  $scenario (${took}s)"
  else
    failed=$((failed + 1))
    failures+=("$scenario")
    say "FAIL  $scenario (${took}s)"
    sed 's/^/      /' "$dir/$scenario.transcript"
    # Wine's notes about the Z: drive are noise.
    grep -v 'FS volume label' "$dir/$scenario.err" | sed 's/^/      driver: /'
    [[ -n $differences ]] && printf '%s\n' "$differences" | sed 's/^/      files: /'
  fi
}

wanted() {
  ((${#selected[@]} == 0)) && return 0
  local name
  for name in "${selected[@]}"; do [[ $name == "$1" ]] && return 0; done
  return 1
}

CRLF() { printf '%s' "$1" | sed 's/$/\r/'; }

BACKUP_WARNING='Warning: backing up DYNAUDIO.ODA from memory stick\nWill take 30 seconds to a minute, please wait'
BACKUP_DONE='Backup of DYNAUDIO.ODA complete'
NO_AUDIO='No M3 Audio installed - please download some\nDATA_*.ODA files must be in same folder as program'
FEWER_PARTS="You didn't select all three parts\nShould I install fewer parts?"
MALE_VOICE='Should I remove the male voice to free up space?\n(answer Yes to fit on 32MB stick)'
HELP_MISSING="Help: see README.txt beside the program, or the README at the project's home."
RESTORE_QUESTION='Put the stock sounds back on the memory stick?\n(your custom sounds will be removed from it)'
# The status line: the stick's folder, then what it holds (stick_status.h's words).
status_line() { printf 'status Memory stick: %s\\n%s' "$S" "$1"; }
STOCK_WORDS='Main: stock · Voice: stock · Games: none'
DATA_P=OPEN-R/MW/DATA/P
# Whether a long install must show the progress window: "optional" checks
# one only if it appears, until the core reports progress on its copies.
PROGRESS_WINDOW=${TAMSIRO_E2E_PROGRESS:-required}

# What a voice install leaves in the stick's voice list and mode flags;
# the previous files become the .BAK files.
expect_voice_config() {
  local removed=$1 note=
  [[ $removed == yes ]] && note=$'\n# -- AD003000.ODA file deleted to free up space'
  mv "$expect/stick/$DATA_P/MCUSLIST.CFG" "$expect/stick/$DATA_P/MCUSLIST.BAK"
  mv "$expect/stick/$DATA_P/MCUS.CFG" "$expect/stick/$DATA_P/MCUS.BAK"
  CRLF "# voice list
[GENERAL]
1
[VOICE]
1
1 1 /MS/OPEN-R/MW/DATA/P/CUSVOICE.ODA
#1 1 /MS/OPEN-R/MW/DATA/E/AD003000.ODA$note
[SOUND]
2
" >"$expect/stick/$DATA_P/MCUSLIST.CFG"
  CRLF "# modes
0 BASIC
1 VOICE
0 USER
1 DANCE
" >"$expect/stick/$DATA_P/MCUS.CFG"
}

# The first run copies the stick's sound archive as it was at the start,
# and records the stick in DATA_BASEMIND3.FILES (under FOLDER, default the
# program folder).
expect_base_backup() {
  local folder=${1:-$expect/prog}
  cp "$expect/stick/$DATA_P/DYNAUDIO.ODA" "$folder/DATA_BASEMIND3.ODA"
  mkdir -p "$folder/DATA_BASEMIND3.FILES"
}

# Before a Save first changes a stick file it keeps the stock version in
# DATA_BASEMIND3.FILES, or an empty NAME.absent when the stick lacked it.
# Call it before the expected stick is changed.
expect_stock_files() {
  local path kept
  for path in "$@"; do
    kept=$expect/prog/DATA_BASEMIND3.FILES/$path
    mkdir -p "$(dirname "$kept")"
    if [[ -f $expect/stick/$path ]]; then cp "$expect/stick/$path" "$kept"; else : >"$kept.absent"; fi
  done
}
GAMES_STOCK_FILES=("$DATA_P/AD013001.ODA" "$DATA_P/AD013008.ODA")
VOICE_STOCK_FILES=("$DATA_P/CUSVOICE.ODA" "$DATA_P/MCUSLIST.CFG" "$DATA_P/MCUSLIST.BAK" "$DATA_P/MCUS.CFG" "$DATA_P/MCUS.BAK")

# first_start FOLDER: the script lines of a first start from FOLDER (a
# Windows path) on the stick $S: the chooser, then the backup's messages.
first_start() {
  printf 'start %s\\Tamsiro.exe\nchooser %s\\memstick.ind\nmessage %s\nmessage %s' "$1" "$S" "$BACKUP_WARNING" "$BACKUP_DONE"
}

shots=$WORK/shots
rm -rf "$shots"
mkdir -p "$shots"
# Pictures for the docs, only when asked for: each waits for the window to
# be painted.
snap() { ((screenshots)) && printf 'snap %s' "$(winpath "$shots/$1.bmp")"; }

# ---------------------------------------------------------------- scenarios
say "== scenarios"

if wanted first-run; then
  new_scenario first-run
  fixture stick "$stick"
  fixture sets "$prog" main=0,1 voice=0,5 games=1
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
dialog
enabled 1011,1012,1021,1026,1032
checked none
$(status_line "$STOCK_WORDS")
text 1006 Restore stock sounds...
# Every greyed set here lacks its one file: it is named when pointed at.
missing none
point 1023
missing Missing: DATA_V3_SqueakyIda.ODA (Talkative Voice: SqueakyIda)
point 1011
missing none
layout
click 1011
click 1026
$(snap dialog)
about 0x0010
$(snap about)
about-ok
# The system's own bits in the low nibble don't hide the About command.
about 0x0013
about-ok
click 1012
click 1011
checked 1011,1026
cancel
exit
EOF
  status=$?
  expect_base_backup
  finish $status

  # Same folder, same stick: the backup is there, so nothing is said.
  scenario=second-run scenario_started=$SECONDS
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
dialog
enabled 1011,1012,1021,1026,1032
cancel
exit
EOF
  finish $?
fi

if wanted cancel-at-chooser; then
  new_scenario cancel-at-chooser
  fixture stick "$stick"
  fixture sets "$prog" main=0
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser-cancel
exit
EOF
  finish $?
fi

if wanted choose-again; then
  new_scenario choose-again
  mkdir -p "$dir/nomarker" && printf 'not a stick\r\n' >"$dir/nomarker/readme.txt"
  fixture stick "$dir/old" generation=2
  fixture stick "$dir/foreign" language=5
  fixture stick "$stick"
  fixture sets "$prog" games=2
  snapshot nomarker old foreign
  drive <<EOF
start $P\\Tamsiro.exe
chooser $(winpath "$dir/nomarker")\\readme.txt
chooser $(winpath "$dir/old")\\memstick.ind
message Not AiboMind3\nUse other tools for AiboMind1 or 2
chooser $(winpath "$dir/foreign")\\memstick.ind
message Not AiboMind Engish
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
dialog
enabled 1033
cancel
exit
EOF
  status=$?
  expect_base_backup
  finish $status prog stick nomarker old foreign
fi

if wanted no-data-files; then
  # Renamed program: its boxes carry its own name.
  new_scenario no-data-files Sounder.exe
  fixture stick "$stick"
  snapshot
  drive <<EOF
start $P\\Sounder.exe
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
message $NO_AUDIO
exit
EOF
  status=$?
  expect_base_backup
  finish $status
fi

if wanted half-a-game; then
  # A Games set needs both files; a lone G3A file is no choice at all.
  new_scenario half-a-game
  fixture stick "$stick"
  fixture sets "$prog" games=0
  rm "$prog/DATA_G3B_Tilda.ODA"
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
message $NO_AUDIO
exit
EOF
  status=$?
  expect_base_backup
  finish $status
fi

if wanted lone-voice; then
  new_scenario lone-voice
  fixture stick "$stick"
  fixture sets "$prog" voice=5 games=0
  rm "$prog/DATA_G3B_Tilda.ODA"
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
dialog
enabled 1026
cancel
exit
EOF
  status=$?
  expect_base_backup
  finish $status
fi

if wanted save-guards; then
  new_scenario save-guards
  fixture stick "$stick"
  fixture sets "$prog" main=0 games=1
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
dialog
save
message Please select something
dialog
click 1032
save
ask no default no $FEWER_PARTS
dialog
checked 1032
# Enter on a picked choice is the OK command: it closes without installing.
click 1032
enter
exit
EOF
  status=$?
  expect_base_backup
  finish $status
fi

if wanted full-save; then
  new_scenario full-save
  fixture stick "$stick"
  fixture sets "$prog" main=0,3 voice=1,5 games=1,4
  snapshot
  cp -a "$stick" "$dir/stick-before-save"
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
dialog
enabled 1011,1014,1022,1026,1032,1035
click 1011
click 1032
click 1026
save
ask yes default yes $MALE_VOICE
message New audio saved
# Short steps pass without a window.
progress none
exit
EOF
  status=$?
  expect_base_backup
  expect_stock_files "${GAMES_STOCK_FILES[@]}" "${VOICE_STOCK_FILES[@]}" OPEN-R/MW/DATA/E/ad003000.oda
  fixture merge "$expect/prog/DATA_BASEMIND3.ODA" "$prog/DATA_M3_Tilda.ODA" "$expect/stick/$DATA_P/DYNAUDIO.ODA"
  cp "$prog/DATA_G3A_JumpyNoor.ODA" "$expect/stick/$DATA_P/AD013001.ODA"
  cp "$prog/DATA_G3B_JumpyNoor.ODA" "$expect/stick/$DATA_P/AD013008.ODA"
  cp "$prog/DATA_V3_MiniTilda.ODA" "$expect/stick/$DATA_P/CUSVOICE.ODA"
  rm "$expect/stick/OPEN-R/MW/DATA/E/ad003000.oda"
  expect_voice_config yes
  finish $status

  # Same folders: Restore stock sounds from the system menu gives back the
  # stick as it was before the Save; the dialog stays open.
  scenario=restore-stock scenario_started=$SECONDS
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
dialog
restore
ask yes default no $RESTORE_QUESTION
message Stock sounds restored
dialog
cancel
exit
EOF
  status=$?
  rm -rf "$expect/stick" && cp -a "$dir/stick-before-save" "$expect/stick"
  finish $status
fi

if wanted extra-sets; then
  # Sets beside the six rows: one the command line installed under its own
  # name, a browser's second copy, and lone halves of two Games sets.
  new_scenario extra-sets
  fixture stick "$stick"
  fixture sets "$prog" main=0 voice=3 games=1
  mkdir -p "$dir/more" && fixture sets "$dir/more" main=4 games=2,4
  mv "$dir/more/DATA_M3_Zorbit.ODA" "$prog/DATA_M3_Mine.ODA"
  cp "$prog/DATA_V3_Barnaby.ODA" "$prog/DATA_V3_Barnaby (1).ODA"
  mv "$dir/more/DATA_G3A_Zorbit.ODA" "$prog/DATA_G3A_Solo.ODA"
  mv "$dir/more/DATA_G3B_SqueakyIda.ODA" "$prog/DATA_G3B_SqueakyIda.ODA"
  rm -rf "$dir/more"
  snapshot
  cp -a "$stick" "$dir/stick-before-save"
  drive <<EOF
$(first_start "$P")
dialog
text 1100 Other sets in this folder
text 1101 Main: Mine
text 1102 Talkative Voice: Barnaby (1)
text 1103 Games: Solo
enabled 1011,1024,1032,1101,1102
checked none
$(status_line "$STOCK_WORDS")
missing Missing: DATA_G3A_SqueakyIda.ODA (Games: SqueakyIda), DATA_G3B_Solo.ODA (Games: Solo)
layout
point 1103
missing Missing: DATA_G3B_Solo.ODA (Games: Solo)
point 1015
missing Missing: DATA_M3_Zorbit.ODA (Main: Zorbit)
point 1024
missing Missing: DATA_G3A_SqueakyIda.ODA (Games: SqueakyIda), DATA_G3B_Solo.ODA (Games: Solo)
$(snap dialog-extra)
# A row of the box and the rows of its own group exclude each other; the
# other groups keep theirs.
click 1011
click 1032
click 1101
checked 1032,1101
click 1024
checked 1024,1032,1101
click 1102
checked 1032,1101,1102
click 1011
checked 1011,1032,1102
click 1101
checked 1032,1101,1102
save
message New audio saved
exit
EOF
  status=$?
  expect_base_backup
  expect_stock_files "${GAMES_STOCK_FILES[@]}" "${VOICE_STOCK_FILES[@]}"
  fixture merge "$expect/prog/DATA_BASEMIND3.ODA" "$prog/DATA_M3_Mine.ODA" "$expect/stick/$DATA_P/DYNAUDIO.ODA"
  cp "$prog/DATA_V3_Barnaby (1).ODA" "$expect/stick/$DATA_P/CUSVOICE.ODA"
  cp "$prog/DATA_G3A_JumpyNoor.ODA" "$expect/stick/$DATA_P/AD013001.ODA"
  cp "$prog/DATA_G3B_JumpyNoor.ODA" "$expect/stick/$DATA_P/AD013008.ODA"
  expect_voice_config no
  finish $status

  # Same folders: the Restore button puts the stick back as it was before
  # the Save, and the status line follows; the dialog stays open.
  scenario=restore-button scenario_started=$SECONDS
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
dialog
$(status_line 'Main: Mine · Voice: Barnaby · Games: JumpyNoor')
restore-button
ask yes default no $RESTORE_QUESTION
message Stock sounds restored
dialog
$(status_line "$STOCK_WORDS")
restore-button
message The memory stick has its stock sounds already: nothing to restore
dialog
$(status_line "$STOCK_WORDS")
cancel
exit
EOF
  status=$?
  rm -rf "$expect/stick" && cp -a "$dir/stick-before-save" "$expect/stick"
  finish $status
fi

if wanted games-copy-fails; then
  # The chosen set's first file goes missing while the dialog is open.
  new_scenario games-copy-fails
  fixture stick "$stick"
  fixture sets "$prog" games=1
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
dialog
click 1032
delete $P\\DATA_G3A_JumpyNoor.ODA
save
ask yes default no $FEWER_PARTS
message Could not copy game#1 audio to memory stick\n$P\\DATA_G3A_JumpyNoor.ODA is missing
dialog
checked 1032
cancel
exit
EOF
  status=$?
  expect_base_backup
  expect_stock_files "${GAMES_STOCK_FILES[@]}"
  rm "$expect/prog/DATA_G3A_JumpyNoor.ODA"
  finish $status
fi

for answer in yes no; do
  wanted "voice-only-$answer" || continue
  new_scenario "voice-only-$answer"
  # Stick names are found whatever their case: the yes run's stick has
  # MEMSTICK.IND and AD003000.ODA.
  case_option=
  [[ $answer == yes ]] && case_option=upper-case
  fixture stick "$stick" $case_option
  fixture sets "$prog" main=0 voice=0,5
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
dialog
click 1026
save
ask yes default no $FEWER_PARTS
ask $answer default yes $MALE_VOICE
message New audio saved
exit
EOF
  status=$?
  expect_base_backup
  # The male voice is kept in the stock files only when it goes.
  if [[ $answer == yes ]]; then
    expect_stock_files "${VOICE_STOCK_FILES[@]}" OPEN-R/MW/DATA/E/AD003000.ODA
  else
    expect_stock_files "${VOICE_STOCK_FILES[@]}"
  fi
  cp "$prog/DATA_V3_MiniTilda.ODA" "$expect/stick/$DATA_P/CUSVOICE.ODA"
  [[ $answer == yes ]] && rm "$expect/stick/OPEN-R/MW/DATA/E/AD003000.ODA"
  expect_voice_config "$answer"
  finish $status
done

if wanted copy-fails; then
  new_scenario copy-fails
  fixture stick "$stick"
  fixture sets "$prog" main=2 games=0
  snapshot
  # The stick's sound archive turns into a folder while the dialog is open,
  # so the new archive can't be copied there.
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
message $BACKUP_WARNING
message $BACKUP_DONE
dialog
click 1013
click 1031
replace-with-folder $S\\OPEN-R\\MW\\DATA\\P\\DYNAUDIO.ODA
save
ask yes default no $FEWER_PARTS
message Could not copy final audio to memory stick\nAccess to DYNAUDIO.ODA was denied
message Please run MANUAL.BAT batch file\n(in same folder as Tamsiro)\n$P\\MANUAL.BAT
dialog
checked 1013,1031
cancel
exit
EOF
  status=$?
  expect_base_backup
  expect_stock_files "${GAMES_STOCK_FILES[@]}"
  fixture merge "$expect/prog/DATA_BASEMIND3.ODA" "$prog/DATA_M3_SqueakyIda.ODA" "$expect/prog/TMP.ODA"
  CRLF "REM - this batch file copies updated file from PC to memory stick
COPY \"$P\\TMP.ODA\" \"$S\\OPEN-R\\MW\\DATA\\P\\DYNAUDIO.ODA\"
PAUSE
" >"$expect/prog/MANUAL.BAT"
  rm "$expect/stick/$DATA_P/DYNAUDIO.ODA" && mkdir "$expect/stick/$DATA_P/DYNAUDIO.ODA"
  finish $status
fi

if wanted help; then
  # F1 opens README.txt beside the program; without one it says where help is.
  new_scenario help
  fixture stick "$stick"
  fixture sets "$prog" voice=1
  cp "$stick/$DATA_P/DYNAUDIO.ODA" "$prog/DATA_BASEMIND3.ODA"
  printf 'How to use Tamsiro\r\n' >"$prog/README.txt"
  # Every Windows opens .txt files; a fresh Wine prefix may not know how.
  wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
  snapshot
  drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
dialog
help
opened README.txt - Notepad
delete $P\\README.txt
help
message $HELP_MISSING
dialog
cancel
exit
EOF
  status=$?
  rm "$expect/prog/README.txt"
  # A base without a record gets one at the start.
  mkdir -p "$expect/prog/DATA_BASEMIND3.FILES"
  finish $status
fi

if wanted progress-window; then
  # A Main set of some 40 MB, whose copy to the stick and its check take a
  # moment; the window's half-second delay is lifted so that it shows on
  # any machine.
  new_scenario progress-window
  fixture stick "$stick"
  fixture sets "$prog" main=3 main-bytes=3000000
  cp "$stick/$DATA_P/DYNAUDIO.ODA" "$prog/DATA_BASEMIND3.ODA"
  snapshot
  TAMSIRO_PROGRESS_DELAY_MS=0 drive <<EOF
start $P\\Tamsiro.exe
chooser $S\\memstick.ind
dialog
click 1014
save
ask yes default no $FEWER_PARTS
message New audio saved
progress $PROGRESS_WINDOW
exit
EOF
  status=$?
  fixture merge "$expect/prog/DATA_BASEMIND3.ODA" "$prog/DATA_M3_Barnaby.ODA" "$expect/stick/$DATA_P/DYNAUDIO.ODA"
  mkdir -p "$expect/prog/DATA_BASEMIND3.FILES"
  finish $status
fi

if wanted utf8-folder; then
  # A folder name outside every ANSI code page but UTF-8: the program finds
  # its data files there and keeps its backup there.
  new_scenario utf8-folder
  home=$prog/Звуки
  mkdir "$home" && mv "$prog/Tamsiro.exe" "$home/"
  fixture stick "$stick"
  fixture sets "$home" main=0
  snapshot
  drive <<EOF
$(first_start "$(winpath "$home")")
dialog
enabled 1011
cancel
exit
EOF
  status=$?
  expect_base_backup "$expect/prog/Звуки"
  finish $status
fi

if wanted accented-names; then
  # Accented names in the program folder and the stick's folder, as many
  # Windows user names have: a whole Save lands where it should.
  new_scenario accented-names
  home=$prog/users/José/Téléchargements/Tamsiro
  stick=$dir/Clé S=$(winpath "$dir/Clé")
  mkdir -p "$home" && mv "$prog/Tamsiro.exe" "$home/"
  fixture stick "$stick"
  fixture sets "$home" main=1 games=2
  snapshot Clé
  drive <<EOF
$(first_start "$(winpath "$home")")
dialog
click 1012
click 1033
save
ask yes default no $FEWER_PARTS
message New audio saved
exit
EOF
  status=$?
  base=$expect/prog/users/José/Téléchargements/Tamsiro
  cp "$expect/Clé/$DATA_P/DYNAUDIO.ODA" "$base/DATA_BASEMIND3.ODA"
  mkdir -p "$base/DATA_BASEMIND3.FILES/$DATA_P"
  : >"$base/DATA_BASEMIND3.FILES/$DATA_P/AD013001.ODA.absent"
  : >"$base/DATA_BASEMIND3.FILES/$DATA_P/AD013008.ODA.absent"
  fixture merge "$base/DATA_BASEMIND3.ODA" "$home/DATA_M3_JumpyNoor.ODA" "$expect/Clé/$DATA_P/DYNAUDIO.ODA"
  cp "$home/DATA_G3A_SqueakyIda.ODA" "$expect/Clé/$DATA_P/AD013001.ODA"
  cp "$home/DATA_G3B_SqueakyIda.ODA" "$expect/Clé/$DATA_P/AD013008.ODA"
  finish $status prog Clé
fi

if wanted path-too-long; then
  # Past MAX_PATH the program can't read its own path whole: it says so and
  # ends before it asks for the stick, writing nothing anywhere.
  new_scenario path-too-long
  deep=$prog/$(printf 'a%.0s' {1..120})/$(printf 'b%.0s' {1..120})
  mkdir -p "$deep" && mv "$prog/Tamsiro.exe" "$deep/"
  fixture stick "$stick"
  fixture sets "$deep" main=0
  snapshot
  # Wine's CreateProcess stops at MAX_PATH; its loader does not.
  wine "$deep/Tamsiro.exe" >/dev/null 2>&1 &
  drive <<EOF
attach Tamsiro.exe
message Tamsiro cannot tell which folder it runs from\n(its path is too long or unreadable)
exit
EOF
  finish $?
fi

# ---------------------------------------------------------------- pictures
if ((screenshots)); then
  mkdir -p "$REPO/docs/screenshots"
  # The dialog with other sets is looked at, not published.
  if [[ -s $shots/dialog-extra.bmp ]] && command -v convert >/dev/null; then
    convert "$shots/dialog-extra.bmp" -strip "$shots/dialog-extra.png" && say "== $shots/dialog-extra.png written"
  fi
  for picture in dialog about; do
    if [[ -s $shots/$picture.bmp ]] && command -v convert >/dev/null; then
      convert "$shots/$picture.bmp" -strip "$REPO/docs/screenshots/win32-$picture.png"
    else
      say "== no picture of the $picture (did first-run run? is ImageMagick there?)"
      continue
    fi
    say "== docs/screenshots/win32-$picture.png written"
  done
fi

say "== Tamsiro.exe end to end under Wine: $((SECONDS - started))s in all"
((failed)) && say "failed: ${failures[*]}"
say "$passed passed, $failed failed"
((failed == 0))
