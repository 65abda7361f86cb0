# Shared by the build, run and test scripts. Source it; do not run it.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${VELMORA_BUILD:-$ROOT/build}
JOBS=$(nproc)

# The Windows build that runs under Wine here. The program ships as 32-bit
# (i686). Running 32-bit code needs the kernel's ia32 emulation; where it is
# off, Wine cannot start any 32-bit program, and the same sources are built
# for x86_64 to run the Windows-side tests and the program under wine64.
# VELMORA_WINE_ARCH=i686|x86_64 overrides the choice.
wine_arch() {
  if [ -n "${VELMORA_WINE_ARCH:-}" ]; then
    echo "$VELMORA_WINE_ARCH"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1 && [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    echo i686
  else
    echo x86_64
  fi
}

build_dir_for() { [ "$1" = i686 ] && echo "$BUILD/win32" || echo "$BUILD/win64"; }

configure_and_build() { # DIR [cmake args...]
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
  fi
  cmake --build "$dir" -j "$JOBS"
}

# Builds everything; WINE_ARCH must be set (from wine_arch, once Wine is installed).
build_all() {
  configure_and_build "$BUILD/native"
  configure_and_build "$BUILD/win32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake"
  if [ "$WINE_ARCH" != i686 ]; then
    echo "note: this kernel cannot run 32-bit code; Windows-side tests use the x86_64 build" >&2
    configure_and_build "$(build_dir_for "$WINE_ARCH")" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$WINE_ARCH.cmake"
  fi
}
