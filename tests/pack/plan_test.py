#!/usr/bin/env python3
"""zentivo-pack plan shows the installer's own download plan: every agent
row, the year tests, the edition codes and the optional files, from values
and from a packed installer, with paths or with full URLs.

    plan_test.py ZENTIVO_PACK
"""

import os
import re
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import packtest  # noqa: E402

TOOL = None
FILES = ("setup.zip", "Maindb.db", "exe.ico", "uninstall.exe", "TestFlash.zip",
         "TestFlash2.zip", "TestFlash3.zip", "PlayFlash.zip")
UNINSTALL = "//2014QUENX_install/uninstall/uninstall.exe"

# AgentVersion, AppName, AppEName -> setup.zip, Maindb.db, and the plan of
# exe.ico, TestFlash3.zip and PlayFlash.zip ("p" probed, "-" left out),
# FlashFolder, EditionCode.
EDITIONS = [
    # 100176-1: the year from AppName, 2013 or else 2014.
    ("100176-1", "Zentivo 2013 版", "QUENXRPX_Word2007",
     "//QUENX_ZazivIV/100176-1(2013)/GlobeRPX/setup.zip",
     "/QUENX_ZazivIV/100176-1(2013)/QUENXRPX_Word2007/Data/Maindb.db", "pp-", "Word2007", "RPX"),
    ("100176-1", "Zentivo 2012", "QUENXRQX_Excel2010",
     "//QUENX_ZazivIV/100176-1(2014)/GlobeRQX/setup.zip",
     "/QUENX_ZazivIV/100176-1(2014)/QUENXRQX_Excel2010/Data/Maindb.db", "---", "Excel2010",
     "RQX"),
    # 0772-1: one archive for RPX, one shared by RQX and RSX; no year.
    ("0772-1", "Zentivo 2013", "QUENXRPX_Flash8", "//QUENXGlobeRPX/setup.zip",
     "/QUENX_DarorOR/QUENXRPX_Flash8/Data/Maindb.db", "p-p", "Flash8", "RPX"),
    ("0772-1", "Zentivo", "QUENXRQX_Excel2010", "//QUENXGlobeRQX_RSX/setup.zip",
     "/QUENX_DarorOR/QUENXRQX_Excel2010/Data/Maindb.db", "---", "Excel2010", "RQX"),
    # No edition code in the name: RSX; "word2007" in lower case brings no
    # TestFlash3.zip.
    ("0772-1", "Zentivo", "QUENX_word2007", "//QUENXGlobeRQX_RSX/setup.zip",
     "/QUENX_DarorOR/QUENX_word2007/Data/Maindb.db", "---", "word2007", "RSX"),
    # 888888888888888: the 0772-1 folder below QUENX_ZazivIV.
    ("888888888888888", "Zentivo 2013", "QUENXRQX_Excel2010",
     "//QUENX_ZazivIV/0772-1/GlobeRQX/setup.zip",
     "/QUENX_ZazivIV/0772-1/QUENXRQX_Excel2010/Data/Maindb.db", "---", "Excel2010", "RQX"),
    # 100329-1 as 100176-1; WORD2003 in capitals brings TestFlash3.zip.
    ("100329-1", "Zentivo 2013", "QUENXRSX_WORD2003",
     "//QUENX_ZazivIV/100329-1(2013)/GlobeRSX/setup.zip",
     "/QUENX_ZazivIV/100329-1(2013)/QUENXRSX_WORD2003/Data/Maindb.db", "-p-", "WORD2003", "RSX"),
    # 167-1: the year 2012 or else 2014, the RPX archive and the icon always.
    ("167-1", "Zentivo 2012", "QUENXRSX_Word2007",
     "//QUENX_ZazivIV/167-1(2012)/GlobeRPX/setup.zip",
     "/QUENX_ZazivIV/167-1(2012)/QUENXRSX_Word2007/Data/Maindb.db", "pp-", "Word2007", "RSX"),
    ("167-1", "Zentivo 2013", "QUENXRQX_FlashMX",
     "//QUENX_ZazivIV/167-1(2014)/GlobeRPX/setup.zip",
     "/QUENX_ZazivIV/167-1(2014)/QUENXRQX_FlashMX/Data/Maindb.db", "p-p", "FlashMX", "RQX"),
    # Any other agent, compared exactly: no year; without "_" the Flash
    # folder is the whole name; RPX wins over RQX.
    ("100176-1 ", "Zentivo 2013", "QUENXRQXRPX", "//QUENX_ZazivIV/100176-1 /GlobeRPX/setup.zip",
     "/QUENX_ZazivIV/100176-1 /QUENXRQXRPX/Data/Maindb.db", "p--", "QUENXRQXRPX", "RPX"),
    ("42-7", "Zentivo", "QUENXRSX_Word2007_Flash", "//QUENX_ZazivIV/42-7/GlobeRSX/setup.zip",
     "/QUENX_ZazivIV/42-7/QUENXRSX_Word2007_Flash/Data/Maindb.db", "-pp", "Word2007_Flash",
     "RSX"),
]

ROW = re.compile(r"^(\S+) +(planned|if probed|left out) +(.+)$")


