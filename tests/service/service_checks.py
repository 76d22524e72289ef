"""The checks ipx.cgi must pass behind any web server, as mixins for unittest.TestCase.

The class provides start_server(**environment): it starts the server under test with
those IPX_ settings (and REAL_IP_FROM, for the shipped real-IP file) and returns an object
with .port and .stop(). It may set caller, the IPv4 loopback address it asks from, with
caller_answer, and server_answers. With tls, a client ssl.SSLContext, every check asks
over the server's .tls_port instead."""
import selectors
import socket
import threading
import time

from dns_gate import DnsGate
from http_client import ask
from local_server import LOOPBACK, StartFailed, host_has_ipv6_loopback

CONTENT_TYPE = "text/plain; charset=us-ascii"
LOOPBACK_ANSWER = b"127.0.0.1\nloopback.kestrin.test\n"
PROXIED_ANSWER = b"192.0.2.12\n192.0.2.12\n"
# ipx.cgi's 500, when it cannot name the caller.
SERVER_ERROR = "500"

# Requests that ipx.cgi refuses; a web server may answer some itself before ipx.cgi runs.
REFUSED_REQUESTS = {
    "POST with a body": ("POST", b"ip=192.0.2.10"),
    "POST without a length": ("POST", None),
    "PUT with a body": ("PUT", b"192.0.2.10\n"),
    "DELETE": ("DELETE", b""),
    "OPTIONS": ("OPTIONS", b""),
    "TRACE": ("TRACE", None),
    "an unknown method": ("FOO", None),
}

# Lookups that a web server may answer itself with 400 before ipx.cgi runs.
ODD_LOOKUPS = {
    "GET with a body": {"body": b"abc"},
    "HEAD with a body": {"method": "HEAD", "body": b"abc"},
    "%00 in the query": {"target": "/cgi-bin/ipx.cgi?a=%00"},
    "%0a in the query": {"target": "/cgi-bin/ipx.cgi?a=%0a"},
}

# Paths that start like ipx.cgi's and must not reach it.
OTHER_PATHS = ("/cgi-bin/ipx.cgix", "/cgi-bin/ipx.cgi/extra", "/cgi-bin/ipx.cgi/")

# Header names that lighttpd, and CGI's rules, turn into the same variable as
# X-Forwarded-For: a caller's own, which a proxy in front may pass on unchanged.
ALIASES = ("X_Forwarded_For", "X.Forwarded.For", "X-Forwarded_For")

# Callers in networks of their own (loopback, so the test can ask from them) that the
# test's dnsmasq names, for lookups that must all run at once: as many as ipx.cgi's gate
# lets networks it has not seen answer look up at once (12 of 64 workers), each in a /16
# of its own, since one /16 gets no more than 6 of those.
AT_ONCE = ["127.%d.0.1" % network for network in range(16, 28)]


def synthesized_answer(address):
    return ("%s\n%s.synth.kestrin.test\n" % (address, address.replace(".", "-"))).encode()


