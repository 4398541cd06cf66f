#!/usr/bin/env python3
"""The documented nginx server block serves the generated tree as the
installer asks for it: HEAD sizes and ranged GETs at the plan's URLs, double
slashes included, uncompressed.

    nginx_site_test.py GENERATOR SITE_CONF
"""

import http.client
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

GENERATOR = SITE_CONF = None
NGINX = shutil.which("nginx") or "/usr/sbin/nginx"  # sbin may be off a user's PATH
PIECE = 524288  # the installer asks for PIECE + 1 bytes at a time
SETUP_A = "//QUENX_ZazivIV/100176-1(2014)/GlobeRPX/setup.zip"
ALL_URLS = {
    SETUP_A: "QUENX_ZazivIV/100176-1(2014)/GlobeRPX/setup.zip",
    "/QUENX_ZazivIV/100176-1(2014)/QUENXRPX_Word2007/Data/Maindb.db":
        "QUENX_ZazivIV/100176-1(2014)/QUENXRPX_Word2007/Data/Maindb.db",
    "//QUENXFlash/Word2007/exe.ico": "QUENXFlash/Word2007/exe.ico",
    "//2014QUENX_install/uninstall/uninstall.exe": "2014QUENX_install/uninstall/uninstall.exe",
    "/QUENXFlash/Word2007/TestFlash.zip": "QUENXFlash/Word2007/TestFlash.zip",
    "/QUENXFlash/Word2007/TestFlash2.zip": "QUENXFlash/Word2007/TestFlash2.zip",
    "/QUENXFlash/Word2007/TestFlash3.zip": "QUENXFlash/Word2007/TestFlash3.zip",
    "//QUENXGlobeRQX_RSX/setup.zip": "QUENXGlobeRQX_RSX/setup.zip",
    "/QUENX_DarorOR/QUENXRQX_Excel2010/Data/Maindb.db":
        "QUENX_DarorOR/QUENXRQX_Excel2010/Data/Maindb.db",
    "/QUENXFlash/Excel2010/TestFlash.zip": "QUENXFlash/Excel2010/TestFlash.zip",
    "/QUENXFlash/Excel2010/TestFlash2.zip": "QUENXFlash/Excel2010/TestFlash2.zip",
}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class NginxSite(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        base = cls.tmp.name
        programs = os.path.join(base, "bin")
        os.makedirs(programs)
        for name in ("DeskTutor.exe", "Mivanta.exe", "uninstall.exe"):
            with open(os.path.join(programs, name), "wb") as f:
                f.write(b"MZ" + name.encode())
        out = os.path.join(base, "content")
        subprocess.run([sys.executable, GENERATOR, "--programs", programs, "--out", out,
                        "--setup-kb", "1100", "--db-kb", "64", "--flash-kb", "16"],
                       check=True, capture_output=True)
        cls.www = os.path.join(out, "www")
        cls.nginx = cls.start_nginx(base)

    @classmethod
    def start_nginx(cls, base):
        with open(SITE_CONF) as f:
            site = f.read()
        for attempt in range(3):
            cls.port = free_port()
            conf = os.path.join(base, "nginx.conf")
            server = site
            for directive, value in (("listen", f"127.0.0.1:{cls.port}"), ("root", cls.www),
                                     ("access_log", f"{base}/access.log")):
                server = re.sub(rf"^(\s*){directive} [^;\n]+;", rf"\g<1>{directive} {value};",
                                server, count=1, flags=re.M)
            temp = "".join(f"{k}_temp_path {base}/{k};\n"
                           for k in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
            with open(conf, "w") as f:
                f.write(("user root;\n" if os.geteuid() == 0 else "") +
                        f"daemon off;\nworker_processes 1;\npid {base}/nginx.pid;\n"
                        f"error_log {base}/error.log;\nevents {{ worker_connections 64; }}\n"
                        f"http {{\n{temp}{server}\n}}\n")
            with open(os.path.join(base, "nginx.stderr"), "w") as err:
                proc = subprocess.Popen([NGINX, "-p", base, "-c", conf],
                                        stdout=subprocess.DEVNULL, stderr=err)
            for _ in range(50):
                if proc.poll() is not None:
                    break  # the port was taken meanwhile: try another
                try:
                    socket.create_connection(("127.0.0.1", cls.port), timeout=0.2).close()
                    return proc
                except OSError:
                    time.sleep(0.1)
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        with open(os.path.join(base, "nginx.stderr")) as f:
            raise RuntimeError("nginx did not start:\n" + f.read())

    @classmethod
    def tearDownClass(cls):
        cls.nginx.terminate()
        cls.nginx.wait(timeout=10)
        cls.tmp.cleanup()

    def request(self, method, url, headers=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        conn.request(method, url, headers=headers or {})
        reply = conn.getresponse()
        body = reply.read()
        conn.close()
        return reply, body

    def local(self, url):
        with open(os.path.join(self.www, *ALL_URLS[url].split("/")), "rb") as f:
            return f.read()

    def test_head_gives_every_file_its_length_uncompressed(self):
        for url in ALL_URLS:
            reply, _ = self.request("HEAD", url, {"Accept-Encoding": "gzip, deflate"})
            self.assertEqual(reply.status, 200, url)
            self.assertEqual(reply.getheader("Content-Length"), str(len(self.local(url))), url)
            self.assertIsNone(reply.getheader("Content-Encoding"), url)
            self.assertIsNone(reply.getheader("Transfer-Encoding"), url)

    def test_ranges_as_the_installer_asks_for_them(self):
        data = self.local(SETUP_A)
        self.assertGreater(len(data), 2 * PIECE + 2)
        first, second = f"0-{PIECE}", f"{PIECE + 1}-{2 * PIECE + 1}"
        last = f"{2 * PIECE + 2}-{len(data)}"  # one past the end, cut by the server
        got = b""
        for value in (first, second, last):
            reply, body = self.request("GET", SETUP_A, {"Range": "bytes=" + value,
                                                        "Accept-Encoding": "gzip"})
            self.assertEqual(reply.status, 206, value)
            self.assertIsNone(reply.getheader("Content-Encoding"))
            self.assertEqual(reply.getheader("Content-Length"), str(len(body)))
            got += body
        self.assertEqual(got, data)

    def test_the_deployment_note_shows_this_very_block(self):
        with open(SITE_CONF) as f:
            block = f.read()
        with open(os.path.join(os.path.dirname(SITE_CONF), "DEPLOYMENT.md")) as f:
            note = f.read()
        self.assertIn(block[block.index("server {"):], note)

    def test_nothing_else_is_served(self):
        self.assertEqual(self.request("GET", "/QUENXFlash/")[0].status, 404)  # no listings
        self.assertEqual(self.request("GET", "/QUENXFlash/Excel2010/exe.ico")[0].status, 404)
        self.assertEqual(self.request("DELETE", SETUP_A)[0].status, 403)


if __name__ == "__main__":
    GENERATOR, SITE_CONF = sys.argv.pop(1), sys.argv.pop(1)
    unittest.main(verbosity=2)
