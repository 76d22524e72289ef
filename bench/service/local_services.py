"""What the service benches share: the servers they start with tests/service/servers/, in
a folder of their own, and a measurement run between their start and their stop."""
import asyncio
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SERVERS = os.path.join(ROOT, "tests", "service", "servers")
FREE_PORT = os.path.join(ROOT, "tests", "service", "free_port.py")


def free_port(kind):
    return int(subprocess.check_output([sys.executable, FREE_PORT, kind], text=True))


class LocalServices:
    """Servers started by run(), each stopped by stop() in the reverse order, which then
    removes their folder, a new one under work."""

    def __init__(self, prefix, work):
        self.work, self.started = tempfile.mkdtemp(prefix=prefix, dir=work), []
        # The web server's workers, www-data when started by root, must reach it.
        os.chmod(self.work, 0o755)

    def run(self, script, folder, *arguments):
        self.started.append((script, os.path.join(self.work, folder)))
        subprocess.run([os.path.join(SERVERS, script), "start", self.started[-1][1], *arguments],
                       check=True, stdout=subprocess.DEVNULL)

    def stop(self):
        for script, folder in reversed(self.started):
            subprocess.run([os.path.join(SERVERS, script), "stop", folder], check=False)
        shutil.rmtree(self.work, ignore_errors=True)


def print_measured(start_services, measure):
    """Starts the services, prints what the coroutine measure(services) gives, a dict, as
    one line of key=value pairs, and stops them whatever happens."""
    services = None
    try:
        services = start_services()
        result = asyncio.run(measure(services))
    finally:
        if services:
            services.stop()
    print(" ".join("%s=%s" % item for item in result.items()))
