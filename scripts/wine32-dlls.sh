#!/usr/bin/env bash
# Where the machine runs no 32-bit programs, 32-bit Wine is not installed (it could not
# start), yet the 32-bit exe's imports are still held against its DLLs, which that check
# only reads: this unpacks the DLLs it reads from Debian's libwine:i386 into
# build/wine32-dlls, installing nothing. 64-bit Wine's DLLs would not do: they lack the
# exports that only 32-bit Windows has (InterlockedIncrement and its kind). Nothing to do
# where 32-bit programs run, or once the DLLs are there. Used by bootstrap.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/windows-builds.sh"
root=$(cd "$here/.." && pwd)
target=$root/build/wine32-dlls
dll_folder=usr/lib/i386-linux-gnu/wine/i386-windows

machine_runs_32bit && exit 0
mapfile -t dlls < <(grep -E '^[a-z0-9_]+\.dll$' "$root/tests/win/xp-sp3-exports.txt")
missing=()
for dll in "${dlls[@]}"; do
  [ -f "$target/$dll" ] || missing+=("./$dll_folder/$dll")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
if ! apt-cache show libwine:i386 >/dev/null 2>&1; then
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo[@]}" dpkg --add-architecture i386
  "${sudo[@]}" apt-get update -qq || "${sudo[@]}" apt-get update -qq || true
fi
mkdir -p "$root/build"
work=$(mktemp -d "$root/build/wine32-dlls.XXXXXX")
trap 'rm -rf "$work"' EXIT
# As root apt warns that it downloads without its sandbox user; only a failure is shown.
(cd "$work" && apt-get download -q libwine:i386 >download.log 2>&1) || {
  echo "wine32-dlls: apt-get download libwine:i386 failed:" >&2
  cat "$work/download.log" >&2
  exit 1
}
dpkg-deb --fsys-tarfile "$work"/libwine_*_i386.deb | tar -x -C "$work" "${missing[@]}"
mkdir -p "$target"
mv "$work/$dll_folder"/*.dll "$target/"
echo "wine32-dlls: unpacked ${#missing[@]} DLLs of libwine:i386 into build/wine32-dlls"
