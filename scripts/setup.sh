# Shared by run.sh and test.sh: installs what is missing, configures and
# builds. Meant to be sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${TEXTSCAPE_BUILD_DIR:-$ROOT/build}"

# Every Debian package the build, the program and the tests need.
PACKAGES=(
  cmake g++ ninja-build pkg-config
  libpng-dev libdeflate-dev zlib1g-dev libwebp-dev libjpeg62-turbo-dev
  libutf8proc-dev
  qt6-base-dev qt6-qpa-plugins
  libfreetype-dev libharfbuzz-dev
  libgtest-dev libbenchmark-dev
  fonts-dejavu-core fonts-wqy-microhei fonts-noto-color-emoji fonts-lohit-deva fonts-tlwg-loma-ttf
  xvfb xauth
  appstream desktop-file-utils
  pngcheck imagemagick
)

# What the full check (scripts/full-check.sh) needs besides: Clang with its
# sanitizer and libFuzzer runtimes; the aarch64 cross compiler, qemu-user to
# run its programs, and the arm64 builds of the libraries the parts without
# Qt link (multiarch: enable_architecture arm64 first).
FULL_CHECK_PACKAGES=(
  clang libclang-rt-14-dev
  g++-aarch64-linux-gnu qemu-user
  libpng-dev:arm64 libdeflate-dev:arm64 zlib1g-dev:arm64 libwebp-dev:arm64 libjpeg62-turbo-dev:arm64
  libutf8proc-dev:arm64 libfreetype-dev:arm64 libharfbuzz-dev:arm64 libgtest-dev:arm64
)

# What building and checking the Debian packages needs besides
# (scripts/package-check.sh); the packages' own build dependencies are in
# debian/control.
PACKAGE_CHECK_PACKAGES=(
  build-essential dpkg-dev debhelper lintian
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "textscape: installing packages needs root or sudo: $*" >&2
    return 1
  fi
}

# Lets apt install packages built for another architecture beside this
# machine's own (Debian's multiarch), e.g. arm64. The next install_missing
# of a package of that architecture updates apt's lists.
enable_architecture() {
  dpkg --print-foreign-architectures | grep -qx "$1" && return 0
  echo "Adding the $1 architecture to dpkg"
  as_root dpkg --add-architecture "$1"
}

# Installs the packages named (all of PACKAGES when none is).
install_missing() {
  local missing=() package wanted=("$@")
  [ "$#" -gt 0 ] || wanted=("${PACKAGES[@]}")
  for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "Installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Arguments go to the build step (e.g. --target textscape).
# TEXTSCAPE_WERROR=ON (as CI sets it) turns warnings in src/ into errors.
configure_and_build() {
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEXTSCAPE_WERROR="${TEXTSCAPE_WERROR:-OFF}"
  cmake --build "$BUILD_DIR" "$@"
}
