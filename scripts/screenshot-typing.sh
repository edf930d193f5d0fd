#!/usr/bin/env bash
# Takes docs/screenshot-typing-1.png, -2.png and -3.png: the program on a
# virtual screen with a window manager, a text typed into its prompt letter
# by letter as a user types it, and the screen photographed after each of
# the first three letters, the canvas showing the picture of what is typed
# so far while the prompt stays open.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/virtual_screen.sh"

TEXT="${1:-Sea}"
OUT="${2:-$ROOT/docs}"
NEW_HOME="$(mktemp -d)"
SCREEN_CLEANUP+=("$NEW_HOME")
start_virtual_screen
HOME="$NEW_HOME" "$BUILD_DIR/bin/textscape" & SCREEN_PIDS+=($!)
wait_for_prompt
for n in 1 2 3; do
  xdotool type --delay 0 "${TEXT:n-1:1}"
  sleep 1.5
  take_screenshot "$OUT/screenshot-typing-$n.png"
done
