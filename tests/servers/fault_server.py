#!/usr/bin/env python3
"""A small programmable HTTP/1.1 server that misbehaves on request.

Command line:
  fault_server.py start STATE_DIR [--with-parent | --owner PID]
      Starts the server in the background on a free loopback port and prints
      the port. STATE_DIR gets port, pid and server.log. --with-parent stops
      the server when the process that ran this command ends, --owner when
      process PID ends.
  fault_server.py stop STATE_DIR
      Stops the server started with that STATE_DIR.
  fault_server.py serve [--port N] [--state-dir DIR]
      Runs in the foreground (port 0 picks a free one).

Scenarios are set up over HTTP, so that test programs (also Windows ones under
Wine) need nothing but an HTTP client. Every scenario has its own id, so tests
running at the same time don't meet:

  GET /_control/file?id=ID&path=PATH&size=N[&seed=S][&head=MODES][&get=MODES]
      Serves a file of N bytes at /s/ID + PATH (PATH exactly as the client
      will send it, double slashes and all). Byte i of the file is
      pattern[(i + S) % 65521] (see `pattern`). MODES is a comma-separated
      list of reply modes used one per request, in order; the last one
      repeats. Default "ok".
  GET /_control/log?id=ID
      One line per request of the scenario, in the order they arrived (the
      kernel's receive time of each request's first byte, whichever
      connection and handler thread it came by):
        CONN METHOD PATH RANGE STATUS BODY_BYTES IF_RANGE
      CONN numbers the connections, PATH has the /s/ID prefix removed, RANGE
      is the Range header's value or "-", IF_RANGE the If-Range header's
      value URL-quoted, or "-".

Reply modes (HEAD and GET alike unless said):
  ok             200 with Content-Length; a GET with a Range gets 206 and
                 Content-Range (the end cut to the file's end)
  NNN            that status (404, 500, ...) with a short body
  nolength       200 without Content-Length (a GET body ends with the
                 connection)
  reset@B        the reply's head and B bytes of the body, then a connection
                 reset
  short@B        the head with the full length, B bytes, then the connection
                 closes
  stall@B        the head and B bytes, then nothing for 30 seconds
  redirect       302 to /s/ID/_moved + PATH, which serves the same file "ok"
  ignorerange    200 and the whole file, whatever the Range asks
  wrongrange     206 whose Content-Range starts one byte after the asked start
  empty          206 with an empty body for the asked start
  throttle@R     as "ok", at R bytes per second
  mute           no reply at all: the request is read, then nothing for 30
                 seconds, then the connection closes
Replies that are not the file (a GET with a Range gets them):
  portal         200 with a short HTML page, as a captive portal or a
                 hijacking proxy sends instead of the file
  halfsize       200 with the first half of the file as the whole body
  nolocation     302 without a Location header
  badtotal       206 of the asked bytes whose Content-Range total is one more
                 than the file's length
  204 and 304 go without a body, as the status demands.

Versions: "&validator=etag", "lastmod" or "both" on /_control/file makes the
file's replies carry an ETag and/or Last-Modified derived from its seed and
size, and a GET with an If-Range that doesn't match them gets the whole
file as a 200 (a changed file). Registering the path again with another seed
or size replaces the file, the way a maker replaces it on the server.
Unknown paths get 404.

Server-check options and modes (what `zentivo-pack check` must notice):
  &validators=1  on /_control/file: the same as &validator=both, the ETag
                 and Last-Modified a static file server sends
  &source=FILE   on /_control/file: the file's bytes are those of the local
                 FILE (read when the scenario is set up; its size wins over
                 size=) instead of the pattern, so that real archives can be
                 served with any of the modes
  gzip           200 with the whole file gzip-compressed and
                 "Content-Encoding: gzip", whatever the Range asks (HEAD
                 announces the compressed length)
"""

import argparse
import email.utils
import gzip
import os
import signal
import socket
import struct
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PATTERN_PERIOD = 65521


def pattern():
    """The byte pattern every file is cut from: a linear congruential
    generator (x = x * 1103515245 + 12345 mod 2^31, byte = bits 16..23)."""
    out = bytearray(PATTERN_PERIOD)
    x = 1
    for i in range(PATTERN_PERIOD):
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out[i] = (x >> 16) & 0xFF
    return bytes(out)


PATTERN = pattern()


def content(seed, start, end):
    """Bytes [start, end) of a file with that seed."""
    out = bytearray()
    pos = start
    while pos < end:
        at = (pos + seed) % PATTERN_PERIOD
        take = min(end - pos, PATTERN_PERIOD - at)
        out += PATTERN[at:at + take]
        pos += take
    return bytes(out)


