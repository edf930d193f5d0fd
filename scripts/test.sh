#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; the
# window's tests run headless.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_missing
configure_and_build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
