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
KERNEL_VERSION=${FAT_KERNEL:-$(ls /lib/modules | grep -- '-cloud-amd64$' | sort -V | tail -1)}
ENTRIES=200          # a sound archive of about 240 KB, as in the crash-point test
CLUSTER=2048         # bytes per cluster on the FAT16 stick
SAMPLE=${FAT_CUTS:-16}  # cut points per command
JOBS=${FAT_JOBS:-2}  # machines at once

die() { echo "run-fat: $*" >&2; exit 1; }
log() { echo "run-fat: $*"; }

for tool in qemu-system-x86_64 mkfs.fat mcopy mdir fsck.fat mkfs.ext4 cpio busybox; do
  command -v "$tool" >/dev/null || die "$tool is missing (tools/install-deps.sh installs it)"
done
[[ -r /boot/vmlinuz-$KERNEL_VERSION ]] || die "no Debian cloud kernel (linux-image-cloud-amd64)"
for program in ui/cli/tamsiro-cli tests/undo/tamsiro_crash_driver tests/fat/tamsiro_fat_check; do
  [[ -x $BUILD/$program ]] || die "$BUILD/$program is missing: build first"
done

rm -rf "$WORK"
mkdir -p "$WORK"

# --- the machine ------------------------------------------------------------

# busybox, the modules, Tamsiro's programs with what ldd lists, and the init.
build_initramfs() {
  local tree=$WORK/initramfs modules=/lib/modules/$KERNEL_VERSION/kernel program library
  mkdir -p "$tree"/{bin,usr/bin,lib/modules,proc,sys,dev,stick,disk}
  cp /bin/busybox "$tree/bin/busybox"
  cp "$ROOT/tests/fat/guest-init.sh" "$tree/init"
  for module in drivers/virtio/{virtio_ring,virtio,virtio_pci_legacy_dev,virtio_pci_modern_dev,virtio_pci} \
      drivers/block/virtio_blk fs/fat/{fat,vfat} fs/nls/{nls_cp437,nls_ascii}; do
    cp "$modules/$module.ko" "$tree/lib/modules/"
  done
  for program in ui/cli/tamsiro-cli tests/undo/tamsiro_crash_driver tests/fat/tamsiro_fat_check; do
    cp "$BUILD/$program" "$tree/usr/bin/"
    for library in $(ldd "$BUILD/$program" | grep -o '/[^ ]*'); do
      mkdir -p "$tree$(dirname "$library")"
      cp -L "$library" "$tree$library"
    done
  done
  (cd "$tree" && find . | cpio -o -H newc --quiet | gzip -1) >"$WORK/initramfs.gz"
}

# boot NAME JOB IMAGE...: one run of the machine with the disks in order
# (a stick and its program disk, then maybe a second pair); its console in
# NAME.txt. The host never crashes, so its own flushes add nothing
# (cache=unsafe): whatever the guest handed the disk is in the file.
boot() {
  local name=$1 job=$2 drives=() image
  shift 2
  for image; do drives+=(-drive "file=$image,format=raw,if=virtio,cache=unsafe"); done
  timeout 900 qemu-system-x86_64 -machine pc -accel tcg -m 384 -nographic -no-reboot -net none \
    -kernel "/boot/vmlinuz-$KERNEL_VERSION" -initrd "$WORK/initramfs.gz" \
    -append "console=ttyS0 quiet panic=-1 tamsiro.job=$job" "${drives[@]}" \
    </dev/null >"$WORK/$name.log" 2>&1 || true
  tr -d '\r' <"$WORK/$name.log" >"$WORK/$name.txt"
}


# --- fixtures -----------------------------------------------------------

FAILED=0
fail() { echo "run-fat: FAILED: $*"; FAILED=$((FAILED + 1)); }

# The stock stick, the program folder, and what a Save and a Restore give
# on the host's own file system, where the result is known to be right.
"$BUILD/tests/fat/tamsiro_fat_check" fixture "$WORK/stock" "$WORK/program" $ENTRIES >/dev/null || die "fixture failed"
# host_run RESULT-DIR ARGS...: the stick after the command, from the state
# the last host_run left (a fresh one with FRESH=1).
host_run() {
  local result=$1
  shift
  if [[ ${FRESH:-} ]]; then
    rm -rf "$WORK/host" && mkdir -p "$WORK/host" && cp -a "$WORK/stock" "$WORK/host/stick" && cp -a "$WORK/program" "$WORK/host/program"
  fi
  "$BUILD/ui/cli/tamsiro-cli" --yes "$@" --stick "$WORK/host/stick" --program-folder "$WORK/host/program" \
    >"$result.host.log" 2>&1 || die "the host run for $result failed: $(cat "$result.host.log")"
  cp -a "$WORK/host/stick" "$result"
}
SAVE_ARGS=(install --main Tilda --games Tilda --voice MiniTilda --remove-male-voice)
FRESH=1 host_run "$WORK/saved" "${SAVE_ARGS[@]}"
host_run "$WORK/saved-twice" "${SAVE_ARGS[@]}"  # the configuration is rotated again
FRESH=1 host_run "$WORK/games" install --games Tilda

size() { stat -c %s "$1"; }
clusters() { echo $((($1 + CLUSTER - 1) / CLUSTER * CLUSTER)); }
free_bytes() { mdir -i "$1" ::/ | grep 'bytes free' | tr -dc 0-9; }

