#!/usr/bin/env bash
# Builds the trees ./test and ./run need: native (tools and unit tests), the shipped 32-bit
# programs, and the 64-bit twin where the tests must run that one. Usage: build.sh [asan|fuzz]...
set -euo pipefail
source "$(dirname "$0")/common.sh"
jobs=$(nproc)

configure() { # dir, extra args...
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
}
build() { # dir [targets...]
  local dir=$1; shift
  echo "building $(basename "$dir")"
  cmake --build "$dir" -j"$jobs" ${1:+--target "$@"} >"$dir/build.log" 2>&1 || { tail -60 "$dir/build.log"; echo "build of $dir failed" >&2; return 1; }
}

configure "$BUILD/host"
build "$BUILD/host"
for arch in i686 $([ "$RUN_ARCH" = x86_64 ] && echo x86_64); do
  configure "$BUILD/$arch" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" -DTREE_HOST_BIN_DIR="$BUILD/host/bin"
  build "$BUILD/$arch"
done
for extra in "$@"; do
  case "$extra" in
    asan) configure "$BUILD/asan" -DTREE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug; build "$BUILD/asan" ;;
    fuzz) configure "$BUILD/fuzz" -DTREE_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
          # Only the fuzz targets: the fuzz tree instruments everything it compiles.
          build "$BUILD/fuzz" $(cd "$ROOT/fuzz" && ls *_fuzz.cpp | sed 's/\.cpp$//') ;;
  esac
done
