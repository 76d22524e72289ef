#!/usr/bin/env bash
# Builds Kestrin in release mode for one lookup service and packs it for handing out:
# dist/kestrin-VERSION-win32.zip, holding kestrin.exe (32-bit, for every Windows),
# kestrin64.exe (for 64-bit Windows without the 32-bit subsystem), their SHA256SUMS and a
# short note on what it is, which exe to use and which service it asks; ipx.cgi's Debian
# package from scripts/package.sh; and dist/SHA256SUMS for both.
#   scripts/release.sh --url http[s]://HOST[:PORT]/cgi-bin/ipx.cgi
#                      [--legacy-url http://HOST[:PORT]/cgi-bin/ipx.cgi]
#                      [--build DIR] [--dist DIR] [--dry-run]
# The 32-bit cross build goes to build/release unless --build names another folder, the
# 64-bit one to the same name with 64 after it (build/release64). --dry-run
# checks the URLs and prints the note the zip would hold, and builds nothing.
# The same commit gives the same zip, byte for byte: its entries carry the time of
# SOURCE_DATE_EPOCH when set, else of the commit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
KESTRIN_ROOT=$(cd "$here/.." && pwd)
source "$here/build.sh"

usage() {
  echo "usage: scripts/release.sh --url http[s]://HOST[:PORT]/cgi-bin/ipx.cgi" \
    "[--legacy-url http://HOST[:PORT]/cgi-bin/ipx.cgi] [--build DIR] [--dist DIR]" \
    "[--dry-run]" >&2
  exit 2
}

refuse() {
  echo "release.sh: $*" >&2
  exit 1
}

