"""The update server as another web server than nginx: Apache httpd,
lighttpd or Caddy, each with its stock way of serving files
(tests/servers/web-serve), on the installer's update port."""

import os
import re
import subprocess

import driver

WEB_SERVE = os.path.join(driver.ROOT, "tests", "servers", "web-serve")


class WebServer:
    """Serves `root` on the installer's update port with `kind`; the same
    calls as driver.UpdateServer."""

    def __init__(self, kind, root, state_dir):
        self.kind = kind
        self.state_dir = state_dir
        r = subprocess.run([WEB_SERVE, "start", kind, root, state_dir, "--port", str(driver.UPDATE_PORT)],
                           capture_output=True, text=True)
        if r.returncode != 0:
            raise driver.DriverError("%s did not start on port %d: %s" % (kind, driver.UPDATE_PORT, r.stderr.strip()))

    def requests(self):
        """(method, uri, range) of every request logged so far, in order."""
        path = os.path.join(self.state_dir, "access.log")
        if not os.path.exists(path):
            return []
        out = []
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                m = re.match(r'"(\S+) (\S+)" "([^"]*)"', line)
                if m:
                    out.append((m.group(1), m.group(2), "" if m.group(3) == "-" else m.group(3)))
        return out

    def stop(self):
        subprocess.run([WEB_SERVE, "stop", self.state_dir], capture_output=True)


def serve(kind, root, state_dir):
    """nginx (driver.UpdateServer) or one of the others."""
    if kind == "nginx":
        return driver.UpdateServer(root, state_dir)
    return WebServer(kind, root, state_dir)
