"""ipx.cgi's Debian package from scripts/package.sh, built once per run: lintian finds no
error or warning, it holds the expected files, its units pass systemd's checks, and,
unpacked into a folder of the test's own, its ipx.cgi answers behind nginx with the
package's snippet, also through a restart that keeps the socket.

    package_test.py WORK_PARENT_DIR
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import unittest

from fastcgi_client import held_listener
from http_client import ask
from local_server import free_port
from systemd_unit_test import verify

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
WORK = tempfile.mkdtemp(prefix="package.", dir=os.makedirs(sys.argv[1], exist_ok=True) or sys.argv[1])
PROGRAM = "usr/lib/cgi-bin/ipx.cgi"
UNITS = ["lib/systemd/system/ipx-fastcgi.socket", "lib/systemd/system/ipx-fastcgi.service"]
CONFFILES = ["etc/nginx/snippets/ipx-%s.conf" % name
             for name in ("fastcgi", "limits", "real-ip", "tls", "balancer")] + \
    ["etc/lighttpd/conf-available/%s.conf" % name
     for name in ("50-ipx-cgi", "50-ipx-fastcgi", "50-ipx-limits", "10-ipx-real-ip",
                  "10-ipx-tls")] + \
    ["etc/apache2/conf-available/ipx-%s.conf" % name
     for name in ("cgi", "fastcgi", "limits", "real-ip")] + \
    ["etc/apache2/sites-available/ipx-tls.conf"]
DOCS = ["usr/share/doc/ipx-cgi/%s" % name for name in ("README.md.gz", "changelog.gz", "copyright")]
LINTIAN_OVERRIDES = ["usr/share/lintian/overrides/ipx-cgi"]
CALLERS = 3
# No DNS server listens there: line 2 is the address again, at once.
CLOSED_DNS = "127.0.0.1:9"
ANSWER = b"127.0.0.1\n127.0.0.1\n"
PATIENCE = 20


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


def setUpModule():
    global DEB, UNPACKED
    DEB = run(os.path.join(ROOT, "scripts", "package.sh"), "--out",
              os.path.join(WORK, "build")).strip().splitlines()[-1]
    UNPACKED = os.path.join(WORK, "root")
    run("dpkg-deb", "-x", DEB, UNPACKED)
    # nginx's workers (www-data, when started by root) reach the socket through it.
    os.chmod(WORK, 0o755)


def tearDownModule():
    shutil.rmtree(WORK)


class Nginx:
    """A throwaway nginx on 127.0.0.1 with the package's limits and FastCGI snippets, the
    socket's path alone changed; stopped by its pid."""

    def __init__(self, test, socket_path):
        self.dir = tempfile.mkdtemp(dir=WORK)
        os.chmod(self.dir, 0o755)
        self.port = free_port()
        snippets = os.path.join(UNPACKED, "etc/nginx/snippets")
        with open(os.path.join(snippets, "ipx-fastcgi.conf"), encoding="ascii") as snippet:
            location = snippet.read()
        test.assertIn("unix:/run/ipx/ipx.socket;", location)
        os.symlink("/etc/nginx/fastcgi_params", os.path.join(self.dir, "fastcgi_params"))
        with open(os.path.join(self.dir, "location.conf"), "w", encoding="ascii") as copy:
            copy.write(location.replace("/run/ipx/ipx.socket", socket_path))
        user = "user www-data;\n" if os.getuid() == 0 else ""
        with open(os.path.join(self.dir, "nginx.conf"), "w", encoding="ascii") as conf:
            conf.write("%spid %s/nginx.pid;\nevents {}\nhttp {\n    include %s/ipx-limits.conf;\n"
                       "    server {\n        listen 127.0.0.1:%d;\n        include %s/location.conf;\n"
                       "    }\n}\n" % (user, self.dir, snippets, self.port, self.dir))
        run("nginx", "-p", self.dir + "/", "-c", self.dir + "/nginx.conf", "-e",
            self.dir + "/error.log")
        test.addCleanup(self.stop)

    def stop(self):
        with open(os.path.join(self.dir, "nginx.pid"), encoding="ascii") as pid_file:
            pid = int(pid_file.read())
        os.kill(pid, signal.SIGTERM)
        while os.path.exists(os.path.join(self.dir, "nginx.pid")):
            threading.Event().wait(0.05)


def open_to_web_server(path):
    """As ipx-fastcgi.socket makes it: group www-data, mode 0660."""
    if os.getuid() == 0:
        shutil.chown(path, group="www-data")
    os.chmod(path, 0o660)


