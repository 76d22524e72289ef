"""Honest callers' names under attack, on loopback: four victims that ask every 0.25 s,
one request at a time, beside one attack on ipx.cgi as FastCGI under SERVER, each
request through the trusted proxy's X-Forwarded-For (REAL_IP_FROM=127.0.0.1).

    honest_callers.py SERVER IPX_CGI WORK_DIR ROW [RATE [SECONDS]]

The victims: returning IPv4 and returning IPv6, one address each, asked three times (and
named) before the attack, which starts once their answers are no longer kept
(IPX_BENCH_RETURNING_AGE, 61 s); new IPv4, from a /24 never seen at each request
(10.7.0.0/16: 256 of them, enough for 64 s), and new IPv6, from a /64 never seen (2001:db8:6::/48). Their
reverse and forward names are dnsmasq's (--synth-domain). The attack zones go to
dns_responder.py. ROW is one of:
  warmed     1,000 /64s of one /48 and 500 /24s of two /16s each ask once while their
             DNS answers at once; then it drops their queries and they send RATE
             requests a second for SECONDS
  late       300 /64s of one /48 whose DNS answers after 1.5 s send RATE a second
  spread     15,000 /64s of 64 /48s and 5,000 /24s of 64 /16s, DNS dropped, RATE a second
  burst      50 requests at once from one new address whose DNS answers
  flush      the returning victims named; FLUSH requests from distinct /64s whose DNS
             answers at once, as fast as the harness goes up to FLUSH / FLUSH_SECONDS a
             second; then spread, with the victims measured during it
  neighbours three other addresses of the returning IPv4 victim's /24, whose reverse
             DNS never answers, ask 22 times over NEIGHBOURS_SECONDS; the returning
             victims measured meanwhile
Under a flood the victims are measured for SECONDS from ATTACK_RAMP (2 s) after its
start; it goes on that much longer. IPX_BENCH_FLUSH_REQUESTS (40000),
IPX_BENCH_FLUSH_SECONDS (50) and
IPX_BENCH_NEIGHBOURS_SECONDS (110) set those. Defaults: RATE 300, SECONDS 30.
It starts its own dnsmasq, DNS responder, web server and load processes (one for each
FLOOD_RATE requests a second) and stops each by its pid, whatever happens. Prints one
line of key=value pairs; times in seconds, shares of 1.
"""
import asyncio
import ipaddress
import math
import os
import signal
import subprocess
import sys
import time

import flood
from local_services import LocalServices, free_port, print_measured

HERE = os.path.dirname(os.path.abspath(__file__))

HONEST_DOMAIN = "honest.kestrin.test"
RETURNING_V4 = "198.51.100.10"
RETURNING_V6 = "2001:db8:5::10"
NEIGHBOURS = ("198.51.100.201", "198.51.100.202", "198.51.100.203")
BURST_CALLER = "192.0.2.77"
PRIMING_POLLS = 3
# The ranges whose names dnsmasq makes up: the victims' and the burst's; the returning
# IPv4 victim's /24 without its silent neighbours.
HONEST_RANGES = ("198.51.100.1,198.51.100.199", "2001:db8:5::/48", "10.7.0.0/16",
                 "2001:db8:6::/48", "192.0.2.0/24")
HONEST_ZONES = ("100.51.198.in-addr.arpa", "7.10.in-addr.arpa", "2.0.192.in-addr.arpa",
                "5.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa", "6.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa")
# What dns_responder.py serves: the attacks' reverse zones (see flood.py) and the
# neighbours' own reverse names.
ATTACK_ZONES = ("18.198.in-addr.arpa", "19.198.in-addr.arpa", "100.in-addr.arpa",
                "a.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa", "b.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa",
                "0.c.8.b.d.0.1.0.0.2.ip6.arpa", "0.d.8.b.d.0.1.0.0.2.ip6.arpa",
                *(ipaddress.ip_address(a).reverse_pointer for a in NEIGHBOURS))
# The responder's PTR answers name a host dnsmasq says does not exist, at once: an answer
# in time that confirms nothing.
ATTACK_PTR = "unconfirmed.kestrin.test"

VICTIM_EVERY = 0.25
LATE_ANSWER = 1.5
WARM_AT_ONCE = 4
BURST = 50
NEIGHBOUR_REQUESTS = 22
# Requests a second one load process sends; the harness shares two cores with the service.
FLOOD_RATE = 600
# Time for the load processes to start before their first request is due.
FLOOD_LEAD = 1.0
# The victims start this long after the flood, once its lookups, each up to the 1.8 s DNS
# budget, fill whatever the gate lets them: a victim asking first would find it empty.
ATTACK_RAMP = 2.0


def host_name(address):
    """The name dnsmasq's --synth-domain gives address: its text with dashes for dots and
    colons."""
    text = ipaddress.ip_address(address).compressed
    return "%s.%s" % (text.replace(".", "-").replace(":", "-"), HONEST_DOMAIN)


