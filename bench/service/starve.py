"""Slow reverse DNS against a victim, on loopback: ATTACK_RATE requests a second, each from
a new address in 10 /24 and 10 /64 networks whose reverse DNS never answers (KIND
few-networks), or each from a new /64 of 15,000 in 60 /48s whose reverse DNS never
answers (many-networks), and beside them a victim whose DNS answers, from a new address
each time so that no answer is kept.
Both reach ipx.cgi through a trusted proxy's X-Forwarded-For: the web server runs as
shipped with its real-IP file trusting 127.0.0.1, where the harness asks from.

    starve.py SERVER MODE IPX_CGI WORK_DIR [ATTACK_RATE [SECONDS [KIND]]]

SERVER MODE as for tests/service/servers/SERVER-local.sh (lighttpd fastcgi, nginx fastcgi,
...). It starts its own dnsmasq (reverse zones of the attack forwarded to a socket that
never answers; the victim's names synthesised), the web server, and a silent socket, and
stops them all, whatever happens. Prints one line of key=value pairs; times in seconds.
"""
import asyncio
import ipaddress
import os
import signal
import socket
import statistics
import sys
import time

from local_services import LocalServices, free_port, print_measured

ATTACK_V4 = "198.18.%d.%d"            # 198.18.0.0/24 to 198.18.9.0/24
ATTACK_V6 = "2001:db8:66:%x::%x"      # 2001:db8:66:0::/64 to 2001:db8:66:9::/64
ATTACK_ZONES = ("18.198.in-addr.arpa", "6.6.0.0.8.b.d.0.1.0.0.2.ip6.arpa",
                "7.7.8.b.d.0.1.0.0.2.ip6.arpa")
# 15,000 /64s: 2001:db8:77XX:Y::/64, 250 in each of 60 /48s of 2001:db8:7700::/40.
MANY_NETWORKS = 15000
MANY_V6 = "2001:db8:77%02x:%x::%x"
VICTIM = "198.51.100.%d"
VICTIM_DOMAIN = "victim.kestrin.test"
VICTIM_EVERY = 0.25
# Far past any answer ipx.cgi gives; a request still waiting then has failed.
REQUEST_LIMIT = 15


def few_networks_address(i):
    network, host = i % 20, (i // 20) % 250 + 1
    return ATTACK_V4 % (network, host) if network < 10 else ATTACK_V6 % (network - 10, host)


def many_networks_address(i):
    network = i % MANY_NETWORKS
    return MANY_V6 % (network % 60, network // 60, i // MANY_NETWORKS + 1)


ATTACKS = {"few-networks": few_networks_address, "many-networks": many_networks_address}


async def ask(port, address):
    """Seconds until the whole answer came, and the answer, or None when none came."""
    start = time.monotonic()
    try:
        reader, writer = await asyncio.wait_for(
            asyncio.open_connection("127.0.0.1", port), REQUEST_LIMIT)
        writer.write(("GET /cgi-bin/ipx.cgi HTTP/1.0\r\nHost: ipx.test\r\n"
                      "X-Forwarded-For: %s\r\n\r\n" % address).encode())
        reply = await asyncio.wait_for(reader.read(), REQUEST_LIMIT)
        writer.close()
    except (OSError, asyncio.TimeoutError):
        return time.monotonic() - start, None
    return time.monotonic() - start, reply


def answered(reply, address, name=None):
    """Whether the reply is a 200 with the address and the name (or the address again)."""
    if reply is None or reply.split(b"\r\n", 1)[0].split(b" ")[1:2] != [b"200"]:
        return False
    shown = ipaddress.ip_address(address).compressed
    return reply.endswith(("\r\n\r\n%s\n%s\n" % (shown, name or shown)).encode())


async def attack(port, rate, seconds, attack_address, results):
    start, tasks = time.monotonic(), []
    for i in range(int(rate * seconds)):
        await asyncio.sleep(max(0, start + i / rate - time.monotonic()))
        address = attack_address(i)
        tasks.append(asyncio.ensure_future(ask(port, address)))
        tasks[-1].address = address
    for task in tasks:
        _, reply = await task
        results.append(answered(reply, task.address))


async def victim(port, seconds, waits):
    start, i = time.monotonic(), 0
    while time.monotonic() - start < seconds:
        i += 1
        address = VICTIM % (i % 250 + 1)
        wait, reply = await ask(port, address)
        name = "%s.%s" % (address.replace(".", "-"), VICTIM_DOMAIN)
        waits.append((wait, answered(reply, address, name), answered(reply, address)))
        await asyncio.sleep(max(0, VICTIM_EVERY - wait))


async def measure(port, rate, seconds, attack_address):
    attacked, waits = [], []
    await asyncio.gather(attack(port, rate, seconds, attack_address, attacked),
                         victim(port, seconds, waits))
    times = [wait for wait, _, _ in waits]
    return {
        "attack_rate": rate, "seconds": seconds,
        "attack_requests": len(attacked), "attack_failed": attacked.count(False),
        "victim_requests": len(waits),
        "victim_named": sum(1 for _, named, _ in waits if named),
        "victim_failed": sum(1 for _, named, plain in waits if not named and not plain),
        "victim_longest": "%.3f" % max(times), "victim_median": "%.3f" % statistics.median(times),
    }


class Services(LocalServices):
    """dnsmasq, the silent socket and the web server; stop() undoes what was started, and
    a start that fails stops what it had started."""

    def __init__(self, server, mode, program, work):
        # A folder of its own, since WORK_DIR may hold the caller's servers.
        super().__init__("starve.", work)
        self.silent = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        try:
            self.silent.bind(("127.0.0.1", 0))
            silent = "127.0.0.1#%d" % self.silent.getsockname()[1]
            dns_port = free_port("udp")
            self.run("dnsmasq-local.sh", "dns", str(dns_port), "--dns-forward-max=1000",
                     "--local=/kestrin.test/", "--local=/100.51.198.in-addr.arpa/",
                     "--synth-domain=%s,198.51.100.0/24" % VICTIM_DOMAIN,
                     *("--server=/%s/%s" % (zone, silent) for zone in ATTACK_ZONES))
            self.port = free_port("tcp")
            os.environ.update(IPX_DNS_SERVER="127.0.0.1:%d" % dns_port, REAL_IP_FROM="127.0.0.1")
            self.run("%s-local.sh" % server, "web", str(self.port), mode, program)
        except BaseException:
            self.stop()
            raise

    def stop(self):
        super().stop()
        self.silent.close()


def main():
    server, mode, program, work = sys.argv[1:5]
    rate = float(sys.argv[5]) if len(sys.argv) > 5 else 100
    seconds = float(sys.argv[6]) if len(sys.argv) > 6 else 20
    attack_address = ATTACKS[sys.argv[7] if len(sys.argv) > 7 else "few-networks"]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    print_measured(lambda: Services(server, mode, os.path.abspath(program), work),
                   lambda services: measure(services.port, rate, seconds, attack_address))


if __name__ == "__main__":
    main()
