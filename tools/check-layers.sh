#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own, or
# when code for one host lives outside host/. The layers, bottom up, are in
# docs/ARCHITECTURE.md; tests, tools, benchmarks and fuzz targets sit above
# them all. Usage: tools/check-layers.sh [SOURCE-ROOT]
set -uo pipefail
cd "${1:-$(dirname "$0")/..}" || exit 2

# A folder's rank; a file may include from its own rank and below. The three
# front ends share rank 7 but may not include each other.
rank_of() {
  case "$1" in
    host/*) echo 0 ;;
    app/*) echo 1 ;;
    archive/*) echo 2 ;;
    stick/*) echo 3 ;;
    catalogue/*) echo 4 ;;
    install/*) echo 5 ;;
    ui/qt/* | ui/win32/* | ui/cli/*) echo 7 ;;
    ui/*) echo 6 ;;
    *) echo 9 ;;
  esac
}

front_end_of() {
  case "$1" in
    ui/qt/* | ui/win32/* | ui/cli/*) echo "${1#ui/}" | cut -d/ -f1 ;;
  esac
}

failures=0
while IFS= read -r file; do
  own=$(rank_of "$file")
  ((own == 9)) && continue
  own_front_end=$(front_end_of "$file")
  while IFS=: read -r line header; do
    included=$(rank_of "$header")
    ((included == 9)) && continue
    other_front_end=$(front_end_of "$header")
    if ((included > own)) || [[ -n $other_front_end && $other_front_end != "$own_front_end" ]]; then
      echo "$file:$line: includes $header, a layer above or beside its own"
      failures=$((failures + 1))
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" | sed -E 's/^([0-9]+):.*"([^"]+)".*/\1:\2/')
done < <(git ls-files --cached --others --exclude-standard '*.h' '*.cpp' '*.rc' 2>/dev/null || find . -name '*.h' -o -name '*.cpp' -o -name '*.rc' | sed 's|^\./||')

while IFS= read -r file; do
  echo "$file: code for one host outside host/"
  failures=$((failures + 1))
done < <(git ls-files --cached --others --exclude-standard '*_posix.*' '*_win32.*' '*_linux.*' '*_macos.*' | grep -v '^host/')

if ((failures)); then
  echo "check-layers: $failures wrong arrow(s); see docs/ARCHITECTURE.md"
  exit 1
fi
echo "check-layers: every include runs down"
