#!/usr/bin/env bash
# Builds ipx.cgi's Debian package, build/package/ipx-cgi_VERSION_ARCH.deb, on this
# machine's architecture, from a copy of the work tree's files (those git knows or would
# add) in build/package/source, so that nothing built before reaches it.
#   scripts/package.sh [--out DIR]
# VERSION is the project's, from CMakeLists.txt, which also gives debian/changelog its one
# entry. The same commit gives the same bytes: every time in the package is
# SOURCE_DATE_EPOCH's when set, else the commit's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/package
case ${1:-} in
  --out) [ $# -eq 2 ] || { echo "usage: scripts/package.sh [--out DIR]" >&2; exit 2; }; out=$2 ;;
  "") ;;
  *) echo "usage: scripts/package.sh [--out DIR]" >&2; exit 2 ;;
esac

version=$(sed -n 's/^project(Kestrin VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "package.sh: no project version in CMakeLists.txt" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}

# The same folder every time: the build's paths are part of what it gives.
source_dir=$out/source/ipx-cgi-$version
rm -rf "$out/source"
mkdir -p "$source_dir"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
   xargs -0 sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
   tar --null -T - -cf -) | tar -xf - -C "$source_dir"
# Files' times as the commit's, whenever the tree was checked out.
find "$source_dir" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

cat >"$source_dir/debian/changelog" <<CHANGELOG
ipx-cgi ($version) unstable; urgency=medium

  * ipx.cgi of Kestrin $version.

 -- $(sed -n 's/^Maintainer: //p' "$source_dir/debian/control")  $(date -u -R -d "@$SOURCE_DATE_EPOCH")
CHANGELOG

(cd "$source_dir" && DEB_BUILD_OPTIONS=noautodbgsym dpkg-buildpackage -us -uc -b >../build.log 2>&1) \
  || { tail -n 40 "$out/source/build.log" >&2; exit 1; }
deb=ipx-cgi_${version}_$(dpkg --print-architecture).deb
mv "$out/source/$deb" "$out/$deb"
rm -rf "$out/source"
echo "$out/$deb"
