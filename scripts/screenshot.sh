#!/usr/bin/env bash
# Takes docs/screenshot-window.png: starts the program on a virtual screen
# with a window manager, types a text into its prompt as a user would, and
# photographs the screen once the picture is drawn.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
PACKAGES+=(xdotool imagemagick openbox x11-utils)
install_missing
configure_and_build --target textscape

TEXT="${1:-Hello, Textscape}"
OUT="${2:-$ROOT/docs/screenshot-window.png}"
SCREEN=":$(( 90 + RANDOM % 100 ))"
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

Xvfb "$SCREEN" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
export DISPLAY="$SCREEN"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & pids+=($!)
sleep 1
unset QT_QPA_PLATFORM
"$BUILD_DIR/src/textscape" & pids+=($!)

# The prompt is the program's second window.
prompt=""
for _ in $(seq 100); do
  for window in $(xdotool search --onlyvisible --class textscape 2>/dev/null); do
    [ "$(xdotool getwindowname "$window")" != "Form1" ] && prompt="$window"
  done
  [ -n "$prompt" ] && break
  sleep 0.1
done
[ -n "$prompt" ] || { echo "screenshot: the prompt never opened" >&2; exit 1; }

xdotool windowactivate --sync "$prompt"
xdotool type --delay 80 "$TEXT"
xdotool key Return
sleep 3
mkdir -p "$(dirname "$OUT")"
import -window root "$OUT"
echo "wrote $OUT"
