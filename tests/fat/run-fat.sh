#!/usr/bin/env bash
# Tamsiro on a real FAT stick under Linux's vfat driver, in a QEMU machine
# (TCG, no KVM needed): the Save, the second Save, Restore, status and the
# space plan on a 32 MiB FAT16 stick and a FAT12 one, and power cuts at
# counted file operations of a Save and a Restore. The host reads every
# result with mtools and fsck.fat.
#
#   tests/fat/run-fat.sh [BUILD-DIR]      the scenarios and a sample of cuts
#   FAT_CUTS=all tests/fat/run-fat.sh     every cut point
#   FAT_PHASES=roomy ...                  only the cuts of these phases
#
# Each cut is its own boot (the cut throws away the guest's caches); the
# boot after it starts Tamsiro again, takes the repair offer, applies the
# crash-point test's checks and restores, and also makes the next cut.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/dev}" && pwd)
WORK=${FAT_WORK:-$ROOT/build/fat}
SCRIPT=run-fat
SAMPLE=${FAT_CUTS:-16}  # cut points per command
JOBS=${FAT_JOBS:-2}  # machines at once
# shellcheck source=tests/fat/fat-lib.sh
source "$ROOT/tests/fat/fat-lib.sh"

check_tools
rm -rf "$WORK"
mkdir -p "$WORK"

# --- fixtures -----------------------------------------------------------

make_fixtures
make_tight_stick
make_disk "$WORK/tight-disk.img"

# The Games pair on a stick with exactly the room the space plan needs, by
# FAT's cluster rounding (old files out first, one at a time, when the new
# pair does not fit beside them), and on one a cluster short.
n1=$(clusters "$(size "$WORK/program/DATA_G3A_Tilda.ODA")") n8=$(clusters "$(size "$WORK/program/DATA_G3B_Tilda.ODA")")
o1=$(clusters "$(size "$WORK/stock/$P/AD013001.ODA")") o8=$(clusters "$(size "$WORK/stock/$P/AD013008.ODA")")
oneByOne=$((n1 - o1 > n1 + n8 - o1 - o8 ? n1 - o1 : n1 + n8 - o1 - o8))
exact=$((n1 + n8 < oneByOne ? n1 + n8 : oneByOne))
((exact > CLUSTER)) || die "the Games pair needs no room"
make_stick "$WORK/short.img" "$WORK/stock" 16 32 $((exact - CLUSTER))
with_space "$WORK/short-stock"
make_stick "$WORK/exact.img" "$WORK/stock" 16 32 "$exact"
with_space "$WORK/exact-stock"
mkdir -p "$WORK/games-exact" && cp -a "$WORK/games/." "$WORK/games-exact/" && cp "$WORK/SPACE.BIN" "$WORK/games-exact/"
make_disk "$WORK/plain-disk.img"

# FAT12, as on small sticks: 8 MiB in 4 KiB clusters.
CLUSTER=4096 make_stick "$WORK/fat12.img" "$WORK/stock" 12 8

# A stick with room to spare, where the Save sets the old sound files aside
# (X.PRV) instead of putting them out first.
make_stick "$WORK/roomy.img" "$WORK/stock" 16 32

build_initramfs
old=$(size "$WORK/stock/$P/DYNAUDIO.ODA")
log "fixtures ready; sound archive $old bytes, $(size "$WORK/saved/$P/DYNAUDIO.ODA") after the Save; tight stick $ROOM bytes free"

# --- scenarios --------------------------------------------------------------

