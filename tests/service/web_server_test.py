"""ipx.cgi behind a web server on loopback, started with the shipped configuration,
checked over raw HTTP.

    web_server_test.py lighttpd|nginx|apache cgi|fastcgi IPX_CGI_PATH WORK_PARENT_DIR

Run through with-test-dns.sh: the answers name loopback.kestrin.test, which only the
test's dnsmasq knows, so they also show that IPX_DNS_SERVER reaches ipx.cgi.
"""
import os
import sys
import unittest

from local_server import LocalServer
from service_checks import (RateLimitChecks, ServiceChecks, ServiceTrustChecks,
                            TrustedProxyChecks, WebServerChecks)

# Each server's helper, what it answers itself before ipx.cgi runs, and what ipx.cgi
# trusting the peer answers to an X-Forwarded-For spelled another way beside the real one.
SERVERS = {
    # lighttpd wants a length for a body it might have to pass on, and knows its methods;
    # it passes X_Forwarded_For under the same name as X-Forwarded-For.
    "lighttpd": ("lighttpd-local.sh", {"POST without a length": "411 Length Required",
                                       "an unknown method": "501 Not Implemented"}, None),
    # nginx never passes TRACE on, nor a header name with an underscore or a dot.
    "nginx": ("nginx-local.sh", {"TRACE": "405 Not Allowed"}, ServiceTrustChecks.aliases_answer),
    # Debian's Apache has TraceEnable Off; it drops such names from a program's variables.
    "apache": ("apache-local.sh", {"TRACE": "405 Method Not Allowed"},
               ServiceTrustChecks.aliases_answer),
}

SERVER, MODE, IPX_CGI, WORK_PARENT = sys.argv[1:5]
SCRIPT, ANSWERS, ALIASES_ANSWER = SERVERS[SERVER]


def start_server(static_probe=False, program=IPX_CGI, **environment):
    return LocalServer(SCRIPT, [MODE, program], WORK_PARENT, environment, static_probe)


class ServiceOverHttp(ServiceChecks, TrustedProxyChecks, ServiceTrustChecks, unittest.TestCase):
    server_answers = ANSWERS
    aliases_answer = ALIASES_ANSWER
    start_server = staticmethod(start_server)


class WebServer(WebServerChecks, unittest.TestCase):
    start_server = staticmethod(start_server)

    def program_that_never_answers(self):
        # A CGI program that waits without a word, or a FastCGI one that never accepts.
        path = os.path.join(WORK_PARENT, "never-answers.cgi")
        with open(path, "w", encoding="ascii") as program:
            program.write("#!/bin/sh\nexec sleep 20\n")
        os.chmod(path, 0o755)
        return path


@unittest.skipUnless(SERVER == "nginx", "lighttpd and Apache have no rate limit of their own")
class RateLimit(RateLimitChecks, unittest.TestCase):
    start_server = staticmethod(start_server)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
