"""Slow connections against a victim, on loopback: from one address, HELD requests whose
headers never end (another header line every 5 s) and HELD bodies that never end
(another byte every 5 s), each opened again a second after the server closes it, and
beside them a victim that asks every quarter second, as in starve.py, through the
trusted proxy's X-Forwarded-For.

    slow_connections.py SERVER MODE IPX_CGI WORK_DIR [HELD [SECONDS]]

SERVER MODE as for tests/service/servers/SERVER-local.sh. It starts and stops its servers
as starve.py does. Prints one line of key=value pairs; times in seconds; opened counts the
slow connections opened in all.
"""
import asyncio
import os
import signal
import statistics
import sys
import time

from local_services import print_measured
from starve import VICTIM, VICTIM_DOMAIN, Services, answered, ask

SLOW_CALLER = "127.0.0.2"
TRICKLE_EVERY = 5
REOPEN_AFTER = 1
# The slow connections are opened over this many seconds before the victim starts.
RAMP = 3


class SlowCaller:
    def __init__(self, port, deadline):
        self.port, self.deadline = port, deadline
        self.opened = self.held = 0

    async def hold(self, first, more):
        """One slot: a connection that sends first, then more every TRICKLE_EVERY seconds
        until the server closes it; then another, until the deadline."""
        while time.monotonic() < self.deadline:
            try:
                reader, writer = await asyncio.open_connection(
                    "127.0.0.1", self.port, local_addr=(SLOW_CALLER, 0))
            except OSError:
                await asyncio.sleep(REOPEN_AFTER)
                continue
            self.opened += 1
            self.held += 1
            try:
                writer.write(first)
                await self.trickle(reader, writer, more)
            except OSError:
                pass
            finally:
                self.held -= 1
                writer.close()
            await asyncio.sleep(REOPEN_AFTER)

    async def trickle(self, reader, writer, more):
        while (left := self.deadline - time.monotonic()) > 0:
            try:
                if not await asyncio.wait_for(reader.read(4096), min(left, TRICKLE_EVERY)):
                    return
            except asyncio.TimeoutError:
                writer.write(more)


async def victim(port, start, seconds, waits):
    await asyncio.sleep(max(0, start - time.monotonic()))
    i = 0
    while time.monotonic() - start < seconds:
        i += 1
        address = VICTIM % (i % 250 + 1)
        wait, reply = await ask(port, address)
        name = "%s.%s" % (address.replace(".", "-"), VICTIM_DOMAIN)
        waits.append((wait, answered(reply, address, name) or answered(reply, address)))
        await asyncio.sleep(max(0, 0.25 - wait))


async def measure(port, held, seconds):
    start = time.monotonic()
    deadline = start + RAMP + seconds
    slow = SlowCaller(port, deadline)
    half_sent = (b"GET /cgi-bin/ipx.cgi HTTP/1.1\r\nHost: ipx.test\r\n", b"X-Slow: 1\r\n")
    body = (b"POST /cgi-bin/ipx.cgi HTTP/1.1\r\nHost: ipx.test\r\nContent-Length: 1000\r\n"
            b"\r\nx", b"x")

    async def slot(i, request):
        await asyncio.sleep(RAMP * i / held)
        await slow.hold(*request)

    waits = []
    await asyncio.gather(*(slot(i, request) for i in range(held) for request in (half_sent, body)),
                         victim(port, start + RAMP, seconds, waits))
    times = [wait for wait, _ in waits]
    return {
        "held": held, "seconds": seconds, "opened": slow.opened,
        "victim_requests": len(waits), "victim_failed": sum(1 for _, ok in waits if not ok),
        "victim_longest": "%.3f" % max(times), "victim_median": "%.3f" % statistics.median(times),
    }


def main():
    server, mode, program, work = sys.argv[1:5]
    held = int(sys.argv[5]) if len(sys.argv) > 5 else 2000
    seconds = float(sys.argv[6]) if len(sys.argv) > 6 else 30
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    print_measured(lambda: Services(server, mode, os.path.abspath(program), work),
                   lambda services: measure(services.port, held, seconds))


if __name__ == "__main__":
    main()
