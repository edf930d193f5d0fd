# Shared by the screenshot scripts: the program on a virtual screen with a
# window manager, and a text typed into its prompt as a user would. Sourcing
# it installs what is missing and builds the window program.

source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
PACKAGES+=(xdotool imagemagick openbox x11-utils)
install_missing
configure_and_build --target textscape
SCREEN=":$(( 90 + RANDOM % 100 ))"
SCREEN_PIDS=()
SCREEN_CLEANUP=()

stop_virtual_screen() {
  local pid
  for pid in "${SCREEN_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for path in "${SCREEN_CLEANUP[@]}"; do rm -rf "$path"; done
}

# The screen's size: SCREEN_SIZE, by default 1280x800.
start_virtual_screen() {
  trap stop_virtual_screen EXIT
  Xvfb "$SCREEN" -screen 0 "${SCREEN_SIZE:-1280x800}x24" -nolisten tcp >/dev/null 2>&1 & SCREEN_PIDS+=($!)
  export DISPLAY="$SCREEN"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 & SCREEN_PIDS+=($!)
  sleep 1
  unset QT_QPA_PLATFORM
}

# Waits for the program's prompt and gives it the keys. Leaves the
# prompt's id in PROMPT_WINDOW and the window's in FORM_WINDOW.
wait_for_prompt() {
  local window
  PROMPT_WINDOW=""
  FORM_WINDOW=""
  for _ in $(seq 100); do
    for window in $(xdotool search --onlyvisible --class textscape 2>/dev/null); do
      # The window's title is shown with the program's name: "Form1 — Textscape".
      case "$(xdotool getwindowname "$window")" in
        Form1*) FORM_WINDOW="$window" ;;
        *) PROMPT_WINDOW="$window" ;;
      esac
    done
    [ -n "$PROMPT_WINDOW" ] && break
    sleep 0.1
  done
  [ -n "$PROMPT_WINDOW" ] || { echo "$(basename "$0"): the prompt never opened" >&2; exit 1; }
  xdotool windowactivate --sync "$PROMPT_WINDOW"
}

# Starts the program (extra arguments: environment settings for it), waits
# for its prompt, types the text and presses Return. Leaves the window's id
# in FORM_WINDOW.
start_and_type() {
  local text="$1"; shift
  env "$@" "$BUILD_DIR/bin/textscape" & SCREEN_PIDS+=($!)
  wait_for_prompt
  xdotool type --delay 80 "$text"
  xdotool key Return
  sleep 3
}

take_screenshot() {
  mkdir -p "$(dirname "$1")"
  import -window root "$1"
  echo "wrote $1"
}
