"""A DNS responder for the attack zones, on 127.0.0.1 over UDP, that answers every query
with a PTR to NAME at once, after a delay, or never, as told on standard input.

    dns_responder.py NAME

Prints its port, then reads one command a line and answers "ok" once it holds:
"answer" (at once), "late SECONDS" (each answer that much after its query), "drop"
(queries go unanswered). It starts dropping. It ends when its input closes, so that it
cannot outlive the harness that started it.
"""
import asyncio
import struct
import sys

PTR = 12
HEADER = struct.Struct(">HHHHHH")
# The answer is a response to a recursive query, recursion available, no error.
RESPONSE_FLAGS = 0x8180


def encoded_name(name):
    return b"".join(bytes([len(label)]) + label.encode() for label in name.split(".")) + b"\0"


def question_end(query):
    """Offset just past the question's name, type and class; None when it is malformed."""
    offset = HEADER.size
    while offset < len(query) and query[offset]:
        offset += 1 + query[offset]
    return offset + 5 if offset + 5 <= len(query) else None


def reply_to(query, target):
    """The reply to a one-question query, with a PTR to target when it asks for one; with
    a TTL of 0, so that neither dnsmasq nor c-ares keeps it."""
    end = question_end(query)
    if len(query) < HEADER.size or end is None:
        return None
    (query_id, *_), question = HEADER.unpack_from(query), query[HEADER.size:end]
    qtype = struct.unpack_from(">H", question, len(question) - 4)[0]
    if qtype != PTR:
        return HEADER.pack(query_id, RESPONSE_FLAGS, 1, 0, 0, 0) + question
    record = struct.pack(">HHHIH", 0xC000 | HEADER.size, PTR, 1, 0, len(target)) + target
    return HEADER.pack(query_id, RESPONSE_FLAGS, 1, 1, 0, 0) + question + record


class Responder(asyncio.DatagramProtocol):
    def __init__(self, name):
        self.target = encoded_name(name)
        self.delay = None  # None: drop
        self.transport = None

    def connection_made(self, transport):
        self.transport = transport

    def datagram_received(self, data, address):
        if self.delay is None:
            return
        reply = reply_to(data, self.target)
        if reply is None:
            return
        if self.delay:
            asyncio.get_running_loop().call_later(self.delay, self.transport.sendto, reply, address)
        else:
            self.transport.sendto(reply, address)

    def command(self, line):
        words = line.split()
        if words == ["answer"]:
            self.delay = 0
        elif words == ["drop"]:
            self.delay = None
        elif len(words) == 2 and words[0] == "late":
            self.delay = float(words[1])
        else:
            raise ValueError("unknown command: %r" % line)


async def serve(name):
    loop = asyncio.get_running_loop()
    transport, responder = await loop.create_datagram_endpoint(
        lambda: Responder(name), local_addr=("127.0.0.1", 0))
    commands = asyncio.StreamReader()
    await loop.connect_read_pipe(lambda: asyncio.StreamReaderProtocol(commands), sys.stdin)
    print(transport.get_extra_info("sockname")[1], flush=True)
    try:
        while line := await commands.readline():
            responder.command(line.decode())
            print("ok", flush=True)
    finally:
        transport.close()


if __name__ == "__main__":
    asyncio.run(serve(sys.argv[1]))
