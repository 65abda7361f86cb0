#!/usr/bin/env bash
# Takes a picture of the program's main window as it first appears, on the X
# display the tests run on (Xvfb under scripts/test.sh).
#   screenshot.sh WINE_RUN DRIVER_EXE OUT.png
# The driver's HoldWindowForScreenshot case starts the program, writes the
# window's place to a "ready" file and waits for a "done" file.
set -euo pipefail
wine_run=$1 driver=$2 out=$3
[ -n "${DISPLAY:-}" ] || { echo "screenshot.sh: no X display" >&2; exit 1; }
import=/usr/bin/import # ImageMagick's own, not a stand-in elsewhere on PATH
[ -x "$import" ] || { echo "screenshot.sh: ImageMagick's import is missing" >&2; exit 1; }

dir=$(dirname "$out")
mkdir -p "$dir"
ready=$dir/main-window.ready done=$dir/main-window.done
rm -f "$ready" "$done" "$out"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# With no window manager on the display, Wine draws the program's frame and
# caption itself only when told to; only velmora.exe is told.
"$wine_run" reg add 'HKCU\Software\Wine\AppDefaults\velmora.exe\X11 Driver' \
  /v Decorated /d N /f >/dev/null 2>&1

VELMORA_SHOT_READY=$(winpath "$ready") VELMORA_SHOT_DONE=$(winpath "$done") \
  "$wine_run" "$driver" --gtest_filter='ScreenshotTest.*' &
driver_pid=$!
trap 'touch "$done"; wait $driver_pid 2>/dev/null || true' EXIT

for _ in $(seq 600); do
  [ -s "$ready" ] && break
  kill -0 $driver_pid 2>/dev/null || { echo "screenshot.sh: the driver ended early" >&2; exit 1; }
  sleep 0.1
done
[ -s "$ready" ] || { echo "screenshot.sh: the window never appeared" >&2; exit 1; }
read -r x y w h <"$ready"
"$import" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
touch "$done"
trap - EXIT
wait $driver_pid
rm -f "$ready" "$done"
echo "screenshot: $out (${w}x${h} at $x,$y)"
