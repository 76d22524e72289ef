"""ipx.cgi as a FastCGI responder on its own, as systemd's socket activation or lighttpd
leave it: the listening socket as standard input.

    fastcgi_process_test.py IPX_CGI_PATH WORK_PARENT_DIR

Run through with-test-dns.sh: the callers in 127.16.0.0/12 have names there.
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
from dns_gate import DnsGate, question_name

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

    def names_asked(self):
        """The names of the questions that have come and not been read yet."""
        names = set()
        self.socket.setblocking(False)
        try:
            while True:
                names.add(question_name(self.socket.recv(4096)))
        except BlockingIOError:
            return names


def closed_dns_port():
    """A loopback UDP port with nothing on it: every question is refused at once."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as released:
        released.bind(("127.0.0.1", 0))
        return "127.0.0.1:%d" % released.getsockname()[1]


def get(address, **params):
    return dict({"REQUEST_METHOD": "GET", "REMOTE_ADDR": address}, **params)


def answer(address, name=None):
    return (b"Status: 200 OK\r\nContent-Type: text/plain; charset=us-ascii\r\n"
            b"Cache-Control: no-store\r\n\r\n%s\n%s\n"
            % (address.encode(), (name or address).encode()))


def named(address):
    return answer(address, "%s.synth.kestrin.test" % address.replace(".", "-"))


def ask_at_once(path, addresses):
    """Each address's request on a thread of its own; the replies in the same order."""
    replies = [None] * len(addresses)

    def ask(index):
        replies[index] = fastcgi_client.ask(path, get(addresses[index]), timeout=PATIENCE)

    callers = [threading.Thread(target=ask, args=(i,)) for i in range(len(addresses))]
    for caller in callers:
        caller.start()
    return callers, replies


