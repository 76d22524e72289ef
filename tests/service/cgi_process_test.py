"""ipx.cgi as a CGI program on its own, as a web server runs it: its request in the
environment, the body on standard input.

    cgi_process_test.py IPX_CGI_PATH WORK_PARENT_DIR
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

IPX_CGI, WORK_PARENT = sys.argv[1:3]
os.makedirs(WORK_PARENT, exist_ok=True)
# Longer than any wait of ipx.cgi's own; only a hang takes this long.
PATIENCE = 20
STARTUP_ERROR = "IPX_WORKERS is not a whole number from 1 to 256"


def closed_dns_port():
    """A loopback UDP port with nothing on it: every question is refused at once."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as released:
        released.bind(("127.0.0.1", 0))
        return "127.0.0.1:%d" % released.getsockname()[1]


def private_mounts_work():
    return subprocess.run(["unshare", "--mount", "true"], stderr=subprocess.DEVNULL,
                          check=False).returncode == 0


class CgiProcess(unittest.TestCase):
    def folder(self):
        folder = tempfile.mkdtemp(dir=WORK_PARENT)
        self.addCleanup(shutil.rmtree, folder)
        return folder

    def test_a_body_shorter_than_its_length_is_read_to_its_end_and_answered(self):
        for length in ("100", "10"):
            with self.subTest(content_length=length):
                path = os.path.join(self.folder(), "body")
                with open(path, "wb") as body:
                    body.write(b"0123456789")
                with open(path, "rb") as body:
                    done = subprocess.run(
                        [IPX_CGI], stdin=body, capture_output=True, timeout=PATIENCE,
                        env={"REQUEST_METHOD": "GET", "REMOTE_ADDR": "192.0.2.1",
                             "CONTENT_LENGTH": length, "IPX_DNS_SERVER": closed_dns_port()})
                    # The file position it shares with the child: how much of the body it read.
                    read = os.lseek(body.fileno(), 0, os.SEEK_CUR)
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertTrue(done.stdout.startswith(b"Status: 200 OK\r\n"), done.stdout)
                self.assertTrue(done.stdout.endswith(b"\r\n\r\n192.0.2.1\n192.0.2.1\n"))
                self.assertEqual(read, 10)

    @unittest.skipUnless(private_mounts_work(), "needs a private mount namespace (root)")
    def test_a_start_up_error_goes_to_syslog_unless_standard_error_is_the_journal(self):
        folder = self.folder()
        with open(os.path.join(folder, "stderr"), "w+b") as errors:
            status = os.fstat(errors.fileno())
            journal = "%d:%d" % (status.st_dev, status.st_ino)
            for journal_stream, logged in ((None, True), (journal, False)):
                with self.subTest(journal_stream=journal_stream):
                    lines = self.syslog_of_a_start_up_error(folder, errors, journal_stream)
                    if logged:
                        self.assertEqual(len(lines), 1, lines)
                        self.assertIn("ipx.cgi[", lines[0])
                        self.assertIn(STARTUP_ERROR, lines[0])
                    else:
                        self.assertEqual(lines, [])

    def syslog_of_a_start_up_error(self, folder, errors, journal_stream):
        """What ipx.cgi sends to /dev/log when its settings are wrong: a socket of the
        test's own stands for it in a mount namespace of ipx.cgi's own."""
        path = os.path.join(folder, "log")
        with socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM) as log:
            log.bind(path)
            environment = {"IPX_WORKERS": "0", "PATH": "/usr/bin:/bin"}
            if journal_stream:
                environment["JOURNAL_STREAM"] = journal_stream
            script = ('mount -t tmpfs tmpfs /dev && touch /dev/log && '
                      'mount --bind "$0" /dev/log && exec "$@"')
            done = subprocess.run(["unshare", "--mount", "sh", "-c", script, path, IPX_CGI],
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=errors, env=environment, timeout=PATIENCE)
            self.assertNotEqual(done.returncode, 0)
            errors.seek(0)
            self.assertIn(STARTUP_ERROR.encode(), errors.read())
            errors.seek(0)
            errors.truncate()
            log.setblocking(False)
            lines = []
            try:
                while True:
                    lines.append(log.recv(4096).decode("ascii", "replace"))
            except BlockingIOError:
                return lines
            finally:
                os.unlink(path)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
