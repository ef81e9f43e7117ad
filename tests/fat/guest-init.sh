#!/bin/busybox sh
# The init of the FAT test machine (tests/fat/run-fat.sh builds it in). It
# mounts the stick (vda, vfat) and the program disk (vdb, ext4), runs the
# steps named on the kernel command line (tamsiro.job=STEP,STEP,...) and
# then unmounts both and resets, or cuts the power without a sync.
/bin/busybox --install -s /bin
export PATH=/bin:/usr/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for module in virtio_ring virtio virtio_pci_legacy_dev virtio_pci_modern_dev virtio_pci virtio_blk fat vfat \
    nls_cp437 nls_ascii; do
  insmod /lib/modules/$module.ko 2>/dev/null
done
echo 1 >/proc/sys/kernel/sysrq

say() { echo "tamsiro-guest: $*"; }
# Before any disk is touched: the host tries a boot again that never got here.
say "init"
for _ in $(seq 50); do [ -b /dev/vda ] && break; sleep 0.1; done
mkdir -p /stick /disk

PROGRAM=/disk/program
EXPECT=/disk/expect
CLI="tamsiro-cli --yes"
FOLDERS="--stick /stick --program-folder $PROGRAM"

# use:a mounts the stick vda and the program disk vdb, use:b vdc and vdd,
# use:vdX the partitions of one disk (1 the stick, 2 the program disk);
# what was mounted before is unmounted first, which writes it out.
mounted() { grep -q " $1 " /proc/mounts; }
use() {
  mounted /stick && umount /stick
  mounted /disk && umount /disk
  case "$1" in a) set -- vda vdb ;; b) set -- vdc vdd ;; vd*) set -- "${1}1" "${1}2" ;; esac
  for _ in $(seq 50); do [ -b /dev/$2 ] && break; sleep 0.1; done
  mount -t vfat /dev/$1 /stick || say "cannot mount the stick $1"
  mount -t ext4 /dev/$2 /disk || say "cannot mount the program disk $2"
}

# Runs a command, its output and exit code on the console.
run() {
  say "run: $*"
  "$@" 2>&1
  say "exit: $?"
}

# Cuts the power: no sync, no unmount; the stick keeps what reached it.
cut() {
  say "power cut"
  echo b >/proc/sysrq-trigger
}

step() {
  case "$1" in
    save) run $CLI install $FOLDERS --main Tilda --games Tilda --voice MiniTilda --remove-male-voice ;;
    games) run $CLI install $FOLDERS --games Tilda ;;
    restore) run $CLI restore $FOLDERS ;;
    status) run $CLI status $FOLDERS ;;
    # How Tamsiro counts the stick's clusters against its files.
    clusters) run tamsiro_fat_check clusters /stick ;;
    use:*) use "${1#use:}" ;;
    case:*) say "case ${1#case:}" ;;
    # mark:DEVICE:OFFSET: Tamsiro marks each file operation there, for the
    # write recordings of run-crash-states.sh. Without the periodic
    # write-back, what reaches the disk when depends on Tamsiro alone, so
    # that a recording, and the names of its states, come out the same
    # each time.
    mark:*)
      export TAMSIRO_MARK_DEVICE=${1#mark:}
      echo 0 >/proc/sys/vm/dirty_writeback_centisecs ;;
    # The crash-point test's driver, which counts the file operations.
    drive-save) run tamsiro_crash_driver $PROGRAM /stick save ;;
    drive-restore) run tamsiro_crash_driver $PROGRAM /stick restore ;;
    # The start after a crash, taking the repair offer.
    start) run tamsiro_crash_driver $PROGRAM /stick start ;;
    # The crash-point test's invariants after the start of an interrupted
    # Save or Restore (the host compares the rest with mtools).
    check:save) run tamsiro_fat_check invariants /stick $PROGRAM $EXPECT/stock $EXPECT/stock $EXPECT/saved ;;
    check:restore) run tamsiro_fat_check invariants /stick $PROGRAM $EXPECT/stock $EXPECT/saved $EXPECT/stock ;;
    # Cut at counted file operation K of the Save or the Restore.
    cut:*)
      spec=${1#cut:}
      say "cutting before operation ${spec##*:}"
      export TAMSIRO_CRASH_MODE=power TAMSIRO_CRASH_AT=${spec##*:}
      step "${spec%%:*}"
      unset TAMSIRO_CRASH_MODE TAMSIRO_CRASH_AT
      say "the cut point was not reached" ;;
    cut) cut ;;
    *) say "unknown step $1" ;;
  esac
}

job=$(sed -n 's/.*tamsiro\.job=\([^ ]*\).*/\1/p' /proc/cmdline)
for s in $(echo "$job" | tr ',' ' '); do
  step "$s"
done
say "done"
mounted /stick && umount /stick
mounted /disk && umount /disk
sync
reboot -f