def reverse_name(address):
    return ".".join(reversed(address.split("."))) + ".in-addr.arpa"


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

    def test_each_stop_signal_ends_it_once_the_requests_in_hand_are_answered(self):
        for stop in (signal.SIGTERM, signal.SIGUSR1, signal.SIGINT):
            with self.subTest(signal=stop.name):
                self.check_stop_signal(stop)

    def check_stop_signal(self, stop):
        # DNS that never answers holds each request for the whole DNS budget.
        dns = SilentDns(self)
        responder = Responder(self, {"IPX_DNS_SERVER": dns.endpoint})
        replies = []

        def ask(address):
            replies.append(fastcgi_client.ask(responder.path, get(address), timeout=PATIENCE))

        callers = [threading.Thread(target=ask, args=("192.0.2.%d" % i,)) for i in (1, 2)]
        for caller in callers:
            caller.start()
        # Both requests are in hand once both reverse lookups have been asked.
        dns.wait_for_questions(2)
        responder.process.send_signal(stop)
        for caller in callers:
            caller.join()
        status, _ = responder.ended()
        self.assertEqual(status, 0)
        self.assertEqual(sorted(replies), [answer("192.0.2.%d" % i) for i in (1, 2)])

    def test_a_stop_leaves_the_socket_and_its_waiting_callers_to_the_next_process(self):
        # As systemd restarts a socket-activated service: it keeps the listening socket and
        # hands the same one to the next process.
        dns = SilentDns(self)
        folder = tempfile.mkdtemp(dir=WORK_PARENT)
        self.addCleanup(os.rmdir, folder)
        path = os.path.join(folder, "ipx.socket")
        listener = fastcgi_client.held_listener(self, path, 64)
        settings = {"IPX_DNS_SERVER": dns.endpoint, "IPX_WORKERS": "1", "PATH": "/usr/bin:/bin"}

        def start():
            process = subprocess.Popen([IPX_CGI], stdin=listener, env=settings)
            # Clean-ups run last first: killed, then waited for.
            self.addCleanup(process.wait)
            self.addCleanup(lambda: process.poll() is None and process.kill())
            return process

        replies = {}

        def ask(address):
            replies[address] = fastcgi_client.ask(path, get(address), timeout=PATIENCE)

        first = start()
        callers = [threading.Thread(target=ask, args=(address,))
                   for address in ("192.0.2.1", "198.51.100.1")]
        callers[0].start()
        dns.wait_for_questions(1)
        # The second caller waits behind the only worker, whose request DNS holds.
        callers[1].start()
        first.send_signal(signal.SIGTERM)
        self.assertEqual(first.wait(timeout=PATIENCE), 0)
        start()
        # A caller that comes after the stop reaches the next process too.
        ask("203.0.113.1")
        for caller in callers:
            caller.join()
        self.assertEqual(replies, {address: answer(address) for address in replies})
        self.assertEqual(len(replies), 3)

    def test_with_one_worker_two_callers_are_answered_one_after_the_other(self):
        # The second caller's request waits for the only worker, then for its own lookup.
        dns = SilentDns(self)
        responder = Responder(self, {"IPX_DNS_SERVER": dns.endpoint, "IPX_WORKERS": "1"})
        finished = []

        def ask(address):
            reply = fastcgi_client.ask(responder.path, get(address), timeout=PATIENCE)
            finished.append((address, reply))

        first = threading.Thread(target=ask, args=("192.0.2.1",))
        first.start()
        dns.wait_for_questions(1)
        second = threading.Thread(target=ask, args=("198.51.100.1",))
        second.start()
        first.join()
        second.join()
        self.assertEqual(finished, [("192.0.2.1", answer("192.0.2.1")),
                                    ("198.51.100.1", answer("198.51.100.1"))])

    def test_a_web_server_that_keeps_its_end_open_does_not_hold_up_the_next_request(self):
        responder = Responder(self, {"IPX_DNS_SERVER": closed_dns_port(), "IPX_WORKERS": "1"})
        reply, kept = fastcgi_client.ask_and_keep_open(responder.path, get("192.0.2.1"))
        self.addCleanup(kept.close)
        self.assertEqual(reply, answer("192.0.2.1"))
        # Bytes still coming on the first connection, as from a web server that has more to
        # pass on, would keep a worker that waits for its end from ever taking the next.
        done = threading.Event()

        def keep_sending():
            try:
                while not done.wait(0.2):
                    kept.send(b"\0")
            except OSError:
                pass

        sender = threading.Thread(target=keep_sending)
        sender.start()
        try:
            reply = fastcgi_client.ask(responder.path, get("192.0.2.2"), timeout=PATIENCE)
        finally:
            done.set()
            sender.join()
        self.assertEqual(reply, answer("192.0.2.2"))

    def test_a_body_of_two_mebibytes_is_answered(self):
        responder = Responder(self, {"IPX_DNS_SERVER": closed_dns_port()})
        body = b"x" * (2 << 20)
        reply = fastcgi_client.ask(responder.path, get("192.0.2.1", CONTENT_LENGTH=str(len(body))),
                                   timeout=PATIENCE, body=body)
        self.assertEqual(reply, answer("192.0.2.1"))

    def test_a_network_where_three_lookups_timed_out_is_answered_without_dns(self):
        # Each worker's requests share the answers and the gate's memory of slow networks.
        dns = SilentDns(self)
        responder = Responder(self, {"IPX_DNS_SERVER": dns.endpoint})
        for address in ("192.0.2.1", "192.0.2.2", "192.0.2.3"):
            reply = fastcgi_client.ask(responder.path, get(address), timeout=PATIENCE)
            self.assertEqual(reply, answer(address))
        self.assertEqual(dns.names_asked() - {reverse_name("192.0.2.%d" % i) for i in (1, 2, 3)},
                         set())
        # A neighbour, and a caller whose answer is kept, cost no question.
        for address in ("192.0.2.4", "192.0.2.1"):
            reply = fastcgi_client.ask(responder.path, get(address), timeout=PATIENCE)
            self.assertEqual(reply, answer(address))
        self.assertEqual(dns.names_asked(), set())


class SharedMemory(unittest.TestCase):
    """What the workers of one process share: which networks answered, and the lookup of
    an address that many ask for at once."""

    def setUp(self):
        self.dns = DnsGate.before_test_dns()
        self.addCleanup(self.dns.stop)
        self.responder = Responder(self, {"IPX_DNS_SERVER": self.dns.endpoint})

    def ask(self, address):
        return fastcgi_client.ask(self.responder.path, get(address), timeout=PATIENCE)

    def test_a_network_that_answered_keeps_lookups_that_new_networks_cannot_take(self):
        self.assertEqual(self.ask("127.16.0.1"), named("127.16.0.1"))
        self.dns.silence()
        # New networks, each in a /16 of its own, hold IPv4's share for new networks.
        new = ["127.%d.0.1" % n for n in range(17, 29)]
        callers, _ = ask_at_once(self.responder.path, new)
        self.dns.wait_for_names(len(new))
        for address in ("127.29.0.1", "127.16.0.2"):
            self.assertEqual(self.ask(address), answer(address))
        for caller in callers:
            caller.join()
        self.assertNotIn(reverse_name("127.29.0.1"), self.dns.asked)
        self.assertIn(reverse_name("127.16.0.2"), self.dns.asked)

    def test_callers_of_one_address_who_ask_at_once_all_get_its_name(self):
        # Its lookup's first question waits half a second, while all of them ask.
        self.dns.hold(2, patience=0.5)
        callers, replies = ask_at_once(self.responder.path, ["127.16.1.1"] * 10)
        for caller in callers:
            caller.join()
        self.assertEqual(replies, [named("127.16.1.1")] * 10)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
