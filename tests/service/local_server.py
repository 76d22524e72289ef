"""A throwaway web server from service/*-local.sh, in its own folder on a free port."""
import os
import shutil
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SERVICE = os.path.join(HERE, "..", "..", "service")


def free_port():
    return int(subprocess.check_output(
        ["/usr/bin/python3", os.path.join(HERE, "free_port.py"), "tcp"], text=True))


def host_has_ipv6_loopback():
    try:
        with open("/proc/net/if_inet6", encoding="ascii") as interfaces:
            return any(line.startswith("0" * 31 + "1 ") for line in interfaces)
    except OSError:
        return False


class LocalServer:
    """SCRIPT start DIR PORT ARGUMENT...; stopped by its pid files whatever happens. Its
    ipx.cgi asks the test's dnsmasq; environment adds IPX_ settings."""

    def __init__(self, script, arguments, work_parent, environment):
        self.dir = tempfile.mkdtemp(prefix=script.split("-")[0] + ".", dir=work_parent)
        self.script = os.path.join(SERVICE, script)
        self.port = free_port()
        env = dict(os.environ, IPX_DNS_SERVER=os.environ["IPX_TEST_DNS_SERVER"], **environment)
        try:
            subprocess.run([self.script, "start", self.dir, str(self.port), *arguments],
                           env=env, check=True)
        except BaseException:
            self.stop()
            raise

    def file(self, name):
        return os.path.join(self.dir, name)

    def stop(self):
        subprocess.run([self.script, "stop", self.dir], check=False)
        shutil.rmtree(self.dir, ignore_errors=True)
