#!/usr/bin/env bash
# Builds kestrin.exe in release mode for one lookup service and packs it for handing out:
# dist/kestrin-VERSION-win32.zip, holding the program and a short note on what it is and
# which service it asks, and dist/SHA256SUMS for that zip.
#   scripts/release.sh --url http://HOST[:PORT]/cgi-bin/ipx.cgi [--build DIR] [--dist DIR]
# The cross build goes to build/release unless --build names another folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
KESTRIN_ROOT=$(cd "$here/.." && pwd)
source "$here/build.sh"

usage() {
  echo "usage: scripts/release.sh --url http://HOST[:PORT]/cgi-bin/ipx.cgi" \
    "[--build DIR] [--dist DIR]" >&2
  exit 2
}

refuse() {
  echo "release.sh: $1: $url" >&2
  exit 1
}

# Kestrin asks with a plain GET and only knows this path; the URL is also compiled into a
# string literal, so nothing but a host name or address and a port may vary.
check_url() {
  local host_and_port port
  local host='[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?|\[[0-9A-Fa-f:.]+\]'
  [[ $url == http://* ]] || refuse "the lookup URL must start with http:// (plain HTTP)"
  host_and_port=${url#http://}
  [[ $host_and_port == */cgi-bin/ipx.cgi ]] \
    || refuse "the lookup URL's path must be /cgi-bin/ipx.cgi, with no query or fragment"
  host_and_port=${host_and_port%/cgi-bin/ipx.cgi}
  [[ $host_and_port =~ ^($host)(:([0-9]{1,5}))?$ ]] \
    || refuse "the lookup URL must name a host name or address, and at most a port"
  port=${BASH_REMATCH[4]}
  [ -z "$port" ] || { [ "$((10#$port))" -ge 1 ] && [ "$((10#$port))" -le 65535 ]; } \
    || refuse "the lookup URL's port must be between 1 and 65535"
}

# The note in the zip, with Windows line ends.
write_note() {
  local version=$1
  sed 's/$/\r/' <<NOTE
Kestrin $version

Kestrin shows this computer's public IP address and the host name the internet
sees for it. It sits in the notification area as a globe with a network cable:
double-click the icon to show its window, right-click it for Show and Exit.

It asks this lookup service once at start-up, every 60 seconds after that, and
whenever "refresh now !!!" is clicked:

    $url

kestrin.exe needs no installation and keeps no settings; it runs on Windows XP
SP3 to Windows 11.
NOTE
}

url="" build=$KESTRIN_ROOT/build/release dist=$KESTRIN_ROOT/dist
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --url) url=$2 ;;
    --build) build=$2 ;;
    --dist) dist=$2 ;;
    *) usage ;;
  esac
  shift 2
done
[ -n "$url" ] || usage
check_url

mkdir -p "$(dirname "$build")"
build_windows_tree "$build" -DKESTRIN_BUILD_TESTS=OFF -DKESTRIN_LOOKUP_URL="$url" \
  -DKESTRIN_REFRESH_MS=60000 -DKESTRIN_DOWNLOAD_DEADLINE_MS=5000
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=kestrin-$version-win32.zip
mkdir -p "$dist"
write_note "$version" >"$build/README.txt"
/usr/bin/python3 - "$dist/$name.part" "$build/bin/kestrin.exe" "$build/README.txt" <<'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as archive:
    for path in sys.argv[2:]:
        archive.write(path, os.path.basename(path))
PY
mv "$dist/$name.part" "$dist/$name"
(cd "$dist" && sha256sum "$name" >SHA256SUMS)
echo "$dist/$name"
