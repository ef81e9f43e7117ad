# What the FAT tests share (sourced by run-fat.sh and run-crash-states.sh):
# the machine, the fixtures and the host's checks of a stick image.
#
# The sourcing script sets ROOT, BUILD, WORK and SCRIPT (its name in
# messages) first.

KERNEL_VERSION=${FAT_KERNEL:-$(ls /lib/modules | grep -- '-cloud-amd64$' | sort -V | tail -1)}
ENTRIES=200          # a sound archive of about 240 KB, as in the crash-point test
CLUSTER=2048         # bytes per cluster on the FAT16 stick
P=OPEN-R/MW/DATA/P

die() { echo "$SCRIPT: $*" >&2; exit 1; }
log() { echo "$SCRIPT: $*"; }

FAILED=0
fail() { echo "$SCRIPT: FAILED: $*"; FAILED=$((FAILED + 1)); }

# check_tools TOOL...: each is installed, as are the kernel and Tamsiro's
# programs the machine runs.
check_tools() {
  local tool program
  for tool in qemu-system-x86_64 mkfs.fat mcopy mdir fsck.fat mkfs.ext4 cpio busybox "$@"; do
    command -v "$tool" >/dev/null || die "$tool is missing (tools/install-deps.sh installs it)"
  done
  [[ -r /boot/vmlinuz-$KERNEL_VERSION ]] || die "no Debian cloud kernel (linux-image-cloud-amd64)"
  for program in ui/cli/tamsiro-cli tests/undo/tamsiro_crash_driver tests/fat/tamsiro_fat_check; do
    [[ -x $BUILD/$program ]] || die "$BUILD/$program is missing: build first"
  done
}

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

# machine NAME JOB QEMU-DISK-ARGUMENTS...: one run of the machine; its
# console in NAME.txt.
machine() {
  local name=$1 job=$2
  shift 2
  # A slow host can make an emulated kernel fail its timer check and panic
  # before anything runs (no_timer_check skips it); a boot that never got
  # to Tamsiro's init touched no disk, and is tried again.
  local attempt
  for attempt in 1 2 3; do
    timeout 900 qemu-system-x86_64 -machine pc -accel tcg -m 384 -nographic -no-reboot -net none \
      -kernel "/boot/vmlinuz-$KERNEL_VERSION" -initrd "$WORK/initramfs.gz" \
      -append "console=ttyS0 quiet panic=-1 no_timer_check tamsiro.job=$job" "$@" \
      </dev/null >"$WORK/$name.log" 2>&1 || true
    tr -d '\r' <"$WORK/$name.log" >"$WORK/$name.txt"
    grep -q 'tamsiro-guest: ' "$WORK/$name.txt" && break
    echo "run-fat: $name: the machine did not get to Tamsiro (attempt $attempt); trying again" >&2
  done
}

# boot NAME JOB IMAGE...: the machine with the disks in order (a stick and
# its program disk, then maybe more). The host never crashes, so its own
# flushes add nothing (cache=unsafe): whatever the guest handed the disk
# is in the file.
boot() {
  local name=$1 job=$2 drives=() image
  shift 2
  for image; do drives+=(-drive "file=$image,format=raw,if=virtio,cache=unsafe"); done
  machine "$name" "$job" "${drives[@]}"
}

# --- fixtures -----------------------------------------------------------

# The stock stick, the program folder, and what a Save and a Restore give
# on the host's own file system, where the result is known to be right.
make_fixtures() {
  "$BUILD/tests/fat/tamsiro_fat_check" fixture "$WORK/stock" "$WORK/program" $ENTRIES >/dev/null || die "fixture failed"
  FRESH=1 host_run "$WORK/saved" "${SAVE_ARGS[@]}"
  host_run "$WORK/saved-twice" "${SAVE_ARGS[@]}"  # the configuration is rotated again
  FRESH=1 host_run "$WORK/games" install --games Tilda
}
SAVE_ARGS=(install --main Tilda --games Tilda --voice MiniTilda --remove-male-voice)

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

