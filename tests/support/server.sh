#!/usr/bin/env bash
# Starts and stops the tests' loopback servers (127.0.0.1 only).
#   server.sh start STATEDIR NAME PORT ROOT [CERT KEY]
#   server.sh stop STATEDIR NAME
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmd=$1 state=$2 name=$3
mkdir -p "$state"
pidfile="$state/$name.pid"

stop() {
  if [ -f "$pidfile" ]; then
    kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
  fi
}

case "$cmd" in
  start)
    port=$4 root=$5
    stop
    extra=()
    [ $# -ge 7 ] && extra=(--cert "$6" --key "$7")
    nohup python3 "$here/site_server.py" --root "$root" --port "$port" "${extra[@]}" \
      >"$state/$name.log" 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 100); do
      if python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null; then
        exit 0
      fi
      kill -0 "$(cat "$pidfile")" 2>/dev/null || break
      sleep 0.1
    done
    echo "server $name did not start on port $port:" >&2
    cat "$state/$name.log" >&2
    stop
    exit 1
    ;;
  stop) stop ;;
  *) echo "usage: server.sh start|stop ..." >&2; exit 2 ;;
esac
