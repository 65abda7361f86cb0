#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program under Wine.
# Uses the current X display, or a virtual one (Xvfb) when there is none.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$ROOT/scripts/install-deps.sh"
WINE_ARCH=$(wine_arch)
build_all
dir=$(build_dir_for "$WINE_ARCH")
echo "starting $dir/src/ui/velmora.exe"
exec "$dir/wine-run" "$dir/src/ui/velmora.exe"
