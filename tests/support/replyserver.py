#!/usr/bin/env python3
"""A loopback HTTP server whose replies the Kestrin tests choose.

GET /reply/<name>          answers with the canned reply <name>
GET /cgi-bin/ipx.cgi       answers with the reply chosen by /control/mode/<name>
GET /control/mode/<name>   chooses that reply for /cgi-bin/ipx.cgi
GET /control/count         how many /cgi-bin/ipx.cgi requests were answered so far
GET /control/log/<from>    the names of the replies given on /cgi-bin/ipx.cgi, one a line,
                           from the <from>th on (mode random:<seed> picks one at random)
GET /control/down/<ms>     stops listening for <ms> milliseconds, as a killed service would
GET /control/count/<name>  how many /cgi-bin/ipx.cgi requests listener <name> answered
GET /control/requests/<name>  how many requests other than /control/ listener <name> took
GET /redirect/<to>/<path>  302 to /<path> of the plain listener (to = http), the good TLS
                           listener (https), or by a relative Location (relative)

replyserver.py PORT [--tls FOLDER] serves plain HTTP on 127.0.0.1:PORT (listener "plain").
With --tls it also serves HTTPS on 127.0.0.1 and ::1 with the certificates that
testcerts.py makes in FOLDER: "good" on PORT+10, "unknown-ca" on PORT+11, "wrong-host" on
PORT+12, "expired" on PORT+13; and "silent" on PORT+14 takes connections and never answers
a handshake.

replyserver.py --expected-boxes FILE writes a C++ header of what each reply leaves in the
program's two boxes, and where the https listeners are; replyserver.py --port-of NAME PORT
prints the port of https listener NAME beside a plain PORT.
"""
import os
import random
import socket
import ssl
import sys
import threading
import time
from collections import Counter
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from typing import NamedTuple, Optional, Tuple

TLS_PORT_OFFSETS = {"good": 10, "unknown-ca": 11, "wrong-host": 12, "expired": 13}
SILENT_PORT_OFFSET = 14

class Reply(NamedTuple):
    """One canned reply: how it is sent, and what the program's two boxes show after it
    (None: the program must take it as a failed download and keep the last answers)."""
    shows: Optional[Tuple[str, str]]
    body: bytes = b""
    status: int = 200
    how: str = "whole"  # whole, slow, reset, cut, hang, stall or trickle
    delay: float = 0.0


def padded_to(size, head):
    return head + b"x" * (size - len(head))


TWO = ("203.0.113.7", "host-7.example.net")
ERROR_PAGE = b"<html>error page</html>\n"
# The one table of replies: the server sends them, and the Windows tests read what each
# leaves in the boxes from the header that --expected-boxes writes.
REPLIES = {
    "two": Reply(TWO, b"203.0.113.7\nhost-7.example.net\n"),
    "crlf": Reply(("198.51.100.23\r", "host.crlf.example\r"),
                  b"198.51.100.23\r\nhost.crlf.example\r\n"),
    "crlf_last_bare": Reply(("198.51.100.24\r", "bare.example"), b"198.51.100.24\r\nbare.example"),
    "one": Reply(("192.0.2.1", "<unable to parse hostname>"), b"192.0.2.1"),
    "one_lf": Reply(("192.0.2.1", "<unable to parse hostname>"), b"192.0.2.1\n"),
    "empty": Reply(("<unable to parse ip adress>", "<unable to parse hostname>"), b""),
    "lead_lf": Reply(("<unable to parse ip adress>", "only-host.example"), b"\nonly-host.example\n"),
    "three": Reply(("192.0.2.3", "three.example"), b"192.0.2.3\nthree.example\nextra line\n"),
    "other": Reply(("192.0.2.99", "other.example"), b"192.0.2.99\nother.example\n"),
    # The reply limit's edge: 64 KiB is a reply, one byte more is not.
    "max": Reply(("192.0.2.64", "max.example"),
                 padded_to(64 * 1024, b"192.0.2.64\nmax.example\n")),
    "over_by_one": Reply(None, padded_to(64 * 1024 + 1, b"192.0.2.66\nover.example\n")),
    "oversize": Reply(None, b"192.0.2.65\nbig.example\n" + b"x" * (64 * 1024)),
    "e404": Reply(None, ERROR_PAGE, status=404),
    "e500": Reply(None, ERROR_PAGE, status=500),
    "reset": Reply(None, how="reset"),  # hangs up without a word
    "cut": Reply(None, b"192.0.2.77\ncut.exa", how="cut"),  # announces 200 bytes, sends fewer
    "slow": Reply(TWO, b"203.0.113.7\nhost-7.example.net\n", how="slow", delay=1.0),
    "slow_short": Reply(TWO, b"203.0.113.7\nhost-7.example.net\n", how="slow", delay=0.3),
    "hang": Reply(None, how="hang"),  # reads the request and never answers
    "stall": Reply(None, b"203.0.113.7\nhost-7.example.net\n", how="stall"),  # headers only
    "trickle": Reply(None, b"192.0.2.64\n" + b"x" * 1000, how="trickle"),  # a byte a second
}
# What a soak draws from: every shape of good reply and every way of failing.
RANDOM_REPLIES = ["two", "crlf", "empty", "one", "lead_lf", "three", "other", "e404", "e500",
                  "reset", "oversize", "cut", "slow_short", "hang", "trickle"]