class Scenario:
    def __init__(self):
        self.files = {}  # path -> dict(size, seed, head=[...], get=[...], used={})
        self.log = []
        self.lock = threading.Lock()

    def next_mode(self, path, method):
        with self.lock:
            f = self.files.get(path)
            if f is None:
                return None, None
            modes = f["head"] if method == "HEAD" else f["get"]
            n = f["used"].get(method, 0)
            f["used"][method] = n + 1
            return f, modes[min(n, len(modes) - 1)]


PORTAL_PAGE = (b"<html><head><title>Wi-Fi</title></head>"
               b"<body>Please log in to use the network.</body></html>\n")


def validators(f):
    """The ETag and Last-Modified headers of a file's version, as asked."""
    kind = f.get("validator", "none")
    out = {}
    if kind in ("etag", "both"):
        out["ETag"] = '"%x-%x"' % (f["seed"], f["size"])
    if kind in ("lastmod", "both"):
        when = 1600000000 + f["seed"] * 86400 + f["size"] % 86400
        out["Last-Modified"] = email.utils.formatdate(when, usegmt=True)
    return out


SCENARIOS = {}
SCENARIOS_LOCK = threading.Lock()
CONNECTIONS = [0]
SO_TIMESTAMPNS = getattr(socket, "SO_TIMESTAMPNS", 35)  # Linux's number


