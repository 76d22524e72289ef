#!/usr/bin/env bash
# Installs what building and testing Kestrin needs on a Debian 12 machine, and nothing
# that is already there. Safe to run again; used by run.sh and test.sh. The 32-bit Wine
# comes only where the machine runs 32-bit programs: elsewhere it could not start, and
# only the DLLs that the 32-bit exe's import check reads are unpacked (wine32-dlls.sh).
set -euo pipefail
source "$(dirname "$0")/windows-builds.sh"
"$(dirname "$0")/wine32-dlls.sh"

packages=(
  cmake ninja-build g++ libgtest-dev libgmock-dev googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64
  xvfb xdotool x11-utils imagemagick
  python3 python3-cryptography python3-pil curl lighttpd nginx apache2 libfcgi-dev libc-ares-dev
  dnsmasq wrk lighttpd-mod-openssl openssl
  clang libclang-rt-14-dev
  systemd debhelper lintian dpkg-dev fakeroot
)
if machine_runs_32bit; then packages+=(wine32:i386); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi

# A mirror in mid-sync can fail one list; the lists that did come may still hold all we
# need, so a second failure is reported and the install decides.
update_lists() {
  local log
  log=$(mktemp)
  if ! "${sudo[@]}" apt-get update -qq >"$log" 2>&1 && ! "${sudo[@]}" apt-get update -qq >"$log" 2>&1; then
    echo "bootstrap: apt-get update failed twice; going on with the lists it has:" >&2
    grep -E '^(E|W):' "$log" >&2 || cat "$log" >&2
  fi
  rm -f "$log"
}

# Multiarch needs the same version of a library for every architecture. When one
# architecture's list of a suite did not come, the candidates differ and apt calls the
# packages held broken. Each i386 library apt names then gets the newest version that both
# architectures have, for both; a few rounds of apt's own simulation find them all.
pin_for_every_arch() {
  local package candidate common
  for package in $(grep -o '[a-z0-9][a-z0-9.+-]*:i386' | sed 's/:i386$//' | sort -u); do
    candidate=$(apt-cache policy "$package:amd64" | awk '/Candidate:/ {print $2}')
    apt-cache madison "$package:i386" | awk -F' *[|] *' '{print $2}' | grep -qxF "$candidate" && continue
    common=$(comm -12 <(apt-cache madison "$package:amd64" | awk -F' *[|] *' '{print $2}' | sort -u) \
                      <(apt-cache madison "$package:i386" | awk -F' *[|] *' '{print $2}' | sort -u) |
             sort -V | tail -n 1)
    [ -z "$common" ] || echo "$package:amd64=$common $package:i386=$common"
  done
}

apt_install() {
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends \
    --allow-downgrades "$@"
}

install_missing() {
  local log pins=() more round
  log=$(mktemp)
  for round in 1 2 3 4 5; do
    apt_install -s "$@" "${pins[@]}" >"$log" 2>&1 && break
    [[ " $* " == *:i386* ]] || break
    mapfile -t more < <(pin_for_every_arch <"$log" | tr ' ' '\n')
    [ ${#more[@]} -gt 0 ] || break
    mapfile -t pins < <(printf '%s\n' "${pins[@]}" "${more[@]}" | sort -u)
  done
  [ ${#pins[@]} -eq 0 ] || echo "bootstrap: the architectures' candidates differ; installing ${pins[*]}"
  apt_install "$@" "${pins[@]}" >"$log" 2>&1 || {
    echo "bootstrap: apt-get install failed:" >&2
    cat "$log" >&2
    rm -f "$log"
    return 1
  }
  rm -f "$log"
}

update_lists
install_missing "${missing[@]}"
# The web servers' packages start system-wide servers; the tests start their own on loopback.
for server in lighttpd nginx apache2; do
  if command -v systemctl >/dev/null && systemctl is-active -q "$server" 2>/dev/null; then
    "${sudo[@]}" systemctl disable --now "$server" >/dev/null 2>&1 || true
  fi
done
