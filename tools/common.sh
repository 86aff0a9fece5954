# Shared by the tools/ scripts: paths and small helpers. Sourced, never run.

VELTRANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELTRANE_BUILD=${VELTRANE_BUILD:-$VELTRANE_ROOT/build}
# Dependencies built for the target live outside the work tree, so a fresh
# clone on the same machine reuses them.
VELTRANE_CACHE=${VELTRANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/veltrane}
VELTRANE_ARCHS="i686 x86_64"

say() { printf '[veltrane] %s\n' "$*" >&2; }
die() { printf '[veltrane] error: %s\n' "$*" >&2; exit 1; }

jpeg_prefix() { echo "$VELTRANE_CACHE/libjpeg-turbo/$1"; }
sqlite_prefix() { echo "$VELTRANE_CACHE/sqlite/$1"; }
