#!/usr/bin/env bash
# The Debian packages as a user meets them: builds textscape (the window)
# and textscape-render (the renderer) with dpkg-buildpackage from a copy of
# the sources, checks them with lintian, installs them with apt, runs both
# programs (the window on a virtual screen), removes and purges them, and
# checks that nothing of theirs is left. The renderer must be installable
# without any Qt or X package, and both must depend on every font the
# caption loads. Installs what is missing; needs root or sudo for apt.
# Works in build-deb/ (TEXTSCAPE_PACKAGE_DIR); DEB_BUILD_OPTIONS=nocheck
# leaves the tests out of the package build.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_missing
install_missing "${PACKAGE_CHECK_PACKAGES[@]}"

WORK="${TEXTSCAPE_PACKAGE_DIR:-$ROOT/build-deb}"
section() { printf '\n== %s (%s)\n' "$1" "$(date +%T)"; }
fail() {
  echo "package-check: $*" >&2
  exit 1
}

version="$(dpkg-parsechangelog -l "$ROOT/debian/changelog" -S Version)"
project_version="$(sed -n 's/^project(textscape VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
[ "$version" = "$project_version" ] ||
  fail "debian/changelog is at version $version, CMakeLists.txt at $project_version"
arch="$(dpkg --print-architecture)"
window_deb="$WORK/textscape_${version}_$arch.deb"
render_deb="$WORK/textscape-render_${version}_$arch.deb"

section "Building the packages"
# A copy of the sources, as git has them (less what .gitignore leaves out):
# dpkg-buildpackage writes the packages beside the source folder.
rm -rf "$WORK"
source_dir="$WORK/textscape-$version"
mkdir -p "$source_dir"
(cd "$ROOT" && git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -C "$source_dir" -xf -
(cd "$source_dir" && find . -mindepth 1 | sort) >"$WORK/tree-before"
as_root env DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -q --no-install-recommends "$source_dir"
(cd "$source_dir" && dpkg-buildpackage -b -us -uc)
# The build writes nothing beside the sources but its own files in
# debian/, all of which .gitignore leaves out.
(cd "$source_dir" && find . -mindepth 1 | sort) >"$WORK/tree-after"
while read -r path; do
  path="${path#./}"
  # A folder's patterns in .gitignore end with a slash.
  [ ! -d "$source_dir/$path" ] || path="$path/"
  case "$path" in
    debian/*) git -C "$ROOT" check-ignore -q --no-index -- "$path" ||
      fail "the package build wrote $path, which .gitignore does not leave out" ;;
    *) fail "the package build wrote $path, outside debian/" ;;
  esac
done < <(comm -13 "$WORK/tree-before" "$WORK/tree-after")

section "lintian"
lintian --fail-on error,warning "$WORK/textscape_${version}_$arch.changes"

section "What the packages depend on"
# The names a Depends field lists, alternatives included.
depends_of() {
  dpkg-deb -f "$1" Depends | tr ',|' '\n\n' | sed 's/([^)]*)//; s/:any//; s/[[:space:]]//g' | sed '/^$/d'
}
render_depends="$(depends_of "$render_deb")"
window_depends="$(depends_of "$window_deb")"
echo "textscape-render: $(echo $render_depends)"
echo "textscape: $(echo $window_depends)"
# Every package the renderer's installation can pull in, recursively.
closure="$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances $render_depends | grep -v '^ ' | sort -u)"
toolkit="$(grep -E '(^|-)qt|^libx11|^libxcb|^libxext|^libxrender|^x11-|^xserver|^libwayland|^libgl[0-9x]|^libegl' \
  <<<"$closure" || true)"
[ -z "$toolkit" ] || fail "textscape-render would pull in Qt or X packages: $(echo $toolkit)"
# The caption loads its fonts by path: whatever package holds each of
# those files is a dependency of both packages.
fonts="$(sed -n 's/^ *"\(\/usr\/share\/fonts\/[^"]*\)",*$/\1/p' "$ROOT/src/annotate/caption_fonts.hpp")"
[ -n "$fonts" ] || fail "no font paths found in src/annotate/caption_fonts.hpp"
for font in $fonts; do
  owner="$(dpkg -S "$font" 2>/dev/null | cut -d: -f1)" || true
  [ -n "$owner" ] || fail "no installed package holds the caption font $font"
  for list in "$render_depends" "$window_depends"; do
    grep -qx "$owner" <<<"$list" || fail "a package does not depend on $owner, which holds the caption font $font"
  done
done

section "Installing"
for package in textscape textscape-render; do
  ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
    fail "$package is installed already: remove it first"
done
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$window_deb" "$render_deb"
dpkg -L textscape textscape-render | grep -vx '/\.' | sort -u >"$WORK/installed-paths"

section "Running both programs"
run="$WORK/run"
mkdir -p "$run/home"
export HOME="$run/home" XDG_CONFIG_HOME="$run/home/.config" XDG_PICTURES_DIR="$run/pictures"
text="Hello, Textscape"
[ "$(/usr/bin/textscape-render --version)" = "textscape-render $version" ] || fail "textscape-render --version"
/usr/bin/textscape-render -o "$run/picture.png" "$text"
[ "$(/usr/bin/textscape-render --from "$run/picture.png" --info | head -n 1)" = "$text" ] ||
  fail "textscape-render --from does not read back the text of its own picture"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/textscape -V)" = "textscape $version" ] || fail "textscape -V"
# The window opens the renderer's picture (making it again from its text)
# on a virtual screen with no window manager, at the screen's corner; the
# canvas on the screen is then the renderer's picture, pixel for pixel.
# The full check runs the window's tests offscreen: this one is on the screen.
convert "$run/picture.png" -depth 8 rgb:"$run/expected.rgb"
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
  env -u QT_QPA_PLATFORM /usr/bin/textscape -qwindowgeometry +0+0 "$1/picture.png" & window=$!
  shown=1
  for _ in $(seq 60); do
    sleep 1
    import -window root "$1/screen.png" 2>/dev/null || continue
    convert "$1/screen.png" -crop 600x450+32+80 +repage -depth 8 rgb:"$1/shown.rgb"
    if cmp -s "$1/shown.rgb" "$1/expected.rgb"; then shown=0; break; fi
  done
  kill "$window"
  wait "$window" 2>/dev/null || true
  exit "$shown"' _ "$run" ||
  fail "the window did not show the picture (the last screen is $run/screen.png)"
echo "the window shows the renderer's picture of \"$text\""

section "Removing and purging"
as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q textscape textscape-render
# Removing leaves a package's configuration files for a purge; these have
# none, so dpkg forgets them at once. Purge any that it still knows.
for package in textscape textscape-render; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'config-files'; then
    as_root dpkg --purge "$package"
  fi
done
# Of everything the packages installed, only folders other packages also
# hold may be left; nothing else anywhere may bear their name.
left=()
while read -r path; do
  [ -e "$path" ] || [ -L "$path" ] || continue
  [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 && continue
  left+=("$path")
done <"$WORK/installed-paths"
left+=($(find /usr /etc /var /opt -xdev -iname '*textscape*' 2>/dev/null))
[ "${#left[@]}" -eq 0 ] || fail "left behind after purging: ${left[*]}"
grep -qs textscape /usr/share/applications/mimeinfo.cache && fail "the desktop's MIME cache still names textscape"
echo "nothing of the packages is left ($(wc -l <"$WORK/installed-paths") paths checked)"

section "Package check passed"
