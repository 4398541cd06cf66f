"""Drives the real installer under Wine the way a person would.

Used by the end-to-end tests and by the demo. It starts what an installation
needs on loopback (the update server, the two reachability probe sites, a
virtual display), starts a packed installer in a Wine prefix of its own,
clicks the window's controls with xdotool at their client positions, finds
message boxes by their titles and answers them with keys, and reads what
happened from the file system, nginx's access log, the message texts and
screenshots.

The installer is built with the loopback hosts of the windows preset: update
server 127.0.0.1:18080, probe sites 127.0.0.1:18081 and 127.0.0.1:18082.
"""

import os
import re
import shutil
import signal
import socket
import subprocess
import threading
import time

UPDATE_PORT = 18080
PROBE_PORTS = (18081, 18082)
WINDOW_TITLE = "Zentivo在线安装"

# Client positions (centres) of what a person clicks.
CHECKBOX = (23, 360)
PRIMARY_BUTTON = (564, 363)  # "准备安装", then "安装", "取 消" and "立即体验"
CHOOSE_FOLDER = (427, 363)
CLOSE_BUTTON = (617, 12)

# Wine's DLL overrides of every run: no Mono or Gecko install prompts.
DLL_OVERRIDES = "mscoree,mshtml="

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
NGINX_SERVE = os.path.join(ROOT, "tests", "servers", "nginx-serve")


class DriverError(Exception):
    pass


