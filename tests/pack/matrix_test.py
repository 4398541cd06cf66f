#!/usr/bin/env python3
"""zentivo-pack pack --matrix: one installer per row, named from the
pattern, each read back by the installer's own reader; a bad matrix writes
nothing.

    matrix_test.py ZENTIVO_PACK
"""

import os
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import packtest  # noqa: E402

TOOL = None
IMAGE = b"MZ\x90\x00stand-in installer image\n"

MATRIX = ("\ufeff# editions and agents\r\n"
          "AppName\tAppEName\tAgentVersion\tIsGP\r\n"
          "Zentivo 2014 演示版\tQUENXRPX_Word2007\t100176-1\t是\r\n"
          "\r\n"
          "Zentivo 冲刺版\tQUENXRQX_Excel2010\t0772-1\t\r\n"
          "Zentivo 2012 & Co\tQUENXRSX_Word2007\t167-1\t否\r\n")


class Matrix(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name
        self.installer = self.write("in.exe", IMAGE)
        self.out = os.path.join(self.dir, "out")

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, name, data):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("utf-8"))
        return path

    def pack(self, matrix_text, *extra):
        matrix = self.write("editions.tsv", matrix_text)
        return packtest.run(TOOL, "pack", "--installer", self.installer, "--matrix", matrix,
                            "--out-dir", self.out, *extra)

    def dump(self, name):
        code, out, err = packtest.run(TOOL, "dump", os.path.join(self.out, name))
        self.assertEqual(code, 0, err)
        return dict(line.split("=", 1) for line in out.splitlines())

    def test_one_installer_per_row_round_trips(self):
        code, out, err = self.pack(MATRIX, "--name", "Setup-{AppEName}-{AgentVersion}.exe",
                                   "--set", "AppVersion=3.1", "--set", "AgentVersion=ignored")
        self.assertEqual(code, 0, err)
        names = ["Setup-QUENXRPX_Word2007-100176-1.exe", "Setup-QUENXRQX_Excel2010-0772-1.exe",
                 "Setup-QUENXRSX_Word2007-167-1.exe"]
        self.assertEqual(sorted(os.listdir(self.out)), sorted(names))
        self.assertEqual([line.split("\t")[0] for line in out.splitlines()], names)
        self.assertTrue(all(line.endswith("\tdump ok") for line in out.splitlines()))
        rows = [("Zentivo 2014 演示版", "QUENXRPX_Word2007", "100176-1", "是"),
                ("Zentivo 冲刺版", "QUENXRQX_Excel2010", "0772-1", ""),
                ("Zentivo 2012 & Co", "QUENXRSX_Word2007", "167-1", "否")]
        for name, (app, ename, agent, gp) in zip(names, rows):
            with self.subTest(name):
                values = self.dump(name)
                self.assertEqual((values["AppName"], values["AppEName"], values["AgentVersion"],
                                  values["AppVersion"]), (app, ename, agent, "3.1"))
                self.assertEqual(values["QQ"], "")
                with open(os.path.join(self.out, name), "rb") as f:
                    packed = f.read()
                self.assertTrue(packed.startswith(IMAGE))
                self.assertIn(("\t<IsGP>%s</IsGP>\r\n" % gp if gp else "\t<IsGP />\r\n")
                              .encode("utf-8"), packed)
                # The installer plans the edition of its row.
                plan = packtest.run(TOOL, "plan", os.path.join(self.out, name))[1]
                self.assertIn("AgentVersion " + agent + "\n", plan)

    def test_the_default_name_and_a_second_run_replacing_the_files(self):
        for _ in range(2):
            code, _, err = self.pack(MATRIX)
            self.assertEqual(code, 0, err)
        self.assertIn("ZentivoSetup-QUENXRQX_Excel2010-0772-1.exe", os.listdir(self.out))
        self.assertEqual(len(os.listdir(self.out)), 3)

    def test_a_bad_matrix_writes_nothing(self):
        header = "AppName\tAppEName\tAgentVersion\n"
        row = "Zentivo\tQUENXRPX_Word2007\t100176-1\n"
        cases = [
            ("unknown field", "AppName\tNoSuchField\n" + "a\tb\n", (), "unknown field"),
            ("field twice", "AppName\tAppName\n" + "a\tb\n", (), "named twice"),
            ("short row", header + row + "Zentivo\tQUENXRQX_Excel2010\n", (),
             "editions.tsv:3: 2 cells, the header has 3"),
            ("no rows", header, (), "no edition rows"),
            ("same name twice", header + row + row.upper().replace("ZENTIVO", "Z"), (),
             "taken by an earlier row"),
            ("unknown field in the pattern", header + row, ("--name", "{Nope}.exe"),
             "unknown field \"Nope\" in the name pattern"),
            ("separator in a name", header + "a\tx/y\t1\n", (), "can't hold"),
            ("unclosed placeholder", header + row, ("--name", "Setup-{AppEName.exe"), "unclosed"),
            ("no GBK", header + row + "Zentivo \U0001F600\tQUENXRPX_A\t1\n", (),
             "editions.tsv:3: value of AppName has characters that GBK cannot hold"),
            # Values the installer refuses: the folder and shortcut names.
            ("AppEName outside its folder", header + row + "Zentivo\t..\\..\\Windows\t2\n",
             ("--name", "S-{AgentVersion}.exe"),
             'editions.tsv:3: AppEName "..\\..\\Windows" is not a single file name '
             '(it holds "\\")'),
            ("AppName a device", header + row + "con.txt\tQUENXRQX_Excel2010\t2\n", (),
             'editions.tsv:3: AppName "con.txt" is not a single file name '
             '(Windows opens it as the device CON)'),
            ("AppName empty", header + row + "\tQUENXRQX_Excel2010\t2\n", (),
             'editions.tsv:3: AppName "" is not a single file name (it is empty)'),
        ]
        for name, text, extra, message in cases:
            with self.subTest(name):
                code, out, err = self.pack(text, *extra)
                self.assertEqual(code, 2, out)
                self.assertIn(message, err)
                self.assertFalse(os.path.exists(self.out) and os.listdir(self.out), out)

    def test_matrix_and_single_output_exclude_each_other(self):
        matrix = self.write("m.tsv", MATRIX)
        code, _, err = packtest.run(TOOL, "pack", "--installer", self.installer, "--matrix",
                                    matrix, "--out-dir", self.out, "--output", "x.exe")
        self.assertEqual(code, 1)
        self.assertIn("usage", err)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=2)
