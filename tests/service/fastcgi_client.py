"""Just enough of the FastCGI protocol to ask a responder one request the way a web server
does, on a connection of its own."""
import socket
import struct

VERSION, BEGIN_REQUEST, END_REQUEST, PARAMS, STDIN, STDOUT = 1, 1, 3, 4, 5, 6
RESPONDER = 1


def record(kind, content, request_id=1):
    return struct.pack(">BBHHBx", VERSION, kind, request_id, len(content), 0) + content


def name_value(name, value):
    def length(text):
        return struct.pack(">B", len(text)) if len(text) < 128 \
            else struct.pack(">I", len(text) | 0x80000000)
    return length(name) + length(value) + name + value


def ask(socket_path, params, timeout=10):
    """Sends one request with the given CGI variables and no body; returns what the
    responder wrote to its standard output."""
    body = b"".join(name_value(k.encode(), v.encode()) for k, v in params.items())
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as connection:
        connection.settimeout(timeout)
        connection.connect(socket_path)
        connection.sendall(record(BEGIN_REQUEST, struct.pack(">HB5x", RESPONDER, 0))
                           + record(PARAMS, body) + record(PARAMS, b"") + record(STDIN, b""))
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
