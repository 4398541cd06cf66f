"""A prepared place to run the packed demo installers: the demo content, the
installers of both editions, a Wine prefix template, and per run a folder
with its own prefix, drive D:, display, update server and probe sites."""

import csv
import hashlib
import os
import shutil
import subprocess

import driver

EDITIONS = ("A", "B")


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def read_values(path):
    values = {}
    for line in open(path, encoding="utf-8"):
        line = line.strip()
        if line and not line.startswith("#") and "=" in line:
            name, value = line.split("=", 1)
            values[name] = value
    return values


# The release key of the test and demo builds (the windows preset's ZENTIVO_RELEASE_KEY).
RELEASE_TEST_KEY = os.path.join(driver.ROOT, "tests", "keys", "release-test.key")


class Workspace:
    """build/<preset>/e2e (or the demo's folder): what every run shares."""

    def __init__(self, root, bin_dir):
        self.root = os.path.abspath(root)
        self.bin_dir = os.path.abspath(bin_dir)
        self.content = os.path.join(self.root, "content")
        self.template = os.path.join(self.root, "prefix-template")
        self.installers = os.path.join(self.root, "installers")

    def prepare(self, log=print):
        os.makedirs(self.root, exist_ok=True)
        log("generating the demo update-server content")
        subprocess.run([os.path.join(driver.ROOT, "tools", "demo-content", "demo-content"), "--programs",
                        self.bin_dir, "--out", self.content], check=True, stdout=subprocess.DEVNULL)
        self.sign(os.path.join(self.content, "www"))
        for e in EDITIONS:
            self.pack(e)
        log("preparing a Wine prefix (first time only)")
        driver.WinePrefix.make_template(self.template)

    def pack(self, edition):
        out_dir = os.path.join(self.installers, "edition-" + edition)
        os.makedirs(out_dir, exist_ok=True)
        out = os.path.join(out_dir, "ZentivoSetup.exe")
        values = os.path.join(self.content, "edition-%s.values" % edition)
        setup = os.path.join(self.bin_dir, "ZentivoSetup.exe")
        subprocess.run(self.pack_tool() + ["pack", "--installer", setup, "--output", out, "--values", values],
                       check=True, stdout=subprocess.DEVNULL)
        return out

    def pack_tool(self):
        """zentivo-pack: the native one when it is built, else the Windows one under Wine."""
        native = os.path.join(driver.ROOT, "build", "native", "bin", "zentivo-pack")
        if os.path.exists(native):
            return [native]
        return [os.path.join(driver.ROOT, "cmake", "wine-run"), os.path.join(self.bin_dir, "zentivo-pack.exe")]

    def sign(self, www):
        """Signs the release manifest of the tree `www` with the tests' release key, which the
        test and demo builds of the installer trust. A manifest already there is replaced
        (a new file: the tree may share it with others through hard links)."""
        manifest = os.path.join(www, "zentivo-release.manifest")
        if os.path.exists(manifest):
            os.unlink(manifest)
        subprocess.run(self.pack_tool() + ["sign", "--server", www, "--key", RELEASE_TEST_KEY], check=True,
                       stdout=subprocess.DEVNULL)

    def values(self, edition):
        return read_values(os.path.join(self.content, "edition-%s.values" % edition))

    def manifest(self, edition, kind):
        """{path: (size, sha256)} of the served ("url") or installed files."""
        rows = {}
        with open(os.path.join(self.content, "manifest.tsv"), encoding="utf-8") as f:
            for row in csv.reader(f, delimiter="\t"):
                if len(row) == 5 and row[0] == edition and row[1] == kind:
                    rows[row[2]] = (int(row[3]), row[4])
        return rows


class Run:
    """One test's or the demo's own installation setting."""

    def __init__(self, workspace, name, display=None):
        self.ws = workspace
        self.dir = os.path.join(workspace.root, "runs", name)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        self.screens = os.path.join(self.dir, "screens")
        self.display = driver.Display(display)
        self.prefix = driver.WinePrefix.clone(workspace.template, os.path.join(self.dir, "prefix"),
                                              os.path.join(self.dir, "home"))
        self.d_drive = os.path.join(self.dir, "d")
        self.prefix.map_drive("d", self.d_drive)
        self.server = None
        self.probes = None
        self.runs = 0
        self.env = {}  # more environment for every installer this run starts

    def serve(self, www=None, limit_rate=None, probes=True):
        self.server = driver.UpdateServer(www or os.path.join(self.ws.content, "www"),
                                          os.path.join(self.dir, "nginx"), limit_rate)
        if probes:
            self.probes = driver.ProbeSites()

    def own_www(self):
        """A copy of the served tree that this run may change (hard links:
        replace a file, don't write into it)."""
        www = os.path.join(self.dir, "www")
        subprocess.run(["cp", "-al", os.path.join(self.ws.content, "www"), www], check=True)
        return www

    def sign(self, www):
        """A new manifest for a tree this run changed, as the maker signs a release."""
        self.ws.sign(www)

    def exe_dir(self, edition):
        return os.path.join(self.dir, "installer-" + edition)

    def installer(self, edition):
        """A new start of this edition's installer, from the same folder each time."""
        folder = self.exe_dir(edition)
        exe = os.path.join(folder, "ZentivoSetup.exe")
        if not os.path.exists(exe):
            os.makedirs(folder, exist_ok=True)
            shutil.copy(os.path.join(self.ws.installers, "edition-" + edition, "ZentivoSetup.exe"), exe)
        self.runs += 1
        log = os.path.join(self.dir, "installer-%d.log" % self.runs)
        return driver.Installer(self.prefix, self.display, exe, log, self.env).start()

    def work_dir(self, edition):
        return os.path.join(self.exe_dir(edition), "temp")

    def install_dir(self, edition):
        """Below D:, where the default folder "D:\\TARVO\\<AppEName>" lies."""
        return os.path.join(self.d_drive, "TARVO", self.ws.values(edition)["AppEName"])

    def close(self):
        self.prefix.kill()
        if self.server:
            self.server.stop()
        if self.probes:
            self.probes.stop()
        self.display.stop()

    def display_screenshot(self, path):
        self.display.screenshot(path)
