#!/usr/bin/env bash
# Installs what building and testing Kestrin needs on a Debian 12 machine, and nothing
# that is already there. Safe to run again; used by run.sh and test.sh.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev libgmock-dev googletest
  g++-mingw-w64-i686 wine wine32:i386 wine64
  xvfb xdotool x11-utils imagemagick
  python3 python3-cryptography python3-pil curl lighttpd nginx apache2 libfcgi-dev libc-ares-dev
  spawn-fcgi dnsmasq wrk lighttpd-mod-openssl openssl
  clang libclang-rt-14-dev
  systemd
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# The web servers' packages start system-wide servers; the tests start their own on loopback.
for server in lighttpd nginx apache2; do
  if command -v systemctl >/dev/null && systemctl is-active -q "$server" 2>/dev/null; then
    "${sudo[@]}" systemctl disable --now "$server" >/dev/null 2>&1 || true
  fi
done