def parse_range(value, size):
    """(start, end inclusive) of "bytes=A-B" or "bytes=A-", cut to the size."""
    if not value or not value.startswith("bytes="):
        return None
    first = value[len("bytes="):].split(",")[0].strip()
    a, _, b = first.partition("-")
    try:
        start = int(a)
        end = int(b) if b else size - 1
    except ValueError:
        return None
    return start, min(end, size - 1)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "fault-server"
    # Unbuffered, so that the next request's bytes wait in the socket, where
    # their arrival time can be read.
    rbufsize = 0

    def setup(self):
        super().setup()
        with SCENARIOS_LOCK:
            CONNECTIONS[0] += 1
            self.conn_id = CONNECTIONS[0]
        self.arrived = 0.0

    def handle_one_request(self):
        self.arrived = self.arrival_time()
        super().handle_one_request()

    def arrival_time(self):
        """When the kernel received the next request's first byte (waits for
        it). The handler threads of several connections run in any order; this
        time doesn't depend on them."""
        try:
            _, ancillary, _, _ = self.connection.recvmsg(1, 256, socket.MSG_PEEK)
            for level, kind, data in ancillary:
                if level == socket.SOL_SOCKET and kind == SO_TIMESTAMPNS:
                    sec, nsec = struct.unpack("qq", data[:16])
                    return sec + nsec / 1e9
        except OSError:
            pass
        return time.time()

    def log_message(self, fmt, *args):
        pass

    def finish(self):
        try:
            super().finish()
        except OSError:
            pass

    # -- control ---------------------------------------------------------
    def control(self):
        url = urllib.parse.urlsplit(self.path)
        q = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        sid = q.get("id", [""])[0]
        if url.path == "/_control/file":
            with SCENARIOS_LOCK:
                sc = SCENARIOS.setdefault(sid, Scenario())
            f = {
                "size": int(q["size"][0]),
                "seed": int(q.get("seed", ["0"])[0]),
                "head": q.get("head", ["ok"])[0].split(","),
                "get": q.get("get", ["ok"])[0].split(","),
                "validator": q.get("validator", ["none"])[0],
                "used": {},
            }
            with sc.lock:
                sc.files[q["path"][0]] = f
            return self.reply_text(200, "ok\n")
        if url.path == "/_control/log":
            with SCENARIOS_LOCK:
                sc = SCENARIOS.get(sid)
            entries = []
            if sc is not None:
                with sc.lock:
                    entries = sorted(sc.log, key=lambda e: e[7])
            lines = ["%d %s %s %s %d %d %s\n" % tuple(e[:7]) for e in entries]
            return self.reply_text(200, "".join(lines))
        return self.reply_text(404, "no such control\n")

    def reply_text(self, status, text, head_only=False):
        body = text.encode()
        if status in (204, 304):
            self.send_response(status)
            self.end_headers()
            return status, 0
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if not head_only:
            self.wfile.write(body)
        return status, 0 if head_only else len(body)

    # -- scenario files ---------------------------------------------------
    def do_HEAD(self):
        self.handle_file("HEAD")

    def do_GET(self):
        if self.path.startswith("/_control/"):
            self.control()
            return
        self.handle_file("GET")

    def handle_file(self, method):
        raw = self.path
        if not raw.startswith("/s/"):
            self.reply_text(404, "not found\n", method == "HEAD")
            return
        rest = raw[3:]
        sid, slash, path = rest.partition("/")
        path = slash + path
        with SCENARIOS_LOCK:
            sc = SCENARIOS.get(sid)
        moved = path.startswith("/_moved/")
        if moved:
            path = path[len("/_moved"):]
        rng = self.headers.get("Range")
        status, sent = 404, 0
        # Logged in the order the requests arrive; the outcome is filled in
        # when the reply is done.
        if_range = self.headers.get("If-Range")
        entry = [self.conn_id, method, ("/_moved" if moved else "") + path, rng or "-", 0, 0,
                 urllib.parse.quote(if_range, safe="") if if_range else "-", self.arrived]
        if sc is not None:
            with sc.lock:
                sc.log.append(entry)
        try:
            if sc is None:
                status, sent = self.reply_text(404, "not found\n", method == "HEAD")
                return
            if moved:
                with sc.lock:
                    f = sc.files.get(path)
                mode = "ok"
            else:
                f, mode = sc.next_mode(path, method)
            if f is None:
                status, sent = self.reply_text(404, "not found\n", method == "HEAD")
                return
            status, sent = self.serve(method, sid, path, f, mode, rng)
        finally:
            if sc is not None:
                with sc.lock:
                    entry[4], entry[5] = status, sent

    def send_validators(self, f):
        for header, value in validators(f).items():
            self.send_header(header, value)

    def serve(self, method, sid, path, f, mode, rng):
        size, seed = f["size"], f["seed"]
        name, _, arg = mode.partition("@")
        if name.isdigit():
            return self.reply_text(int(name), "fault %s\n" % name, method == "HEAD")
        if name == "mute":
            time.sleep(30)
            self.close_connection = True
            return 0, 0
        if name == "redirect":
            self.send_response(302)
            self.send_header("Location", "/s/%s/_moved%s" % (sid, path))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return 302, 0
        if name == "nolocation":
            self.send_response(302)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return 302, 0
        if method == "HEAD":
            self.send_response(200)
            self.send_validators(f)
            if name != "nolength":
                self.send_header("Content-Length", str(size))
            else:
                self.close_connection = True
            self.end_headers()
            return 200, 0

        if name in ("portal", "halfsize"):
            body = (PORTAL_PAGE if name == "portal" else content(seed, 0, size // 2))
            self.send_response(200)
            self.send_header("Content-Type", "text/html" if name == "portal" else
                             "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return 200, len(body)

        start, end = 0, size - 1
        partial = False
        asked = parse_range(rng, size)
        if_range = self.headers.get("If-Range")
        if if_range is not None and if_range not in validators(f).values():
            asked = None  # another version: the whole file
        if asked and name != "ignorerange" and asked[0] < size:
            start, end = asked
            partial = True
        if name == "wrongrange":
            start = min(start + 1, size - 1)
        if name == "empty":
            end = start - 1
        body = content(seed, start, end + 1)
        status = 206 if partial else 200
        self.send_response(status)
        self.send_validators(f)
        if partial:
            total = size + 1 if name == "badtotal" else size
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, max(end, start), total))
        if name == "nolength":
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()

        if name in ("reset", "short", "stall"):
            cut = min(int(arg or "0"), len(body))
            self.wfile.write(body[:cut])
            self.wfile.flush()
            if name == "stall":
                time.sleep(30)
            elif name == "reset":
                # Let what was sent reach the client before the reset.
                time.sleep(0.1)
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                           struct.pack("ii", 1, 0))
            self.close_connection = True
            if name != "stall":
                self.connection.close()
            return status, cut
        if name == "throttle":
            rate = max(1, int(arg or "100000"))
            step = max(1, rate // 20)
            for pos in range(0, len(body), step):
                self.wfile.write(body[pos:pos + step])
                self.wfile.flush()
                time.sleep(step / rate)
            return status, len(body)
        self.wfile.write(body)
        return status, len(body)


# -- server-check options and modes --------------------------------------
# Kept apart from the modes above: they wrap the handler instead of changing
# it, so the modes above behave exactly as before.

_plain_control = Handler.control
_plain_serve = Handler.serve


_plain_content = content
_serving = threading.local()  # the source bytes of the file this thread serves


def content(seed, start, end):  # noqa: F811 (wraps the pattern's)
    data = getattr(_serving, "data", None)
    if data is not None:
        return data[start:end]
    return _plain_content(seed, start, end)


def _check_control(self):
    _plain_control(self)
    url = urllib.parse.urlsplit(self.path)
    q = urllib.parse.parse_qs(url.query, keep_blank_values=True)
    if url.path != "/_control/file":
        return
    with SCENARIOS_LOCK:
        sc = SCENARIOS.get(q.get("id", [""])[0])
    with sc.lock:
        f = sc.files[q["path"][0]]
        if q.get("validators", [""])[0] == "1":
            f["validator"] = "both"
        if "source" in q:
            with open(q["source"][0], "rb") as fp:
                f["data"] = fp.read()
            f["size"] = len(f["data"])


def _check_serve(self, method, sid, path, f, mode, rng):
    _serving.data = f.get("data")
    try:
        return _serve_check_mode(self, method, sid, path, f, mode, rng)
    finally:
        _serving.data = None


def _serve_check_mode(self, method, sid, path, f, mode, rng):
    if mode.partition("@")[0] == "gzip":
        body = gzip.compress(content(f["seed"], 0, f["size"]), mtime=0)
        self.send_response(200)
        self.send_header("Content-Encoding", "gzip")
        self.send_validators(f)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if method == "HEAD":
            return 200, 0
        self.wfile.write(body)
        return 200, len(body)
    return _plain_serve(self, method, sid, path, f, mode, rng)


Handler.control = _check_control
Handler.serve = _check_serve


def serve(port, state_dir):
    server = ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    # Every connection inherits it, and the bytes that come before the
    # connection is accepted are stamped as well.
    server.socket.setsockopt(socket.SOL_SOCKET, SO_TIMESTAMPNS, 1)
    if state_dir:
        with open(os.path.join(state_dir, "pid"), "w") as fp:
            fp.write("%d\n" % os.getpid())
        tmp = os.path.join(state_dir, "port.tmp")
        with open(tmp, "w") as fp:
            fp.write("%d\n" % server.server_address[1])
        os.replace(tmp, os.path.join(state_dir, "port"))
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    server.serve_forever()


def watch_parent(owner):
    """Ends this process once `owner` has gone."""
    def loop():
        while True:
            if not alive(owner):
                os._exit(0)
            time.sleep(0.5)
    threading.Thread(target=loop, daemon=True).start()


def start(state_dir, owner):
    os.makedirs(state_dir, exist_ok=True)
    port_file = os.path.join(state_dir, "port")
    if os.path.exists(port_file):
        os.remove(port_file)
    args = [sys.executable, os.path.abspath(__file__), "serve", "--state-dir", state_dir]
    if owner:
        args += ["--owner", str(owner)]
    with open(os.path.join(state_dir, "server.log"), "ab") as log:
        subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                         start_new_session=True)
    for _ in range(200):
        if os.path.exists(port_file):
            with open(port_file) as fp:
                print(fp.read().strip())
            return 0
        time.sleep(0.025)
    print("fault_server: did not start; see %s/server.log" % state_dir, file=sys.stderr)
    return 1


