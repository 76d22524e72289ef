#!/usr/bin/env python3
"""A loopback HTTP server whose replies the Kestrin tests choose.

GET /reply/<name>          answers with the canned reply <name>
GET /cgi-bin/ipx.cgi       answers with the reply chosen by /control/mode/<name>
GET /control/mode/<name>   chooses that reply for /cgi-bin/ipx.cgi
GET /control/count         how many /cgi-bin/ipx.cgi requests were answered so far
GET /control/log/<from>    the names of the replies given on /cgi-bin/ipx.cgi, one a line,
                           from the <from>th on (mode random:<seed> picks one at random)
GET /control/down/<ms>     stops listening for <ms> milliseconds, as a killed service would
"""
import random
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

BODIES = {
    "two": b"203.0.113.7\nhost-7.example.net\n",
    "crlf": b"198.51.100.23\r\nhost.crlf.example\r\n",
    "crlf_last_bare": b"198.51.100.24\r\nbare.example",
    "one": b"192.0.2.1",
    "one_lf": b"192.0.2.1\n",
    "empty": b"",
    "lead_lf": b"\nonly-host.example\n",
    "three": b"192.0.2.3\nthree.example\nextra line\n",
    "other": b"192.0.2.99\nother.example\n",
    "oversize": b"192.0.2.65\nbig.example\n" + b"x" * (64 * 1024),
}


def padded_to(size, head):
    return head + b"x" * (size - len(head))


# The reply limit's edge: 64 KiB is a reply, one byte more is not.
BODIES["max"] = padded_to(64 * 1024, b"192.0.2.64\nmax.example\n")
BODIES["over_by_one"] = padded_to(64 * 1024 + 1, b"192.0.2.66\nover.example\n")
STATUS = {"e404": 404, "e500": 500}
# What a soak draws from: every shape of good reply and every way of failing.
RANDOM_REPLIES = ["two", "crlf", "empty", "one", "lead_lf", "three", "other", "e404", "e500",
                  "reset", "oversize", "cut", "slow_short", "hang", "trickle"]


class State:
    lock = threading.Lock()
    mode = "two"
    count = 0
    log = []
    chooser = random.Random(0)
    down_for = threading.Event()
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
        if name == "reset":  # hangs up without a word
            self.close_connection = True
        elif name in STATUS:
            self.send_body(STATUS[name], b"<html>error page</html>\n")
        elif name == "cut":  # announces more than it sends, then hangs up
            self.send_body(200, b"192.0.2.77\ncut.exa", declared=200)
        elif name in ("slow", "slow_short"):
            time.sleep(1 if name == "slow" else 0.3)
            self.send_body(200, BODIES["two"])
        elif name == "hang":  # reads the request and never answers
            self.wait_for_hang_up()
        elif name == "stall":  # headers, then not a byte of the body
            self.send_head(len(BODIES["two"]))
            self.wait_for_hang_up()
        elif name == "trickle":  # headers, then one byte a second of a long body
            self.send_head(len(BODIES["max"]))
            self.trickle(BODIES["max"])
        elif name in BODIES:
            self.send_body(200, BODIES[name])
        else:
            self.send_body(404, b"no such reply\n")

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        if path.startswith("/reply/"):
            self.reply(path[len("/reply/"):])
        elif path == "/cgi-bin/ipx.cgi":
            with State.lock:
                State.count += 1
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
            self.send_body(200, b"ok")
            State.down_for.set()
        elif path == "/control/count":
            with State.lock:
                count = State.count
            self.send_body(200, str(count).encode())
        else:
            self.send_body(404, b"not found\n")


def main():
    port = int(sys.argv[1])
    while True:
        server = ThreadingHTTPServer(("127.0.0.1", port), Handler)
        server.daemon_threads = True
        threading.Thread(target=server.serve_forever, daemon=True).start()
        State.down_for.wait()
        State.down_for.clear()
        server.shutdown()
        server.server_close()
        time.sleep(State.down_ms / 1000)


if __name__ == "__main__":
    main()
