#!/usr/bin/env bash
# Refreshes the pictures of the Qt dialog in docs/screenshots: qt-dialog.png
# at 100 % and qt-dialog-200.png at 200 % (QT_SCALE_FACTOR=2), each taken on
# the demo workspace on a virtual 1280x1024 display, with openbox drawing
# the window frame. The demo folder gets sets of its own beside the six
# rows (Main "Mine", a browser's "Barnaby (1)", a lone first Games file
# "Zed"), and Main Mine is installed on the stick first (tamsiro-cli), so
# the dialog starts with it checked and the status line shows it. Needs
# xvfb, openbox, xdotool and ImageMagick's import.
#   tools/qt-screenshots.sh [build folder, default build/dev]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build/dev}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

shoot() {
  local scale=$1 picture=$2
  rm -rf "$work/demo"
  "$build/tools/make_demo_workspace" "$work/demo" >/dev/null
  local folder=$work/demo/Tamsiro
  cp "$build/ui/qt/tamsiro" "$folder/"
  # Renamed, not copied: a copy's sounds would read back as the row's set.
  mv "$folder/DATA_M3_JumpyNoor.ODA" "$folder/DATA_M3_Mine.ODA"
  mv "$folder/DATA_V3_Barnaby.ODA" "$folder/DATA_V3_Barnaby (1).ODA"
  cp "$folder/DATA_G3A_JumpyNoor.ODA" "$folder/DATA_G3A_Zed.ODA"
  "$build/ui/cli/tamsiro-cli" install --stick "$work/demo/stick" --program-folder "$folder" --main Mine --yes \
    >/dev/null 2>&1
  SCALE=$scale OUT=$work/$picture.png DEMO=$work/demo xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -euo pipefail
    openbox >/dev/null 2>&1 &
    sleep 1
    cd "$DEMO/stick"
    QT_SCALE_FACTOR=$SCALE ../Tamsiro/tamsiro &
    app=$!
    # The chooser opens on memstick.ind; the backup was made by the install.
    xdotool search --sync --name "Open MEMSTICK.IND" >/dev/null; sleep 1; xdotool key Return
    dialog=$(xdotool search --sync --name "AiboMind 3 Customized Sounds" | head -1)
    sleep 1
    # One group changed from the start: Talkative Voice to the browser'"'"'s
    # "Barnaby (1)", where it is at 100 % times the scale (inside the
    # groups even where they scroll).
    xdotool mousemove --window "$dialog" $((36 * SCALE)) $((382 * SCALE)) click 1
    xdotool mousemove 0 0; sleep 1
    import -frame -window "$dialog" "$OUT"
    kill $app
  '
  convert "$work/$picture.png" -strip "$repo/docs/screenshots/$picture.png"
  echo "docs/screenshots/$picture.png: $(identify -format "%wx%h" "$repo/docs/screenshots/$picture.png")"
}

shoot 1 qt-dialog
shoot 2 qt-dialog-200
