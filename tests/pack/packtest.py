"""What the zentivo-pack tests share: running the tool, the demo content,
and the test servers of tests/servers, each stopped when the test ends."""

import os
import shutil
import subprocess
import sys
import tempfile
import urllib.parse
import urllib.request

sys.dont_write_bytecode = True  # keep the source tree clean

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SERVERS = os.path.join(SOURCE_DIR, "tests", "servers")
DEMO_CONTENT = os.path.join(SOURCE_DIR, "tools", "demo-content", "demo-content")


def run(tool, *args, env=None):
    """(exit code, stdout, stderr) of one zentivo-pack run."""
    p = subprocess.run([tool, *args], capture_output=True, text=True, env=env, timeout=300)
    return p.returncode, p.stdout, p.stderr


def demo_content(base):
    """The demo update-server tree, small, with stand-ins for the programs;
    returns the output folder (www/, edition-A.values, edition-B.values)."""
    programs = os.path.join(base, "programs")
    os.makedirs(programs)
    for name in ("DeskTutor.exe", "Mivanta.exe", "uninstall.exe"):
        with open(os.path.join(programs, name), "wb") as f:
            f.write(b"MZ" + name.encode())
    out = os.path.join(base, "content")
    subprocess.run([sys.executable, DEMO_CONTENT, "--programs", programs, "--out", out,
                    "--setup-kb", "1100", "--db-kb", "64", "--flash-kb", "16"],
                   check=True, capture_output=True)
    return out


class Servers:
    """Test servers started for one test class; stop() ends every one."""

    def __init__(self):
        self.tmp = tempfile.mkdtemp(prefix="zentivo-pack-servers.")
        self.stops = []

    def nginx(self, root, *options):
        """nginx-serve on `root`; returns its port."""
        state = tempfile.mkdtemp(dir=self.tmp)
        port = subprocess.run([os.path.join(SERVERS, "nginx-serve"), "start", root, state,
                               "--owner", str(os.getpid()), *options],
                              check=True, capture_output=True, text=True).stdout.strip()
        self.stops.append([os.path.join(SERVERS, "nginx-serve"), "stop", state])
        return int(port)

    def fault(self):
        """The fault server; returns a FaultServer."""
        state = tempfile.mkdtemp(dir=self.tmp)
        script = os.path.join(SERVERS, "fault_server.py")
        port = subprocess.run([sys.executable, script, "start", state, "--owner",
                               str(os.getpid())],
                              check=True, capture_output=True, text=True).stdout.strip()
        self.stops.append([sys.executable, script, "stop", state])
        return FaultServer(int(port))

    def stop(self):
        for command in self.stops:
            subprocess.run(command, capture_output=True)
        shutil.rmtree(self.tmp, ignore_errors=True)


class FaultServer:
    def __init__(self, port):
        self.port = port

    def file(self, scenario, path, **options):
        """Sets up PATH of a scenario (options as /_control/file takes them)."""
        query = urllib.parse.urlencode({"id": scenario, "path": path, "size": 0, **options})
        url = "http://127.0.0.1:%d/_control/file?%s" % (self.port, query)
        with urllib.request.urlopen(url, timeout=10) as reply:
            assert reply.status == 200

    def root(self, scenario):
        """The server root the scenario's files lie below."""
        return "http://127.0.0.1:%d/s/%s" % (self.port, scenario)
