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

# Some machines run 64-bit code only (not even a 32-bit code segment), so
# the 32-bit Wine needs an emulator there. The probe is a 93-byte 32-bit
# program that only exits.
host_runs_i386() {
  local probe=$VELTRANE_CACHE/i386-probe
  if [ ! -x "$probe" ]; then
    mkdir -p "$VELTRANE_CACHE"
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\61\333\315\200' >"$probe.tmp"
    chmod +x "$probe.tmp" && mv "$probe.tmp" "$probe"
  fi
  "$probe" 2>/dev/null
}
