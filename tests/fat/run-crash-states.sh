#!/usr/bin/env bash
# Power cuts inside the stick's own writes. run-fat.sh cuts the machine
# between Tamsiro's file operations on a disk that writes in order; here
# QEMU records every write and flush the machine sends to its disk during
# a Save and during a Restore (blklogwrites), and the host rebuilds each
# disk a cut can leave: every earlier flush epoch whole, and of the epoch
# cut short every prefix (a device that writes in order) and other subsets
# (a write cache that reorders), seeded. Each is booted: Tamsiro starts
# (taking the repair offer), the crash-point test's invariants are
# checked, and a Restore must give back the stock stick.
#
#   tests/fat/run-crash-states.sh [BUILD-DIR]    a seeded sample of the states
#   FAT_CRASH_STATES=all ...                     every state (or a number)
#   FAT_CRASH_ONLY="save-e12-p1 restore-e3-s5"   only these, by name
#   FAT_CRASH_SEED=N                             another sample
#
# The disk holds both file systems, so that one recording orders them: an
# MBR, partition 1 the 32 MiB FAT16 stick with room for one sound archive,
# partition 2 the ext4 program disk (journal, stock copies), and past them
# the region where Tamsiro marks each file operation (TAMSIRO_MARK_DEVICE).
#
# A state ends correct (the start, the invariants and the Restore succeed,
# the stick is the stock one byte for byte and fsck.fat -n finds nothing
# but the dirty bit) or refused as damaged (the first message is the
# damaged-file-system one and nothing was reported done); anything else is
# broken. A state refused, or whose disk fsck.fat calls damaged, is run
# again after fsck.fat -a, and must then end correct. The report, with the
# console of every broken state, is $WORK/report.txt.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/dev}" && pwd)
WORK=${FAT_CRASH_WORK:-$ROOT/build/fat-crash}
SCRIPT=run-crash-states
SAMPLE=${FAT_CRASH_STATES:-80}  # states tried, or all
ONLY=${FAT_CRASH_ONLY:-}
SEED=${FAT_CRASH_SEED:-1}
JOBS=${FAT_JOBS:-2}             # machines at once
BATCH=${FAT_CRASH_BATCH:-8}     # states per boot, each its own disk
# shellcheck source=tests/fat/fat-lib.sh
source "$ROOT/tests/fat/fat-lib.sh"

check_tools sfdisk
STATES=$BUILD/tests/fat/tamsiro_crash_states
[[ -x $STATES ]] || die "$STATES is missing: build first"

# The disk, in MiB: the MBR's first MiB, the stick, the program disk, the
# marks.
STICK_MIB=32 PROGRAM_MIB=64
MARK_AT=$(((1 + STICK_MIB + PROGRAM_MIB) * 1024 * 1024))

# make_disk_image: disk.img, the stick and the program disk in their
# partitions, and the expected trees.
make_disk_image() {
  make_fixtures
  make_tight_stick
  make_disk "$WORK/program.img" $PROGRAM_MIB
  truncate -s $((1 + STICK_MIB + PROGRAM_MIB + 1))M "$WORK/disk.img"
  printf 'label: dos\nstart=1MiB, size=%dMiB, type=6\nstart=%dMiB, size=%dMiB, type=83\n' \
    $STICK_MIB $((1 + STICK_MIB)) $PROGRAM_MIB | sfdisk -q "$WORK/disk.img"
  dd if="$WORK/tight.img" of="$WORK/disk.img" bs=1M seek=1 conv=notrunc,sparse status=none
  dd if="$WORK/program.img" of="$WORK/disk.img" bs=1M seek=$((1 + STICK_MIB)) conv=notrunc,sparse status=none
}

# stick_of DISK FILE: the stick's partition, for mtools and fsck.fat.
stick_of() { dd if="$1" of="$2" bs=1M skip=1 count=$STICK_MIB status=none; }
# put_stick FILE DISK: the partition back into the disk.
put_stick() { dd if="$1" of="$2" bs=1M seek=1 conv=notrunc status=none; }

# --- the recordings ---------------------------------------------------------