def stopped(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
    return process.wait(timeout=PATIENCE)


class Package(unittest.TestCase):
    def test_lintian_finds_no_error_and_no_warning(self):
        # lintian leaves a file of its own in TMPDIR on every run.
        checked = subprocess.run(["lintian", "--fail-on", "error,warning", DEB],
                                 env=dict(os.environ, TMPDIR=tempfile.mkdtemp(dir=WORK)),
                                 capture_output=True, text=True, check=False)
        self.assertEqual(checked.returncode, 0, checked.stdout)
        self.assertEqual([line for line in checked.stdout.splitlines()
                          if line[:2] in ("E:", "W:")], [])

    def test_it_holds_the_program_the_units_the_web_servers_files_and_the_docs(self):
        listed = run("dpkg-deb", "-c", DEB).splitlines()
        files = sorted(line.split()[-1][2:] for line in listed if not line.startswith("d"))
        self.assertEqual(files, sorted([PROGRAM] + UNITS + CONFFILES + DOCS + LINTIAN_OVERRIDES))
        self.assertIn("-rwxr-xr-x root/root", next(line for line in listed if PROGRAM in line))
        control = tempfile.mkdtemp(dir=WORK)
        run("dpkg-deb", "-e", DEB, control)
        with open(os.path.join(control, "conffiles"), encoding="ascii") as conffiles:
            self.assertEqual(sorted(conffiles.read().split()), sorted("/" + f for f in CONFFILES))
        with open(os.path.join(control, "postinst"), encoding="ascii") as postinst:
            self.assertIn("deb-systemd-helper enable 'ipx-fastcgi.socket'", postinst.read())

    def test_its_units_pass_systemds_checks(self):
        checked = verify([os.path.join(UNPACKED, unit) for unit in UNITS],
                         os.path.join(UNPACKED, PROGRAM))
        self.assertEqual(checked.returncode, 0, checked.stderr)

    def test_nginx_with_its_snippet_gets_the_answer_from_its_socket_activated_program(self):
        path = os.path.join(WORK, "activated.socket")
        activated = subprocess.Popen(
            ["systemd-socket-activate", "--inetd", "-l", path, "-E", "IPX_DNS_SERVER=" + CLOSED_DNS,
             "--", os.path.join(UNPACKED, PROGRAM)], stderr=subprocess.DEVNULL)
        self.addCleanup(os.unlink, path)
        self.addCleanup(stopped, activated)
        while not os.path.exists(path):
            threading.Event().wait(0.05)
        open_to_web_server(path)
        nginx = Nginx(self, path)
        reply = ask("127.0.0.1", nginx.port)
        self.assertEqual(reply.status, "200 OK")
        self.assertEqual(reply.body, ANSWER)

    def test_no_request_is_lost_while_ipx_cgi_starts_again_on_the_same_socket(self):
        # The test holds the socket as systemd does, and hands it to each new process.
        path = os.path.join(WORK, "held.socket")
        listener = held_listener(self, path, 128)
        open_to_web_server(path)
        environment = {"IPX_DNS_SERVER": CLOSED_DNS, "PATH": "/usr/bin:/bin"}

        def start():
            process = subprocess.Popen([os.path.join(UNPACKED, PROGRAM)], stdin=listener,
                                       env=environment)
            self.addCleanup(stopped, process)
            return process

        nginx = Nginx(self, path)
        first = start()
        outcomes, sent_during = [], []
        restarting, restarted, done = threading.Event(), threading.Event(), threading.Event()

        def keep_asking():
            while not done.is_set():
                during = restarting.is_set() and not restarted.is_set()
                if during:
                    sent_during.append(1)
                reply = ask("127.0.0.1", nginx.port, timeout=PATIENCE)
                outcomes.append((during, reply.status == "200 OK" and reply.body == ANSWER))
                # Under the snippet's rate limit of 20 a second for one network.
                done.wait(0.2)

        def wait_for(condition):
            while not condition():
                done.wait(0.02)

        callers = [threading.Thread(target=keep_asking) for _ in range(CALLERS)]
        for caller in callers:
            caller.start()
        try:
            wait_for(lambda: len(outcomes) >= CALLERS)
            self.assertEqual(stopped(first), 0)
            restarting.set()
            # Every caller's next request waits in the socket while no ipx.cgi runs.
            wait_for(lambda: len(sent_during) >= CALLERS)
            start()
            restarted.set()
            wait_for(lambda: sum(1 for during, _ in outcomes if not during) >= 4 * CALLERS)
        finally:
            done.set()
            for caller in callers:
                caller.join()
        during = [answered for was_during, answered in outcomes if was_during]
        sys.stderr.write("restart: %d requests sent during it, %d answered; %d in all, %d "
                         "answered\n" % (len(during), sum(during), len(outcomes),
                                         sum(answered for _, answered in outcomes)))
        self.assertGreaterEqual(len(during), CALLERS)
        self.assertEqual([answered for _, answered in outcomes], [True] * len(outcomes))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
