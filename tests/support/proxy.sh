#!/usr/bin/env bash
# Starts and stops a tinyproxy on 127.0.0.1 for the tests; its log shows
# every request it carried (GET http://... and CONNECT host:port).
#   proxy.sh start STATEDIR NAME PORT
#   proxy.sh stop STATEDIR NAME
set -euo pipefail
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
    port=$4
    stop
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
    nohup tinyproxy -d -c "$state/$name.conf" >"$state/$name.out" 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 100); do
      if python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null; then
        exit 0
      fi
      kill -0 "$(cat "$pidfile")" 2>/dev/null || break
      sleep 0.1
    done
    echo "proxy $name did not start on port $port:" >&2
    cat "$state/$name.out" >&2
    stop
    exit 1
    ;;
  stop) stop ;;
  *) echo "usage: proxy.sh start|stop ..." >&2; exit 2 ;;
esac