# make_stick IMAGE TREE FAT-BITS MIB [FREE-BYTES]: a stick made by mkfs.fat
# and filled by mcopy; with FREE-BYTES, a SPACE.BIN of zeros in the root
# (whose entries take no cluster) leaves exactly that much free.
make_stick() {
  local image=$1 tree=$2 bits=$3 mib=$4 want=${5:-} free
  rm -f "$image"
  truncate -s "${mib}M" "$image"
  mkfs.fat -F "$bits" -s $((CLUSTER / 512)) -n TAMSIRO "$image" >/dev/null
  mcopy -s -Q -i "$image" "$tree"/* ::/
  [[ $want ]] || return 0
  free=$(free_bytes "$image")
  ((free > want)) || die "$image: only $free bytes free, $want wanted"
  head -c $((free - want)) /dev/zero >"$WORK/SPACE.BIN"
  mcopy -Q -i "$image" "$WORK/SPACE.BIN" ::/SPACE.BIN
  [[ $(free_bytes "$image") == "$want" ]] || die "$image: $(free_bytes "$image") bytes free, not $want"
}

# make_disk IMAGE: the program disk, an ext4 made by mkfs.ext4 -d, with the
# fresh program folder and the expected trees the invariants look at.
make_disk() {
  local image=$1 stock=$WORK/stock root=$WORK/disk-tree
  rm -rf "$root" "$image"
  mkdir -p "$root/expect"
  cp -a "$WORK/program" "$root/program"
  cp -a "$stock" "$root/expect/stock"
  cp -a "$WORK/saved" "$root/expect/saved"
  truncate -s 96M "$image"
  mkfs.ext4 -q -d "$root" "$image"
}

# with_space TREE: the stock tree plus the SPACE.BIN last made.
with_space() { rm -rf "$1" && cp -a "$WORK/stock" "$1" && cp "$WORK/SPACE.BIN" "$1/"; }

# The 32 MiB FAT16 stick, too small for two sound archives: beside the
# stock files, room for half the new archive and the Games and voice files
# twice over, so the old archive must go before the new one comes.
archive=OPEN-R/MW/DATA/P/DYNAUDIO.ODA
old=$(size "$WORK/stock/$archive") new=$(size "$WORK/saved/$archive")
others=$(( $(size "$WORK/saved/OPEN-R/MW/DATA/P/AD013001.ODA") + $(size "$WORK/saved/OPEN-R/MW/DATA/P/AD013008.ODA") +
           $(size "$WORK/saved/OPEN-R/MW/DATA/P/CUSVOICE.ODA") ))
room=$(clusters $((new / 2 + 2 * others + 16384)))
((room < new && room + old >= new + 2 * others)) || die "the tight stick does not force the old archive out first"
make_stick "$WORK/tight.img" "$WORK/stock" 16 32 "$room"
with_space "$WORK/tight-stock"
for tree in saved saved-twice; do cp -a "$WORK/$tree" "$WORK/tight-$tree" && cp "$WORK/SPACE.BIN" "$WORK/tight-$tree/"; done
make_disk "$WORK/tight-disk.img"

# The Games pair on a stick with exactly the room the space plan needs, by
# FAT's cluster rounding (old files out first, one at a time, when the new
# pair does not fit beside them), and on one a cluster short.
P=OPEN-R/MW/DATA/P
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
log "fixtures ready; sound archive $old bytes, $new after the Save; tight stick $room bytes free"

# --- checks on the host ---------------------------------------------------

# same IMAGE TREE WHAT: every file on the stick, read with mtools, is the
# tree's, byte for byte, and nothing else is there.
same() {
  local image=$1 tree=$2 what=$3 out
  out=$(mktemp -d "$WORK/read.XXXX")
  if ! mcopy -s -n -Q -i "$image" '::/*' "$out/" >"$out.log" 2>&1; then
    fail "$what: mtools cannot read the stick"; cat "$out.log"; rm -rf "$out" "$out.log"; return 1
  fi
  if ! diff -r "$tree" "$out" >"$out.log" 2>&1; then
    fail "$what: the stick is not what was expected:"; head -20 "$out.log"; rm -rf "$out" "$out.log"; return 1
  fi
  rm -rf "$out" "$out.log"
}

# fsck_clean IMAGE WHAT: fsck.fat -n finds nothing but the dirty bit.
fsck_clean() {
  local report
  report=$(fsck.fat -n "$1" 2>&1 | grep -v -e '^fsck.fat ' -e '^Checking we can access' -e "$1: " \
    -e 'Dirty bit is set' -e '^ *Automatically removing dirty bit' -e '^ *\*\*\* Filesystem was changed' \
    -e 'Leaving filesystem unchanged' -e '^ *Remove dirty bit\?' -e '^ *1) Remove dirty bit' -e '^ *2) No action' \
    -e '^There are differences between boot sector and its backup' -e '^ *This is mostly harmless' -e 'Not automatically fixing' || true)
  [[ -z $report ]] && return 0
  [[ $2 ]] && { fail "$2: fsck.fat finds more than the dirty bit:"; echo "$report" | head -20; }
  return 1
}

# said NAME TEXT: the machine's console shows TEXT.
said() { grep -qF -- "$2" "$WORK/$1.txt"; }
expect_said() { said "$1" "$2" || { fail "$1: no \"$2\" (see $WORK/$1.txt)"; tail -15 "$WORK/$1.txt"; }; }
operations() { grep -o 'file changes: [0-9]*' "$WORK/$1.txt" | tail -1 | tr -dc 0-9; }

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
for line in "stick.archive: main:Tilda" "stick.voice: MiniTilda" "stick.games: Tilda" "stick.male_voice: no" \
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

# section CASE LOG: the part of a console log from "case CASE" on.
section() {
  awk -v name="$1" '{ at = index($0, "tamsiro-guest: case ") }
    at { on = substr($0, at + 20) == name; next }
    on' "$2"
}

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
