"""The test command's choice of Windows builds and its closing line, with a stand-in for
CTest and for the probe that runs a 32-bit program; and the one build that run.sh and the
bench run."""
import os
import pathlib
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]

# The stand-in CTest's presets, each test passing: Wine tests and others per preset. It
# notes each run that is not only a listing (-N) as "PRESET LABEL".
FAKE_CTEST = r'''#!/usr/bin/env bash
preset=$2; shift 2
declare -A wine=([native]=0 [win]=5 [win64]=5) other=([native]=7 [win]=2 [win64]=1)
label=all list=false
for a in "$@"; do
  case $a in -L) label=wine ;; -LE) label=other ;; -N) list=true ;; esac
done
case $label in
  wine) n=${wine[$preset]} ;; other) n=${other[$preset]} ;;
  all) n=$((wine[$preset] + other[$preset])) ;;
esac
if $list; then echo "Total Tests: $n"; exit; fi
echo "$preset $label" >>"$CTEST_RUNS"
echo "100% tests passed, 0 tests failed out of $n"
'''

TEST_RUN = r'''
set -euo pipefail
source "$KESTRIN_ROOT/scripts/windows-builds.sh"
source "$KESTRIN_ROOT/scripts/test-counts.sh"
machine_runs_32bit() { $RUNS_32BIT; }
choose_windows_builds "$KESTRIN_WINDOWS_ARCHES"
echo "windows builds under Wine: $windows_why"
run_tests_of_presets native
'''

RUNS_32 = "this machine runs 32-bit programs"
RUNS_NO_32 = "this machine runs no 32-bit programs"


def run_tests(arches, runs_32bit):
    """The output of the test command's choice and count, and the Windows runs made."""
    with tempfile.TemporaryDirectory() as tmp:
        ctest = pathlib.Path(tmp, "ctest")
        ctest.write_text(FAKE_CTEST)
        ctest.chmod(0o755)
        runs = pathlib.Path(tmp, "runs")
        env = dict(os.environ, PATH=f"{tmp}:{os.environ['PATH']}", CTEST_RUNS=str(runs),
                   KESTRIN_ROOT=str(ROOT), KESTRIN_WINDOWS_ARCHES=arches,
                   RUNS_32BIT=str(runs_32bit).lower())
        done = subprocess.run(["bash", "-c", TEST_RUN], cwd=tmp, env=env, text=True,
                              capture_output=True)
        made = runs.read_text().splitlines() if runs.exists() else []
        return done, sorted(r for r in made if not r.startswith("native"))


class BuildChoice(unittest.TestCase):
    def test_each_choice_runs_and_skips_the_right_builds(self):
        # arches, runs 32-bit, why, closing line, Windows runs made
        cases = [
            ("auto", True, f"32-bit and 64-bit: {RUNS_32}",
             "tests: 20 passed, 0 failed", ["win all", "win64 all"]),
            ("auto", False, f"64-bit only: {RUNS_NO_32}",
             "tests: 15 passed, 0 failed, 5 skipped", ["win other", "win64 all"]),
            ("32", False, f"32-bit only: KESTRIN_WINDOWS_ARCHES=32 ({RUNS_NO_32})",
             "tests: 15 passed, 0 failed, 5 skipped", ["win all", "win64 other"]),
            ("64", True, f"64-bit only: KESTRIN_WINDOWS_ARCHES=64 ({RUNS_32})",
             "tests: 15 passed, 0 failed, 5 skipped", ["win other", "win64 all"]),
            ("both", False, f"32-bit and 64-bit: KESTRIN_WINDOWS_ARCHES=both ({RUNS_NO_32})",
             "tests: 20 passed, 0 failed", ["win all", "win64 all"]),
        ]
        for arches, runs_32bit, why, closing, windows_runs in cases:
            with self.subTest(arches=arches, runs_32bit=runs_32bit):
                done, made = run_tests(arches, runs_32bit)
                self.assertEqual(done.returncode, 0, done.stderr)
                lines = done.stdout.splitlines()
                self.assertIn(f"windows builds under Wine: {why}", lines)
                self.assertEqual(lines[-1], closing)
                self.assertEqual(made, windows_runs)

    def test_an_unknown_choice_is_refused_by_name(self):
        done, made = run_tests("128", False)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn("not '128'", done.stderr)
        self.assertEqual(made, [])


PRESET_CHOICE = r'''
set -euo pipefail
source "$KESTRIN_ROOT/scripts/windows-builds.sh"
machine_runs_32bit() { $RUNS_32BIT; }
choose_windows_preset run "$KESTRIN_WINDOWS_ARCHES"
echo "$windows_preset $(windows_build_width "$windows_preset")"
echo "$windows_preset_why"
'''


def choose_preset(arches, runs_32bit):
    env = dict(os.environ, KESTRIN_ROOT=str(ROOT), KESTRIN_WINDOWS_ARCHES=arches,
               RUNS_32BIT=str(runs_32bit).lower())
    return subprocess.run(["bash", "-c", PRESET_CHOICE], env=env, text=True,
                          capture_output=True)


class PresetChoice(unittest.TestCase):
    def test_each_choice_picks_one_build_and_says_why(self):
        # arches, runs 32-bit, preset and width, why
        cases = [
            ("auto", True, "run 32-bit", RUNS_32),
            ("auto", False, "run64 64-bit", RUNS_NO_32),
            ("both", True, "run 32-bit", RUNS_32),
            ("both", False, "run64 64-bit", RUNS_NO_32),
            ("32", False, "run 32-bit", f"KESTRIN_WINDOWS_ARCHES=32 ({RUNS_NO_32})"),
            ("64", True, "run64 64-bit", f"KESTRIN_WINDOWS_ARCHES=64 ({RUNS_32})"),
        ]
        for arches, runs_32bit, preset, why in cases:
            with self.subTest(arches=arches, runs_32bit=runs_32bit):
                done = choose_preset(arches, runs_32bit)
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertEqual(done.stdout.splitlines(), [preset, why])

    def test_an_unknown_choice_is_refused_by_name(self):
        done = choose_preset("x86", True)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn("not 'x86'", done.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
