"""nginx as a load balancer (conf/nginx-balancer.conf) in front of two ipx.cgi servers
(nginx and socket-activated ipx.cgi as shipped), all on loopback, checked over raw HTTP.

    balancer_test.py IPX_CGI_PATH WORK_PARENT_DIR [tls]

The caller asks from 127.0.0.3; the balancer reaches the backends from 127.0.0.1, the one
address their real-IP file trusts. Run through with-test-dns.sh, which names both. With
tls, the balancer serves https too, with the shipped TLS file, and ends TLS in front of
the backends; the checks run over https.
"""
import os
import signal
import sys
import time
import unittest

from http_client import ask
from local_server import LocalServer
from service_checks import (ALIASES, AnswerAssertions, ServiceChecks, alias_cases,
                            requests_until_refused)
from tls_checks import OverHttps, TlsChecks

CALLER = "127.0.0.3"
CALLER_ANSWER = b"127.0.0.3\ncaller.kestrin.test\n"
BALANCER = "127.0.0.1"
REQUESTS = 12

IPX_CGI, WORK_PARENT = sys.argv[1:3]
OVER_TLS = sys.argv[3:] == ["tls"]


class Cluster:
    """Two backends that trust only the balancer, and the balancer in front; .port is the
    balancer's, .tls_port its https port when it has certificates (see LocalServer).
    Stopped by their pid files whatever happens."""

    def __init__(self, certificates=None):
        self.backends = []
        self.front = None
        try:
            for _ in range(2):
                self.backends.append(LocalServer("nginx-local.sh", ["fastcgi", IPX_CGI],
                                                 WORK_PARENT, {"REAL_IP_FROM": BALANCER}))
            ports = [str(backend.port) for backend in self.backends]
            self.front = LocalServer("nginx-local.sh", ["balancer", *ports], WORK_PARENT, {},
                                     certificates=certificates)
        except BaseException:
            self.stop()
            raise
        self.port = self.front.port
        self.tls_port = self.front.tls_port

    def stop(self):
        for server in [self.front, *self.backends]:
            if server:
                server.stop()


def requests_logged(server):
    with open(server.file("access.log"), encoding="ascii") as log:
        return len(log.readlines())


def requests_logged_since(servers, before, expected):
    """Each server's requests since before; a backend logs a request just after it has
    sent the answer on, so the count may lag the caller for a moment."""
    deadline = time.monotonic() + 5
    while True:
        served = [requests_logged(server) - count for server, count in zip(servers, before)]
        if sum(served) >= expected or time.monotonic() > deadline:
            return served
        time.sleep(0.05)


class ThroughTheBalancer(ServiceChecks, unittest.TestCase):
    caller = CALLER
    caller_answer = CALLER_ANSWER
    server_answers = {"TRACE": "405 Not Allowed"}
    work_parent = WORK_PARENT
    certificates = None

    @classmethod
    def start_server(cls):
        return Cluster(cls.certificates and cls.certificates.dir)

    def test_forwarded_for_forged_by_the_caller_is_not_believed_whatever_it_names(self):
        for forged in ("192.0.2.10", BALANCER, "192.0.2.10, " + BALANCER, "bogus"):
            with self.subTest(forged=forged):
                reply = self.ask_over_ipv4(extra_headers=["X-Forwarded-For: " + forged])
                self.assertAnswer(reply, CALLER_ANSWER)

    def test_no_spelling_of_the_header_lets_the_caller_choose(self):
        for alias in ALIASES:
            for forged in ("192.0.2.10", BALANCER):
                with self.subTest(alias=alias, forged=forged):
                    reply = self.ask_over_ipv4(extra_headers=["%s: %s" % (alias, forged)])
                    self.assertAnswer(reply, CALLER_ANSWER)
        for backend in self.server.backends:
            for case, headers in alias_cases():
                with self.subTest(backend=backend.port, case=case):
                    reply = ask("127.0.0.1", backend.port, source=BALANCER, extra_headers=headers)
                    self.assertAnswer(reply, b"192.0.2.12\n192.0.2.12\n")

    def test_a_network_over_the_rate_limit_gets_429_and_other_networks_do_not(self):
        # Callers reach the balancer directly: its own addresses of 127.0.2.0/24 and
        # 127.0.3.0/24, apart from the 127.0.0.0/24 the other checks ask from.
        flooded = requests_until_refused(
            lambda i: ask("127.0.0.1", self.server.port, source="127.0.2.%d" % (i % 200 + 1)))
        self.assertIsNotNone(flooded)
        self.assertAnswer(ask("127.0.0.1", self.server.port, source="127.0.3.1"),
                          b"127.0.3.1\n127.0.3.1\n")

    def test_a_backend_believes_forwarded_for_from_the_balancer_only(self):
        for backend in self.server.backends:
            with self.subTest(backend=backend.port):
                forged = ask("127.0.0.1", backend.port, source=CALLER,
                             extra_headers=["X-Forwarded-For: 192.0.2.10"])
                self.assertAnswer(forged, CALLER_ANSWER)
                forwarded = ask("127.0.0.1", backend.port, source=BALANCER,
                                extra_headers=["X-Forwarded-For: 192.0.2.10"])
                self.assertAnswer(forwarded, b"192.0.2.10\ngood.kestrin.test\n")

    def test_both_backends_answer_alike_and_the_balancer_asks_both(self):
        def as_the_balancer_asks(backend):
            reply = ask("127.0.0.1", backend.port, source=BALANCER,
                        extra_headers=["X-Forwarded-For: " + CALLER])
            self.assertAnswer(reply, CALLER_ANSWER)
            return [header for header in reply.headers if header[0] != "Date"], reply.body

        first, second = (as_the_balancer_asks(backend) for backend in self.server.backends)
        self.assertEqual(first, second)
        before = [requests_logged(backend) for backend in self.server.backends]
        for _ in range(REQUESTS):
            self.assertAnswer(self.ask_over_ipv4(), CALLER_ANSWER)
        served = requests_logged_since(self.server.backends, before, REQUESTS)
        self.assertEqual(sum(served), REQUESTS)
        self.assertNotIn(0, served)


class WithOneBackendGone(AnswerAssertions, unittest.TestCase):
    caller = CALLER

    def setUp(self):
        self.cluster = Cluster()
        self.addCleanup(self.cluster.stop)

    def assertEveryRequestAnswered(self):
        for _ in range(REQUESTS):
            self.assertAnswer(ask("127.0.0.1", self.cluster.port, source=CALLER), CALLER_ANSWER)

    def test_every_request_is_answered_when_a_backend_server_is_stopped(self):
        self.cluster.backends[0].stop()
        self.assertEveryRequestAnswered()

    def test_every_request_is_answered_when_a_backends_ipx_cgi_is_killed(self):
        with open(self.cluster.backends[1].file("ipx.pid"), encoding="ascii") as pid:
            os.kill(int(pid.read()), signal.SIGKILL)
        self.assertEveryRequestAnswered()


class ThroughTheBalancerOverHttps(OverHttps, ThroughTheBalancer, TlsChecks):
    pass


OVER_HTTPS = [ThroughTheBalancerOverHttps]
OVER_HTTP = [ThroughTheBalancer, WithOneBackendGone]

if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + [case.__name__ for case in
                                       (OVER_HTTPS if OVER_TLS else OVER_HTTP)],
                  verbosity=2)
