# Shared settings of ./test, ./run and the build script.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
export TREE_WINEPREFIX="$BUILD/wineprefix"

# The shipped programs are 32-bit. Where this kernel cannot start 32-bit processes,
# the tests run the same code built for 64-bit Windows under 64-bit Wine.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  RUN_ARCH=i686; export TREE_WINE=/usr/lib/wine/wine
else
  RUN_ARCH=x86_64; export TREE_WINE=/usr/lib/wine/wine64
fi
export TREE_WIN_BIN_DIR="$BUILD/$RUN_ARCH/bin"
export TREE_SHIP_BIN_DIR="$BUILD/i686/bin"
