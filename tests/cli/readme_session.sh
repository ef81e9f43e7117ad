#!/usr/bin/env bash
# Replays the README's tamsiro-cli session in a fresh demo workspace and
# compares what each command prints with what the README shows, so that
# the README cannot drift from the program.
#
#   tests/cli/readme_session.sh README.md BIN-DIR DEMO-MAKER
#
# BIN-DIR holds tamsiro-cli. Free space differs from machine to machine:
# those figures are compared as digits, not as values.
set -uo pipefail

readme=$1 bin=$(cd "$2" && pwd) make_demo=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$make_demo" "$work/demo" >/dev/null || { echo "the demo workspace was not made"; exit 1; }
export PATH=$bin:$PATH

# The session: the first console block after its introduction.
awk '/^A session in a demo workspace/ { found = 1 }
     found && /^```console/ { inside = 1; next }
     inside && /^```/ { exit }
     inside { print }' "$readme" >"$work/expected.txt"
[[ -s $work/expected.txt ]] || { echo "no session found in $readme"; exit 1; }

(
  cd "$work/demo" || exit 1
  grep '^\$ ' "$work/expected.txt" | cut -c3- | while IFS= read -r command; do
    echo "\$ $command"
    bash -c "$command" 2>&1 </dev/null
  done
) >"$work/actual.txt"

# The README's workspace is /tmp/demo; free space is the machine's own.
normalise() {
  sed -e "s|$work/demo|/tmp/demo|g" \
    -e 's/\(free_bytes"\{0,1\}: \)[0-9]*/\1N/' \
    -e 's/\(free"\{0,1\}: "\{0,1\}\)[0-9.]* [KMGT]\{0,1\}i\{0,1\}B/\1N/' "$1"
}
if ! diff -u <(normalise "$work/expected.txt") <(normalise "$work/actual.txt"); then
  echo "The README's session (above: - README, + tamsiro-cli) no longer matches the program."
  exit 1
fi
echo "the README's session: $(grep -c '^\$ ' "$work/expected.txt") commands, as shown"
