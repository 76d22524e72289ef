"""ipx.cgi behind a web server on loopback, started with the shipped configuration,
checked over raw HTTP.

    web_server_test.py lighttpd|nginx|apache cgi|fastcgi IPX_CGI_PATH WORK_PARENT_DIR [tls]

With tls, the server serves https beside plain http, with the shipped TLS file, and the
checks run over https instead.

Run through with-test-dns.sh: the answers name loopback.kestrin.test, which only the
test's dnsmasq knows, so they also show that IPX_DNS_SERVER reaches ipx.cgi.
"""
import os
import shutil
import sys
import tempfile
import unittest

from local_server import LOOPBACK, LocalServer
from service_checks import (LOOPBACK_ANSWER, ODD_LOOKUPS, PROXIED_ANSWER, SERVER_ERROR,
                            ProxyChecks, RateLimitChecks, ServiceChecks, SlowConnectionChecks,
                            WebServerChecks)
from tls_checks import OverHttps, TlsChecks

# Each server's helper, what it answers itself before ipx.cgi runs, and what ipx.cgi
# trusting the proxy itself answers when another spelling of X-Forwarded-For comes beside
# the proxy's own, and when it comes alone (None: not checked).
SERVERS = {
    # lighttpd wants a length for a body it might have to pass on, and knows its methods;
    # it passes X_Forwarded_For to a program under the same name as X-Forwarded-For.
    "lighttpd": ("lighttpd-local.sh", {"POST without a length": "411 Length Required",
                                       "an unknown method": "501 Not Implemented"},
                 SERVER_ERROR, None),
    # nginx never passes TRACE on, nor a header name with an underscore or a dot.
    "nginx": ("nginx-local.sh", {"TRACE": "405 Not Allowed"}, PROXIED_ANSWER, LOOPBACK_ANSWER),
    # Debian's Apache has TraceEnable Off; it drops such names from a program's variables.
    "apache": ("apache-local.sh", {"TRACE": "405 Method Not Allowed"}, PROXIED_ANSWER,
               LOOPBACK_ANSWER),
}

SERVER, MODE, IPX_CGI, WORK_PARENT = sys.argv[1:5]
OVER_TLS = sys.argv[5:] == ["tls"]
SCRIPT, ANSWERS, IPX_ALIASES_ANSWER, IPX_ALIAS_ALONE_ANSWER = SERVERS[SERVER]


class ThisServer:
    """The web server under test, in the shipped set-up with the given changes."""
    work_parent = WORK_PARENT
    certificates = None

    @classmethod
    def start_server(cls, static_probe=False, program=IPX_CGI, **environment):
        return LocalServer(SCRIPT, [MODE, program], WORK_PARENT, environment, static_probe,
                           cls.certificates and cls.certificates.dir)


# lighttpd refuses a body with GET or HEAD, and control characters in the query.
REFUSES = dict.fromkeys(ODD_LOOKUPS, "400 Bad Request") if SERVER == "lighttpd" else {}


class ServiceOverHttp(ThisServer, ServiceChecks, unittest.TestCase):
    server_answers = ANSWERS
    server_refuses = REFUSES


class BehindAProxy(ThisServer, ProxyChecks, unittest.TestCase):
    """As shipped: the web server's real-IP file trusts the proxy."""
    proxy_setting = {"REAL_IP_FROM": LOOPBACK}
    aliases_answer = PROXIED_ANSWER
    alias_alone_answer = LOOPBACK_ANSWER
    # The real-IP modules keep the proxy as the caller.
    nameless_answer = LOOPBACK_ANSWER


class BehindAProxyThatIpxCgiTrusts(ThisServer, ProxyChecks, unittest.TestCase):
    """For web servers without a real-IP module: ipx.cgi trusts the proxy itself."""
    proxy_setting = {"IPX_TRUSTED_PROXIES": LOOPBACK}
    aliases_answer = IPX_ALIASES_ANSWER
    alias_alone_answer = IPX_ALIAS_ALONE_ANSWER
    nameless_answer = SERVER_ERROR


class WebServer(ThisServer, WebServerChecks, unittest.TestCase):
    remembers_callers = MODE == "fastcgi"

    def program_that_never_answers(self):
        # A CGI program that waits without a word, or a FastCGI one that never accepts.
        folder = tempfile.mkdtemp(dir=WORK_PARENT)
        self.addCleanup(shutil.rmtree, folder)
        os.chmod(folder, 0o755)
        path = os.path.join(folder, "never-answers.cgi")
        with open(path, "w", encoding="ascii") as program:
            program.write("#!/bin/sh\nexec sleep 20\n")
        os.chmod(path, 0o755)
        return path


@unittest.skipUnless(SERVER == "nginx", "lighttpd and Apache have no rate limit of their own")
class RateLimit(ThisServer, RateLimitChecks, unittest.TestCase):
    pass


class ServiceOverHttps(OverHttps, ThisServer, ServiceChecks, TlsChecks, unittest.TestCase):
    server_answers = ANSWERS
    server_refuses = REFUSES


class BehindAProxyOverHttps(OverHttps, BehindAProxy):
    pass


class BehindAProxyThatIpxCgiTrustsOverHttps(OverHttps, BehindAProxyThatIpxCgiTrusts):
    pass


class SlowConnections(ThisServer, SlowConnectionChecks, unittest.TestCase):
    # nginx's limit_conn of the shipped files; the others have no cap per address.
    slow_bodies_let_in = 20 if SERVER == "nginx" else None


OVER_HTTPS = [ServiceOverHttps, BehindAProxyOverHttps, BehindAProxyThatIpxCgiTrustsOverHttps]
OVER_HTTP = [ServiceOverHttp, BehindAProxy, BehindAProxyThatIpxCgiTrusts, WebServer, RateLimit,
             SlowConnections]

if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + [case.__name__ for case in
                                       (OVER_HTTPS if OVER_TLS else OVER_HTTP)],
                  verbosity=2)
