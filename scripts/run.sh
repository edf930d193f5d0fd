#!/usr/bin/env bash
# Installs what is missing, builds Textscape and starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_missing
configure_and_build --target textscape
exec "$BUILD_DIR/bin/textscape" "$@"
