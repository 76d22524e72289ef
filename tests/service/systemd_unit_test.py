"""The shipped systemd units, conf/ipx-fastcgi.socket and conf/ipx-fastcgi.service, as
systemd reads them: valid, started again however ipx.cgi ends, and shut in.

    systemd_unit_test.py IPX_CGI_PATH
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

CONF = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "service", "conf")
UNIT = os.path.join(CONF, "ipx-fastcgi.service")
SOCKET_UNIT = os.path.join(CONF, "ipx-fastcgi.socket")
INSTALLED_PROGRAM = "/usr/lib/cgi-bin/ipx.cgi"
# systemd-analyze's exposure scale runs from 0 to 100 (it prints a tenth of it); 20 is
# within its "OK", where each of the unit's settings below counts.
EXPOSURE_LIMIT = 20


def verify(units, program):
    """systemd-analyze verify of the units, in a copy whose ExecStart names program, where
    the installed one is not there: the result of the check."""
    with tempfile.TemporaryDirectory() as folder:
        copies = []
        for unit in units:
            with open(unit, encoding="ascii") as original:
                text = original.read().replace(INSTALLED_PROGRAM, program)
            copies.append(os.path.join(folder, os.path.basename(unit)))
            with open(copies[-1], "w", encoding="ascii") as copy:
                copy.write(text)
        return subprocess.run(["systemd-analyze", "verify", *copies], capture_output=True,
                              text=True, check=False)


def settings(path=UNIT, wanted="[Service]"):
    """NAME -> the values of every NAME= line of the section."""
    found, section = {}, None
    with open(path, encoding="ascii") as unit:
        for line in unit:
            line = line.strip()
            if line.startswith("["):
                section = line
            elif section == wanted and "=" in line and not line.startswith("#"):
                name, value = line.split("=", 1)
                found.setdefault(name, []).append(value)
    return found


@unittest.skipIf(shutil.which("systemd-analyze") is None, "systemd-analyze is not installed")
class ShippedUnit(unittest.TestCase):
    def test_systemd_finds_nothing_wrong_in_them(self):
        checked = verify([SOCKET_UNIT, UNIT], os.path.abspath(sys.argv[1]))
        self.assertEqual(checked.returncode, 0, checked.stderr)

    def test_the_web_servers_group_alone_reaches_the_socket_which_is_ipx_cgis_input(self):
        socket_settings = settings(SOCKET_UNIT, "[Socket]")
        self.assertEqual(socket_settings["ListenStream"], ["/run/ipx/ipx.socket"])
        self.assertEqual(socket_settings["SocketGroup"], ["www-data"])
        self.assertEqual(socket_settings["SocketMode"], ["0660"])
        self.assertEqual(settings()["StandardInput"], ["socket"])
        self.assertEqual(settings()["ExecStart"], [INSTALLED_PROGRAM])

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