def ask_at_once(port, sources):
    """A request from each source address, all at once; the replies in the same order."""
    replies = [None] * len(sources)

    def caller(index):
        replies[index] = ask("127.0.0.1", port, source=sources[index])

    threads = [threading.Thread(target=caller, args=(i,)) for i in range(len(sources))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return replies


def requests_until_refused(ask_once, most=1000):
    """Asks with ask_once(i) until an answer is 429; how many it took, or None."""
    for i in range(most):
        if ask_once(i).status.startswith("429 "):
            return i + 1
    return None


def alias_cases():
    """(name, headers) for each alias spelling before and after the proxy's own line."""
    for alias in ALIASES:
        forged, own = "%s: 6.6.6.6" % alias, "X-Forwarded-For: 198.51.100.7, 192.0.2.12"
        yield alias + " first", [forged, own]
        yield alias + " last", [own, forged]


class AnswerAssertions:
    caller = "127.0.0.1"
    tls = None

    def ask_server(self, server, host="127.0.0.1", **request):
        if self.tls:
            return ask(host, server.tls_port, tls=self.tls, **request)
        return ask(host, server.port, **request)

    def assertAnswer(self, reply, body):
        self.assertEqual(reply.status, "200 OK")
        self.assertEqual(reply.header("Content-Type"), CONTENT_TYPE)
        self.assertEqual(reply.header("Cache-Control"), "no-store")
        self.assertEqual(reply.body, body)

    def assertRefused(self, reply):
        self.assertEqual(reply.status, "405 Method Not Allowed")
        self.assertEqual(reply.header("Allow"), "GET, HEAD")
        self.assertEqual(reply.header("Content-Type"), CONTENT_TYPE)
        self.assertEqual(reply.header("Cache-Control"), "no-store")
        self.assertNotIn(self.caller.encode("ascii"), reply.body)


class ServiceChecks(AnswerAssertions):
    caller_answer = LOOPBACK_ANSWER
    # Names from REFUSED_REQUESTS that the web server answers itself, with its status.
    server_answers = {}
    # Names from ODD_LOOKUPS that the web server answers itself, with its status.
    server_refuses = {}

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.server = cls.start_server()
        cls.addClassCleanup(cls.server.stop)

    def ask_over_ipv4(self, **request):
        return self.ask_server(self.server, source=self.caller, **request)

    def test_get_over_ipv4_gives_the_callers_address_and_confirmed_name(self):
        self.assertAnswer(self.ask_over_ipv4(), self.caller_answer)

    def test_get_over_ipv6_gives_the_callers_address_and_confirmed_name(self):
        if not host_has_ipv6_loopback():
            self.skipTest("no IPv6 loopback on this host")
        self.assertAnswer(self.ask_server(self.server, "::1"), b"::1\nloopback.kestrin.test\n")

    def test_head_gives_the_same_headers_without_body(self):
        self.assertAnswer(self.ask_over_ipv4(method="HEAD"), b"")

    def test_query_string_changes_nothing(self):
        for query in ("?", "?format=json", "?a=1&b=2", "?ip=192.0.2.10"):
            with self.subTest(query=query):
                reply = self.ask_over_ipv4(target="/cgi-bin/ipx.cgi" + query)
                self.assertAnswer(reply, self.caller_answer)

    def test_other_methods_get_405_with_allow_unless_the_server_answers_first(self):
        for name, (method, body) in REFUSED_REQUESTS.items():
            by_server = name in self.server_answers
            with self.subTest(request=name, answered_by="web server" if by_server else "ipx.cgi"):
                reply = self.ask_over_ipv4(method=method, body=body)
                if by_server:
                    self.assertEqual(reply.status, self.server_answers[name])
                    # ipx.cgi sends no-store with every answer; the server's own does not.
                    self.assertEqual(reply.header("Cache-Control"), [])
                else:
                    self.assertRefused(reply)

    def test_odd_lookups_are_answered_unless_the_server_refuses_them_first(self):
        for name, request in ODD_LOOKUPS.items():
            by_server = name in self.server_refuses
            with self.subTest(request=name, answered_by="web server" if by_server else "ipx.cgi"):
                reply = self.ask_over_ipv4(**request)
                if by_server:
                    self.assertEqual(reply.status, self.server_refuses[name])
                    self.assertEqual(reply.header("Cache-Control"), [])
                else:
                    wanted = b"" if request.get("method") == "HEAD" else self.caller_answer
                    self.assertAnswer(reply, wanted)

    def test_only_the_path_itself_reaches_ipx_cgi(self):
        for target in OTHER_PATHS:
            with self.subTest(target=target):
                reply = self.ask_over_ipv4(target=target)
                self.assertEqual(reply.status, "404 Not Found")
                self.assertEqual(reply.header("Cache-Control"), [])

    def test_a_body_over_a_kilobyte_is_refused_before_ipx_cgi_runs(self):
        reply = self.ask_over_ipv4(method="POST", body=b"x" * 4096)
        self.assertTrue(reply.status.startswith("413 "), reply.status)
        self.assertEqual(reply.header("Cache-Control"), [])

    def test_forwarded_for_from_an_untrusted_peer_is_ignored(self):
        reply = self.ask_over_ipv4(extra_headers=["X-Forwarded-For: 192.0.2.10"])
        self.assertAnswer(reply, self.caller_answer)


class WebServerChecks(AnswerAssertions):
    """Each check starts a server of its own: start_server may also take static_probe
    (see LocalServer) and program, the path of the program to serve instead of ipx.cgi;
    the class provides program_that_never_answers() and sets remembers_callers, whether
    ipx.cgi outlives a request (FastCGI) and so keeps what it learnt of a caller."""
    remembers_callers = False

    def start(self, **options):
        server = self.start_server(**options)
        self.addCleanup(server.stop)
        return server

    def test_many_callers_are_answered_at_once(self):
        # The test's DNS holds every question until all the callers have asked: answered
        # one or two at a time, each would give up on DNS and show no name.
        gate = DnsGate.before_test_dns()
        self.addCleanup(gate.stop)
        server = self.start(IPX_DNS_SERVER=gate.endpoint)
        gate.hold(len(AT_ONCE))
        for address, reply in zip(AT_ONCE, ask_at_once(server.port, AT_ONCE)):
            with self.subTest(caller=address):
                self.assertAnswer(reply, synthesized_answer(address))

    def test_a_caller_asking_many_times_at_once_meets_the_process_that_knows_it(self):
        if not self.remembers_callers:
            self.skipTest("each request is a process of its own")
        gate = DnsGate.before_test_dns()
        self.addCleanup(gate.stop)
        server = self.start(IPX_DNS_SERVER=gate.endpoint)
        caller = "127.16.2.1"
        self.assertAnswer(ask("127.0.0.1", server.port, source=caller), synthesized_answer(caller))
        gate.silence()
        # A server that spread them over its processes would bring some to one that never
        # looked the caller up, and its DNS no longer answers.
        for reply in ask_at_once(server.port, [caller] * 16):
            self.assertAnswer(reply, synthesized_answer(caller))

    def test_ipx_cgi_that_never_answers_gets_the_web_servers_timeout(self):
        server = self.start(static_probe=True, program=self.program_that_never_answers())
        # The request's own limit is well past the shipped five seconds.
        reply = ask("127.0.0.1", server.port, timeout=30)
        self.assertTrue(reply.status.startswith("504 "), reply.status)

    def test_a_start_up_error_fails_the_start_and_says_why(self):
        with self.assertRaises(StartFailed) as failed:
            self.start_server(IPX_TRUSTED_PROXIES="10.0.0.0/33")
        self.assertIn("IPX_TRUSTED_PROXIES is not a list of addresses or ranges",
                      failed.exception.output)


class RateLimitChecks(AnswerAssertions):
    """The shipped example rate limit, per /24 and /64 of the caller's address, with the
    server behind a proxy on loopback, where ipx.cgi and the limit see the caller the proxy
    names. The class provides start_server(**environment)."""

    def test_a_network_over_the_rate_limit_gets_429_and_other_networks_do_not(self):
        server = self.start_server(REAL_IP_FROM=LOOPBACK)
        self.addCleanup(server.stop)

        def via_proxy(address):
            return ask("127.0.0.1", server.port, extra_headers=["X-Forwarded-For: " + address])

        # Each request from another address of the network: one count for them all.
        for network, other in (("198.51.100.%d", "198.51.101.1"),
                               ("2001:db8:1:2::%d", "2001:db8:1:3::1")):
            with self.subTest(network=network):
                flooded = requests_until_refused(lambda i: via_proxy(network % (i % 200 + 1)))
                self.assertIsNotNone(flooded)
                self.assertAnswer(via_proxy(other), ("%s\n%s\n" % (other, other)).encode())


class ProxyChecks(AnswerAssertions):
    """The web server behind a proxy on loopback: start_server(**proxy_setting) makes it
    believe X-Forwarded-For from there. The class sets proxy_setting and what each of
    these requests from the proxy leads to, as an answer's body or SERVER_ERROR:
    aliases_answer, the proxy's own header with another spelling of it beside it, before
    or after; alias_alone_answer, another spelling alone (None: not checked); and
    nameless_answer, a header that names no address."""
    alias_alone_answer = None

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.proxied = cls.start_server(**cls.proxy_setting)
        cls.addClassCleanup(cls.proxied.stop)

    def ask_the_proxied(self, headers, source=None):
        return self.ask_server(self.proxied, extra_headers=headers, source=source)

    def assertOutcome(self, reply, expected):
        if expected is SERVER_ERROR:
            self.assertEqual(reply.status, "500 Internal Server Error")
            self.assertEqual(reply.header("Cache-Control"), "no-store")
            self.assertEqual(reply.body, b"no valid client address\n")
        else:
            self.assertAnswer(reply, expected)

    def test_forwarded_for_from_the_proxy_names_the_caller(self):
        reply = self.ask_the_proxied(["X-Forwarded-For: 198.51.100.7, 192.0.2.12"])
        self.assertAnswer(reply, PROXIED_ANSWER)

    def test_every_line_of_the_proxys_header_counts_in_order(self):
        reply = self.ask_the_proxied(["X-Forwarded-For: 6.6.6.6", "X-Forwarded-For: 192.0.2.12"])
        self.assertAnswer(reply, PROXIED_ANSWER)

    def test_no_other_spelling_of_the_header_names_the_caller(self):
        for case, headers in alias_cases():
            with self.subTest(case=case):
                self.assertOutcome(self.ask_the_proxied(headers), self.aliases_answer)
        if self.alias_alone_answer is None:
            return
        for alias in ALIASES:
            with self.subTest(case=alias + " alone"):
                reply = self.ask_the_proxied(["%s: 6.6.6.6" % alias])
                self.assertOutcome(reply, self.alias_alone_answer)

    def test_forwarded_for_from_a_peer_that_is_not_the_proxy_is_ignored(self):
        reply = self.ask_the_proxied(["X-Forwarded-For: 192.0.2.12"], source="127.0.0.3")
        self.assertAnswer(reply, b"127.0.0.3\ncaller.kestrin.test\n")

    def test_forwarded_for_that_names_no_address_names_no_caller(self):
        for header in ("bogus", "6.6.6.6, bogus"):
            with self.subTest(header=header):
                reply = self.ask_the_proxied(["X-Forwarded-For: " + header])
                self.assertOutcome(reply, self.nameless_answer)


# Slow callers from one address: requests whose headers never end, and bodies that stop
# after a few bytes. A few hundred show the mechanism; the shipped files hold thousands.
SLOW_CALLER = "127.0.0.2"
HALF_SENT = 300
SLOW_BODIES = 40
SLOW_BODY_LENGTH = 1000
# Every web server's own timeouts are 60 s or longer; the shipped ones are 10 s (Apache's
# up to 20 s while bytes keep coming, which they do not here).
CUT_OFF_WITHIN = 25


def slow_connection(port, request):
    connection = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    connection.bind((SLOW_CALLER, 0))
    connection.connect(("127.0.0.1", port))
    connection.sendall(request)
    connection.setblocking(False)
    return connection


def half_sent_request():
    return b"GET /cgi-bin/ipx.cgi HTTP/1.1\r\nHost: ipx.test\r\nUser-Agent: slow"


def slow_body_request():
    return (b"POST /cgi-bin/ipx.cgi HTTP/1.1\r\nHost: ipx.test\r\nContent-Length: %d\r\n\r\n"
            b"ip=192.0.2" % SLOW_BODY_LENGTH)


class HeldConnections:
    """Open connections, each watched until the server has closed it; what each got."""

    def __init__(self):
        self.selector = selectors.DefaultSelector()
        self.received = {}

    def add(self, connection, kind):
        self.received[connection] = (kind, bytearray())
        self.selector.register(connection, selectors.EVENT_READ)

    def open_ones(self):
        return len(self.selector.get_map())

    def watch(self, seconds):
        """Reads what comes and closes what the server closed, for up to seconds or until
        every connection is closed."""
        deadline = time.monotonic() + seconds
        while self.open_ones() and (left := deadline - time.monotonic()) > 0:
            for key, _ in self.selector.select(min(left, 1)):
                self.read(key.fileobj)

    def read(self, connection):
        try:
            chunk = connection.recv(65536)
        except BlockingIOError:
            return
        except OSError:
            chunk = b""
        if chunk:
            self.received[connection][1].extend(chunk)
            return
        self.selector.unregister(connection)
        connection.close()

    def answered(self, kind, status):
        """How many of kind got an answer with that status."""
        return sum(1 for sort, data in self.received.values()
                   if sort == kind and data.startswith(b"HTTP/1.1 " + status.encode()))

    def close(self):
        for connection in list(self.selector.get_map().values()):
            connection.fileobj.close()
        self.selector.close()


class SlowConnectionChecks(AnswerAssertions):
    """HALF_SENT requests whose headers never end and SLOW_BODIES bodies that stop, all
    from SLOW_CALLER, while the caller is answered; the server cuts them off within
    CUT_OFF_WITHIN seconds. The class provides start_server(**environment) and may set
    slow_bodies_let_in, the web server's cap on requests at once per address."""
    slow_bodies_let_in = None

    def test_half_sent_requests_and_slow_bodies_hold_no_caller_up(self):
        server = self.start_server()
        self.addCleanup(server.stop)
        held = HeldConnections()
        self.addCleanup(held.close)
        for _ in range(HALF_SENT):
            held.add(slow_connection(server.port, half_sent_request()), "half-sent")
        for _ in range(SLOW_BODIES):
            held.add(slow_connection(server.port, slow_body_request()), "slow body")
        for attempt in range(3):
            with self.subTest(caller_while_held=attempt):
                self.assertAnswer(ask("127.0.0.1", server.port), LOOPBACK_ANSWER)
            held.watch(0.5)
        if self.slow_bodies_let_in is not None:
            self.assertEqual(held.answered("slow body", "429"),
                             SLOW_BODIES - self.slow_bodies_let_in)
        held.watch(CUT_OFF_WITHIN)
        self.assertEqual(held.open_ones(), 0, "connections the server still holds")
        self.assertEqual(held.answered("half-sent", "200"), 0)