def alive(pid):
    """True while the process runs; a zombie waiting for its reaper is gone."""
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    try:
        with open("/proc/%d/stat" % pid) as fp:
            return fp.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return True


def stop(state_dir):
    pid_file = os.path.join(state_dir, "pid")
    try:
        with open(pid_file) as fp:
            pid = int(fp.read().strip())
    except (OSError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    for _ in range(250):
        if not alive(pid):
            break
        time.sleep(0.02)
    os.remove(pid_file)
    return 0


def main():
    p = argparse.ArgumentParser(description="programmable fault-injecting HTTP server")
    sub = p.add_subparsers(dest="cmd", required=True)
    s = sub.add_parser("start")
    s.add_argument("state_dir")
    s.add_argument("--with-parent", action="store_true")
    s.add_argument("--owner", type=int)
    t = sub.add_parser("stop")
    t.add_argument("state_dir")
    v = sub.add_parser("serve")
    v.add_argument("--port", type=int, default=0)
    v.add_argument("--state-dir")
    v.add_argument("--owner", type=int)
    a = p.parse_args()
    if a.cmd == "start":
        return start(os.path.abspath(a.state_dir),
                     os.getppid() if a.with_parent else a.owner)
    if a.cmd == "stop":
        return stop(os.path.abspath(a.state_dir))
    if a.owner:
        watch_parent(a.owner)
    serve(a.port, a.state_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