start=$SECONDS
copy() { cp --sparse=always "$1" "$2"; }
copy "$WORK/tight.img" "$WORK/s1.img"; copy "$WORK/tight-disk.img" "$WORK/s1-disk.img"
copy "$WORK/tight.img" "$WORK/r1.img"; copy "$WORK/tight-disk.img" "$WORK/r1-disk.img"
# The first Save through the command line, the power cut right after it;
# the crash-point driver's Save beside it, counting its file operations.
boot first-save use:a,save,cut "$WORK/s1.img" "$WORK/s1-disk.img" &
boot driver-save use:a,drive-save "$WORK/r1.img" "$WORK/r1-disk.img" &
wait
expect_said first-save "New audio saved"
expect_said first-save "tamsiro-guest: exit: 0"
same "$WORK/s1.img" "$WORK/tight-saved" "the first Save, cut right after it" && fsck_clean "$WORK/s1.img" "the first Save"
mshowfat -i "$WORK/s1.img" "::/$P/"{DYNAUDIO,AD013001,AD013008,CUSVOICE}.ODA >"$WORK/s1.fat" 2>&1
SAVE_OPERATIONS=$(operations driver-save)
same "$WORK/r1.img" "$WORK/tight-saved" "the driver's Save" || true
log "scenario boots: first Save and the driver's, $((SECONDS - start)) s; the Save makes ${SAVE_OPERATIONS:-?} file operations"

# The second Save writes nothing and status sees the sets; Restore, cut
# right after it, gives back the stock stick; the driver's Restore counts.
copy "$WORK/s1.img" "$WORK/s2.img"; copy "$WORK/s1-disk.img" "$WORK/s2-disk.img"
copy "$WORK/s1.img" "$WORK/s3.img"; copy "$WORK/s1-disk.img" "$WORK/s3-disk.img"
copy "$WORK/r1.img" "$WORK/r2.img"; copy "$WORK/r1-disk.img" "$WORK/r2-disk.img"
boot second-save use:a,save,status,use:b,restore,cut "$WORK/s2.img" "$WORK/s2-disk.img" "$WORK/s3.img" "$WORK/s3-disk.img" &
boot driver-restore use:a,drive-restore "$WORK/r2.img" "$WORK/r2-disk.img" &
wait
expect_said second-save "New audio saved"
same "$WORK/s2.img" "$WORK/tight-saved-twice" "the second Save" && fsck_clean "$WORK/s2.img" "the second Save"
mshowfat -i "$WORK/s2.img" "::/$P/"{DYNAUDIO,AD013001,AD013008,CUSVOICE}.ODA >"$WORK/s2.fat" 2>&1
cmp -s "$WORK/s1.fat" "$WORK/s2.fat" || fail "the second Save wrote sound files again (their clusters moved)"
for line in "stick.archive: Tilda" "stick.voice: MiniTilda" "stick.games: Tilda" "stick.male_voice: no" \
    "program_folder.base: "; do
  expect_said second-save "$line"
done
expect_said second-save "Stock sounds restored"
same "$WORK/s3.img" "$WORK/tight-stock" "Restore, cut right after it" && fsck_clean "$WORK/s3.img" "Restore"
RESTORE_OPERATIONS=$(operations driver-restore)
same "$WORK/r2.img" "$WORK/tight-stock" "the driver's Restore" || true

# The space plan against FAT's rounding: a cluster short is refused with
# nothing changed; exactly enough succeeds. FAT12: a Save and a Restore.
copy "$WORK/plain-disk.img" "$WORK/short-disk.img"; copy "$WORK/plain-disk.img" "$WORK/exact-disk.img"
copy "$WORK/plain-disk.img" "$WORK/fat12-disk.img"
copy "$WORK/roomy.img" "$WORK/r3.img"; copy "$WORK/plain-disk.img" "$WORK/r3-disk.img"
boot space use:a,games,use:b,games,cut "$WORK/short.img" "$WORK/short-disk.img" "$WORK/exact.img" "$WORK/exact-disk.img" &
boot fat12 use:a,save,status,restore,cut "$WORK/fat12.img" "$WORK/fat12-disk.img" &
boot driver-roomy use:a,drive-save "$WORK/r3.img" "$WORK/r3-disk.img" &
wait
expect_said space "Not enough space on memory stick - nothing was changed"
same "$WORK/short.img" "$WORK/short-stock" "a stick one cluster short" && fsck_clean "$WORK/short.img" "a stick one cluster short"
[[ $(grep -c "New audio saved" "$WORK/space.txt") == 1 ]] || fail "space: not exactly one Save succeeded"
same "$WORK/exact.img" "$WORK/games-exact" "a stick with exactly enough room" && fsck_clean "$WORK/exact.img" "exact room"
expect_said fat12 "New audio saved"
expect_said fat12 "stick.voice: MiniTilda"
expect_said fat12 "Stock sounds restored"
same "$WORK/fat12.img" "$WORK/stock" "FAT12: Save, then Restore" && fsck_clean "$WORK/fat12.img" "FAT12"
ROOMY_OPERATIONS=$(operations driver-roomy)
same "$WORK/r3.img" "$WORK/saved" "the driver's Save on a roomy stick" && fsck_clean "$WORK/r3.img" "a Save on a roomy stick"
log "scenarios: $((SECONDS - start)) s, $FAILED failed"

