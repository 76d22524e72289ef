"""ipx.cgi over https: test certificates that openssl makes in the test's work folder,
clients that check them, and the checks every server's TLS set-up must pass, as mixins
for unittest.TestCase."""
import os
import shutil
import socket
import ssl
import subprocess
import tempfile
import threading
import warnings

from http_client import ask
from local_server import host_has_ipv6_loopback
from service_checks import AnswerAssertions

LEAF_EXTENSIONS = """subjectAltName = DNS:localhost, IP:127.0.0.1, IP:::1
basicConstraints = CA:FALSE
extendedKeyUsage = serverAuth
"""


def legacy_only(context):
    """The context made to speak TLS 1.0 and 1.1 alone. Debian's OpenSSL speaks them only
    at security level 0, and only when a context asks for them in so many words."""
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        context.minimum_version = ssl.TLSVersion.TLSv1
        context.maximum_version = ssl.TLSVersion.TLSv1_1
    context.set_ciphers("DEFAULT:@SECLEVEL=0")
    return context


class TestCertificates:
    """A test CA, and a leaf it signed for localhost, 127.0.0.1 and ::1, in a folder of
    their own; the leaf and its key are named as certbot names them."""

    def __init__(self, work_parent):
        self.dir = tempfile.mkdtemp(prefix="tls.", dir=work_parent)
        try:
            self._make()
        except BaseException:
            self.remove()
            raise

    def file(self, name):
        return os.path.join(self.dir, name)

    def _openssl(self, *arguments):
        subprocess.run(["openssl", *arguments], cwd=self.dir, check=True, capture_output=True)

    def _make(self):
        new_key = ("-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes")
        self._openssl("req", "-x509", *new_key, "-keyout", "ca.key", "-out", "ca.pem",
                      "-days", "2", "-subj", "/CN=ipx test CA")
        self._openssl("req", "-new", *new_key, "-keyout", "privkey.pem", "-out", "leaf.csr",
                      "-subj", "/CN=localhost")
        with open(self.file("leaf.ext"), "w", encoding="ascii") as extensions:
            extensions.write(LEAF_EXTENSIONS)
        self._openssl("x509", "-req", "-in", "leaf.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                      "-set_serial", "1", "-days", "2", "-extfile", "leaf.ext",
                      "-out", "fullchain.pem")

    def client(self, version=None):
        """Trusts the test CA alone and checks the host name; with version, speaks that
        TLS version and no other."""
        context = ssl.create_default_context(cafile=self.file("ca.pem"))
        if version:
            context.minimum_version = context.maximum_version = version
        return context

    def legacy_client(self):
        """Offers TLS 1.0 and 1.1 alone."""
        return legacy_only(self.client())

    def legacy_server(self):
        context = legacy_only(ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER))
        context.load_cert_chain(self.file("fullchain.pem"), self.file("privkey.pem"))
        return context

    def remove(self):
        shutil.rmtree(self.dir, ignore_errors=True)


def legacy_version_agreed(certificates):
    """The version the legacy client agrees on with a loopback server that allows TLS 1.0
    and 1.1: that the client really asks for them, so that a refusal is the server's."""
    server = certificates.legacy_server()
    with socket.create_server(("127.0.0.1", 0)) as listener:
        listener.settimeout(10)

        def handshake_once():
            connection, _ = listener.accept()
            with server.wrap_socket(connection, server_side=True):
                pass

        thread = threading.Thread(target=handshake_once)
        thread.start()
        try:
            with socket.create_connection(listener.getsockname(), timeout=10) as plain, \
                    certificates.legacy_client().wrap_socket(
                        plain, server_hostname="127.0.0.1") as connection:
                return connection.version()
        finally:
            thread.join()


class OverHttps:
    """First among a check class's bases: the servers it starts serve https too, with
    test certificates of their own (.certificates), and its checks ask over https. The
    class provides work_parent."""

    @classmethod
    def setUpClass(cls):
        cls.certificates = TestCertificates(cls.work_parent)
        cls.addClassCleanup(cls.certificates.remove)
        cls.tls = cls.certificates.client()
        super().setUpClass()


class TlsChecks(AnswerAssertions):
    """For a class that is OverHttps and has started .server: what its TLS port takes and
    refuses, and that plain http still answers beside it; caller_answer is what the
    caller gets over IPv4."""

    def callers(self):
        """(host, source, answer) for each loopback the server listens on."""
        yield "127.0.0.1", self.caller, self.caller_answer
        if host_has_ipv6_loopback():
            yield "::1", None, b"::1\nloopback.kestrin.test\n"

    def test_tls_1_2_and_1_3_each_give_the_answer_over_ipv4_and_ipv6(self):
        for host, source, answer in self.callers():
            for version in (ssl.TLSVersion.TLSv1_2, ssl.TLSVersion.TLSv1_3):
                with self.subTest(host=host, version=version.name):
                    reply = ask(host, self.server.tls_port, source=source,
                                tls=self.certificates.client(version))
                    self.assertAnswer(reply, answer)

    def test_tls_1_1_and_older_are_refused_over_ipv4_and_ipv6(self):
        self.assertEqual(legacy_version_agreed(self.certificates), "TLSv1.1")
        for host, source, _ in self.callers():
            with self.subTest(host=host):
                with self.assertRaises(ssl.SSLError) as refused:
                    ask(host, self.server.tls_port, source=source,
                        tls=self.certificates.legacy_client())
                self.assertEqual(refused.exception.reason, "TLSV1_ALERT_PROTOCOL_VERSION")

    def test_plain_http_still_answers_beside_it_over_ipv4_and_ipv6(self):
        for host, source, answer in self.callers():
            with self.subTest(host=host):
                self.assertAnswer(ask(host, self.server.port, source=source), answer)
