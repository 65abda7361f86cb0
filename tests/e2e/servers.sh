#!/usr/bin/env bash
# What the end-to-end tests need around the program, made before and taken
# away after them:
#   servers.sh start|stop STATEDIR WINEPREFIX DRIVE HTTP HTTPS UNTRUSTED BROKEN CLOSED PROXY PROXY_DOWN
# - sites on 127.0.0.1: HTTP, HTTPS (certificate from the test CA, which the
#   tests make trusted) and UNTRUSTED (certificate from a CA nobody trusts),
#   BROKEN (a site with a broken link);
# - a tinyproxy on PROXY, logging to STATEDIR/proxy.log;
# - CLOSED and PROXY_DOWN, on which nothing may listen;
# - Wine drive DRIVE: (a letter) mapped to STATEDIR/drive.
set -euo pipefail
support=$(cd "$(dirname "$0")/../support" && pwd)
cmd=$1 state=$2 prefix=$3 drive=$4
http=$5 https=$6 untrusted=$7 broken=$8 closed=$9 proxy=${10} proxy_down=${11}
link="$prefix/dosdevices/${drive,,}:"

servers=(http https untrusted broken proxy)
stop_all() {
  for name in "${servers[@]}"; do bash "$support/server.sh" stop "$state" "$name"; done
  if [ -L "$link" ] && [ "$(readlink "$link")" = "$state/drive" ]; then rm -f "$link"; fi
}

if [ "$cmd" = stop ]; then
  stop_all
  exit 0
fi

for port in "$closed" "$proxy_down"; do
  if python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null; then
    echo "something listens on 127.0.0.1:$port; these tests need it closed" >&2
    exit 1
  fi
done
if [ -e "$link" ] && [ "$(readlink "$link")" != "$state/drive" ]; then
  echo "drive ${drive}: is already in use in $prefix" >&2
  exit 1
fi

mkdir -p "$state"
bash "$support/make_certs.sh" "$state/certs"
bash "$support/make_certs.sh" "$state/untrusted-certs"
rm -rf "$state/site" "$state/site-tls" "$state/site-untrusted" "$state/site-broken" "$state/drive"
python3 "$support/make_site.py" "$state/site" --port "$http" --pages 4
python3 "$support/make_site.py" "$state/site-tls" --port "$https" --pages 4 --scheme https
python3 "$support/make_site.py" "$state/site-untrusted" --port "$untrusted" --scheme https
python3 "$support/make_site.py" "$state/site-broken" --port "$broken" --broken
bash "$support/server.sh" start "$state" http "$http" "$state/site"
bash "$support/server.sh" start "$state" https "$https" "$state/site-tls" \
  "$state/certs/server.pem" "$state/certs/server.key"
bash "$support/server.sh" start "$state" untrusted "$untrusted" "$state/site-untrusted" \
  "$state/untrusted-certs/server.pem" "$state/untrusted-certs/server.key"
bash "$support/server.sh" start "$state" broken "$broken" "$state/site-broken"
bash "$support/server.sh" proxy "$state" proxy "$proxy"
mkdir -p "$state/drive"
ln -sfn "$state/drive" "$link"
