#!/usr/bin/env bash
# Runs the whole-program benchmarks (program_bench.exe) and the reference
# runs beside them, and prints what BENCHMARKS.md reports.
#   bench/program_bench.sh WIN_BUILD [SHIPPING_BUILD]
# WIN_BUILD is the Windows build that runs here (build/win64 where the kernel
# cannot run 32-bit code); SHIPPING_BUILD, if given, the one whose
# velmora.exe size is also reported (build/win32).
#   RUNS   runs of the start and click measurements (default 10)
#   PARTS  which measurements (default "size start click mirror")
# Uses the 127.0.0.1 ports 18700..18700+RUNS-1 and 18750.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
support=$here/../tests/support
build=$(cd "$1" && pwd)
shipping=${2:-}
runs=${RUNS:-10}
parts=" ${PARTS:-size start click mirror} "
site_port=18750
url="http://127.0.0.1:$site_port/"

# One display for every run: the program, its consoles and its boxes.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/velmora-bench.XXXXXX)
trap 'bash "$support/server.sh" stop "$work" site; rm -rf "$work"' EXIT
bench="$build/bench/program_bench.exe"
run() { "$build/wine-run" "$@"; }
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
count() { find "$1" -type f | wc -l; }
want() { [[ $parts == *" $1 "* ]]; }

size() {
  local exe
  for exe in "$build/src/ui/velmora.exe" ${shipping:+"$shipping/src/ui/velmora.exe"}; do
    echo "$exe: $(stat -c %s "$exe") bytes ($(objdump -f "$exe" | sed -n 's/.*file format //p'))"
  done
}

start() {
  run "$bench" start "$runs" "$(winpath "$build/bench/bare_window.exe")"
}

click() {
  run "$bench" click "$runs" 18700
}

mirror() {
  # wget -r follows links 5 deep at most, and the generated pages link in a
  # chain; a site map on the first page puts every page one link away.
  python3 "$support/make_site.py" "$work/site" --port $site_port --pages 500
  python3 - "$work/site" $site_port <<'PY'
import pathlib, sys
root, port = pathlib.Path(sys.argv[1]), sys.argv[2]
links = "".join(f'<a href="http://127.0.0.1:{port}/{p.name}">{p.stem}</a>\n'
                for p in sorted(root.glob("page*.html")))
index = root / "index.html"
index.write_text(index.read_text().replace("</body>", links + "</body>"))
PY
  bash "$support/server.sh" start "$work" site $site_port "$work/site"
  echo "site: $(find "$work/site" -name '*.html' | wc -l) pages, $(count "$work/site") files"
  mkdir "$work/program" "$work/console" "$work/logfile" "$work/native"

  run "$bench" mirror "$url" "$(winpath "$work/program")"
  echo "files mirrored: $(count "$work/program")"

  run "$bench" wget "$url" "$(winpath "$work/console")"
  echo "files mirrored: $(count "$work/console")"

  run "$bench" wget "$url" "$(winpath "$work/logfile")" "$(winpath "$work/wget.log")"
  echo "files mirrored: $(count "$work/logfile")"

  local t0 t1
  t0=$(date +%s%N)
  (cd "$work/native" && wget -r -p -np -k "$url" 2>"$work/native.log") || echo "native wget: status $?"
  t1=$(date +%s%N)
  echo "native wget, start to exit: $(( (t1 - t0) / 1000000 )) ms"
  echo "files mirrored: $(count "$work/native")"
}

echo "== machine: $(nproc) CPUs, $(uptime | sed 's/.*load/load/'), $(/usr/lib/wine/wine64 --version)"
for part in size start click mirror; do
  if want $part; then
    echo "== $part"
    $part
  fi
done
echo "== done: $(uptime | sed 's/.*load/load/')"
