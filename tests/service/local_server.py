"""A throwaway web server from servers/*-local.sh, in its own folder on a free port."""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SERVERS = os.path.join(HERE, "servers")
LOOPBACK = "127.0.0.1 ::1"


def free_port():
    return int(subprocess.check_output(
        ["/usr/bin/python3", os.path.join(HERE, "free_port.py"), "tcp"], text=True))


def host_has_ipv6_loopback():
    try:
        with open("/proc/net/if_inet6", encoding="ascii") as interfaces:
            return any(line.startswith("0" * 31 + "1 ") for line in interfaces)
    except OSError:
        return False


class StartFailed(Exception):
    """The helper did not get its server to answer; .output is what it said."""

    def __init__(self, output):
        super().__init__(output)
        self.output = output


class LocalServer:
    """SCRIPT start DIR PORT ARGUMENT...; stopped by its pid files whatever happens. Its
    ipx.cgi asks the test's dnsmasq; environment adds IPX_ settings and REAL_IP_FROM.
    With static_probe the helper waits for a static file instead of a 200 from ipx.cgi,
    for a program that is not to answer. With certificates, a folder that holds
    fullchain.pem and privkey.pem, it serves https too, on .tls_port."""

    def __init__(self, script, arguments, work_parent, environment, static_probe=False,
                 certificates=None):
        self.dir = tempfile.mkdtemp(prefix=script.split("-")[0] + ".", dir=work_parent)
        self.script = os.path.join(SERVERS, script)
        self.tls_port = None
        try:
            self.port = free_port()
            env = dict(os.environ, IPX_DNS_SERVER=os.environ["IPX_TEST_DNS_SERVER"])
            if certificates:
                self.tls_port = free_port()
                while self.tls_port == self.port:
                    self.tls_port = free_port()
                env.update(TLS_PORT=str(self.tls_port), TLS_CERTIFICATE_DIR=certificates)
            env.update(environment)
            if static_probe:
                os.makedirs(self.file("www"))
                with open(self.file("www/ready.txt"), "w", encoding="ascii") as ready:
                    ready.write("ready\n")
                env["LOCAL_SERVER_PROBE"] = "/ready.txt"
            started = subprocess.run([self.script, "start", self.dir, str(self.port), *arguments],
                                     env=env, stderr=subprocess.PIPE, text=True, check=False)
            sys.stderr.write(started.stderr)
            if started.returncode != 0:
                raise StartFailed(started.stderr)
        except BaseException:
            self.stop()
            raise

    def file(self, name):
        return os.path.join(self.dir, name)

    def stop(self):
        subprocess.run([self.script, "stop", self.dir], check=False)
        shutil.rmtree(self.dir, ignore_errors=True)