# record LABEL COMMAND: the crash driver's COMMAND on a copy of disk.img,
# every write and flush logged to LABEL.log; LABEL-before.img is the disk
# it started from, disk.img what it left.
record() {
  local label=$1 command=$2
  cp --sparse=always "$WORK/disk.img" "$WORK/$label-before.img"
  : >"$WORK/$label.log"  # QEMU makes it grow
  machine "record-$label" "use:vda,mark:/dev/vda:$MARK_AT,drive-$command" \
    -blockdev "driver=file,filename=$WORK/disk.img,node-name=disk0,cache.no-flush=on" \
    -blockdev "driver=file,filename=$WORK/$label.log,node-name=log0" \
    -blockdev "driver=blklogwrites,node-name=logged0,file=disk0,log=log0" \
    -device virtio-blk-pci,drive=logged0,write-cache=on
  said "record-$label" "tamsiro-guest: exit: 0" || { tail -20 "$WORK/record-$label.txt"; die "the recorded $command failed"; }
}

# A state's name means something only in its recording: FAT_CRASH_ONLY
# takes the recordings of the run before, with the programs built now.
if [[ $ONLY && -s $WORK/save.log && -s $WORK/restore.log && ${FAT_CRASH_RECORD:-} != 1 ]]; then
  log "the recordings in $WORK, made before (FAT_CRASH_RECORD=1 makes them anew)"
  rm -rf "$WORK/states" "$WORK/initramfs" "$WORK"/chain*
  mkdir -p "$WORK/states"
  build_initramfs
else
  rm -rf "$WORK"
  mkdir -p "$WORK/states"
  make_disk_image
  build_initramfs
  start=$SECONDS
  record save save
  stick_of "$WORK/disk.img" "$WORK/saved.fat"
  same "$WORK/saved.fat" "$WORK/tight-saved" "the recorded Save" && fsck_clean "$WORK/saved.fat" "the recorded Save" || die "the recorded Save is wrong"
  record restore restore
  stick_of "$WORK/disk.img" "$WORK/restored.fat"
  same "$WORK/restored.fat" "$WORK/tight-stock" "the recorded Restore" && fsck_clean "$WORK/restored.fat" "the recorded Restore" ||
    die "the recorded Restore is wrong"
  log "recordings: $((SECONDS - start)) s"
fi

for label in save restore; do
  "$STATES" list "$label" "$WORK/$label-before.img" "$WORK/$label.log" --seed "$SEED" >"$WORK/$label.states" ||
    die "no crash states from $label.log"
  grep -q ' 0 marks' "$WORK/$label.states" && die "$label.log holds no mark of Tamsiro's: TAMSIRO_MARK_DEVICE did not work"
  grep '^#' "$WORK/$label.states" | sed "s/^# /$SCRIPT: /"
done

# --- the states tried ---------------------------------------------------------

cut -f1 "$WORK/save.states" "$WORK/restore.states" | grep -v '^#' >"$WORK/all.names"
if [[ $ONLY ]]; then
  tr ' ' '\n' <<<"$ONLY" | grep . >"$WORK/tried.names"
elif [[ $SAMPLE == all ]] || (($(wc -l <"$WORK/all.names") <= SAMPLE)); then
  cp "$WORK/all.names" "$WORK/tried.names"
else
  # A seeded pick, kept in the order of the recordings.
  awk -v seed="$SEED" 'BEGIN { srand(seed) } { print rand() "\t" NR "\t" $0 }' "$WORK/all.names" |
    sort -g | awk -v n="$SAMPLE" 'NR <= n' | sort -t $'\t' -k2,2n | cut -f3 >"$WORK/tried.names"
fi
mapfile -t TRIED <"$WORK/tried.names"
log "trying ${#TRIED[@]} of $(wc -l <"$WORK/all.names") crash states"

# prepare RUN: the disk of a run, RUN being a state's name, or it with
# "+fsck" for the state repaired by fsck.fat -a first. A state whose stick
# fsck.fat -n calls damaged is marked for that second run.
prepare() {
  local run=$1 name=${1%+fsck} file=$WORK/states/$1
  local label=${name%%-e*}
  cp --sparse=always "$WORK/$label-before.img" "$file.img"
  "$STATES" apply "$label" "$WORK/$label.log" "$file.img" "$name" || die "cannot rebuild $name"
  stick_of "$file.img" "$file.fat"
  if [[ $run == *+fsck ]]; then
    fsck.fat -a "$file.fat" >"$file.fsck" 2>&1 || true
    put_stick "$file.fat" "$file.img"
  elif ! fsck_clean "$file.fat" ""; then
    fsck.fat -n "$file.fat" >"$file.fsck" 2>&1 || true
    touch "$WORK/states/$name.damaged"
  fi
  rm -f "$file.fat"
}