def cpp_text(text):
    # Octal escapes end after three digits; hex ones would swallow the letters after them.
    return "".join(c if " " <= c <= "~" and c not in '"\\' else "\\%03o" % ord(c) for c in text)


def write_expected_boxes(path):
    rows = []
    for name, reply in REPLIES.items():
        address, host = reply.shows or ("", "")
        rows.append('    {"%s", %s, L"%s", L"%s"},' % (
            name, "true" if reply.shows else "false", cpp_text(address), cpp_text(host)))
    with open(path, "w", encoding="ascii") as out:
        out.write("// Written by tests/support/replyserver.py --expected-boxes from its table of\n"
                  "// replies: what each leaves in the two boxes; shown is false for a reply the\n"
                  "// program must take as a failed download.\n#pragma once\n\n"
                  "namespace kestrin::test {\n\nstruct ExpectedBoxes {\n"
                  "    const char* reply;\n    bool shown;\n    const wchar_t* address;\n"
                  "    const wchar_t* host;\n};\n\ninline constexpr ExpectedBoxes kExpectedBoxes[] = {\n"
                  + "\n".join(rows) + "\n};\n\n"
                  "// How far above the plain port each https listener is.\n"
                  + "".join("inline constexpr int k%sTlsPortOffset = %d;\n" % (
                      "".join(w.capitalize() for w in name.split("-")), offset)
                      for name, offset in TLS_PORT_OFFSETS.items())
                  + "inline constexpr int kSilentTlsPortOffset = %d;\n" % SILENT_PORT_OFFSET
                  + "\n}  // namespace kestrin::test\n")


class State:
    lock = threading.Lock()
    mode = "two"
    count = 0
    count_by_listener = Counter()
    requests_by_listener = Counter()
    plain_port = 0
    log = []
    chooser = random.Random(0)
    down_for = threading.Event()
    went_down = threading.Event()
    down_ms = 0


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send_body(self, status, body, declared=None):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body) if declared is None else declared))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()
        self.close_connection = True

    def send_head(self, length):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(length))
        self.end_headers()
        self.wfile.flush()
        self.close_connection = True

    def wait_for_hang_up(self):
        """Holds the connection until the client gives up on it, or a minute passes."""
        self.connection.settimeout(60)
        try:
            while self.connection.recv(4096):
                pass
        except OSError:
            pass
        self.close_connection = True

    def trickle(self, body):
        for at in range(min(len(body), 60)):
            try:
                self.wfile.write(body[at:at + 1])
                self.wfile.flush()
            except OSError:
                break
            time.sleep(1)
        self.close_connection = True

    def reply(self, name):
        reply = REPLIES.get(name)
        if reply is None:
            self.send_body(404, b"no such reply\n")
        elif reply.how == "reset":
            self.close_connection = True
        elif reply.how == "cut":
            self.send_body(reply.status, reply.body, declared=200)
        elif reply.how == "hang":
            self.wait_for_hang_up()
        elif reply.how == "stall":
            self.send_head(len(reply.body))
            self.wait_for_hang_up()
        elif reply.how == "trickle":
            self.send_head(len(reply.body))
            self.trickle(reply.body)
        else:
            time.sleep(reply.delay)
            self.send_body(reply.status, reply.body)

    def redirect(self, to, path):
        if to == "http":
            location = "http://127.0.0.1:%d/%s" % (State.plain_port, path)
        elif to == "https":
            location = "https://localhost:%d/%s" % (
                State.plain_port + TLS_PORT_OFFSETS["good"], path)
        else:
            location = "/" + path
        self.send_response(302)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        listener = self.server.listener
        if not path.startswith("/control/"):
            with State.lock:
                State.requests_by_listener[listener] += 1
        if path.startswith("/reply/"):
            self.reply(path[len("/reply/"):])
        elif path.startswith("/redirect/"):
            to, _, rest = path[len("/redirect/"):].partition("/")
            self.redirect(to, rest)
        elif path == "/cgi-bin/ipx.cgi":
            with State.lock:
                State.count += 1
                State.count_by_listener[listener] += 1
                name = State.mode
                if name.startswith("random:"):
                    name = State.chooser.choice(RANDOM_REPLIES)
                State.log.append(name)
            self.reply(name)
        elif path.startswith("/control/mode/"):
            with State.lock:
                State.mode = path[len("/control/mode/"):]
                if State.mode.startswith("random:"):
                    State.chooser = random.Random(int(State.mode[len("random:"):]))
            self.send_body(200, b"ok")
        elif path.startswith("/control/log/"):
            with State.lock:
                names = State.log[int(path[len("/control/log/"):]):]
            self.send_body(200, "".join(n + "\n" for n in names).encode())
        elif path.startswith("/control/down/"):
            State.down_ms = int(path[len("/control/down/"):])
            # Answered only once the listener is closed, so that the caller's next request
            # surely finds the service gone.
            State.went_down.clear()
            State.down_for.set()
            State.went_down.wait()
            self.send_body(200, b"ok")
        elif path == "/control/count":
            with State.lock:
                count = State.count
            self.send_body(200, str(count).encode())
        elif path.startswith("/control/count/"):
            with State.lock:
                count = State.count_by_listener[path[len("/control/count/"):]]
            self.send_body(200, str(count).encode())
        elif path.startswith("/control/requests/"):
            with State.lock:
                count = State.requests_by_listener[path[len("/control/requests/"):]]
            self.send_body(200, str(count).encode())
        else:
            self.send_body(404, b"not found\n")


