"""ipx.cgi as a FastCGI responder on its own, as spawn-fcgi or lighttpd leave it: the
listening socket as standard input.

    fastcgi_process_test.py IPX_CGI_PATH WORK_PARENT_DIR
"""
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import fastcgi_client
from dns_gate import question_name

IPX_CGI, WORK_PARENT = sys.argv[1:3]
os.makedirs(WORK_PARENT, exist_ok=True)
# Longer than any wait of ipx.cgi's own; only a hang takes this long.
PATIENCE = 20


class Responder:
    """ipx.cgi on a socket in a folder of its own; killed whatever happens. listening=False
    hands it a socket that is bound but not listening, on which accept() fails."""

    def __init__(self, test, environment, listening=True):
        folder = tempfile.mkdtemp(dir=WORK_PARENT)
        test.addCleanup(os.rmdir, folder)
        self.path = os.path.join(folder, "ipx.socket")
        listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        test.addCleanup(os.unlink, self.path)
        listener.bind(self.path)
        if listening:
            listener.listen(64)
        with listener:
            self.process = subprocess.Popen([IPX_CGI], stdin=listener, stderr=subprocess.PIPE,
                                            env=dict(environment, PATH="/usr/bin:/bin"),
                                            text=True)
        test.addCleanup(self.kill)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.communicate()

    def ended(self):
        """Exit status and standard error, once it has ended by itself."""
        _, errors = self.process.communicate(timeout=PATIENCE)
        return self.process.returncode, errors


class SilentDns:
    """A DNS server on loopback that never answers; .endpoint for IPX_DNS_SERVER."""

    def __init__(self, test):
        self.socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.socket.bind(("127.0.0.1", 0))
        test.addCleanup(self.socket.close)
        self.endpoint = "127.0.0.1:%d" % self.socket.getsockname()[1]

    def wait_for_questions(self, count):
        """Returns once questions about `count` different names have come."""
        names = set()
        deadline = time.monotonic() + PATIENCE
        while len(names) < count and time.monotonic() < deadline:
            self.socket.settimeout(max(deadline - time.monotonic(), 0.01))
            names.add(question_name(self.socket.recv(4096)))


class FastCgiProcess(unittest.TestCase):
    def test_a_failure_to_accept_ends_it_with_a_failure_status_and_the_reason(self):
        responder = Responder(self, {"IPX_DNS_SERVER": SilentDns(self).endpoint},
                              listening=False)
        status, errors = responder.ended()
        self.assertNotEqual(status, 0)
        self.assertIn("ipx.cgi: accepting a FastCGI request failed: Invalid argument", errors)

    def test_a_start_up_error_ends_it_with_a_failure_status_and_the_reason(self):
        responder = Responder(self, {"IPX_WORKERS": "0"})
        status, errors = responder.ended()
        self.assertNotEqual(status, 0)
        self.assertIn("ipx.cgi: IPX_WORKERS is not a whole number from 1 to 256", errors)

    def test_sigterm_ends_it_once_the_requests_in_hand_are_answered(self):
        # DNS that never answers holds each request for the whole DNS budget.
        dns = SilentDns(self)
        responder = Responder(self, {"IPX_DNS_SERVER": dns.endpoint})
        replies = []

        def ask(address):
            replies.append(fastcgi_client.ask(responder.path, {
                "REQUEST_METHOD": "GET", "REMOTE_ADDR": address}, timeout=PATIENCE))

        callers = [threading.Thread(target=ask, args=("192.0.2.%d" % i,)) for i in (1, 2)]
        for caller in callers:
            caller.start()
        # Both requests are in hand once both reverse lookups have been asked.
        dns.wait_for_questions(2)
        responder.process.send_signal(signal.SIGTERM)
        for caller in callers:
            caller.join()
        status, _ = responder.ended()
        self.assertEqual(status, 0)
        self.assertEqual(sorted(replies), [
            b"Status: 200 OK\r\nContent-Type: text/plain; charset=us-ascii\r\n"
            b"Cache-Control: no-store\r\n\r\n192.0.2.%d\n192.0.2.%d\n" % (i, i) for i in (1, 2)])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
