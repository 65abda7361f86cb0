#!/usr/bin/env bash
# Installs everything the build and the tests use, on a Debian 12 machine.
# Safe to run again: it does nothing slow when all is already there.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(
  cmake make g++ pkg-config perl python3
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  patch xz-utils binutils
  googletest libgtest-dev
  wine wine32:i386 wine64
  xvfb xauth imagemagick
  fonts-wqy-microhei
  locales ca-certificates openssl
  dpkg-dev
  tinyproxy nginx-light
  wget
)

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

# The wget payload is built from Debian's own source packages, so the
# source lists must be on. Only the Types line is touched.
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  if grep -qE '^Types:[[:space:]]*deb[[:space:]]*$' "$f"; then
    $SUDO sed -i -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb deb-src/' "$f"
    need_update=1
  fi
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ] || [ ! -d /var/lib/apt/lists ] \
   || [ -z "$(ls /var/lib/apt/lists/*Sources* 2>/dev/null)" ]; then
  $SUDO apt-get update
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Wine reads file names in the host's locale; code page 936 needs zh_CN.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  $SUDO sed -i -E 's/^#[[:space:]]*(zh_CN\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen
fi
