#!/usr/bin/env bash
# Takes the screenshots that show the window on a small screen and on a
# dense one, as a new user sees it there: a 1280 x 800 screen at twice the
# scale (QT_SCALE_FACTOR=2, so 640 x 400 logical pixels) and a 1024 x 768
# screen, each with a window manager. On the dense screen the layout does
# not fit and scrolls: Tab takes the focus to "save on disk D:" and the
# view follows it, and the wheel shows the far corner. Writes into docs/
# (or the folder given).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/virtual_screen.sh"

TEXT="${1:-Hello, Textscape}"
OUT="${2:-$ROOT/docs}"
NEW_HOME="$(mktemp -d)"
SCREEN_CLEANUP+=("$NEW_HOME")

# One screen after the other, each with its own server and window manager.
shoot() {
  local size="$1" name="$2"; shift 2
  SCREEN_SIZE="$size" start_virtual_screen
  start_and_type "$TEXT" HOME="$NEW_HOME" "$@"
  take_screenshot "$OUT/$name.png"
  if [ "$#" -gt 0 ]; then
    # Tab: from "new text / new image" to "save on disk D:", the view
    # scrolling to it.
    xdotool key --window "$FORM_WINDOW" Tab
    sleep 1
    take_screenshot "$OUT/$name-buttons.png"
    # The wheel, down and to the right: the far corner with the info band.
    xdotool mousemove --window "$FORM_WINDOW" 300 300 click --repeat 20 5 click --repeat 20 7
    sleep 1
    take_screenshot "$OUT/$name-corner.png"
  fi
  local pid
  for pid in "${SCREEN_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  SCREEN_PIDS=()
  SCREEN=":$(( 90 + RANDOM % 100 ))"
  sleep 1
}

unset XDG_PICTURES_DIR XDG_CONFIG_HOME
shoot 1280x800 screenshot-1280x800-scale2 QT_SCALE_FACTOR=2
shoot 1024x768 screenshot-1024x768
