#!/usr/bin/env bash
# A test certificate authority and a server certificate for 127.0.0.1 signed
# by it. Made once per folder.
#   make_certs.sh OUTDIR  ->  ca.pem ca.der server.pem server.key
set -euo pipefail
out=$1
[ -f "$out/server.pem" ] && exit 0
mkdir -p "$out"
cd "$out"
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Velmora Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout ca.key -out ca.pem 2>/dev/null
openssl x509 -in ca.pem -outform DER -out ca.der
openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout server.key -out server.csr 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' > ext.cnf
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
  -extfile ext.cnf -out server.pem 2>/dev/null
rm -f server.csr ext.cnf
