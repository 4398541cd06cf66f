#!/usr/bin/env python3
"""tools/demo-content from the outside: the tree holds exactly the paths of
the two download plans, the archives hold the product with GBK names, the
manifest tells the truth, and the output is reproducible.

    demo_content_test.py GENERATOR
"""

import hashlib
import io
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

GENERATOR = None
SIZES = ["--setup-kb", "40", "--db-kb", "30", "--flash-kb", "8"]

# The plans, worked out by hand: the path each file is requested under.
URLS = {
    "A": {
        "setup.zip": "//QUENX_ZazivIV/100176-1(2014)/GlobeRPX/setup.zip",
        "Maindb.db": "/QUENX_ZazivIV/100176-1(2014)/QUENXRPX_Word2007/Data/Maindb.db",
        "exe.ico": "//QUENXFlash/Word2007/exe.ico",
        "uninstall.exe": "//2014QUENX_install/uninstall/uninstall.exe",
        "TestFlash.zip": "/QUENXFlash/Word2007/TestFlash.zip",
        "TestFlash2.zip": "/QUENXFlash/Word2007/TestFlash2.zip",
        "TestFlash3.zip": "/QUENXFlash/Word2007/TestFlash3.zip",
    },
    "B": {
        "setup.zip": "//QUENXGlobeRQX_RSX/setup.zip",
        "Maindb.db": "/QUENX_DarorOR/QUENXRQX_Excel2010/Data/Maindb.db",
        "uninstall.exe": "//2014QUENX_install/uninstall/uninstall.exe",
        "TestFlash.zip": "/QUENXFlash/Excel2010/TestFlash.zip",
        "TestFlash2.zip": "/QUENXFlash/Excel2010/TestFlash2.zip",
    },
}
# ... and where they lie below the document root (nginx merges slashes).
FILES_ON_DISK = {
    "QUENX_ZazivIV/100176-1(2014)/GlobeRPX/setup.zip",
    "QUENX_ZazivIV/100176-1(2014)/QUENXRPX_Word2007/Data/Maindb.db",
    "QUENXFlash/Word2007/exe.ico",
    "QUENXFlash/Word2007/TestFlash.zip",
    "QUENXFlash/Word2007/TestFlash2.zip",
    "QUENXFlash/Word2007/TestFlash3.zip",
    "QUENXGlobeRQX_RSX/setup.zip",
    "QUENX_DarorOR/QUENXRQX_Excel2010/Data/Maindb.db",
    "QUENXFlash/Excel2010/TestFlash.zip",
    "QUENXFlash/Excel2010/TestFlash2.zip",
    "2014QUENX_install/uninstall/uninstall.exe",
}
PRODUCT_FILES = ["DeskTutor.exe", "Mivanta.exe", "help.chm", "ExamTime.ini", "CopyFIle.exe",
                 "DiskID32.dll", "Flash.exe", "DeskTutor.elf", "VoiceTip.mp3", "MIDAS.DLL"]
APP = {"A": ("Zentivo 2014 演示版", "QUENXRPX_Word2007"), "B": ("Zentivo 冲刺版", "QUENXRQX_Excel2010")}


def run(programs, out, *extra):
    return subprocess.run([sys.executable, GENERATOR, "--programs", programs, "--out", out, *extra],
                          capture_output=True, text=True)


def tree(root):
    found = {}
    for folder, _, names in os.walk(root):
        for n in names:
            path = os.path.join(folder, n)
            with open(path, "rb") as f:
                found[os.path.relpath(path, root).replace(os.sep, "/")] = f.read()
    return found


def raw_name(info):
    """The stored name bytes (zipfile shows names without the UTF-8 flag as cp437)."""
    return info.filename.encode("utf-8" if info.flag_bits & 0x800 else "cp437")


def entries(data):
    """Stored name bytes -> (ZipInfo, content) of every entry."""
    with zipfile.ZipFile(io.BytesIO(data)) as z:
        assert z.testzip() is None, "an entry fails its CRC"
        return {raw_name(i): (i, z.read(i)) for i in z.infolist()}