# make_disk IMAGE [MIB]: the program disk, an ext4 made by mkfs.ext4 -d,
# with the fresh program folder and the expected trees the invariants
# look at.
make_disk() {
  local image=$1 mib=${2:-96} stock=$WORK/stock root=$WORK/disk-tree
  rm -rf "$root" "$image"
  mkdir -p "$root/expect"
  cp -a "$WORK/program" "$root/program"
  cp -a "$stock" "$root/expect/stock"
  cp -a "$WORK/saved" "$root/expect/saved"
  truncate -s "${mib}M" "$image"
  mkfs.ext4 -q -d "$root" "$image"
}

# with_space TREE: the stock tree plus the SPACE.BIN last made.
with_space() { rm -rf "$1" && cp -a "$WORK/stock" "$1" && cp "$WORK/SPACE.BIN" "$1/"; }

# make_tight_stick: the 32 MiB FAT16 stick too small for two sound
# archives (tight.img): beside the stock files, room for half the new
# archive and the Games and voice files twice over, so the old archive
# must go before the new one comes. Its expected trees are tight-stock,
# tight-saved and tight-saved-twice; ROOM is what it has free.
make_tight_stick() {
  local archive=$P/DYNAUDIO.ODA old new others tree
  old=$(size "$WORK/stock/$archive") new=$(size "$WORK/saved/$archive")
  others=$(( $(size "$WORK/saved/$P/AD013001.ODA") + $(size "$WORK/saved/$P/AD013008.ODA") +
             $(size "$WORK/saved/$P/CUSVOICE.ODA") ))
  ROOM=$(clusters $((new / 2 + 2 * others + 16384)))
  ((ROOM < new && ROOM + old >= new + 2 * others)) || die "the tight stick does not force the old archive out first"
  make_stick "$WORK/tight.img" "$WORK/stock" 16 32 "$ROOM"
  with_space "$WORK/tight-stock"
  for tree in saved saved-twice; do cp -a "$WORK/$tree" "$WORK/tight-$tree" && cp "$WORK/SPACE.BIN" "$WORK/tight-$tree/"; done
}

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
# With FSCK_ALLOW_FATS_DIFFER set, two FAT copies that differ but are each
# intact are not counted.
fsck_clean() {
  local report
  report=$(fsck.fat -n "$1" 2>&1 | grep -v -e '^fsck.fat ' -e '^Checking we can access' -e "$1: " \
    -e 'Dirty bit is set' -e '^ *Automatically removing dirty bit' -e '^ *\*\*\* Filesystem was changed' \
    -e 'Leaving filesystem unchanged' -e '^ *Remove dirty bit\?' -e '^ *1) Remove dirty bit' -e '^ *2) No action' \
    -e '^There are differences between boot sector and its backup' -e '^ *This is mostly harmless' -e 'Not automatically fixing' |
    { if [[ ${FSCK_ALLOW_FATS_DIFFER:-} ]]; then grep -v -e '^FATs differ but appear to be intact' -e '^ *Using first FAT'; else cat; fi; } || true)
  [[ -z $report ]] && return 0
  [[ $2 ]] && { fail "$2: fsck.fat finds more than the dirty bit:"; echo "$report" | head -20; }
  return 1
}

# said NAME TEXT: the machine's console shows TEXT.
said() { grep -qF -- "$2" "$WORK/$1.txt"; }
expect_said() { said "$1" "$2" || { fail "$1: no \"$2\" (see $WORK/$1.txt)"; tail -15 "$WORK/$1.txt"; }; }
operations() { grep -o 'file changes: [0-9]*' "$WORK/$1.txt" | tail -1 | tr -dc 0-9; }

# section CASE LOG: the part of a console log from "case CASE" on.
section() {
  awk -v name="$1" '{ at = index($0, "tamsiro-guest: case ") }
    at { on = substr($0, at + 20) == name; next }
    on' "$2"
}