def line_two(reply, address):
    """Line 2 of a 200 answer for address; None for any other answer."""
    if flood.status(reply) != 200:
        return None
    lines = reply.partition(b"\r\n\r\n")[2].decode("ascii", "replace").split("\n")
    if len(lines) < 2 or lines[0] != ipaddress.ip_address(address).compressed:
        return None
    return lines[1]


def failed(reply):
    """No answer, or neither 200 nor the rate limit's 429."""
    return flood.status(reply) not in (200, 429)


class Victim:
    """One honest caller: where each request comes from, and what it got."""

    def __init__(self, key, address_of):
        self.key, self.address_of = key, address_of
        self.waits, self.named, self.failed = [], 0, 0

    async def ask(self, port, i):
        address = self.address_of(i)
        start = time.monotonic()
        reply = await flood.exchange(port, address)
        wait = time.monotonic() - start
        self.waits.append(wait)
        self.named += line_two(reply, address) == host_name(address)
        self.failed += failed(reply)
        return wait

    async def run(self, port, start, seconds):
        await asyncio.sleep(max(0, start - time.monotonic()))
        i = 0
        while time.monotonic() - start < seconds:
            wait = await self.ask(port, i)
            i += 1
            await asyncio.sleep(max(0, VICTIM_EVERY - wait))

    def pairs(self):
        return {"%s_requests" % self.key: len(self.waits), "%s_named" % self.key: self.named,
                "%s_longest" % self.key: "%.3f" % max(self.waits, default=0),
                "%s_failed" % self.key: self.failed}


def returning_victims():
    return [Victim("returning4", lambda i: RETURNING_V4),
            Victim("returning6", lambda i: RETURNING_V6)]


def new_victims():
    return [Victim("new4", lambda i: "10.7.%d.%d" % (i % 256, i // 256 % 254 + 1)),
            Victim("new6", lambda i: "2001:db8:6:%x::1" % i)]


async def prime(port, victims):
    """Each returning victim asks PRIMING_POLLS times before the attack, as a caller that
    polls does; whether its last answer had its name."""
    primed = {}
    for victim in victims:
        address = victim.address_of(0)
        for _ in range(PRIMING_POLLS):
            reply = await flood.exchange(port, address)
        primed["%s_primed" % victim.key] = int(line_two(reply, address) == host_name(address))
    return primed


class Services(LocalServices):
    """dnsmasq, the DNS responder and the web server; stop() stops what was started, and a
    start that fails stops what it had started."""

    def __init__(self, server, program, work):
        super().__init__("honest.", work)
        self.responder = None
        try:
            self.start_responder()
            dns_port = free_port("udp")
            responder = "127.0.0.1#%d" % self.responder_port
            self.run("dnsmasq-local.sh", "dns", str(dns_port), "--dns-forward-max=10000",
                     "--local=/kestrin.test/",
                     *("--local=/%s/" % zone for zone in HONEST_ZONES),
                     *("--synth-domain=%s,%s" % (HONEST_DOMAIN, r) for r in HONEST_RANGES),
                     *("--server=/%s/%s" % (zone, responder) for zone in ATTACK_ZONES))
            self.port = free_port("tcp")
            os.environ.update(IPX_DNS_SERVER="127.0.0.1:%d" % dns_port, REAL_IP_FROM="127.0.0.1")
            self.run("%s-local.sh" % server, "web", str(self.port), "fastcgi", program)
        except BaseException:
            self.stop()
            raise

    def start_responder(self):
        self.responder = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "dns_responder.py"), ATTACK_PTR],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.responder_port = int(self.responder.stdout.readline())

    def attack_dns(self, command):
        """Tells the responder how to answer; returns once it does."""
        self.responder.stdin.write(command + "\n")
        self.responder.stdin.flush()
        if self.responder.stdout.readline().strip() != "ok":
            raise RuntimeError("the DNS responder did not take %r" % command)

    def stop(self):
        super().stop()
        if self.responder:
            stop_process(self.responder)