class DemoContent(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.programs = os.path.join(cls.tmp.name, "bin")
        os.makedirs(cls.programs)
        cls.program_bytes = {}
        for name in ("DeskTutor.exe", "Mivanta.exe", "uninstall.exe"):
            cls.program_bytes[name] = b"MZ" + name.encode() + bytes(range(256))
            with open(os.path.join(cls.programs, name), "wb") as f:
                f.write(cls.program_bytes[name])
        cls.out = os.path.join(cls.tmp.name, "out")
        result = run(cls.programs, cls.out, *SIZES)
        assert result.returncode == 0, result.stderr
        cls.www = tree(os.path.join(cls.out, "www"))
        cls.manifest = []
        with open(os.path.join(cls.out, "manifest.tsv"), encoding="utf-8") as f:
            for line in f:
                if not line.startswith("#"):
                    cls.manifest.append(line.rstrip("\n").split("\t"))

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def served(self, edition, name):
        url = URLS[edition][name]
        return self.www[url.replace("//", "/").lstrip("/")]

    def test_tree_holds_exactly_the_plan_paths(self):
        self.assertEqual(set(self.www), FILES_ON_DISK)
        self.assertEqual(self.served("A", "TestFlash2.zip"), b"", "A has no second lesson archive")
        for edition, urls in URLS.items():
            for name in urls:
                if (edition, name) != ("A", "TestFlash2.zip"):
                    self.assertTrue(self.served(edition, name), (edition, name))
        self.assertEqual(len(self.served("B", "Maindb.db")), 30 * 1024)

    def test_manifest_names_every_url_with_its_size_and_digest(self):
        for edition, urls in URLS.items():
            rows = {r[2]: r for r in self.manifest if r[0] == edition and r[1] == "url"}
            self.assertEqual(set(rows), set(urls.values()))
            for name, url in urls.items():
                data = self.served(edition, name)
                self.assertEqual(rows[url][3:], [str(len(data)), hashlib.sha256(data).hexdigest()])

    def test_setup_holds_the_product_for_its_edition(self):
        for edition in URLS:
            files = entries(self.served(edition, "setup.zip"))
            names = {raw.decode("gbk"): (info, data) for raw, (info, data) in files.items()}
            for name in PRODUCT_FILES + ["Images/", "Menu/", "说明.txt", "Images/封面.bmp"]:
                self.assertIn(name, names, edition)
            for program in ("DeskTutor.exe", "Mivanta.exe"):
                self.assertEqual(names[program][1], self.program_bytes[program])
            ini = names["ExamTime.ini"][1].decode("gbk")
            self.assertIn("AppName=%s\r\n" % APP[edition][0], ini)
            self.assertIn("AppEName=%s\r\n" % APP[edition][1], ini)
            self.assertTrue(names["Images/封面.bmp"][1].startswith(b"BM"))
            self.assertGreater(len(self.served(edition, "setup.zip")), 40 * 1024)
            for info, data in names.values():
                if data:
                    self.assertEqual(info.compress_type, zipfile.ZIP_DEFLATED, info.filename)

    def test_chinese_names_are_gbk_without_the_utf8_flag(self):
        chinese = set()
        for edition, urls in URLS.items():
            for name in urls:
                if not name.endswith(".zip") or not self.served(edition, name):
                    continue
                for raw, (info, _) in entries(self.served(edition, name)).items():
                    self.assertEqual(info.flag_bits & 0x800, 0, raw)
                    self.assertEqual(info.create_system, 0, "made by MS-DOS: OEM code page names")
                    if any(b >= 0x80 for b in raw):
                        chinese.add(raw.decode("gbk"))
                        with self.assertRaises(UnicodeDecodeError):
                            raw.decode("utf-8")
        self.assertTrue({"说明.txt", "Images/封面.bmp", "Images/题库/", "Menu/菜单.ini",
                         "TestFlash/第1课.swf", "TestFlash/提高/", "TestFlash/Word2007/练习1.swf"}
                        <= chinese, chinese)

    def test_installed_rows_describe_what_an_installation_holds(self):
        installed = {e: {r[2]: r[3:] for r in self.manifest if r[0] == e and r[1] == "installed"}
                     for e in URLS}

        def row(data):
            return [str(len(data)), hashlib.sha256(data).hexdigest()]

        for edition in URLS:
            rows = installed[edition]
            self.assertEqual(rows["data\\Maindb.db"], row(self.served(edition, "Maindb.db")))
            self.assertEqual(rows["uninstall.exe"], row(self.program_bytes["uninstall.exe"]))
            self.assertEqual(rows["DeskTutor.exe"], row(self.program_bytes["DeskTutor.exe"]))
            self.assertIn("Images\\封面.bmp", rows)
        self.assertEqual(installed["A"]["exe.ico"], row(self.served("A", "exe.ico")))
        self.assertNotIn("exe.ico", installed["B"])
        self.assertIn("TestFlash\\Word2007\\练习1.swf", installed["A"])
        self.assertIn("TestFlash\\提高\\第1课.swf", installed["B"])
        # Both editions' last archive brings its own index page, which wins.
        for edition, last in (("A", "TestFlash3.zip"), ("B", "TestFlash2.zip")):
            index = entries(self.served(edition, last))[b"TestFlash/index.htm"][1]
            self.assertEqual(installed[edition]["TestFlash\\index.htm"], row(index))

    def test_icon_holds_four_sizes(self):
        icon = self.served("A", "exe.ico")
        reserved, kind, count = struct.unpack_from("<HHH", icon)
        self.assertEqual((reserved, kind, count), (0, 1, 4))
        sizes = []
        for k in range(count):
            w, h, _, _, planes, bits, length, offset = struct.unpack_from("<BBBBHHII", icon, 6 + 16 * k)
            self.assertEqual((planes, bits), (1, 32))
            self.assertLessEqual(offset + length, len(icon))
            sizes.append(w or 256)
            image = icon[offset:offset + length]
            self.assertTrue(image.startswith(b"\x89PNG") if w == 0 else image[:4] == b"\x28\0\0\0")
        self.assertEqual(sizes, [16, 32, 48, 256])

    def test_values_files_pack_each_edition(self):
        with open(os.path.join(self.out, "edition-B.values"), encoding="utf-8") as f:
            lines = [l.strip() for l in f if not l.startswith("#")]
        self.assertEqual(lines, ["AppName=Zentivo 冲刺版", "AppEName=QUENXRQX_Excel2010",
                                 "AgentVersion=0772-1"])

    def test_same_input_gives_the_same_bytes_and_a_rerun_replaces_the_tree(self):
        again = os.path.join(self.tmp.name, "again")
        os.makedirs(os.path.join(again, "www", "stale"))
        open(os.path.join(again, ".zentivo-demo-content"), "w").close()
        open(os.path.join(again, "www", "stale", "old.zip"), "w").close()
        result = run(self.programs, again, *SIZES)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(tree(os.path.join(again, "www")), self.www)

    def test_refuses_missing_programs_and_foreign_folders(self):
        empty = os.path.join(self.tmp.name, "no-programs")
        os.makedirs(empty)
        out = os.path.join(self.tmp.name, "not-made")
        result = run(empty, out)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("DeskTutor.exe", result.stderr)
        self.assertFalse(os.path.exists(out))

        foreign = os.path.join(self.tmp.name, "someones")
        os.makedirs(foreign)
        with open(os.path.join(foreign, "thesis.doc"), "w") as f:
            f.write("precious")
        result = run(self.programs, foreign)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("not made by this tool", result.stderr)
        self.assertEqual(os.listdir(foreign), ["thesis.doc"])


if __name__ == "__main__":
    GENERATOR = sys.argv.pop(1)
    unittest.main(verbosity=2)
