#!/usr/bin/env bash
# Takes docs/screenshot-saved.png as a new user would see it: a fresh home,
# the program on a virtual screen, a text typed into the prompt, a click on
# "save on disk D:", and the file looked for in the pictures folder.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/virtual_screen.sh"

TEXT="${1:-Hello, Textscape}"
OUT="${2:-$ROOT/docs/screenshot-saved.png}"
NEW_HOME="$(mktemp -d)"
SCREEN_CLEANUP+=("$NEW_HOME")
start_virtual_screen
unset XDG_PICTURES_DIR XDG_CONFIG_HOME
start_and_type "$TEXT" HOME="$NEW_HOME"

# "save on disk D:" lies at (688, 512), 97 x 17, in the window.
xdotool mousemove --window "$FORM_WINDOW" 736 520 click 1
saved=""
for _ in $(seq 50); do
  saved="$(find "$NEW_HOME/Pictures" -name 'T*.bmp' 2>/dev/null | head -n 1 || true)"
  [ -n "$saved" ] && break
  sleep 0.1
done
[ -n "$saved" ] || { echo "screenshot-saved: no file appeared in $NEW_HOME/Pictures" >&2; exit 1; }
echo "saved: ${saved#"$NEW_HOME"/} ($(identify -format '%wx%h %[type]' "$saved"))"
sleep 1
take_screenshot "$OUT"
