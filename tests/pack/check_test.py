#!/usr/bin/env python3
"""zentivo-pack check as a release gate: it passes the demo tree as nginx
serves it and names every fault of a table of broken servers, one line each,
with exit code 1.

    check_test.py ZENTIVO_PACK
"""

import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import packtest  # noqa: E402

TOOL = None

# Edition B's plan (agent 0772-1, RQX): the files it asks for, as requested.
PATHS = {
    "setup.zip": "//QUENXGlobeRQX_RSX/setup.zip",
    "Maindb.db": "/QUENX_DarorOR/QUENXRQX_Excel2010/Data/Maindb.db",
    "uninstall.exe": "//2014QUENX_install/uninstall/uninstall.exe",
    "TestFlash.zip": "/QUENXFlash/Excel2010/TestFlash.zip",
    "TestFlash2.zip": "/QUENXFlash/Excel2010/TestFlash2.zip",
}


def truncated(data):
    return data[:-100]


def bad_crc(data):
    """The first file entry's CRC-32 changed in the central directory."""
    at = data.rindex(b"PK\x05\x06")
    cd = struct.unpack_from("<I", data, at + 16)[0]
    while data[cd:cd + 4] == b"PK\x01\x02":
        name_len, extra_len, comment_len = struct.unpack_from("<HHH", data, cd + 28)
        if not data[cd + 46:cd + 46 + name_len].endswith(b"/"):
            crc = struct.unpack_from("<I", data, cd + 16)[0]
            return data[:cd + 16] + struct.pack("<I", crc ^ 1) + data[cd + 20:]
        cd += 46 + name_len + extra_len + comment_len
    raise AssertionError("no file entry")


def refused_names(data):
    """An archive whose names would leave the folder or name a device."""
    path = tempfile.mktemp(suffix=".zip")
    with zipfile.ZipFile(path, "w") as z:
        z.writestr("TestFlash/ok.htm", "fine")
        z.writestr("../evil.txt", "outside")
        z.writestr("TestFlash/CON.txt", "a device")
        z.writestr("TestFlash/a:b.txt", "a stream")
    with open(path, "rb") as f:
        out = f.read()
    os.remove(path)
    return out


# name, file, fault server options, damage to the file, what the lines say
FAULTS = [
    ("missing database", "Maindb.db", {"head": "404"}, None,
     ['Maindb.db: HEAD answers "HTTP/1.1 404 Not Found": the installer stops with '
      '"[Maindb.db]HTTP/1.1 404 Not Found"']),
    ("server error on an optional file", "TestFlash2.zip", {"head": "500"}, None,
     ['TestFlash2.zip: HEAD answers "HTTP/1.1 500 Internal Server Error": '
      'the installer leaves the file out']),
    ("no length", "setup.zip", {"head": "nolength"}, None,
     ['setup.zip: HEAD gives no Content-Length: the installer stops with '
      '"[setup.zip]服务器没有提供文件大小"']),
    ("redirect", "setup.zip", {"head": "redirect", "get": "redirect"}, None,
     ['setup.zip: HEAD answers "HTTP/1.1 302 Found" (a redirect) and the size probe '
      "doesn't follow redirects: the installer stops with "
      '"[setup.zip]HTTP/1.1 302 Found"']),
    ("Range ignored", "Maindb.db", {"get": "ignorerange"}, None,
     ['Maindb.db: GET with Range bytes=0-65536 answers "HTTP/1.1 200 OK" with the whole '
      "file: no single byte ranges, so downloads can't resume"]),
    ("wrong Content-Range", "setup.zip", {"get": "wrongrange"}, None,
     [re.compile(r'setup\.zip: GET with Range bytes=0-524288 answers Content-Range '
                 r'"bytes 1-\d+/\d+", not "bytes 0-524288/\d+": the installer stops with '
                 r'"\[setup\.zip\]服务器返回的内容不是所需文件"')]),
    ("compressed", "TestFlash.zip", {"head": "gzip", "get": "gzip"}, None,
     ["TestFlash.zip: HEAD announces Content-Encoding gzip: the installer counts the bytes "
      "as stored",
      re.compile(r"TestFlash\.zip: GET with Range bytes=0-\d+ comes back with "
                 r"Content-Encoding gzip")]),
    ("no validators", "uninstall.exe", {"validators": "0"}, None,
     ["uninstall.exe: HEAD sends neither ETag nor Last-Modified"]),
    ("broken connection", "setup.zip", {"get": "short@1000"}, None,
     ["setup.zip: GET with Range bytes=0-524288 failed: 网络连接中断"]),
    ("truncated archive", "setup.zip", {}, truncated,
     [re.compile(r"setup\.zip: the archive can't be read \(.*\): the installer says "
                 r'"安装包已损坏！"')]),
    ("damaged entry", "TestFlash.zip", {}, bad_crc,
     [re.compile(r'TestFlash\.zip: entry "TestFlash/[^"]+" fails its CRC-32 or length: '
                 r"the installer drops it")]),
    ("names the installer refuses", "TestFlash2.zip", {}, refused_names,
     ['TestFlash2.zip: entry name "../evil.txt" is refused by the installer',
      'TestFlash2.zip: entry name "TestFlash/CON.txt" is refused',
      'TestFlash2.zip: entry name "TestFlash/a:b.txt" is refused']),
    ("empty required file", "uninstall.exe", {}, lambda data: b"",
     ["uninstall.exe: the file is empty (Content-Length 0): the installation would lack it"]),
]