# --- power cuts -------------------------------------------------------------

# A case is PHASE:K (the cut before counted file operation K of the
# driver's Save or Restore) or PHASE:after (right after it succeeded).
# Each runs from the phase's start: the stock tight stick, the stick and
# program disk after the driver's complete Save, or (roomy) the stock
# stick with room to spare, saved.
[[ $SAVE_OPERATIONS && $RESTORE_OPERATIONS && $ROOMY_OPERATIONS ]] || die "the driver's complete runs failed; no cut points"
points() {  # points COUNT: the sample of 1..COUNT, or all
  local count=$1 i
  if [[ $SAMPLE == all ]] || ((SAMPLE >= count)); then seq 1 "$count"; return; fi
  for ((i = 0; i < SAMPLE; i++)); do echo $((1 + i * (count - 1) / (SAMPLE - 1))); done | uniq
}
PHASES=${FAT_PHASES:-save restore roomy}  # e.g. FAT_PHASES=roomy FAT_CUTS=all
declare -A OPERATIONS=([save]=$SAVE_OPERATIONS [restore]=$RESTORE_OPERATIONS [roomy]=$ROOMY_OPERATIONS)
cases=()
for phase in $PHASES; do
  [[ ${OPERATIONS[$phase]:-} ]] || die "no phase $phase"
  cases+=("$phase:after")
  for k in $(points "${OPERATIONS[$phase]}"); do cases+=("$phase:$k"); done
done

# The stick a phase starts from and the one its complete run leaves, and
# the command the guest runs for it.
stock_of() { if [[ $1 == roomy ]]; then echo "$WORK/stock"; else echo "$WORK/tight-stock"; fi; }
saved_of() { if [[ $1 == roomy ]]; then echo "$WORK/saved"; else echo "$WORK/tight-saved"; fi; }
command_of() { if [[ $1 == restore ]]; then echo restore; else echo save; fi; }
mkdir -p "$WORK/cuts"

# The cut of a case; STEPS for the job, and the images set up.
cut_steps() {
  local name=$1 phase=${1%%:*} point=${1##*:} file=$WORK/cuts/${1/:/-}
  case $phase in
    save) copy "$WORK/tight.img" "$file.img"; copy "$WORK/tight-disk.img" "$file-disk.img" ;;
    roomy) copy "$WORK/roomy.img" "$file.img"; copy "$WORK/plain-disk.img" "$file-disk.img" ;;
    *) copy "$WORK/r1.img" "$file.img"; copy "$WORK/r1-disk.img" "$file-disk.img" ;;
  esac
  local command
  command=$(command_of "$phase")
  if [[ $point == after ]]; then echo "case:$name,drive-$command,cut"; else echo "case:$name,cut:drive-$command:$point"; fi
}