class Listener(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, name, address, family=socket.AF_INET):
        self.listener = name
        self.address_family = family
        super().__init__(address, Handler)


class TlsListener(Listener):
    """Shakes hands on the request's own thread, so a client that never finishes its
    handshake holds up no one else."""

    def __init__(self, name, address, family, context):
        self.context = context
        super().__init__(name, address, family)

    def finish_request(self, request, client_address):
        request.settimeout(60)
        try:
            tls = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        try:
            super().finish_request(tls, client_address)
        finally:
            tls.close()


def hold_silently(connection):
    connection.settimeout(60)
    try:
        while connection.recv(4096):
            pass
    except OSError:
        pass
    connection.close()


def serve_silence(sock):
    while True:
        connection, _ = sock.accept()
        threading.Thread(target=hold_silently, args=(connection,), daemon=True).start()


def on_loopback(port, serve):
    """Runs serve(family, address) on 127.0.0.1 and, where the machine has it, on ::1:
    a client may resolve localhost to either."""
    serve(socket.AF_INET, ("127.0.0.1", port))
    try:
        serve(socket.AF_INET6, ("::1", port))
    except OSError:
        pass


def start_tls_listener(name, port, context):
    def serve(family, address):
        server = TlsListener(name, address, family, context)
        threading.Thread(target=server.serve_forever, daemon=True).start()
    on_loopback(port, serve)


def start_silent_listener(port):
    def serve(family, address):
        sock = socket.socket(family, socket.SOCK_STREAM)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind(address)
        sock.listen(64)
        threading.Thread(target=serve_silence, args=(sock,), daemon=True).start()
    on_loopback(port, serve)


def start_tls_listeners(port, folder):
    import testcerts  # only a TLS run needs the cryptography package
    testcerts.make(folder)
    for name, offset in TLS_PORT_OFFSETS.items():
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.minimum_version = ssl.TLSVersion.TLSv1_2
        context.load_cert_chain(os.path.join(folder, name + ".pem"))
        start_tls_listener(name, port + offset, context)
    start_silent_listener(port + SILENT_PORT_OFFSET)


def main():
    if sys.argv[1] == "--expected-boxes":
        write_expected_boxes(sys.argv[2])
        return
    if sys.argv[1] == "--port-of":
        print(int(sys.argv[3]) + TLS_PORT_OFFSETS[sys.argv[2]])
        return
    port = int(sys.argv[1])
    State.plain_port = port
    if sys.argv[2:3] == ["--tls"]:
        start_tls_listeners(port, sys.argv[3])
    while True:
        server = Listener("plain", ("127.0.0.1", port))
        threading.Thread(target=server.serve_forever, daemon=True).start()
        State.down_for.wait()
        State.down_for.clear()
        server.shutdown()
        server.server_close()
        State.went_down.set()
        time.sleep(State.down_ms / 1000)


if __name__ == "__main__":
    main()
