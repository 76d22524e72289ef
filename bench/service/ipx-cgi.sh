# Sourced by the service benches, with $root set and their own arguments: ipx_cgi, the
# ipx.cgi in BUILD_DIR (their first argument, in build), or without it the one the
# preset service builds in build/service.
build=${1:-$root/build/service}
if [ $# -eq 0 ]; then
    source "$root/scripts/build.sh"
    build_preset service
fi
ipx_cgi=$build/service/ipx.cgi
[ -x "$ipx_cgi" ] || { echo "no ipx.cgi in $build/service" >&2; exit 1; }
