#!/usr/bin/env python3
"""zentivo-pack and the folder and shortcut names: pack refuses an AppEName
or AppName that is not a single file name, naming the field, the value and
why, and writes nothing; the valid ones pack and dump as given; dump of a
block that holds a bad value (made here, since the tool makes none) shows
the value and warns that the installer refuses the block.

    names_test.py ZENTIVO_PACK
"""

import os
import struct
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import packtest  # noqa: E402

TOOL = None
IMAGE = b"MZ\x90\x00stand-in installer image\n"
GOOD = {"AppName": "Zentivo 2014 演示版", "AppEName": "QUENXRPX_Word2007"}

# value -> what the refusal says, after 'is not a single file name ('
REFUSED = [
    ("..\\..\\Windows", 'it holds "\\"'),
    ("X:Y", 'it holds ":"'),
    ("a\\b", 'it holds "\\"'),
    ("a/b", 'it holds "/"'),
    ("", "it is empty"),
    (".", '"." names a folder'),
    ("..", '".." names a folder'),
    ("name.", "it ends in a dot"),
    ("name ", "it ends in a space"),
    ("CON", "the device CON"),
    ("con.txt", "the device CON"),
    ("nul .x", "the device NUL"),
    ("LPT9", "the device LPT"),
    ("a|b", 'it holds "|"'),
    ("a?b", 'it holds "?"'),
    ("a*b", 'it holds "*"'),
    ('a"b', 'it holds """'),
    ("<a>", 'it holds "<"'),
    ("a\tb", "the control character U+0009"),
    ("a\x7f", "the control character U+007F"),
]
ACCEPTED = ["QUENXRPX_Word2007", "Zentivo 2014 演示版", "Zentivo 冲刺版", "QUENXRQX_Excel2010",
            "Zentivo Word 2007", "v1.2", "演示版", "COM10", "CONSOLE", "auxiliary"]


def shown(value):
    """The value as the tool's messages and dump show it."""
    return "".join("\\x%02x" % ord(c) if ord(c) < 0x20 or ord(c) == 0x7f else c for c in value)


class Names(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name
        self.installer = os.path.join(self.dir, "in.exe")
        with open(self.installer, "wb") as f:
            f.write(IMAGE)

    def tearDown(self):
        self.tmp.cleanup()

    def pack(self, field, value):
        out = os.path.join(self.dir, "out.exe")
        values = dict(GOOD, **{field: value})
        args = [a for k, v in values.items() for a in ("--set", "%s=%s" % (k, v))]
        code, stdout, err = packtest.run(TOOL, "pack", "--installer", self.installer,
                                         "--output", out, *args)
        return code, err, out

    def test_pack_refuses_each_bad_value_in_either_field(self):
        for field in ("AppEName", "AppName"):
            for value, why in REFUSED:
                with self.subTest(field=field, value=value):
                    code, err, out = self.pack(field, value)
                    self.assertEqual(code, 2, err)
                    self.assertIn('%s "%s" is not a single file name (' % (field, shown(value)),
                                  err)
                    self.assertIn(why, err)
                    self.assertFalse(os.path.exists(out))
                    self.assertEqual(os.listdir(self.dir), ["in.exe"])

    def test_valid_names_pack_and_dump_as_given(self):
        for field in ("AppEName", "AppName"):
            for value in ACCEPTED:
                with self.subTest(field=field, value=value):
                    code, err, out = self.pack(field, value)
                    self.assertEqual(code, 0, err)
                    code, dump, err = packtest.run(TOOL, "dump", out)
                    self.assertEqual((code, err), (0, ""))
                    self.assertIn("%s=%s\n" % (field, value), dump)
                    os.remove(out)

    def block_with(self, values):
        """IMAGE and a block as the packaging side writes it, with `values`
        encoded by the tool: a block the tool itself would not make."""
        lines = ['<?xml version="1.0" encoding="utf-8"?>', "<AppInfo>"]
        for name, value in values.items():
            code, encoded, err = packtest.run(TOOL, "encode", value)
            self.assertEqual(code, 0, err)
            lines.append("\t<%s>%s</%s>" % (name, encoded.rstrip("\n"), name))
        lines.append("</AppInfo>")
        xml = ("\r\n".join(lines) + "\r\n").encode("utf-8")
        path = os.path.join(self.dir, "block.exe")
        with open(path, "wb") as f:
            f.write(IMAGE + xml + struct.pack("<I", len(xml) + 4))
        return path

    def test_dump_shows_a_bad_value_and_warns(self):
        cases = [("AppEName", "..\\x", 'it holds "\\"'), ("AppName", "CON", "the device CON"),
                 ("AppEName", "a\tb", "U+0009")]
        for field, value, why in cases:
            with self.subTest(field=field, value=value):
                code, dump, err = packtest.run(TOOL, "dump",
                                               self.block_with(dict(GOOD, **{field: value})))
                self.assertEqual(code, 0, err)
                self.assertIn("%s=%s\n" % (field, shown(value)), dump)
                self.assertIn('zentivo-pack: warning: %s "%s" is not a single file name ('
                              % (field, shown(value)), err)
                self.assertIn(why, err)
                self.assertIn("the installer refuses this block", err)
        # Both fields wrong: a warning for each.
        code, _, err = packtest.run(TOOL, "dump", self.block_with({"AppName": "a/b"}))
        self.assertEqual(code, 0, err)
        self.assertEqual(err.count("warning:"), 2, err)

    def test_plan_of_such_an_installer_says_why(self):
        code, out, err = packtest.run(TOOL, "plan", self.block_with(dict(GOOD, AppEName="..")))
        self.assertEqual((code, out), (2, ""))
        self.assertIn('AppEName ".." is not a single file name', err)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=2)
