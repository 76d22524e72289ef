"""The shipped systemd unit, conf/ipx-fastcgi.service, as systemd reads it: valid, started
again however ipx.cgi ends, and shut in.

    systemd_unit_test.py
"""
import os
import shutil
import subprocess
import sys
import unittest

UNIT = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                    "..", "..", "service", "conf", "ipx-fastcgi.service")
# systemd-analyze's exposure scale runs from 0 to 100 (it prints a tenth of it); 20 is
# within its "OK", where each of the unit's settings below counts.
EXPOSURE_LIMIT = 20


def settings():
    """NAME -> the values of every NAME= line of the [Service] section."""
    found, section = {}, None
    with open(UNIT, encoding="ascii") as unit:
        for line in unit:
            line = line.strip()
            if line.startswith("["):
                section = line
            elif section == "[Service]" and "=" in line and not line.startswith("#"):
                name, value = line.split("=", 1)
                found.setdefault(name, []).append(value)
    return found


@unittest.skipIf(shutil.which("systemd-analyze") is None, "systemd-analyze is not installed")
class ShippedUnit(unittest.TestCase):
    def test_systemd_finds_nothing_wrong_in_it(self):
        checked = subprocess.run(["systemd-analyze", "verify", UNIT], capture_output=True,
                                 text=True, check=False)
        self.assertEqual(checked.returncode, 0, checked.stderr)

    def test_it_is_started_again_however_it_ended(self):
        self.assertEqual(settings()["Restart"], ["always"])

    def test_it_runs_unprivileged_in_a_read_only_system(self):
        found = settings()
        self.assertEqual(found["NoNewPrivileges"], ["yes"])
        self.assertEqual(found["ProtectSystem"], ["strict"])
        self.assertTrue(found.get("DynamicUser") == ["yes"]
                        or found.get("User", ["root"])[-1] not in ("root", "0"))
        exposure = subprocess.run(["systemd-analyze", "security", "--offline=true",
                                   "--threshold=%d" % EXPOSURE_LIMIT, UNIT],
                                  capture_output=True, text=True, check=False)
        self.assertEqual(exposure.returncode, 0, exposure.stdout[-400:])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