# The steps of a run on disk vdX: start with the repair offer, the
# invariants of the command recorded, then Restore.
steps() {
  local name=${1%+fsck} command=save
  [[ $name == restore-* ]] && command=restore
  echo "use:$2,case:$1,${FAT_CRASH_DEBUG:+clusters,}start,check:$command,restore"
}

# judge RUN LOG: correct, refused or broken, with the reasons in RUN.why
# and the console's part in RUN.console.
judge() {
  local run=$1 name=${1%+fsck} file=$WORK/states/$1 text first exits why=()
  text=$(section "$run" "$2")
  echo "$text" >"$file.console"
  mapfile -t exits < <(grep -o '^tamsiro-guest: exit: [0-9]*' <<<"$text" | grep -o '[0-9]*$')
  first=$(grep -m1 -E '^(message|ask): ' <<<"$text" || true)
  local reported=""
  grep -qE 'New audio saved|Stock sounds restored|DYNAUDIO.ODA restored' <<<"$text" && reported=1
  stick_of "$file.img" "$file.fat"
  # The damaged-file-system message, followed by how to repair it here.
  if [[ $first == "message: The memory stick's file system is damaged|Repair it, then start Tamsiro again"* && ! $reported ]]; then
    echo refused >"$file.verdict"
  else
    [[ ${exits[0]:-} == 0 ]] || why+=("the start ended with ${exits[0]:-nothing}")
    [[ ${exits[1]:-} == 0 ]] || why+=("the invariants do not hold")
    # A cut before the base backup leaves nothing to put back: Restore
    # says so, ends with 1, and the stick must be the stock one.
    [[ ${exits[2]:-} == 0 ]] || { [[ ${exits[2]:-} == 1 ]] && grep -qF "No stock files were kept for this memory stick" <<<"$text"; } ||
      why+=("the Restore ended with ${exits[2]:-nothing}")
    # fsck.fat -a keeps lost chains as FSCKnnnn.REC in the root: the
    # user's to look at, not Tamsiro's to remove.
    [[ $run == *+fsck ]] && { mdel -i "$file.fat" '::/FSCK*.REC' >/dev/null 2>&1 || true; }
    same "$file.fat" "$WORK/tight-stock" "$run: after the Restore" >>"$file.host" 2>&1 || why+=("the stick is not the stock one after the Restore")
    # Two copies of the FAT that a cut left different are what neither
    # Linux nor Tamsiro reads (the first is used); only damage that was not
    # in the crash image, or more than that, counts.
    local allow=""
    grep -qs 'FATs differ but appear to be intact' "$WORK/states/$name.fsck" && allow=1
    FSCK_ALLOW_FATS_DIFFER=$allow fsck_clean "$file.fat" "$run: after the Restore" >>"$file.host" 2>&1 ||
      why+=("fsck.fat finds damage after the Restore")
    if ((${#why[@]})); then echo broken >"$file.verdict"; else echo correct >"$file.verdict"; fi
  fi
  printf '%s\n' "${why[@]}" >"$file.why"
  rm -f "$file.fat" "$file.img"
}

# run_batches CHAIN RUN...: the runs, BATCH to a boot, one after another.
run_batches() {
  local chain=$1 n=0 i run job images letters=abcdefghijklmnopqrstuvwxyz
  shift
  while (($#)); do
    local batch=("${@:1:BATCH}")
    shift $((${#batch[@]}))
    job="" images=()
    for i in "${!batch[@]}"; do
      run=${batch[i]}
      prepare "$run"
      job+="${job:+,}$(steps "$run" "vd${letters:i:1}")"
      images+=("$WORK/states/$run.img")
    done
    boot "chain$chain-$n" "$job" "${images[@]}"
    for run in "${batch[@]}"; do judge "$run" "$WORK/chain$chain-$n.txt"; done
    n=$((n + 1))
  done
}

# run_all RUN...: the runs over JOBS machines at once.
run_all() {
  local j i chains=() members
  for ((j = 0; j < JOBS; j++)); do
    members=()
    for ((i = j; i < $#; i += JOBS)); do members+=("${@:i+1:1}"); done
    ((${#members[@]})) || continue
    run_batches "$1-$j" "${members[@]}" &
    chains+=($!)
  done
  wait "${chains[@]}"
}

start=$SECONDS
run_all "${TRIED[@]}"
# The second runs: after fsck.fat -a, every state refused or damaged.
SECOND=()
for name in "${TRIED[@]}"; do
  if [[ -f $WORK/states/$name.damaged || $(cat "$WORK/states/$name.verdict") == refused ]]; then SECOND+=("$name+fsck"); fi
done
((${#SECOND[@]} == 0)) || run_all "${SECOND[@]}"
elapsed=$((SECONDS - start))

# --- the verdicts -------------------------------------------------------------

# cause RUN: one line that groups alike failures: what went wrong, the
# first message of the start, what was reported done, and whether vfat
# found its file system broken and went read-only.
cause() {
  local file=$WORK/states/$1 line
  line=$(paste -sd';' "$file.why" | sed 's/;/; /g')
  grep -q 'has been set read-only' "$file.console" && line="vfat went read-only; $line"
  local first reported
  first=$(grep -m1 '^message: ' "$file.console" | cut -c10- | sed 's/[0-9][0-9]* KB/N KB/' || true)
  reported=$(tr '\r' '\n' <"$file.console" | grep -o 'New audio saved\|Stock sounds restored\|stock sounds already\|DYNAUDIO.ODA restored' |
    sort -u | paste -sd, || true)
  echo "$line${first:+ | start said: ${first:0:100}}${reported:+ | reported: $reported}"
}

REPORT=$WORK/report.txt
tried=${#TRIED[@]} broken=0 refused=0 damaged=0 repairedBroken=0
{
  echo "Crash states of a Save and a Restore on a 32 MiB FAT16 stick ($(date -u +%F))"
  grep -h '^#' "$WORK/save.states" "$WORK/restore.states"
  echo
} >"$REPORT.head"
: >"$REPORT.body"
: >"$REPORT.causes"
for name in "${TRIED[@]}"; do
  file=$WORK/states/$name verdict=$(cat "$WORK/states/$name.verdict") second=""
  [[ $verdict == refused ]] && refused=$((refused + 1))
  [[ -f $file.damaged ]] && damaged=$((damaged + 1))
  [[ -f $file+fsck.verdict ]] && second=$(cat "$file+fsck.verdict")
  [[ $second && $second != correct ]] && repairedBroken=$((repairedBroken + 1))
  [[ $verdict == broken || ($second && $second != correct) ]] || continue
  broken=$((broken + 1))
  [[ $verdict == broken ]] && cause "$name" >>"$REPORT.causes"
  [[ $second && $second != correct ]] && echo "after fsck.fat -a: $(cause "$name+fsck")" >>"$REPORT.causes"
  {
    echo "=== $name: $verdict${second:+, after fsck.fat -a: $second}"
    grep -P "^\Q$name\E\t" "$WORK"/*.states | cut -f2- | tr '\t' '\n'
    [[ -f $file.damaged ]] && { echo "--- fsck.fat -n of the crash image:"; grep -v '^fsck.fat \|^Checking we can' "$file.fsck" | sed -n 1,20p; }
    for run in "$name" "$name+fsck"; do
      [[ -f $WORK/states/$run.verdict ]] || continue
      echo "--- $run: $(cat "$WORK/states/$run.verdict")"
      sed 's/^/  /' "$WORK/states/$run.why"
      [[ -s $WORK/states/$run.host ]] && sed -n 1,30p "$WORK/states/$run.host"
      echo "--- console of $run:"
      grep -v '^\[' "$WORK/states/$run.console" | sed -n 1,80p
    done
    echo
  } >>"$REPORT.body"
done
{
  cat "$REPORT.head"
  echo "fat crash states: $tried tried, $broken broken, $refused refused as damaged"
  echo "fsck.fat -n called $damaged crash images damaged; $repairedBroken states did not end correct after fsck.fat -a"
  echo "$elapsed s for the states, about $((elapsed * JOBS / (tried + ${#SECOND[@]}))) s of a machine each"
  echo
  echo "Broken runs by cause (count, cause):"
  sort "$REPORT.causes" | uniq -c | sort -rn
  echo
  cat "$REPORT.body"
} >"$REPORT"
rm -f "$REPORT.head" "$REPORT.body" "$REPORT.causes"

log "fsck.fat -n called $damaged crash images damaged; $repairedBroken states did not end correct after fsck.fat -a"
log "states took $elapsed s (${#SECOND[@]} second runs after fsck.fat -a); the report is $REPORT"
echo "fat crash states: $tried tried, $broken broken, $refused refused as damaged"
((broken == 0)) || { log "FAILED: $broken broken crash states (see $REPORT)"; exit 1; }
log "all passed"
