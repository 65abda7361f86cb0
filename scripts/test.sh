#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native unit
# tests, then the Windows-side tests under Wine and Xvfb.
# Extra arguments go to both ctest runs, e.g. scripts/test.sh -R download_job
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$ROOT/scripts/install-deps.sh"
WINE_ARCH=$(wine_arch)
build_all

status=0
echo "== native tests"
(cd "$BUILD/native" && ctest --output-on-failure "$@") || status=1
echo "== Windows tests under Wine ($WINE_ARCH)"
(cd "$(build_dir_for "$WINE_ARCH")" &&
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure "$@") || status=1
exit $status
