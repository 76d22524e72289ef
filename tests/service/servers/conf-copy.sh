# Sourced by the *-local.sh helpers: the files in service/conf/ as shipped, with the places
# and ports they name replaced, so that a local server runs what operators install.

conf_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../../service/conf" && pwd)

# conf_copy NAME [FROM TO]...: prints conf/NAME with every FROM replaced by its TO. A FROM
# the file does not hold is an error, so a changed shipped file cannot slip past the copy.
conf_copy() {
    local name=$1 text from to
    shift
    text=$(<"$conf_dir/$name")
    while [ $# -ge 2 ]; do
        from=$1 to=$2
        shift 2
        [[ $text == *"$from"* ]] || { echo "conf/$name no longer holds $from" >&2; return 1; }
        text=${text//"$from"/"$to"}
    done
    printf '%s\n' "$text"
}