def stop_process(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Flood:
    """The load processes of one attack, started together on one schedule."""

    def __init__(self, port, plan, rate, seconds):
        self.rate, self.seconds = rate, seconds
        self.start = time.monotonic() + FLOOD_LEAD
        workers = max(1, math.ceil(rate / FLOOD_RATE))
        self.processes = [
            subprocess.Popen([sys.executable, os.path.join(HERE, "flood.py"), str(port), plan,
                              str(rate), str(seconds), repr(self.start), str(worker),
                              str(workers)], stdout=subprocess.PIPE, text=True)
            for worker in range(workers)]

    def results(self):
        """The tallies of all processes added up, once they are done."""
        total = {}
        for process in self.processes:
            output, _ = process.communicate()
            if process.returncode != 0:
                raise RuntimeError("a load process failed (status %d)" % process.returncode)
            for pair in output.split():
                key, value = pair.split("=")
                total[key] = total.get(key, 0) + int(value)
        return total

    def stop(self):
        for process in self.processes:
            stop_process(process)


async def attacked(services, victims, plan, rate, seconds, prefix="attack"):
    """The victims measured for seconds while plan floods, from ATTACK_RAMP after the
    flood began; the flood's counts and achieved rate."""
    ramp = ATTACK_RAMP if victims else 0
    load = Flood(services.port, plan, rate, ramp + seconds)
    try:
        await asyncio.gather(*(v.run(services.port, load.start + ramp, seconds) for v in victims))
        tally = await asyncio.get_running_loop().run_in_executor(None, load.results)
    finally:
        load.stop()
    measured = {"%s_%s" % (prefix, key): value for key, value in tally.items()}
    measured["%s_achieved" % prefix] = "%.0f" % (tally["sent"] / (ramp + seconds))
    return measured


async def warm(port, count):
    """Each warmed network asks once, a few at a time, while its DNS answers at once."""
    tally, queue = flood.Tally(), iter(range(count))

    async def asker():
        for network in queue:
            tally.sent += 1
            tally.count(flood.status(await flood.exchange(port, flood.warmed_address(network, 1))))

    await asyncio.gather(*(asker() for _ in range(WARM_AT_ONCE)))
    return {"warm_%s" % key: value for key, value in vars(tally).items()}


async def neighbours(port, seconds):
    """The silent neighbours' requests, evenly over the seconds; their failures."""
    start, failures = time.monotonic(), 0
    for i in range(NEIGHBOUR_REQUESTS):
        await asyncio.sleep(max(0, start + i * seconds / NEIGHBOUR_REQUESTS - time.monotonic()))
        failures += failed(await flood.exchange(port, NEIGHBOURS[i % len(NEIGHBOURS)]))
    return failures


async def burst(port):
    replies = await asyncio.gather(*(flood.exchange(port, BURST_CALLER) for _ in range(BURST)))
    names = [line_two(reply, BURST_CALLER) for reply in replies]
    return {"burst_named": names.count(host_name(BURST_CALLER)),
            "burst_unnamed": names.count(BURST_CALLER),
            "burst_limited": sum(flood.status(reply) == 429 for reply in replies),
            "burst_failed": sum(failed(reply) for reply in replies)}


async def measure(services, row, rate, seconds):
    port, measured = services.port, {}
    victims = [] if row == "burst" else returning_victims()
    measured.update(await prime(port, victims))
    # Past the minute an answer is kept, so that the returning victims show what the
    # service does for a caller it knows, not its cache.
    aged = time.monotonic() + float(os.environ.get("IPX_BENCH_RETURNING_AGE", 61))
    if row == "warmed":
        services.attack_dns("answer")
        measured.update(await warm(port, flood.WARMED_NETWORKS))
    if row == "flush":
        services.attack_dns("answer")
        count = int(os.environ.get("IPX_BENCH_FLUSH_REQUESTS", 40000))
        flush_seconds = float(os.environ.get("IPX_BENCH_FLUSH_SECONDS", 50))
        measured.update(await attacked(services, [], "flush", count / flush_seconds,
                                       flush_seconds, "flush"))
    if victims:
        await asyncio.sleep(max(0, aged - time.monotonic()))
    services.attack_dns("late %s" % LATE_ANSWER if row == "late" else "drop")
    if row == "burst":
        measured.update(await burst(port))
    elif row == "neighbours":
        seconds = float(os.environ.get("IPX_BENCH_NEIGHBOURS_SECONDS", 110))
        silent, *_ = await asyncio.gather(
            neighbours(port, seconds), *(v.run(port, time.monotonic(), seconds) for v in victims))
        measured["attack_failed"] = silent
    else:
        victims += new_victims()
        measured.update(await attacked(services, victims, "spread" if row == "flush" else row,
                                       rate, seconds))
    for victim in victims:
        measured.update(victim.pairs())
    asked = {} if row == "burst" else {"seconds": "%g" % seconds}
    if row not in ("burst", "neighbours"):
        asked["rate"] = "%g" % rate
    return {"row": row, **asked, **measured}


def main():
    server, program, work, row = sys.argv[1:5]
    rate = float(sys.argv[5]) if len(sys.argv) > 5 else 300
    seconds = float(sys.argv[6]) if len(sys.argv) > 6 else 30
    if row not in ("warmed", "late", "spread", "burst", "flush", "neighbours"):
        sys.exit("unknown row: %s" % row)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    flood.raise_open_files()
    print_measured(lambda: Services(server, os.path.abspath(program), work),
                   lambda services: measure(services, row, rate, seconds))


if __name__ == "__main__":
    main()
