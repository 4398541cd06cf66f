#!/usr/bin/env python3
"""A distant server on loopback: a TCP proxy that delays every byte by a
given one-way time in each direction and carries the bytes of all its
connections through one line of a given rate per direction, like a user's
access line with the update server a province away.

    link_proxy.py UPSTREAM_PORT --delay-ms D --rate-mbit R [--port P] [--lifetime S] [--log FILE]

Listens on loopback port P (a free one by default) and prints it on the
first line of stdout.
A rate of 0 is no limit. It stops by itself after --lifetime seconds
(default 600) or when stdin closes (so a crashed caller leaves nothing
running). --log gets one line per request seen: "SECONDS METHOD PATH", and a
last line "SECONDS last-byte" with the time the last reply byte left the
line; SECONDS are since the proxy started.
"""
import argparse
import asyncio
import os
import sys
import time

CHUNK = 64 * 1024
# The longest queue the line holds before the sender has to wait (the
# buffer of the access line's modem).
QUEUE_SECONDS = 0.02
T0 = time.monotonic()


class Line:
    """One direction of the access line: a FIFO shared by all connections."""

    def __init__(self, rate_bytes):
        self.rate = rate_bytes
        self.free_at = 0.0

    def send(self, n):
        """When the last of n bytes queued now has left the line."""
        now = time.monotonic()
        start = max(now, self.free_at)
        self.free_at = start + (n / self.rate if self.rate else 0.0)
        return self.free_at

    def backlog(self):
        return self.free_at - time.monotonic()


class Log:
    def __init__(self, path):
        self.file = open(path, "w", buffering=1) if path else None
        self.last_byte = 0.0

    def request(self, data):
        if not self.file:
            return
        for line in data.split(b"\r\n"):
            parts = line.split(b" ")
            if len(parts) == 3 and parts[0] in (b"GET", b"HEAD") and parts[2].startswith(b"HTTP/"):
                self.file.write("%.6f %s %s\n" % (time.monotonic() - T0, parts[0].decode(),
                                                  parts[1].decode("latin-1")))

    def close(self):
        if self.file:
            self.file.write("%.6f last-byte\n" % (self.last_byte - T0))
            self.file.close()


async def pump(reader, writer, line, delay, log, upward):
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            if data is None:
                break
            writer.write(data)
            await writer.drain()
            if not upward:
                log.last_byte = time.monotonic()
        if writer.can_write_eof():
            writer.write_eof()

    task = asyncio.ensure_future(deliver())
    try:
        while True:
            data = await reader.read(CHUNK)
            if not data:
                break
            if upward:
                log.request(data)
            await queue.put((line.send(len(data)) + delay, data))
            backlog = line.backlog()
            if backlog > QUEUE_SECONDS:
                await asyncio.sleep(backlog - QUEUE_SECONDS)
    except (ConnectionError, OSError):
        pass
    await queue.put((time.monotonic() + delay, None))
    try:
        await task
    except (ConnectionError, OSError):
        pass


async def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("upstream_port", type=int)
    ap.add_argument("--delay-ms", type=float, default=0)
    ap.add_argument("--rate-mbit", type=float, default=0)
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--lifetime", type=float, default=600)
    ap.add_argument("--log")
    args = ap.parse_args()
    delay = args.delay_ms / 1000
    rate = args.rate_mbit * 1e6 / 8
    up, down = Line(rate), Line(rate)
    log = Log(args.log)

    async def serve(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1",
                                                                         args.upstream_port)
        except OSError:
            client_writer.close()
            return
        await asyncio.gather(
            pump(client_reader, server_writer, up, delay, log, True),
            pump(server_reader, client_writer, down, delay, log, False))
        for w in (client_writer, server_writer):
            w.close()

    server = await asyncio.start_server(serve, "127.0.0.1", args.port)
    print(server.sockets[0].getsockname()[1], flush=True)
    loop = asyncio.get_running_loop()
    stdin_closed = loop.create_future()

    def on_stdin():
        if not sys.stdin.buffer.read1(4096) and not stdin_closed.done():
            stdin_closed.set_result(None)

    loop.add_reader(sys.stdin.fileno(), on_stdin)
    try:
        await asyncio.wait_for(stdin_closed, args.lifetime)
    except asyncio.TimeoutError:
        pass
    server.close()
    log.close()
    # Connections still open end with the process.
    sys.stdout.flush()
    os._exit(0)


if __name__ == "__main__":
    asyncio.run(main())
