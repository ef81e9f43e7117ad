#!/usr/bin/env bash
# Runs each fuzz target for a bounded time (make fuzz).
#
#   fuzz/run-fuzzers.sh BUILD_DIR SECONDS [TARGET...]
#
# Seeds are generated afresh into BUILD_DIR/seeds/<target>; what the fuzzer
# finds interesting accumulates in BUILD_DIR/corpus/<target> from run to
# run; a crash, leak, timeout (10 s an input), use of more than 256 MB or
# failed check leaves its input in
# BUILD_DIR/artifacts/<target>/ and makes this script exit 1. Each run's
# time is appended to BUILD_DIR/fuzz-time.log.
set -uo pipefail

build=${1:-build/fuzz}
# Absolute: libFuzzer reads the corpus lazily.
build=$(cd "$build" && pwd)
seconds=${2:-60}
shift 2 2>/dev/null || shift $#
targets=("$@")
if ((${#targets[@]} == 0)); then
  # Every target: fuzz/CMakeLists.txt lists them, the build writes the list.
  mapfile -t targets <"$build/fuzz/targets.txt" || exit 1
fi

max_len() {
  case "$1" in
    fuzz_main_install | fuzz_oda_commands) echo 8192 ;;
    fuzz_version_file) echo 1024 ;;
    *) echo 4096 ;;
  esac
}

# The memory limit is the program's, not the sanitizer's: a small quarantine
# keeps freed memory from counting against it.
export ASAN_OPTIONS="quarantine_size_mb=16${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
"$build/fuzz/make_fuzz_seeds" "$build/seeds" >/dev/null || exit 1
mkdir -p "$build/logs"
status=0
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
  log="$build/logs/$target.log"
  printf '%-20s %4ss ... ' "$target" "$seconds"
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=256 -malloc_limit_mb=256 -max_len="$(max_len "$target")" \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target/" \
      "$build/corpus/$target" "$build/seeds/$target" >"$log" 2>&1; then
    result=clean
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    echo "clean, ${runs:-?} inputs, corpus $(ls "$build/corpus/$target" | wc -l)"
  else
    echo "FINDING: see $log and $build/artifacts/$target/"
    result=finding
    status=1
  fi
  echo "$(date -u +%FT%TZ) $target ${seconds}s $result" >>"$build/fuzz-time.log"
done
exit $status
