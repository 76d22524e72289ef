"""Raw HTTP/1.0 requests to a loopback server, and their replies taken apart."""
import socket

PATH = "/cgi-bin/ipx.cgi"


class Reply:
    def __init__(self, raw):
        head, _, self.body = raw.partition(b"\r\n\r\n")
        lines = head.decode("ascii").split("\r\n")
        self.version, _, self.status = lines[0].partition(" ")
        self.headers = [tuple(part.strip() for part in line.split(":", 1)) for line in lines[1:]]

    def header(self, name):
        """The value of a header sent once; a list of all its values otherwise."""
        values = [value for key, value in self.headers if key.lower() == name.lower()]
        return values[0] if len(values) == 1 else values


def ask(host, port, method="GET", target=PATH, extra_headers=(), body=None, source=None,
        timeout=10, tls=None):
    """One request on a new connection. A body, even an empty one, is sent with its
    Content-Length; None sends neither. source binds the caller's own address; timeout
    bounds each wait for the server, in seconds; tls, an ssl.SSLContext, asks over TLS,
    with the server's certificate checked for host."""
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    head = "%s %s HTTP/1.0\r\nHost: ipx.test\r\n" % (method, target)
    head += "".join("%s\r\n" % header for header in extra_headers)
    if body is not None:
        head += "Content-Length: %d\r\n" % len(body)
    with socket.socket(family, socket.SOCK_STREAM) as plain:
        plain.settimeout(timeout)
        if source:
            plain.bind((source, 0))
        plain.connect((host, port))
        with tls.wrap_socket(plain, server_hostname=host) if tls else plain as connection:
            connection.sendall(head.encode("ascii") + b"\r\n" + (body or b""))
            chunks = []
            while chunk := connection.recv(65536):
                chunks.append(chunk)
    return Reply(b"".join(chunks))
