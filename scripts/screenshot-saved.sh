#!/usr/bin/env bash
# Takes docs/screenshot-saved.png as a new user would see it: a fresh home,
# the program on a virtual screen, a text typed into the prompt, a click on
# "save on disk D:", and the file looked for in the pictures folder.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
PACKAGES+=(xdotool imagemagick openbox x11-utils)
install_missing
configure_and_build --target textscape

TEXT="${1:-Hello, Textscape}"
OUT="${2:-$ROOT/docs/screenshot-saved.png}"
SCREEN=":$(( 90 + RANDOM % 100 ))"
NEW_HOME="$(mktemp -d)"
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$NEW_HOME"; }
trap cleanup EXIT

Xvfb "$SCREEN" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
export DISPLAY="$SCREEN"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & pids+=($!)
sleep 1
unset QT_QPA_PLATFORM XDG_PICTURES_DIR XDG_CONFIG_HOME
HOME="$NEW_HOME" "$BUILD_DIR/src/textscape" & pids+=($!)

# The prompt is the program's second window.
prompt="" form=""
for _ in $(seq 100); do
  for window in $(xdotool search --onlyvisible --class textscape 2>/dev/null); do
    if [ "$(xdotool getwindowname "$window")" = "Form1" ]; then form="$window"; else prompt="$window"; fi
  done
  [ -n "$prompt" ] && break
  sleep 0.1
done
[ -n "$prompt" ] || { echo "screenshot-saved: the prompt never opened" >&2; exit 1; }

xdotool windowactivate --sync "$prompt"
xdotool type --delay 80 "$TEXT"
xdotool key Return
sleep 3

# "save on disk D:" lies at (688, 512), 97 x 17, in the window.
xdotool mousemove --window "$form" 736 520 click 1
for _ in $(seq 50); do
  saved="$(find "$NEW_HOME/Pictures" -name 'T*.bmp' 2>/dev/null | head -n 1)"
  [ -n "$saved" ] && break
  sleep 0.1
done
[ -n "$saved" ] || { echo "screenshot-saved: no file appeared in $NEW_HOME/Pictures" >&2; exit 1; }
echo "saved: ${saved#"$NEW_HOME"/} ($(identify -format '%wx%h %[type]' "$saved"))"
sleep 1
mkdir -p "$(dirname "$OUT")"
import -window root "$OUT"
echo "wrote $OUT"
