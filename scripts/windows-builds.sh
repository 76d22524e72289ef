# Sourced: which of Kestrin's two Windows builds this machine can run under Wine, and so
# which ones the tests, run.sh and the bench use. The 32-bit build is the one shipped;
# the 64-bit build of the same sources runs where the kernel runs no 32-bit code.

# A 96-byte i386 Linux program that only exits with status 42.
i386_exit_42=7f454c46010101000000000000000000020003000100000054800408340000000000000000000000
i386_exit_42+=3400200001000000000000000100000000000000008004080080040860000000600000000500
i386_exit_42+=000000100000b801000000bb2a000000cd80

# True when this machine runs 32-bit x86 programs, found by running one: some kernels
# have their IA-32 emulation off, and there no Wine can start a 32-bit Windows program.
machine_runs_32bit() {
  local probe status=0
  probe=$(mktemp)
  printf "$(sed 's/../\\x&/g' <<<"$i386_exit_42")" >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# The Wine loader for this machine: Debian's `wine` picks the 32-bit loader whenever
# wine32 is installed, and that loader cannot start where 32-bit code does not run; the
# 64-bit loader, run directly, then makes the prefix and runs 64-bit programs.
wine_loader_for_machine() {
  if machine_runs_32bit; then echo /usr/bin/wine; else echo /usr/lib/wine/wine64; fi
}

# What this machine runs, as the lines that say why a build was chosen put it.
machine_kind() {
  if machine_runs_32bit; then echo "this machine runs 32-bit programs"
  else echo "this machine runs no 32-bit programs"; fi
}

# Fails, naming MODE, unless it is one that KESTRIN_WINDOWS_ARCHES may hold.
known_arches_mode() {
  case $1 in auto | both | 32 | 64) return 0 ;; esac
  echo "KESTRIN_WINDOWS_ARCHES must be 32, 64, both or auto, not '$1'" >&2
  return 2
}

# Sets windows_run and windows_skipped, each a list of the presets "win" (32-bit) and
# "win64", and windows_why, which says why. MODE is KESTRIN_WINDOWS_ARCHES: 32, 64, both,
# or auto, which is both where the machine runs 32-bit programs and 64 elsewhere.
choose_windows_builds() {
  local mode=$1 machine
  known_arches_mode "$mode" || return
  machine=$(machine_kind)
  if [ "$mode" = auto ]; then
    if machine_runs_32bit; then mode=both; else mode=64; fi
  else
    machine="KESTRIN_WINDOWS_ARCHES=$mode ($machine)"
  fi
  case $mode in
    32) windows_run=(win) windows_skipped=(win64) windows_why="32-bit only: $machine" ;;
    64) windows_run=(win64) windows_skipped=(win) windows_why="64-bit only: $machine" ;;
    both) windows_run=(win win64) windows_skipped=() windows_why="32-bit and 64-bit: $machine" ;;
  esac
}

# Sets windows_preset, the one build run.sh and the bench run, and windows_preset_why,
# which says why. PRESET is the 32-bit preset's name; MODE is KESTRIN_WINDOWS_ARCHES: 32 or
# 64 choose that build; both and auto the 32-bit one where the machine runs 32-bit
# programs, else the 64-bit one, since a single run can show only one.
choose_windows_preset() {
  local preset=$1 mode=$2
  known_arches_mode "$mode" || return
  windows_preset_why=$(machine_kind)
  case $mode in
    auto | both) if machine_runs_32bit; then mode=32; else mode=64; fi ;;
    *) windows_preset_why="KESTRIN_WINDOWS_ARCHES=$mode ($windows_preset_why)" ;;
  esac
  if [ "$mode" = 32 ]; then windows_preset=$preset; else windows_preset=${preset}64; fi
}

# "32-bit" or "64-bit": the width of PRESET's build, as the bench's rows name it.
windows_build_width() {
  case $1 in *64) echo 64-bit ;; *) echo 32-bit ;; esac
}