# After the cut: what fsck.fat says, and for a cut right after success,
# that the stick holds exactly what was reported. Damage is repaired with
# fsck.fat -a, once it is clear that no success was reported.
judge_cut() {
  local name=$1 phase=${1%%:*} point=${1##*:} file=$WORK/cuts/${1/:/-} log=$2 text
  text=$(section "$name" "$log")
  if [[ $point == after ]]; then
    local expected message="Stock sounds restored"
    expected=$(stock_of "$phase")
    [[ $phase != restore ]] && expected=$(saved_of "$phase") message="New audio saved"
    grep -qF "$message" <<<"$text" || echo "no success before the cut" >>"$file.broken"
    same "$file.img" "$expected" "$name" >>"$file.broken" 2>&1 || true
  else
    grep -q "the cut point was not reached" <<<"$text" && echo "the cut point was not reached" >>"$file.broken"
  fi
  if ! fsck_clean "$file.img" ""; then
    fsck.fat -n "$file.img" >"$file.fsck" 2>&1 || true
    echo damage >"$file.damage"
    grep -qE "New audio saved|Stock sounds restored" <<<"$text" && echo "file-system damage after a reported success" >>"$file.broken"
    fsck.fat -a "$file.img" >>"$file.fsck" 2>&1 || true
  fi
}

# The start after the cut, with the repair offer; the crash-point test's
# invariants; then Restore, byte for byte, and a clean file system.
recovery_steps() { echo "case:$1,start,check:$(command_of "${1%%:*}"),restore"; }
judge_recovery() {
  local name=$1 file=$WORK/cuts/${1/:/-} log=$2 text
  text=$(section "$name" "$log")
  # A cut before the first change leaves nothing to put back: Restore says
  # so and ends with 1, and the stick is compared with the stock one below.
  local succeeded=3
  grep -qF "No stock files were kept for this memory stick" <<<"$text" && succeeded=2
  [[ $(grep -c '^tamsiro-guest: exit: 0$' <<<"$text") == "$succeeded" ]] || { echo "recovery:"; grep -vF '[' <<<"$text"; } >>"$file.broken"
  same "$file.img" "$(stock_of "${name%%:*}")" "$name, after the restore" >>"$file.broken" 2>&1 || true
  fsck_clean "$file.img" "$name, after the restore" >>"$file.broken" 2>&1 || true
  rm -f "$file.img" "$file-disk.img"
}

# One chain of cases: each boot recovers the case cut in the boot before
# (first disk pair) and cuts the next one (second pair).
run_chain() {
  local chain=$1 previous="" next job images log n=0
  shift
  for next in "$@" ""; do
    [[ $previous || $next ]] || break
    job="" images=()
    if [[ $previous ]]; then job="use:a,$(recovery_steps "$previous")"; images+=("$WORK/cuts/${previous/:/-}.img" "$WORK/cuts/${previous/:/-}-disk.img"); fi
    if [[ $next ]]; then
      local pair=a
      [[ $previous ]] && pair=b
      job="${job:+$job,}use:$pair,$(cut_steps "$next")"
      images+=("$WORK/cuts/${next/:/-}.img" "$WORK/cuts/${next/:/-}-disk.img")
    fi
    log=chain$chain-$((n++))
    boot "$log" "$job" "${images[@]}"
    [[ $previous ]] && judge_recovery "$previous" "$WORK/$log.txt"
    [[ $next ]] && judge_cut "$next" "$WORK/$log.txt"
    previous=$next
  done
}

start=$SECONDS
chains=()
for ((j = 0; j < JOBS; j++)); do
  members=()
  for ((i = j; i < ${#cases[@]}; i += JOBS)); do members+=("${cases[i]}"); done
  run_chain "$j" "${members[@]}" &
  chains+=($!)
done
wait "${chains[@]}"

tried=${#cases[@]} broken=0 damaged=0 damagedAfterSuccess=0
for name in "${cases[@]}"; do
  file=$WORK/cuts/${name/:/-}
  [[ -f $file.damage ]] && damaged=$((damaged + 1))
  grep -qs "after a reported success" "$file.broken" && damagedAfterSuccess=$((damagedAfterSuccess + 1))
  if [[ -s $file.broken ]]; then
    broken=$((broken + 1))
    ((broken <= 5)) && { echo "run-fat: cut $name broke:"; head -20 "$file.broken"; }
  fi
done
log "power cuts took $((SECONDS - start)) s (Save: $SAVE_OPERATIONS file operations, Restore: $RESTORE_OPERATIONS, Save on a roomy stick: $ROOMY_OPERATIONS)"
log "file-system damage: $damaged cuts (fsck.fat -a repaired it), $damagedAfterSuccess of them after a reported success"
echo "fat power cuts: $tried tried, $broken broken"
((broken == 0 && FAILED == 0)) || { log "FAILED: $FAILED scenario checks, $broken power cuts"; exit 1; }
log "all passed"
