#!/usr/bin/env bash
# Starts and stops the tests' loopback servers (127.0.0.1 only).
#   server.sh start STATEDIR NAME PORT ROOT [CERT KEY]   a site over HTTP(S);
#                                  STATEDIR/NAME.requests lists the request lines
#   server.sh proxy STATEDIR NAME PORT                   a tinyproxy whose log
#                                  (STATEDIR/NAME.log) names every request it carried
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

# launch PORT COMMAND...: runs COMMAND in the background and waits until it
# accepts connections on PORT.
launch() {
  local port=$1
  shift
  stop
  nohup "$@" >"$state/$name.out" 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 100); do
    if python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null; then
      return 0
    fi
    kill -0 "$(cat "$pidfile")" 2>/dev/null || break
    sleep 0.1
  done
  echo "server $name did not start on port $port:" >&2
  cat "$state/$name.out" >&2
  stop
  exit 1
}

case "$cmd" in
  start)
    port=$4 root=$5
    extra=()
    [ $# -ge 7 ] && extra=(--cert "$6" --key "$7")
    rm -f "$state/$name.requests"
    launch "$port" python3 "$here/site_server.py" --root "$root" --port "$port" \
      --log "$state/$name.requests" "${extra[@]}"
    ;;
  proxy)
    port=$4
    rm -f "$state/$name.log"
    cat >"$state/$name.conf" <<CONF
Port $port
Listen 127.0.0.1
Allow 127.0.0.1
Timeout 60
MaxClients 20
LogFile "$state/$name.log"
LogLevel Connect
CONF
    launch "$port" tinyproxy -d -c "$state/$name.conf"
    ;;
  stop) stop ;;
  *) echo "usage: server.sh start|proxy|stop ..." >&2; exit 2 ;;
esac
