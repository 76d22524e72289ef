"""A DNS relay on 127.0.0.1 that, once told to, holds every query until queries for
enough different names have arrived, then passes them all, and everything after, to the
real server: a service that asks one name at a time never gets an answer through it in
time. Told to fall silent, it answers nothing more and only notes what it was asked."""
import os
import socket
import threading
import time


def question_name(packet):
    """The name of a DNS query's first question, as text; None for a malformed packet."""
    labels, at = [], 12
    while at < len(packet) and packet[at] != 0:
        end = at + 1 + packet[at]
        labels.append(packet[at + 1:end].decode("ascii", "replace"))
        at = end
    return ".".join(labels) if at < len(packet) else None


class DnsGate:
    """Passes queries on until hold() is called; .endpoint is its address for
    IPX_DNS_SERVER."""

    def __init__(self, upstream_port):
        self.upstream = ("127.0.0.1", upstream_port)
        self.names = 0
        self.deadline = 0
        self.asked = set()
        self.held = []
        self.open = True
        self.silent = False
        self.socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.socket.bind(("127.0.0.1", 0))
        self.socket.settimeout(0.05)
        self.endpoint = "127.0.0.1:%d" % self.socket.getsockname()[1]
        self.stopping = False
        self.relays = []
        self.receiver = threading.Thread(target=self._receive)
        self.receiver.start()

    @classmethod
    def before_test_dns(cls):
        """A gate in front of with-test-dns.sh's dnsmasq."""
        return cls(int(os.environ["IPX_TEST_DNS_SERVER"].rsplit(":", 1)[1]))

    def hold(self, names, patience=8.0):
        """Holds queries until `names` different names are asked, or `patience` seconds
        pass, so that nothing waits forever."""
        self.asked.clear()
        self.names = names
        self.deadline = time.monotonic() + patience
        self.open = False

    def silence(self):
        """From now on nothing is answered; `asked` starts again empty."""
        self.asked.clear()
        self.silent = True

    def wait_for_names(self, count, patience=8.0):
        """Returns once `count` different names have been asked since the last silence()
        or hold(), or `patience` seconds have passed."""
        deadline = time.monotonic() + patience
        while len(self.asked) < count and time.monotonic() < deadline:
            time.sleep(0.01)

    def stop(self):
        self.stopping = True
        self.receiver.join()
        for relay in self.relays:
            relay.join()
        self.socket.close()

    def _receive(self):
        while not self.stopping:
            try:
                query, client = self.socket.recvfrom(4096)
            except socket.timeout:
                query = None
            if query:
                self.asked.add(question_name(query))
                if not self.silent:
                    self.held.append((query, client))
            if not self.open and (len(self.asked) >= self.names
                                  or time.monotonic() > self.deadline):
                self.open = True
            if self.open:
                for query, client in self.held:
                    self._relay(query, client)
                self.held.clear()

    def _relay(self, query, client):
        def relay():
            with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as upstream:
                upstream.settimeout(2)
                upstream.sendto(query, self.upstream)
                try:
                    self.socket.sendto(upstream.recv(4096), client)
                except OSError:
                    pass
        thread = threading.Thread(target=relay)
        thread.start()
        self.relays.append(thread)