def problems(out):
    """The problem lines: after the table's blank line, before the summary."""
    lines = out.split("\n\n", 2)[2].splitlines()
    return [line for line in lines if re.match(r"^[\w.]+: ", line) and not
            line.startswith("ok:")]


class Check(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.content = packtest.demo_content(cls.tmp.name)
        cls.www = os.path.join(cls.content, "www")
        cls.servers = packtest.Servers()
        cls.fault = cls.servers.fault()

    @classmethod
    def tearDownClass(cls):
        cls.servers.stop()
        cls.tmp.cleanup()

    def values(self, edition):
        return os.path.join(self.content, "edition-%s.values" % edition)

    def local(self, path):
        return os.path.join(self.www, *path.lstrip("/").split("/"))

    def check(self, root, edition="B"):
        return packtest.run(TOOL, "check", "--server", root, "--values", self.values(edition))

    def scenario(self, sid, faulty=None, options=None, damage=None):
        """Edition B's files on the fault server, served whole and right
        (with validators) except `faulty`."""
        for name, path in PATHS.items():
            source = self.local(path)
            opts = {"validators": "1"}
            if name == faulty:
                opts.update(options or {})
                if damage:
                    with open(source, "rb") as f:
                        data = damage(f.read())
                    source = os.path.join(self.tmp.name, sid + "-" + name)
                    with open(source, "wb") as f:
                        f.write(data)
            self.fault.file(sid, path, source=source, **opts)
        return self.fault.root(sid)

    def test_the_demo_tree_passes_for_both_editions(self):
        port = self.servers.nginx(self.www)
        for edition, archives in (("A", 3), ("B", 3)):
            code, out, err = self.check("127.0.0.1:%d" % port, edition)
            self.assertEqual(code, 0, out + err)
            self.assertIn("ok: the server serves this edition as the installer needs it", out)
            self.assertEqual(problems(out), [])
            self.assertEqual(out.count(" files ok "), archives, out)
            self.assertEqual(out.count("206 ok"), 6 if edition == "A" else 5, out)

    def test_a_server_that_keeps_double_slashes_apart_fails(self):
        port = self.servers.nginx(self.www, "--no-merge-slashes")
        code, out, _ = self.check("http://127.0.0.1:%d" % port)
        self.assertEqual(code, 1, out)
        for name in ("setup.zip", "uninstall.exe"):
            self.assertIn('%s: HEAD answers "HTTP/1.1 404 Not Found"' % name, out)
            self.assertIn("%s: the server doesn't merge the double slash" % name, out)

    def test_the_fault_server_serving_everything_right_passes(self):
        code, out, err = self.check(self.scenario("right"))
        self.assertEqual(code, 0, out + err)
        self.assertEqual(problems(out), [])

    def test_an_absent_optional_file_is_no_problem(self):
        code, out, err = self.check(self.scenario("absent", "TestFlash2.zip", {"head": "404"}))
        self.assertEqual(code, 0, out + err)
        self.assertRegex(out, r"\nTestFlash2\.zip +if probed +404 ")

    def test_every_fault_is_named_in_one_line(self):
        for i, (name, file, options, damage, expected) in enumerate(FAULTS):
            with self.subTest(name):
                code, out, err = self.check(self.scenario("fault%d" % i, file, options, damage))
                self.assertEqual(code, 1, out + err)
                lines = problems(out)
                for want in expected:
                    found = [l for l in lines if (want.search(l) if hasattr(want, "search")
                                                  else l.startswith(want))]
                    self.assertTrue(found, "%s\nnot in:\n%s" % (want, out))
                # The faulty file is the only one named.
                self.assertEqual({l.split(":")[0] for l in lines}, {file}, out)
                self.assertRegex(out, r"\n\d+ problems?\n$")


class CheckHttps(unittest.TestCase):
    """https with the system's certificate checks: the test CA trusted
    through curl's CURL_CA_BUNDLE passes; a CA nobody trusts, or a
    certificate for another host, is a problem for every file."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.content = packtest.demo_content(cls.tmp.name)
        ca = os.path.join(cls.tmp.name, "ca")
        subprocess.run([os.path.join(packtest.SERVERS, "make-test-ca"), ca], check=True)
        cls.ca = os.path.join(ca, "ca.pem")
        cls.servers = packtest.Servers()
        www = os.path.join(cls.content, "www")
        cls.good = cls.servers.nginx(www, "--tls", os.path.join(ca, "server.pem"),
                                     os.path.join(ca, "server.key"))
        cls.wrong_host = cls.servers.nginx(www, "--tls", os.path.join(ca, "wronghost.pem"),
                                           os.path.join(ca, "wronghost.key"))

    @classmethod
    def tearDownClass(cls):
        cls.servers.stop()
        cls.tmp.cleanup()

    def check(self, port, trust_test_ca):
        env = {k: v for k, v in os.environ.items() if k not in ("CURL_CA_BUNDLE", "SSL_CERT_FILE")}
        if trust_test_ca:
            env["CURL_CA_BUNDLE"] = self.ca
        values = os.path.join(self.content, "edition-A.values")
        return packtest.run(TOOL, "check", "--server", "https://127.0.0.1:%d" % port,
                            "--values", values, env=env)

    def test_a_trusted_certificate_passes(self):
        code, out, err = self.check(self.good, True)
        self.assertEqual(code, 0, out + err)
        self.assertIn("server       https://127.0.0.1:%d\n" % self.good, out)

    def test_untrusted_or_foreign_certificates_fail_every_file(self):
        for port, trust in ((self.good, False), (self.wrong_host, True)):
            with self.subTest(port=port, trust=trust):
                code, out, _ = self.check(port, trust)
                self.assertEqual(code, 1, out)
                lines = problems(out)
                # The four files every installation needs and the three
                # probed ones that edition A has.
                self.assertEqual(len(lines), 7, out)
                self.assertIn('setup.zip: HEAD failed: 服务器证书无效，无法建立安全连接 (', out)
                self.assertIn('the installer stops with "[setup.zip]服务器证书无效，无法建立安全连接"',
                              out)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=2)