def wait_until(what, predicate, timeout, interval=0.2):
    """Polls predicate until it returns something true; raises on timeout."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise DriverError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


class Display:
    """A private Xvfb display, or the caller's own when use_existing is set."""

    def __init__(self, use_existing=None):
        self.proc = None
        if use_existing:
            self.name = use_existing
            return
        for n in range(200, 400):
            if os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
                continue
            proc = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # Two runs may pick the same free number at once; the display is
            # ours only when its lock file names our server.
            try:
                wait_until("Xvfb :%d" % n, lambda: proc.poll() is not None or (
                    self._lock_owner(n) == proc.pid and os.path.exists("/tmp/.X11-unix/X%d" % n)), 10)
            except DriverError:
                proc.kill()
                proc.wait()
                continue
            if proc.poll() is None:
                self.proc, self.name = proc, ":%d" % n
                return
        raise DriverError("no free X display for Xvfb")

    @staticmethod
    def _lock_owner(n):
        try:
            return int(open("/tmp/.X%d-lock" % n).read().strip() or 0)
        except (OSError, ValueError):
            return None

    def screenshot(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-window", "root", path], env=dict(os.environ, DISPLAY=self.name),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)

    def stop(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait()
            self.proc = None


class ProbeSites:
    """Listeners on the probe ports that answer any request with 200."""

    def __init__(self, ports=PROBE_PORTS):
        self.socks = []
        for port in ports:
            s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            try:
                s.bind(("127.0.0.1", port))
            except OSError as e:
                raise DriverError("port %d is taken (%s); the installer's probe sites need it" % (port, e))
            s.listen(16)
            self.socks.append(s)
            threading.Thread(target=self._serve, args=(s,), daemon=True).start()

    @staticmethod
    def _serve(s):
        while True:
            try:
                conn, _ = s.accept()
            except OSError:
                return
            try:
                conn.settimeout(2)
                try:
                    conn.recv(4096)
                except OSError:
                    pass
                conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok")
            except OSError:
                pass
            finally:
                conn.close()

    def stop(self):
        for s in self.socks:
            s.close()
        self.socks = []


class UpdateServer:
    """nginx serving a document root on the installer's update port.

    limit_rate throttles each request, but nginx lets the first second's worth
    of a request through at once: a rate above the installer's 512 KiB range
    size throttles nothing."""

    def __init__(self, root, state_dir, limit_rate=None):
        self.state_dir = state_dir
        args = [NGINX_SERVE, "start", root, state_dir, "--port", str(UPDATE_PORT)]
        if limit_rate:
            args += ["--limit-rate", limit_rate]
        r = subprocess.run(args, capture_output=True, text=True)
        if r.returncode != 0:
            raise DriverError("nginx did not start on port %d: %s" % (UPDATE_PORT, r.stderr.strip()))

    def requests(self):
        """(uri, range) of every request so far, in order."""
        path = os.path.join(self.state_dir, "access.log")
        out = []
        if not os.path.exists(path):
            return out
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                m = re.match(r'\S+ "(\S+) (\S+) [^"]*" "([^"]*)"', line)
                if m:
                    out.append((m.group(1), m.group(2), m.group(3)))
        return out

    def stop(self):
        subprocess.run([NGINX_SERVE, "stop", self.state_dir], capture_output=True)


class WinePrefix:
    """A Wine prefix of its own, cloned from a template made once."""

    def __init__(self, path, home):
        self.path = path
        self.home = home

    @staticmethod
    def make_template(path):
        """wineboot into path, with the user folders as plain folders so that
        clones share nothing with the template or the real home."""
        if os.path.exists(os.path.join(path, ".ready")):
            return
        shutil.rmtree(path, ignore_errors=True)
        home = path + "-home"
        os.makedirs(home, exist_ok=True)
        env = dict(os.environ, WINEPREFIX=path, HOME=home, WINEDEBUG="-all", LANG="zh_CN.UTF-8",
                   WINEDLLOVERRIDES="mscoree,mshtml=")
        env.pop("DISPLAY", None)
        subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        fonts = os.path.join(ROOT, "cmake", "wine-fonts.reg")
        if os.path.exists(fonts):  # the outline font the test prefixes use for small Chinese text
            subprocess.run(["wine", "regedit", "/S", "Z:" + fonts.replace("/", "\\")], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        subprocess.run(["wineserver", "-w"], env=env, check=False)
        users = os.path.join(path, "drive_c", "users")
        for user in os.listdir(users):
            for name in os.listdir(os.path.join(users, user)):
                p = os.path.join(users, user, name)
                if os.path.islink(p):
                    os.unlink(p)
                    os.makedirs(p)
        open(os.path.join(path, ".ready"), "w").close()

    @classmethod
    def clone(cls, template, path, home):
        shutil.rmtree(path, ignore_errors=True)
        # Hard links: the prefix is mostly read-only system files; the
        # registry files, which wineserver rewrites, get copies of their own.
        subprocess.run(["cp", "-al", template, path], check=True)
        for name in os.listdir(path):
            if name.endswith(".reg"):
                p = os.path.join(path, name)
                data = open(p, "rb").read()
                os.unlink(p)
                open(p, "wb").write(data)
        os.makedirs(home, exist_ok=True)
        return cls(path, home)

    def map_drive(self, letter, folder):
        os.makedirs(folder, exist_ok=True)
        link = os.path.join(self.path, "dosdevices", letter.lower() + ":")
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(os.path.abspath(folder), link)

    def user_dir(self):
        users = os.path.join(self.path, "drive_c", "users")
        names = [n for n in os.listdir(users) if n not in ("Public", "public")]
        return os.path.join(users, names[0])

    def unix_path(self, windows_path):
        """C:\\users\\x\\Desktop -> the file below this prefix."""
        drive, rest = windows_path[0].lower(), windows_path[2:].lstrip("\\")
        base = os.path.realpath(os.path.join(self.path, "dosdevices", drive + ":"))
        return os.path.join(base, *rest.split("\\")) if rest else base

    def shell_folder(self, name):
        """A value of the user's "Shell Folders" key, as the installer reads it."""
        text = open(os.path.join(self.path, "user.reg"), encoding="utf-8", errors="replace").read()
        section = text.split("[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders]", 1)[1]
        section = section.split("\n[", 1)[0]
        m = re.search(r'^"%s"="(.*)"$' % re.escape(name), section, re.M)
        if not m:
            raise DriverError("no %s in Shell Folders" % name)
        return m.group(1).replace("\\\\", "\\")

    def env(self, display):
        return dict(os.environ, WINEPREFIX=self.path, HOME=self.home, DISPLAY=display, LANG="zh_CN.UTF-8",
                    LC_ALL="zh_CN.UTF-8", WINEDEBUG="-all,trace+msgbox", WINEDLLOVERRIDES=DLL_OVERRIDES)

    def kill(self):
        env = dict(os.environ, WINEPREFIX=self.path)
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def decode_trace_string(s):
    """Undoes Wine's debugstr_w escaping: \\XXXX (hex), \\r, \\n, \\t, \\\\, \\"."""
    out, i = [], 0
    while i < len(s):
        c = s[i]
        if c != "\\" or i + 1 == len(s):
            out.append(c)
            i += 1
            continue
        n = s[i + 1]
        if n in "rnt":
            out.append({"r": "\r", "n": "\n", "t": "\t"}[n])
            i += 2
        elif re.match(r"[0-9a-fA-F]{4}", s[i + 1:i + 5]):
            out.append(chr(int(s[i + 1:i + 5], 16)))
            i += 5
        else:
            out.append(n)
            i += 2
    return "".join(out)


class Installer:
    """One run of a packed installer in a prefix, on a display; `env` is
    added to (or replaces in) the prefix's environment."""

    def __init__(self, prefix, display, exe, log_path, env=None):
        self.prefix, self.display, self.exe, self.log_path = prefix, display, exe, log_path
        self.env = env or {}
        self.proc = None
        self.window = None

    def start(self):
        log = open(self.log_path, "ab")
        self.proc = subprocess.Popen(["wine", os.path.basename(self.exe)], cwd=os.path.dirname(self.exe),
                                     env=dict(self.prefix.env(self.display.name), **self.env), stdout=log,
                                     stderr=log)
        log.close()
        return self

    def _xdo(self, *args, check=True):
        r = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True,
                           env=dict(os.environ, DISPLAY=self.display.name))
        if check and r.returncode != 0:
            raise DriverError("xdotool %s failed: %s" % (" ".join(map(str, args)), r.stderr.strip()))
        return r.stdout.split()

    def visible_windows(self):
        return self._xdo("search", "--onlyvisible", "--name", ".", check=False)

    def find_windows(self, title):
        return self._xdo("search", "--onlyvisible", "--name", "^%s$" % re.escape(title), check=False)

    def wait_window(self, timeout=90):
        def found():
            if self.proc.poll() is not None:
                raise DriverError("the installer ended (exit code %s) before its window showed" % self.proc.returncode)
            ids = self.find_windows(WINDOW_TITLE)
            return ids[0] if ids else None
        self.window = wait_until("the installer window", found, timeout)
        time.sleep(1.0)  # let it paint
        return self.window

    def geometry(self):
        """(left, top, width, height) of the window on the screen."""
        out = " ".join(self._xdo("getwindowgeometry", self.window))
        pos = re.search(r"Position: (-?\d+),(-?\d+)", out)
        size = re.search(r"Geometry: (\d+)x(\d+)", out)
        return int(pos.group(1)), int(pos.group(2)), int(size.group(1)), int(size.group(2))

    def click(self, point, settle=0.8):
        x, y = point
        self._xdo("mousemove", "--window", self.window, x, y)
        time.sleep(0.3)
        self._xdo("click", 1)
        time.sleep(settle)

    def press(self, key, settle=0.8):
        """A key press (xdotool's key name) into the installer window, which
        gets the keyboard first: without a window manager nobody gives it."""
        self._xdo("windowfocus", "--sync", self.window, check=False)
        self._xdo("key", key)
        time.sleep(settle)

    def messages(self):
        """The texts of every message box shown so far, in order."""
        try:
            data = open(self.log_path, "rb").read().decode("utf-8", "replace")
        except FileNotFoundError:
            return []
        return [decode_trace_string(m) for m in re.findall(r'trace:msgbox:MSGBOX_OnInit L"(.*)"\r?$', data, re.M)]

    def wait_message_box(self, title, timeout=60):
        """The id of a shown message box with this caption. Says whether the
        installer still runs, and what it shows, when none comes."""
        def found():
            ids = self.find_windows(title)
            if ids:
                return ids[0]
            if self.proc.poll() is not None:
                raise DriverError("the installer ended (exit code %s) before a message box titled %r showed"
                                  % (self.proc.returncode, title))
            return None
        try:
            wid = wait_until("a message box titled %r" % title, found, timeout)
        except DriverError as e:
            if self.proc.poll() is None:
                shown = [" ".join(self._xdo("getwindowname", w, check=False)) for w in self.visible_windows()]
                raise DriverError("%s (the installer still runs; windows shown: %r)" % (e, shown)) from None
            raise
        time.sleep(0.7)
        return wid

    def answer(self, wid, key):
        self._xdo("windowactivate", wid, check=False)
        self._xdo("windowfocus", wid, check=False)
        time.sleep(0.3)
        self._xdo("key", "--window", wid, key)
        wait_until("the message box to close",
                   lambda: wid not in self._xdo("search", "--onlyvisible", "--name", ".", check=False), 15)
        time.sleep(0.5)

    def screenshot(self, path):
        self.display.screenshot(path)

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout=60):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise DriverError("the installer did not end within %d s" % timeout)

    def kill(self):
        """Ends the installer the hard way (power cut, task manager)."""
        self.prefix.kill()
        if self.proc:
            try:
                self.proc.wait(20)
            except subprocess.TimeoutExpired:
                self.proc.send_signal(signal.SIGKILL)
                self.proc.wait()
