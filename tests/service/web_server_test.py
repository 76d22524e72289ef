"""ipx.cgi behind a web server on loopback, started with the shipped configuration,
checked over raw HTTP.

    web_server_test.py lighttpd|nginx|apache cgi|fastcgi IPX_CGI_PATH WORK_PARENT_DIR

Run through with-test-dns.sh: the answers name loopback.kestrin.test, which only the
test's dnsmasq knows, so they also show that IPX_DNS_SERVER reaches ipx.cgi.
"""
import sys
import unittest

from local_server import LocalServer
from service_checks import ServiceChecks, TrustedProxyChecks

# Each server's helper, and what it answers itself before ipx.cgi runs.
SERVERS = {
    # lighttpd wants a length for a body it might have to pass on, and knows its methods.
    "lighttpd": ("lighttpd-local.sh", {"POST without a length": "411 Length Required",
                                       "an unknown method": "501 Not Implemented"}),
    # nginx never passes TRACE on.
    "nginx": ("nginx-local.sh", {"TRACE": "405 Not Allowed"}),
    # Debian's Apache has TraceEnable Off.
    "apache": ("apache-local.sh", {"TRACE": "405 Method Not Allowed"}),
}

SERVER, MODE, IPX_CGI, WORK_PARENT = sys.argv[1:5]
SCRIPT, ANSWERS = SERVERS[SERVER]


class ServiceOverHttp(ServiceChecks, TrustedProxyChecks, unittest.TestCase):
    server_answers = ANSWERS

    @classmethod
    def start_server(cls, **environment):
        return LocalServer(SCRIPT, [MODE, IPX_CGI], WORK_PARENT, environment)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
