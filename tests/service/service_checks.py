"""The checks ipx.cgi must pass behind any web server, as mixins for unittest.TestCase.

The class provides start_server(**environment): it starts the server under test with
those IPX_ settings and returns an object with .port and .stop(). It may set caller, the
IPv4 loopback address it asks from, with caller_answer, and server_answers."""
from http_client import ask
from local_server import host_has_ipv6_loopback

CONTENT_TYPE = "text/plain; charset=us-ascii"
LOOPBACK_ANSWER = b"127.0.0.1\nloopback.kestrin.test\n"

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


class AnswerAssertions:
    caller = "127.0.0.1"

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

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.server = cls.start_server()
        cls.addClassCleanup(cls.server.stop)

    def ask_over_ipv4(self, **request):
        return ask("127.0.0.1", self.server.port, source=self.caller, **request)

    def test_get_over_ipv4_gives_the_callers_address_and_confirmed_name(self):
        self.assertAnswer(self.ask_over_ipv4(), self.caller_answer)

    def test_get_over_ipv6_gives_the_callers_address_and_confirmed_name(self):
        if not host_has_ipv6_loopback():
            self.skipTest("no IPv6 loopback on this host")
        self.assertAnswer(ask("::1", self.server.port), b"::1\nloopback.kestrin.test\n")

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

    def test_forwarded_for_from_an_untrusted_peer_is_ignored(self):
        reply = self.ask_over_ipv4(extra_headers=["X-Forwarded-For: 192.0.2.10"])
        self.assertAnswer(reply, self.caller_answer)


class TrustedProxyChecks:
    """The same web server set up to believe X-Forwarded-For from loopback."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.proxied = cls.start_server(IPX_TRUSTED_PROXIES="127.0.0.1 ::1")
        cls.addClassCleanup(cls.proxied.stop)

    def test_forwarded_for_from_a_trusted_peer_names_the_caller(self):
        reply = ask("127.0.0.1", self.proxied.port,
                    extra_headers=["X-Forwarded-For: 198.51.100.7, 192.0.2.12"])
        self.assertAnswer(reply, b"192.0.2.12\n192.0.2.12\n")

    def test_invalid_forwarded_for_from_a_trusted_peer_is_a_server_error(self):
        reply = ask("127.0.0.1", self.proxied.port, extra_headers=["X-Forwarded-For: bogus"])
        self.assertEqual(reply.status, "500 Internal Server Error")
        self.assertEqual(reply.header("Cache-Control"), "no-store")
        self.assertEqual(reply.body, b"no valid client address\n")