# Kestrin asks with a plain GET and only knows this path; the URL is also compiled into a
# string literal, so nothing but a host name or address and a port may vary.
#   check_url WHAT URL SCHEME...   WHAT names the URL in messages; SCHEME: http, https
check_url() {
  local what=$1 url=$2; shift 2
  local host='[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?|\[[0-9A-Fa-f:.]+\]'
  local scheme host_and_port="" port
  for scheme in "$@"; do
    if [[ $url == "$scheme://"* ]]; then host_and_port=${url#"$scheme://"}; fi
  done
  [ -n "$host_and_port" ] || refuse "$what must start with $(schemes_named "$@"): $url"
  [[ $host_and_port == */cgi-bin/ipx.cgi ]] \
    || refuse "$what's path must be /cgi-bin/ipx.cgi, with no query or fragment: $url"
  host_and_port=${host_and_port%/cgi-bin/ipx.cgi}
  [[ $host_and_port =~ ^($host)(:([0-9]{1,5}))?$ ]] \
    || refuse "$what must name a host name or address, and at most a port: $url"
  port=${BASH_REMATCH[4]}
  [ -z "$port" ] || { [ "$((10#$port))" -ge 1 ] && [ "$((10#$port))" -le 65535 ]; } \
    || refuse "$what's port must be between 1 and 65535: $url"
}

schemes_named() {
  if [ $# -eq 1 ]; then echo "$1:// (plain HTTP)"; else echo "http:// or https://"; fi
}

# Only Windows older than 7 ask the legacy URL, as their TLS cannot reach current servers;
# beside a plain-http lookup URL it would only split the same plain HTTP in two.
check_urls() {
  check_url "the lookup URL" "$url" http https
  [ -n "$legacy_url" ] || return 0
  check_url "the legacy lookup URL" "$legacy_url" http
  [[ $url == https://* ]] \
    || refuse "--legacy-url goes only with an https:// --url; with an http:// one" \
              "every Windows already asks over plain HTTP: $url"
}

# The zip's entry times: SOURCE_DATE_EPOCH when set, else the commit's time.
release_epoch() {
  if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    [[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] \
      || refuse "SOURCE_DATE_EPOCH must be seconds since 1970: $SOURCE_DATE_EPOCH"
    echo "$SOURCE_DATE_EPOCH"
  else
    git -C "$KESTRIN_ROOT" log -1 --format=%ct 2>/dev/null \
      || refuse "not a git checkout: set SOURCE_DATE_EPOCH to the source's time"
  fi
}

project_version() {
  local version
  version=$(sed -n 's/^project(Kestrin VERSION \([0-9.]*\).*/\1/p' "$KESTRIN_ROOT/CMakeLists.txt")
  [ -n "$version" ] || refuse "no project version in CMakeLists.txt"
  echo "$version"
}

# Which Windows ask which URL, for the note.
describe_urls() {
  if [ -n "$legacy_url" ]; then
    cat <<URLS
Windows 7 and later ask it over https:

    $url

Windows XP and Vista, whose TLS cannot reach current servers, ask this one
over plain HTTP instead, where anyone on the way could answer in its place:

    $legacy_url
URLS
  elif [[ $url == https://* ]]; then
    cat <<URLS
Every Windows asks it over https:

    $url

On Windows XP and Vista, whose TLS cannot reach most current servers, the
lookups may fail.
URLS
  else
    cat <<URLS
Every Windows asks it over plain HTTP, where anyone on the way could answer in
its place:

    $url
URLS
  fi
}

# The note in the zip, with Windows line ends.
write_note() {
  local version=$1
  sed 's/$/\r/' <<NOTE
Kestrin $version

Kestrin shows this computer's public IP address and the host name the internet
sees for it. It sits in the notification area as a globe with a network cable:
double-click the icon to show its window, right-click it for Show and Exit.

It asks its lookup service once at start-up, every 60 seconds after that, and
whenever "refresh now !!!" is clicked.

$(describe_urls)

The zip holds the program in two builds; use one of them:

- kestrin.exe on every Windows from XP SP3 to 11, 32-bit or 64-bit;
- kestrin64.exe on 64-bit Windows without the 32-bit subsystem (Server Core
  can remove it), where kestrin.exe cannot start.

Neither needs installation or keeps settings. SHA256SUMS holds the checksums
of both.
NOTE
}

# Packs the files in the order given, each with the same time, mode and compression in
# every run, so that the zip depends on nothing but their bytes.
#   write_zip ZIP EPOCH FILE MODE [FILE MODE]...
write_zip() {
  /usr/bin/python3 - "$@" <<'PY'
import os, sys, time, zipfile
target, epoch, entries = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
# A zip holds local times from 1980 on, in steps of two seconds.
when = time.gmtime(max(epoch, 315532800))[:6]
with zipfile.ZipFile(target, "w") as archive:
    for path, mode in zip(entries[::2], entries[1::2]):
        entry = zipfile.ZipInfo(os.path.basename(path), date_time=when)
        entry.create_system = 3
        entry.external_attr = (0o100000 | int(mode, 8)) << 16
        with open(path, "rb") as source:
            archive.writestr(entry, source.read(), zipfile.ZIP_DEFLATED, 9)
PY
}

url="" legacy_url="" build=$KESTRIN_ROOT/build/release dist=$KESTRIN_ROOT/dist dry_run=""
while [ $# -gt 0 ]; do
  case $1 in
    --dry-run) dry_run=1; shift; continue ;;
    --url | --legacy-url | --build | --dist) [ $# -ge 2 ] || usage ;;
    *) usage ;;
  esac
  case $1 in
    --url) url=$2 ;;
    --legacy-url) legacy_url=$2 ;;
    --build) build=$2 ;;
    --dist) dist=$2 ;;
  esac
  shift 2
done
[ -n "$url" ] || usage
check_urls
epoch=$(release_epoch)
version=$(project_version)
if [ -n "$dry_run" ]; then
  write_note "$version"
  exit 0
fi

# A fresh cache: the refresh interval and the deadline are the project's defaults, never
# what an earlier configuration of the folder left.
#   build_release PRESET DIR
build_release() {
  build_preset "$1" --fresh -B "$2" -DKESTRIN_LOOKUP_URL="$url" \
    -DKESTRIN_LEGACY_LOOKUP_URL="$legacy_url"
}

# The files the zip holds, under the names it gives them, in their order.
#   gather_files DIR
gather_files() {
  local files=$1
  rm -rf "$files"
  mkdir -p "$files"
  cp "$build/bin/kestrin.exe" "$files/kestrin.exe"
  cp "${build}64/bin/kestrin.exe" "$files/kestrin64.exe"
  (cd "$files" && sha256sum kestrin.exe kestrin64.exe) >"$files/SHA256SUMS"
  write_note "$version" >"$files/README.txt"
}

mkdir -p "$(dirname "$build")"
build_release release "$build"
build_release release64 "${build}64"
name=kestrin-$version-win32.zip
mkdir -p "$dist"
files=$build/zip
gather_files "$files"
write_zip "$dist/$name.part" "$epoch" "$files/kestrin.exe" 755 "$files/kestrin64.exe" 755 \
  "$files/SHA256SUMS" 644 "$files/README.txt" 644
mv "$dist/$name.part" "$dist/$name"
# ipx.cgi's Debian package beside it, for the operator of the lookup service.
deb=$("$here/package.sh" --out "$build/package")
cp "$deb" "$dist/"
(cd "$dist" && sha256sum "$name" "$(basename "$deb")" >SHA256SUMS)
echo "$dist/$name"
echo "$dist/$(basename "$deb")"