def parse(out):
    """{file: (plan, path)} and the edition lines {name: value}."""
    rows, heading = {}, {}
    for line in out.splitlines():
        m = ROW.match(line)
        if m and m.group(1) in FILES:
            rows[m.group(1)] = (m.group(2), m.group(3))
        elif re.match(r"^(AppName|AppEName|AgentVersion|FlashFolder|EditionCode) ", line):
            name, _, value = line.partition(" ")
            heading[name] = value.strip()
    return rows, heading


def expected(agent, app_name, ename, setup, db, optional, folder):
    flash = "/QUENXFlash/%s/" % folder
    need = {"p": "if probed", "-": "left out"}
    return {
        "setup.zip": ("planned", setup),
        "Maindb.db": ("planned", db),
        "exe.ico": (need[optional[0]], "/" + flash + "exe.ico"),
        "uninstall.exe": ("planned", UNINSTALL),
        "TestFlash.zip": ("planned", flash + "TestFlash.zip"),
        "TestFlash2.zip": ("if probed", flash + "TestFlash2.zip"),
        "TestFlash3.zip": (need[optional[1]], flash + "TestFlash3.zip"),
        "PlayFlash.zip": (need[optional[2]], flash + "PlayFlash.zip"),
    }


class Plan(unittest.TestCase):
    def plan(self, *args):
        code, out, err = packtest.run(TOOL, "plan", *args)
        self.assertEqual(code, 0, err)
        return parse(out)

    def test_every_edition_of_the_table(self):
        for agent, app_name, ename, setup, db, optional, folder, code in EDITIONS:
            with self.subTest(agent=agent, name=app_name, ename=ename):
                rows, heading = self.plan("--set", "AgentVersion=" + agent,
                                          "--set", "AppName=" + app_name,
                                          "--set", "AppEName=" + ename)
                want = expected(agent, app_name, ename, setup, db, optional, folder)
                # A file left out shows no path.
                for name, (plan, path) in want.items():
                    self.assertEqual(rows[name], (plan, path if plan != "left out" else "-"),
                                     name)
                self.assertEqual(heading["FlashFolder"], folder)
                self.assertEqual(heading["EditionCode"], code)

    def test_server_gives_full_urls_with_the_double_slashes(self):
        args = ("--set", "AgentVersion=100176-1", "--set", "AppEName=QUENXRPX_Word2007",
                "--set", "AppName=Zentivo")
        for server, root in (("127.0.0.1:18080", "http://127.0.0.1:18080"),
                             ("https://update.example.com/", "https://update.example.com"),
                             ("HTTPS://cdn.example.com/zentivo", "https://cdn.example.com/zentivo")):
            rows, _ = self.plan("--server", server, *args)
            self.assertEqual(rows["setup.zip"][1],
                             root + "//QUENX_ZazivIV/100176-1(2014)/GlobeRPX/setup.zip")
            self.assertEqual(rows["uninstall.exe"][1], root + UNINSTALL)
            self.assertEqual(rows["PlayFlash.zip"][1], "-")

    def test_a_packed_installer_and_its_values_give_the_same_plan(self):
        with tempfile.TemporaryDirectory() as tmp:
            values = os.path.join(tmp, "edition.values")
            with open(values, "w", encoding="utf-8") as f:
                f.write("# edition\nAppName=Zentivo 2013 演示版\nAppEName=QUENXRPX_Word2007\n"
                        "AgentVersion=100176-1\n")
            installer, packed = os.path.join(tmp, "in.exe"), os.path.join(tmp, "out.exe")
            with open(installer, "wb") as f:
                f.write(b"MZ stand-in")
            code, _, err = packtest.run(TOOL, "pack", "--installer", installer, "--output",
                                        packed, "--values", values)
            self.assertEqual(code, 0, err)
            from_values = packtest.run(TOOL, "plan", "--values", values)
            from_installer = packtest.run(TOOL, "plan", packed)
            self.assertEqual(from_values, from_installer)
            self.assertIn("AppName      Zentivo 2013 演示版\n", from_installer[1])
            self.assertEqual(parse(from_installer[1])[0]["setup.zip"][1],
                             "//QUENX_ZazivIV/100176-1(2013)/GlobeRPX/setup.zip")

    def test_refusals(self):
        with tempfile.TemporaryDirectory() as tmp:
            plain = os.path.join(tmp, "plain.exe")
            with open(plain, "wb") as f:
                f.write(b"MZ no block")
            for args, message in (
                    ((), "name the edition"),
                    (("--set", "AppEName=x", plain), "name the edition"),
                    ((plain,), "no configuration block"),
                    (("--set", "NoSuchField=1"), "unknown field"),
                    (("--server", "ftp://host", "--set", "AppEName=x"), "--server wants"),
                    (("--server", "http://host/?q", "--set", "AppEName=x"), "--server wants"),
                    # An edition the installer refuses has no plan.
                    (("--set", "AppName=Zentivo", "--set", "AppEName=..\\x"),
                     'AppEName "..\\x" is not a single file name')):
                with self.subTest(args=args):
                    code, out, err = packtest.run(TOOL, "plan", *args)
                    self.assertEqual(code, 2)
                    self.assertEqual(out, "")
                    self.assertIn(message, err)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=2)
