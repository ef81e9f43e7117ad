#!/usr/bin/env bash
# tamsiro's command line, run as a user runs it: what it prints and its
# exit status, before any window opens.
#   tests/qt/startup_test.sh PATH-TO-TAMSIRO
set -u
tamsiro=$1
failed=0

# name | exit status | text its output must hold | display | arguments
# (display "none": no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM;
# "offscreen": Qt's window system without a screen)
cases=(
  "no display|1|From a terminal, tamsiro-cli|none|"
  "an unknown option|2|Unknown option 'bogus'|offscreen|--bogus"
  "an unknown option without a display|2|Unknown option 'bogus'|none|--bogus"
  "an argument|2|unexpected argument 'stick'|offscreen|stick"
  "Qt's option takes its value|2|unexpected argument 'extra'|offscreen|-platform offscreen extra"
  "help names Restore|0|Restore stock sounds|none|--help"
  "help names every exit status|0|  2  an unknown option|none|--help"
  "version|0|tamsiro |none|--version"
)

for case in "${cases[@]}"; do
  IFS='|' read -r name status text display arguments <<<"$case"
  read -r -a args <<<"$arguments"
  if [[ $display == none ]]; then
    environment=(-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
  else
    environment=(QT_QPA_PLATFORM=offscreen)
  fi
  output=$(timeout 20 env "${environment[@]}" "$tamsiro" "${args[@]}" 2>&1)
  actual=$?
  if [[ $actual != "$status" || $output != *"$text"* ]]; then
    echo "FAIL $name: exit $actual (want $status), output:"
    printf '%s\n' "$output" | sed 's/^/  /'
    failed=1
  else
    echo "ok   $name"
  fi
done
exit $failed
