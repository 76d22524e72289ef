"""Just enough of the FastCGI protocol to ask a responder one request the way a web server
does, on a connection of its own."""
import os
import socket
import struct
import threading

VERSION, BEGIN_REQUEST, END_REQUEST, PARAMS, STDIN, STDOUT = 1, 1, 3, 4, 5, 6
RESPONDER = 1
# The most one record holds, rounded down.
RECORD_CONTENT = 32768


def record(kind, content, request_id=1):
    return struct.pack(">BBHHBx", VERSION, kind, request_id, len(content), 0) + content


def name_value(name, value):
    def length(text):
        return struct.pack(">B", len(text)) if len(text) < 128 \
            else struct.pack(">I", len(text) | 0x80000000)
    return length(name) + length(value) + name + value


def request_records(params, body):
    pairs = b"".join(name_value(k.encode(), v.encode()) for k, v in params.items())
    chunks = [body[at:at + RECORD_CONTENT] for at in range(0, len(body), RECORD_CONTENT)]
    return (record(BEGIN_REQUEST, struct.pack(">HB5x", RESPONDER, 0)) + record(PARAMS, pairs)
            + record(PARAMS, b"") + b"".join(record(STDIN, chunk) for chunk in chunks)
            + record(STDIN, b""))


def send_quietly(connection, data):
    """Sends what the responder takes; one that answers before reading it all may close."""
    try:
        connection.sendall(data)
    except OSError:
        pass


def read_output(connection):
    received, output = b"", b""
    while True:
        chunk = connection.recv(65536)
        if not chunk:
            raise ConnectionError("the responder closed the connection without ending")
        received += chunk
        while len(received) >= 8:
            _, kind, _, length, padding = struct.unpack(">BBHHB", received[:7])
            if len(received) < 8 + length + padding:
                break
            content, received = received[8:8 + length], received[8 + length + padding:]
            if kind == STDOUT:
                output += content
            elif kind == END_REQUEST:
                return output


def ask_and_keep_open(socket_path, params, timeout=10, body=b""):
    """Sends one request with the given CGI variables and body, as a web server does while
    it reads the answer; returns what the responder wrote to its standard output, and the
    connection, still open on this side."""
    connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        connection.settimeout(timeout)
        connection.connect(socket_path)
        sender = threading.Thread(target=send_quietly,
                                  args=(connection, request_records(params, body)))
        sender.start()
        output = read_output(connection)
        sender.join()
    except BaseException:
        connection.close()
        raise
    return output, connection


def ask(socket_path, params, timeout=10, body=b""):
    """As ask_and_keep_open, then closes the connection; returns the output."""
    output, connection = ask_and_keep_open(socket_path, params, timeout, body)
    connection.close()
    return output


def held_listener(test, path, backlog):
    """A listening Unix socket at PATH, closed and removed as TEST ends: the socket that
    systemd holds for a socket-activated service and hands to each process it starts."""
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    test.addCleanup(listener.close)
    listener.bind(path)
    test.addCleanup(os.unlink, path)
    listener.listen(backlog)
    return listener
