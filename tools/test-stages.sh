#!/usr/bin/env bash
# make test on Linux: what tools/install-deps.sh installs, three builds and
# every suite, each suite started as soon as its build is done, then one
# timing line per stage ("stage: seconds").
#
#   tools/test-stages.sh            everything make test runs
#   tools/test-stages.sh --times    the last run's stages as a Markdown table
#   TEST_LOGS=DIR ...               where the stages' logs go (build/test-logs)
#
# The builds take turns (each uses both cores); a suite runs beside the
# builds that follow its own. The gcc build is the release preset, tests
# included and warnings as errors: the packages come from it too, so there
# is no separate debug build. Each stage's log is printed whole when it
# ends, so that parallel stages do not mix their lines.
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
LOGS=${TEST_LOGS:-$ROOT/build/test-logs}
if [[ ${1:-} == --times ]]; then
  [[ -s $LOGS/stages.tsv ]] || { echo "no make test has run here ($LOGS/stages.tsv)" >&2; exit 1; }
  echo "| stage | seconds | started at (s) | result |"
  echo "|---|---:|---:|---|"
  sort -t$'\t' -k2,2n "$LOGS/stages.tsv" |
    awk -F'\t' '{ printf "| %s | %s | %s | %s |\n", $1, $3, $2, $4 == 0 ? "passed" : "failed (" $4 ")" }'
  [[ -s $LOGS/total ]] && echo "| total (wall clock) | $(cat "$LOGS/total") | 0 | |"
  head -1 "$LOGS/machine" 2>/dev/null
  exit 0
fi
rm -rf "$LOGS"
mkdir -p "$LOGS"
STARTED=$SECONDS
echo "$(date -u '+%F %H:%M') UTC, $(nproc) cores, load at the start $(cut -d' ' -f1-3 /proc/loadavg)" >"$LOGS/machine"
# The FAT stage's sample for make test; make test-fat and test-fat-full run more.
FAT_QUICK_CRASH_STATES=${FAT_QUICK_CRASH_STATES:-40}

# stage NAME COMMAND...: runs COMMAND with its output in the stage's log,
# then prints the log; records "NAME<TAB>start<TAB>seconds<TAB>status".
stage() {
  local name=$1 start=$SECONDS status
  shift
  local log=$LOGS/${name// /-}.log
  echo "== $name: started at $((start - STARTED)) s"
  "$@" >"$log" 2>&1
  status=$?
  {
    echo "== $name: $((SECONDS - start)) s, $([[ $status == 0 ]] && echo passed || echo "FAILED (exit $status)")"
    cat "$log"
    echo "== end of $name"
  } | flock "$LOGS/.print" cat
  printf '%s\t%s\t%s\t%s\n' "$name" $((start - STARTED)) $((SECONDS - start)) "$status" >>"$LOGS/stages.tsv"
  return "$status"
}

# status_of STAGE: its exit status once it has ended, else nothing.
status_of() { awk -F'\t' -v name="$1" '$1 == name { print $4 }' "$LOGS/stages.tsv" 2>/dev/null; }
# after STAGE: waits until STAGE has ended; false unless it passed.
after() {
  while [[ -z $(status_of "$1") ]]; do sleep 1; done
  [[ $(status_of "$1") == 0 ]]
}

# skipped NAME WHY: a stage that could not start, recorded as failed.
skipped() {
  echo "== $1: not run, $2" | flock "$LOGS/.print" cat
  printf '%s\t%s\t0\tskipped\n' "$1" $((SECONDS - STARTED)) >>"$LOGS/stages.tsv"
}

run_ctest() { nice ctest --preset "$1" -j2 --output-on-failure; }
# Under the sanitizers each of the crash-point test's runs is several times
# slower: there it cuts at every 4th operation, the release suite at each
# (make test-asan still cuts at each).
run_asan_ctest() { TAMSIRO_CRASH_EVERY=4 run_ctest asan; }
build() { cmake --preset "$1" "${@:2}" && nice cmake --build --preset "$1"; }

# What the release build needs comes first; the rest (clang, MinGW, Wine,
# QEMU and its kernel, the package checkers) installs while it builds.
stage "deps (build)" tools/install-deps.sh --build-only
stage deps tools/install-deps.sh &

stage "build release" build release || true

if after "build release"; then
  stage "test release" run_ctest release &
  # Release binaries also run in the FAT machines, where -O2 counts.
  (
    after deps || { skipped FAT "packages missing"; exit; }
    stage FAT env FAT_CUTS=0 FAT_CRASH_STATES="$FAT_QUICK_CRASH_STATES" \
      bash -c 'tests/fat/run-fat.sh build/release && tests/fat/run-crash-states.sh build/release'
  ) &
  (
    after deps || { skipped packages "packages missing"; exit; }
    stage packages bash -c 'nice cmake --build --preset release --target tamsiro_packages && packaging/check-packages.sh build/release'
  ) &
else
  for name in "test release" FAT packages; do skipped "$name" "the release build failed"; done
fi

if after deps; then
  if stage "build asan" build asan; then
    stage "test asan" run_asan_ctest &
  else
    skipped "test asan" "the asan build failed"
  fi
  if stage "build mingw" build mingw -DTAMSIRO_BUILD_TESTS=ON -DTAMSIRO_WERROR=ON; then
    after "build release" &&
      stage "mingw + Wine" env E2E_FIXTURE=build/release/tests/win32/tamsiro_e2e_fixture tests/win32/run-e2e.sh
  else
    skipped "mingw + Wine" "the MinGW build failed"
  fi
else
  for name in "build asan" "test asan" "build mingw" "mingw + Wine"; do skipped "$name" "packages missing"; done
fi
wait

echo
echo "Stages (seconds each; started at, in seconds from the start):"
passed=0 failed=0
while IFS=$'\t' read -r name start seconds status; do
  printf '%s: %s (at %s%s)\n' "$name" "$seconds" "$start" "$([[ $status == 0 ]] || echo ", $status")"
  if [[ $status == 0 ]]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done < <(sort -t$'\t' -k2,2n "$LOGS/stages.tsv")
echo "total: $((SECONDS - STARTED))"
echo $((SECONDS - STARTED)) >"$LOGS/total"
echo "stages: $passed passed, $failed failed"
((failed == 0))
