"""Prints a port that is free on 127.0.0.1 (and on ::1 where there is one), tcp or udp;
a udp port is free for TCP on 127.0.0.1 too."""
import socket
import sys


def bindable(family, kind, host, port):
    try:
        with socket.socket(family, kind) as probe:
            probe.bind((host, port))
        return True
    except OSError:
        return False


def free_port(kind):
    for _ in range(50):
        with socket.socket(socket.AF_INET, kind) as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        # A DNS server takes the TCP port too, which a recent client connection from that
        # port can still hold while it waits out TIME_WAIT.
        if kind == socket.SOCK_DGRAM \
                and not bindable(socket.AF_INET, socket.SOCK_STREAM, "127.0.0.1", port):
            continue
        if not socket.has_ipv6 or bindable(socket.AF_INET6, kind, "::1", port) \
                or not bindable(socket.AF_INET6, kind, "::1", 0):
            return port
    raise SystemExit("no free port found")


if __name__ == "__main__":
    print(free_port(socket.SOCK_DGRAM if sys.argv[1:] == ["udp"] else socket.SOCK_STREAM))
