#!/usr/bin/env bash
# Builds the wget.exe we ship: GNU Wget linked statically against OpenSSL,
# cross-compiled for Windows from Debian's source packages, plus a CA bundle.
#
#   build-payload.sh ARCH OUTDIR      ARCH: i686 | x86_64
#
# Results are cached per (arch, wget version, openssl version, this script);
# a cache hit only verifies and copies.
set -euo pipefail

die() { echo "build-payload: error: $*" >&2; exit 1; }

[ $# -eq 2 ] || die "usage: $0 ARCH OUTDIR   (ARCH: i686 | x86_64)"
arch=$1 outdir=$2
case $arch in
  i686)   ossl_target=mingw   pe_format=pei-i386 ;;
  x86_64) ossl_target=mingw64 pe_format=pei-x86-64 ;;
  *) die "unknown ARCH '$arch' (expected i686 or x86_64)" ;;
esac
host=$arch-w64-mingw32
for t in "$host-gcc" "$host-strip" "$host-objdump" apt-get apt-cache dpkg make perl patch pkg-config strings tar; do
  command -v "$t" >/dev/null || die "missing tool '$t' (install the cross toolchain and build tools)"
done

# Newest source version apt knows; pinned below so the download matches the key.
src_version() {
  local best="" v
  for v in $(apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p'); do
    if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
  done
  [ -n "$best" ] || die "apt knows no source package '$1' (deb-src enabled? apt-get update run?)"
  echo "$best"
}
upstream() { local v=${1#*:}; echo "${v%-*}"; }

# A good payload is a stripped, self-contained PE of the right machine with TLS.
# (grep reads its whole input here: an early exit would fail the pipe under pipefail.)
verify() {
  local exe=$1 size dlls
  [ -f "$exe" ] || die "$exe is missing"
  size=$(stat -c %s "$exe")
  [ "$size" -gt 1048576 ] || die "$exe is only $size bytes; expected more than 1 MB"
  "$host-objdump" -f "$exe" | grep "file format $pe_format\$" >/dev/null ||
    die "$exe is not a $pe_format executable: $("$host-objdump" -f "$exe" 2>&1 | grep format)"
  strings -n 4 "$exe" | grep -xE '\+https|\+ssl/openssl' >/dev/null || die "$exe was built without HTTPS support"
  dlls=$("$host-objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if grep -iE '^lib|mingw|pthread' <<<"$dlls" >/dev/null; then
    die "$exe needs non-system DLLs: $(tr '\n' ' ' <<<"$dlls")"
  fi
}

wget_deb=$(src_version wget)
ossl_deb=$(src_version openssl)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
script_hash=$(cat "${BASH_SOURCE[0]}" "$here"/patches/*.patch | sha256sum | cut -c1-12)
key="$arch-wget_$wget_deb-openssl_$ossl_deb-$script_hash"
cache=${VELMORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora}/payload
keydir=$cache/$key
mkdir -p "$cache" "$outdir"

if [ -f "$keydir/wget.exe" ]; then
  echo "payload: cache hit $keydir"
else
  echo "payload: building $key"
  # Leftovers of builds that were killed or failed more than a day ago.
  find "$cache" -maxdepth 1 -name 'tmp.*' -mmin +1440 -exec rm -rf {} +
  work=$(mktemp -d "$cache/tmp.XXXXXX")
  logs=$work/out/logs
  mkdir -p "$logs" "$work/src"

  # step NAME DIR CMD...: run CMD in DIR, output to logs/NAME.log; on failure show its tail.
  step() {
    local name=$1 dir=$2; shift 2
    echo "  $name"
    if ! (cd "$dir" && "$@") >"$logs/$name.log" 2>&1; then
      echo "build-payload: error: step '$name' failed; last lines of $logs/$name.log:" >&2
      tail -n 40 "$logs/$name.log" >&2
      die "build of $key failed; work dir kept at $work"
    fi
  }

  # The security suite may answer 404 for openssl's .dsc and debian tarball while
  # the orig tarball still arrives, so apt-get's status is not the verdict: the
  # files we need are. apt checks each file it fetched against the source index.
  echo "  fetch"
  (cd "$work/src" && apt-get source --download-only "wget=$wget_deb" "openssl=$ossl_deb") \
    >"$logs/fetch.log" 2>&1 || true
  wget_up=$(upstream "$wget_deb") ossl_up=$(upstream "$ossl_deb")
  for f in "wget_$wget_up.orig.tar.gz" "wget_${wget_deb#*:}.debian.tar.xz" "openssl_$ossl_up.orig.tar.gz"; do
    [ -s "$work/src/$f" ] || { tail -n 20 "$logs/fetch.log" >&2; die "download of $f failed (see $logs/fetch.log)"; }
  done

  # OpenSSL: the upstream release as is. Debian's own patches adapt it to
  # Debian's Linux packaging and are not what a Windows build wants.
  tar -xzf "$work/src/openssl_$ossl_up.orig.tar.gz" -C "$work"
  ossl_src=$work/openssl-$ossl_up ossl=$work/openssl-root
  # --prefix only says where to install headers and libraries here. The paths
  # compiled into the library, where it looks for openssl.cnf, certificates and
  # modules, must not be this build directory: on Windows "/root/.cache/..."
  # means C:\root\... which any local user may create and fill with a config
  # that loads a DLL. Point them at OpenSSL's usual admin-only Windows locations.
  ossl_dirs=("OPENSSLDIR=C:/Program Files/Common Files/SSL"
             "ENGINESDIR=C:/Program Files/OpenSSL/lib/engines-3"
             "MODULESDIR=C:/Program Files/OpenSSL/lib/ossl-modules")
  step openssl-configure "$ossl_src" ./Configure "$ossl_target" no-shared no-tests \
    "--cross-compile-prefix=$host-" "--prefix=$ossl" --libdir=lib
  step openssl-build "$ossl_src" make -j2 build_libs "${ossl_dirs[@]}"
  step openssl-install "$ossl_src" make install_dev "${ossl_dirs[@]}"

  # wget: upstream plus Debian's patches (they carry security fixes).
  tar -xzf "$work/src/wget_$wget_up.orig.tar.gz" -C "$work"
  wget_src=$work/wget-$wget_up
  tar -xJf "$work/src/wget_${wget_deb#*:}.debian.tar.xz" -C "$wget_src"
  step wget-patch "$wget_src" sh -c \
    'while read -r p; do case $p in ""|"#"*) continue;; esac
       echo "== $p"; patch -p1 --no-backup-if-mismatch < "debian/patches/$p" || exit 1
     done < debian/patches/series'
  # Our own, after Debian's: see each file's first lines.
  for p in "$here"/patches/wget-*.patch; do
    step "wget-patch-$(basename "$p" .patch)" "$wget_src" patch -p1 --no-backup-if-mismatch -i "$p"
  done
  # sysconfdir: wget reads "$sysconfdir/wgetrc" at startup; the default
  # /usr/local/etc becomes the user-creatable C:\usr\local\etc on Windows.
  step wget-configure "$wget_src" env "PKG_CONFIG_LIBDIR=$ossl/lib/pkgconfig" ./configure \
    "--host=$host" --sysconfdir=C:/Windows --with-ssl=openssl --disable-nls --disable-iri \
    --disable-pcre --disable-pcre2 --without-libpsl --without-zlib --without-libuuid \
    --without-metalink "CPPFLAGS=-I$ossl/include" LDFLAGS=-static \
    "LIBS=-L$ossl/lib -lssl -lcrypto -lcrypt32 -lws2_32 -lbcrypt"
  # Only the program: the docs would need makeinfo after Debian's doc patches.
  step wget-build "$wget_src" sh -c 'make -j2 -C lib && make -j2 -C src'
  cp "$wget_src/src/wget.exe" "$work/out/wget.exe"
  step strip "$work/out" "$host-strip" wget.exe
  verify "$work/out/wget.exe"

  # Publish with one rename, so the key dir holds a whole result or nothing.
  # If a parallel build got there first, its result is as good as ours.
  mv -T "$work/out" "$keydir" 2>/dev/null || [ -f "$keydir/wget.exe" ] ||
    die "could not move the result into $keydir"
  rm -rf "$work"
fi
verify "$keydir/wget.exe"

# Copy into OUTDIR via a temporary name so OUTDIR never holds a partial file.
place() { cp "$1" "$outdir/.$2.tmp" && mv -f "$outdir/.$2.tmp" "$outdir/$2" || die "cannot write $outdir/$2"; }
ca=/etc/ssl/certs/ca-certificates.crt
grep -q 'BEGIN CERTIFICATE' "$ca" 2>/dev/null || die "$ca is missing or empty (install ca-certificates)"
place "$keydir/wget.exe" wget.exe
place "$ca" ca-bundle.crt

# wget assembles its version line at run time; its parts are separate strings.
wget_up=$(upstream "$wget_deb")
strings -n 4 "$keydir/wget.exe" | grep -xF "$wget_up" >/dev/null ||
  die "$keydir/wget.exe does not carry version $wget_up"
echo "payload: GNU Wget $wget_up built on ${host##*-}. ($arch, OpenSSL $(upstream "$ossl_deb"))"
echo "payload: wget.exe $(stat -c %s "$outdir/wget.exe") bytes, cached at $keydir/wget.exe"
echo "payload: ca-bundle.crt from ca-certificates $(dpkg-query -W -f='${Version}' ca-certificates 2>/dev/null || echo '?')"
