"""What the attacks of honest_callers.py send, and the lean HTTP client that sends it: a
new connection for each request, through the trusted proxy's X-Forwarded-For. Run as a
program, one load process of an attack:

    flood.py PORT PLAN RATE SECONDS START WORKER WORKERS

sends PLAN's requests number WORKER, WORKER + WORKERS, ... on the schedule of RATE
requests a second in all, from START (a time.monotonic() value, which all processes
share) for SECONDS, and prints one line of key=value pairs: how many it sent, and how
many got 200, 429 or anything else (no answer included).
"""
import asyncio
import resource
import sys
import time

# Far past any answer ipx.cgi gives; a request still waiting then has failed.
REQUEST_LIMIT = 15
# How long the sender sleeps between its batches: requests due meanwhile go together.
SEND_STEP = 0.002

WARMED_NETWORKS = 1500
LATE_NETWORKS = 300
SPREAD_NETWORKS = 20000
FLUSH_NETWORKS = 40000


def warmed_address(network, host):
    """Of 1,500 networks, every third a /24 of 198.18.0.0/16 or 198.19.0.0/16 (500 in
    all), the others a /64 of 2001:db8:a::/48 (1,000)."""
    network %= WARMED_NETWORKS
    if network % 3 == 2:
        v4 = network // 3
        return "198.%d.%d.%d" % (18 + v4 % 2, v4 // 2, host)
    return "2001:db8:a:%x::%x" % (network // 3 * 2 + network % 3, host)


def warmed_flood(i):
    # Host 1 of each network asked in the warm phase; the flood asks from the others.
    return warmed_address(i, 2 + i // WARMED_NETWORKS % 253)


def late_flood(i):
    """300 /64s of 2001:db8:b::/48, a new address each time."""
    return "2001:db8:b:%x::%x" % (i % LATE_NETWORKS, i // LATE_NETWORKS + 1)


def spread_flood(i):
    """Of 20,000 networks, every fourth a /24 of 64 /16s (100.64.0.0/10: 5,000 in all),
    the others a /64 of 64 /48s (2001:db8:c000::/42: 15,000)."""
    network, host = i % SPREAD_NETWORKS, i // SPREAD_NETWORKS % 254 + 1
    if network % 4 == 3:
        v4 = network // 4
        return "100.%d.%d.%d" % (64 + v4 % 64, v4 // 64, host)
    v6 = network // 4 * 3 + network % 4
    return "2001:db8:c0%02x:%x::%x" % (v6 % 64, v6 // 64, host)


def flush_flood(i):
    """40,000 /64s of 64 /48s (2001:db8:d000::/42)."""
    network = i % FLUSH_NETWORKS
    return "2001:db8:d0%02x:%x::1" % (network % 64, network // 64)


PLANS = {"warmed": warmed_flood, "late": late_flood, "spread": spread_flood,
         "flush": flush_flood}


def request(address):
    return ("GET /cgi-bin/ipx.cgi HTTP/1.0\r\nHost: ipx.test\r\n"
            "X-Forwarded-For: %s\r\n\r\n" % address).encode()


class Exchange(asyncio.Protocol):
    """One request on a connection of its own; done gets the whole reply once the server
    closes, or None when the connection fails."""

    def __init__(self, data, done):
        self.data, self.done, self.chunks = data, done, []

    def connection_made(self, transport):
        transport.write(self.data)

    def data_received(self, data):
        self.chunks.append(data)

    def connection_lost(self, exc):
        if not self.done.done():
            self.done.set_result(None if exc else b"".join(self.chunks))


async def exchange(port, address):
    """The reply to one request from address (None when none came in REQUEST_LIMIT)."""
    loop = asyncio.get_running_loop()
    done = loop.create_future()
    # Cancelling the task, not the future, also ends a connect that the server never takes.
    give_up = loop.call_later(REQUEST_LIMIT, asyncio.current_task().cancel)
    transport = None
    try:
        transport, _ = await loop.create_connection(
            lambda: Exchange(request(address), done), "127.0.0.1", port)
        return await done
    except (OSError, asyncio.CancelledError):
        return None
    finally:
        give_up.cancel()
        if transport:
            transport.abort()


def status(reply):
    """The reply's status code; 0 for none."""
    if reply is None or not reply.startswith(b"HTTP/1.") or len(reply) < 12:
        return 0
    return int(reply[9:12])


class Tally:
    def __init__(self):
        self.sent = self.ok = self.limited = self.failed = 0

    def count(self, code):
        if code == 200:
            self.ok += 1
        elif code == 429:
            self.limited += 1
        else:
            self.failed += 1

    def pairs(self):
        return "sent=%d ok=%d limited=%d failed=%d" % (self.sent, self.ok, self.limited,
                                                      self.failed)


async def ask_counted(port, address, tally):
    tally.count(status(await exchange(port, address)))


async def flood(port, plan, rate, seconds, start, worker, workers):
    """Sends this worker's share of the schedule until start + seconds; returns the tally
    once every answer is in."""
    tally, running = Tally(), set()
    loop = asyncio.get_running_loop()
    end, offset = start + seconds, worker / rate
    while (now := time.monotonic()) < end:
        due = int(max(0, now - start - offset) * rate / workers) + (now >= start + offset)
        while tally.sent < due:
            task = loop.create_task(ask_counted(port, plan(worker + tally.sent * workers), tally))
            running.add(task)
            task.add_done_callback(running.discard)
            tally.sent += 1
        await asyncio.sleep(SEND_STEP)
    if running:
        await asyncio.wait(running)
    return tally


def raise_open_files():
    """Up to rate × REQUEST_LIMIT connections may be open when the server stops answering."""
    _, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))


def main():
    port, plan, rate, seconds, start = sys.argv[1:6]
    worker, workers = int(sys.argv[6]), int(sys.argv[7])
    raise_open_files()
    tally = asyncio.run(flood(int(port), PLANS[plan], float(rate), float(seconds), float(start),
                              worker, workers))
    print(tally.pairs(), flush=True)


if __name__ == "__main__":
    main()
