#!/usr/bin/env bash
# Takes docs/screenshot-window.png: starts the program on a virtual screen
# with a window manager, types a text into its prompt as a user would, and
# photographs the screen once the picture is drawn.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/virtual_screen.sh"

TEXT="${1:-Hello, Textscape}"
OUT="${2:-$ROOT/docs/screenshot-window.png}"
start_virtual_screen
start_and_type "$TEXT"
take_screenshot "$OUT"
