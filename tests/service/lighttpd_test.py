"""ipx.cgi behind a lighttpd on loopback, checked over raw HTTP.

    lighttpd_test.py cgi|fastcgi IPX_CGI_PATH WORK_PARENT_DIR

Run through with-test-dns.sh: the answers name loopback.kestrin.test, which only the
test's dnsmasq knows, so they also show that IPX_DNS_SERVER reaches ipx.cgi.
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
LIGHTTPD_LOCAL = os.path.join(HERE, "..", "..", "service", "lighttpd-local.sh")
PATH = "/cgi-bin/ipx.cgi"
CONTENT_TYPE = "text/plain; charset=us-ascii"
HOST_NAME = b"loopback.kestrin.test"

MODE, IPX_CGI, WORK_PARENT = sys.argv[1:4]


def free_port():
    return int(subprocess.check_output(
        ["/usr/bin/python3", os.path.join(HERE, "free_port.py"), "tcp"], text=True))


class Reply:
    def __init__(self, raw):
        head, _, self.body = raw.partition(b"\r\n\r\n")
        lines = head.decode("ascii").split("\r\n")
        self.status = lines[0]
        self.headers = [tuple(part.strip() for part in line.split(":", 1)) for line in lines[1:]]

    def header(self, name):
        values = [value for key, value in self.headers if key.lower() == name.lower()]
        return values[0] if len(values) == 1 else values


def ask(host, port, method="GET", target=PATH, extra_headers=()):
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    request = "%s %s HTTP/1.0\r\nHost: ipx.test\r\n" % (method, target)
    request += "".join("%s\r\n" % header for header in extra_headers) + "\r\n"
    with socket.socket(family, socket.SOCK_STREAM) as connection:
        connection.settimeout(10)
        connection.connect((host, port))
        connection.sendall(request.encode("ascii"))
        chunks = []
        while chunk := connection.recv(65536):
            chunks.append(chunk)
    return Reply(b"".join(chunks))


class Server:
    """One lighttpd-local.sh instance; stopped by its pid file whatever happens."""

    def __init__(self, environment):
        self.dir = tempfile.mkdtemp(prefix="lighttpd.", dir=WORK_PARENT)
        self.port = free_port()
        env = dict(os.environ, IPX_DNS_SERVER=os.environ["IPX_TEST_DNS_SERVER"], **environment)
        try:
            subprocess.run([LIGHTTPD_LOCAL, "start", self.dir, str(self.port), MODE, IPX_CGI],
                           env=env, check=True)
        except BaseException:
            self.stop()
            raise

    def listens_on_ipv6(self):
        with open(os.path.join(self.dir, "lighttpd.conf"), encoding="ascii") as config:
            return "[::1]:%d" % self.port in config.read()

    def stop(self):
        subprocess.run([LIGHTTPD_LOCAL, "stop", self.dir], check=False)
        shutil.rmtree(self.dir, ignore_errors=True)


class ServiceOverHttp(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.direct = Server({})
        cls.addClassCleanup(cls.direct.stop)
        cls.proxied = Server({"IPX_TRUSTED_PROXIES": "127.0.0.1 ::1"})
        cls.addClassCleanup(cls.proxied.stop)

    def assertAnswer(self, reply, body):
        self.assertEqual(reply.status, "HTTP/1.0 200 OK")
        self.assertEqual(reply.header("Content-Type"), CONTENT_TYPE)
        self.assertEqual(reply.header("Cache-Control"), "no-store")
        self.assertEqual(reply.body, body)

    def test_get_over_ipv4_gives_address_and_confirmed_name(self):
        self.assertAnswer(ask("127.0.0.1", self.direct.port), b"127.0.0.1\n" + HOST_NAME + b"\n")

    def test_get_over_ipv6_gives_address_and_confirmed_name(self):
        if not self.direct.listens_on_ipv6():
            self.skipTest("no IPv6 loopback on this host")
        self.assertAnswer(ask("::1", self.direct.port), b"::1\n" + HOST_NAME + b"\n")

    def test_head_gives_the_same_headers_without_body(self):
        self.assertAnswer(ask("127.0.0.1", self.direct.port, method="HEAD"), b"")

    def test_query_string_changes_nothing(self):
        plain = ask("127.0.0.1", self.direct.port)
        for query in ("?", "?format=json", "?a=1&b=2", "?ip=192.0.2.10"):
            with self.subTest(query=query):
                reply = ask("127.0.0.1", self.direct.port, target=PATH + query)
                self.assertAnswer(reply, plain.body)

    def test_other_methods_get_405_with_allow(self):
        for method in ("POST", "PUT", "DELETE", "OPTIONS"):
            with self.subTest(method=method):
                reply = ask("127.0.0.1", self.direct.port, method=method,
                            extra_headers=["Content-Length: 0"])
                self.assertEqual(reply.status, "HTTP/1.0 405 Method Not Allowed")
                self.assertEqual(reply.header("Allow"), "GET, HEAD")
                self.assertEqual(reply.header("Content-Type"), CONTENT_TYPE)
                self.assertEqual(reply.header("Cache-Control"), "no-store")
                self.assertNotIn(b"127.0.0.1", reply.body)

    def test_forwarded_for_from_an_untrusted_peer_is_ignored(self):
        reply = ask("127.0.0.1", self.direct.port, extra_headers=["X-Forwarded-For: 192.0.2.10"])
        self.assertAnswer(reply, b"127.0.0.1\n" + HOST_NAME + b"\n")

    def test_forwarded_for_from_a_trusted_peer_names_the_caller(self):
        reply = ask("127.0.0.1", self.proxied.port,
                    extra_headers=["X-Forwarded-For: 198.51.100.7, 192.0.2.12"])
        self.assertAnswer(reply, b"192.0.2.12\n192.0.2.12\n")

    def test_invalid_forwarded_for_from_a_trusted_peer_is_a_server_error(self):
        reply = ask("127.0.0.1", self.proxied.port, extra_headers=["X-Forwarded-For: bogus"])
        self.assertEqual(reply.status, "HTTP/1.0 500 Internal Server Error")
        self.assertEqual(reply.header("Cache-Control"), "no-store")
        self.assertEqual(reply.body, b"no valid client address\n")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
