#!/usr/bin/env python3
"""The signed release manifest from the maker's side: keygen writes a key
only its owner can read and never over another; sign lists a tree (or an
edition's files) that check then vouches for as nginx serves it; check
names each way a served release can fail the manifest, one line each; and
sign --keep makes a manifest that accepts the old and the new files of a
release.

    sign_test.py ZENTIVO_PACK
"""

import os
import re
import shutil
import stat
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import packtest  # noqa: E402

TOOL = None
KEYS = os.path.join(packtest.SOURCE_DIR, "tests", "keys")
TEST_KEY = os.path.join(KEYS, "release-test.key")
TEST_PUB = os.path.join(KEYS, "release-test.pub")
MANIFEST = "zentivo-release.manifest"

# Edition B's files (agent 0772-1, RQX) as the manifest lists them.
B_FILES = {
    "setup.zip": "/QUENXGlobeRQX_RSX/setup.zip",
    "Maindb.db": "/QUENX_DarorOR/QUENXRQX_Excel2010/Data/Maindb.db",
    "uninstall.exe": "/2014QUENX_install/uninstall/uninstall.exe",
    "TestFlash.zip": "/QUENXFlash/Excel2010/TestFlash.zip",
    "TestFlash2.zip": "/QUENXFlash/Excel2010/TestFlash2.zip",
}


def local(site, server_path):
    return os.path.join(site, *server_path.lstrip("/").split("/"))


def same_size_other_bytes(site, name):
    path = local(site, B_FILES[name])
    with open(path, "r+b") as f:
        first = f.read(1)
        f.seek(0)
        f.write(bytes([first[0] ^ 0xFF]))


def grown(site, name):
    with open(local(site, B_FILES[name]), "ab") as f:
        f.write(b"more")


def flip_one_byte(site, _):
    """One hex digit of the first file line's SHA-256, in the signed part."""
    path = os.path.join(site, MANIFEST)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    at = data.index(b"\nfile ") + 1
    at = data.index(b" ", at + 5) + 1
    data[at] = ord("0") if data[at] != ord("0") else ord("1")
    with open(path, "wb") as f:
        f.write(data)


def removed_manifest(site, _):
    os.remove(os.path.join(site, MANIFEST))


def problems(out):
    """The problem lines: after the table's blank line, before the summary."""
    lines = out.split("\n\n", 2)[2].splitlines()
    return [line for line in lines if re.match(r"^[\w.]+: ", line) and not
            line.startswith("ok:")]


# name, file left out of the signed tree, key to sign with ("other": a fresh
# one), damage done after signing (to the file named), the problem lines.
FAULTS = [
    ("a file replaced by another of the same size", None, "test",
     (same_size_other_bytes, "Maindb.db"),
     [re.compile(r"^Maindb\.db: SHA-256 [0-9a-f]{64} is not listed for length \d+$")]),
    ("a file of another length", None, "test", (grown, "uninstall.exe"),
     [re.compile(r"^uninstall\.exe: length (\d+) is not a listed size "
                 r"\(the manifest lists \d+\)$")]),
    ("a file not listed", "TestFlash.zip", "test", None,
     [re.compile(r"^TestFlash\.zip: not listed in the manifest$")]),
    ("a manifest signed by another key", None, "other", None,
     [re.compile(r"^manifest: the manifest's signature does not verify with this key$")]),
    ("a manifest with one byte changed", None, "test", (flip_one_byte, None),
     [re.compile(r"^manifest: the manifest's signature does not verify with this key$")]),
    ("no manifest", None, "test", (removed_manifest, None),
     [re.compile(r'^manifest: GET /zentivo-release\.manifest answers '
                 r'"HTTP/1\.1 404 Not Found"$')]),
]


class Sign(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.content = packtest.demo_content(cls.tmp.name)
        cls.www = os.path.join(cls.content, "www")
        # One nginx serves every test's copy of the tree in a folder of its
        # own; check takes that folder as part of the server's root.
        cls.sites = os.path.join(cls.tmp.name, "sites")
        os.makedirs(cls.sites)
        cls.servers = packtest.Servers()
        cls.port = cls.servers.nginx(cls.sites)
        cls.other_key = os.path.join(cls.tmp.name, "other.key")
        code, _, err = packtest.run(TOOL, "keygen", "--out", cls.other_key)
        assert code == 0, err

    @classmethod
    def tearDownClass(cls):
        cls.servers.stop()
        cls.tmp.cleanup()

    def site(self, name):
        """A fresh copy of the demo tree, served below /NAME."""
        path = os.path.join(self.sites, name)
        shutil.copytree(self.www, path)
        return path

    def values(self, edition):
        return os.path.join(self.content, "edition-%s.values" % edition)

    def sign(self, site, *more, key=TEST_KEY):
        return packtest.run(TOOL, "sign", "--server", site, "--key", key, *more)

    def check(self, name, public_key=TEST_PUB, edition="B"):
        return packtest.run(TOOL, "check", "--server", "127.0.0.1:%d/%s" % (self.port, name),
                            "--values", self.values(edition), "--public-key", public_key)

    def assertPasses(self, result):
        code, out, err = result
        self.assertEqual(code, 0, out + err)
        self.assertEqual(problems(out), [], out)
        self.assertRegex(out, r"\nmanifest     signed \d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ, \d+ entries\n")

    def entries(self, path):
        """(size, path) of every file line of a manifest."""
        with open(path, encoding="utf-8") as f:
            lines = f.read().splitlines()
        self.assertEqual(lines[0], "zentivo-manifest 1")
        self.assertTrue(lines[-1].startswith("signature "), lines[-1])
        return [(int(l.split(" ")[1]), l.split(" ", 3)[3]) for l in lines if l.startswith("file ")]

    def test_keygen_writes_an_owner_only_key_that_signs_what_check_accepts(self):
        key = os.path.join(self.tmp.name, "keygen.key")
        code, out, err = packtest.run(TOOL, "keygen", "--out", key)
        self.assertEqual(code, 0, err)
        public, hint = out.splitlines()
        self.assertRegex(public, r"^[A-Za-z0-9+/]{87}=$")
        self.assertEqual(hint, "build with -DZENTIVO_RELEASE_KEY=" + public)
        self.assertEqual(stat.S_IMODE(os.stat(key).st_mode), 0o600)
        with open(key, encoding="ascii") as f:
            self.assertIn("\npublic %s\n" % public, f.read())

        site = self.site("keygen")
        code, out, err = self.sign(site, key=key)
        self.assertEqual(code, 0, out + err)
        self.assertPasses(self.check("keygen", public_key=public))
        # The test key is another key: the same manifest is refused.
        code, out, _ = self.check("keygen")
        self.assertEqual(code, 1, out)
        self.assertIn("manifest: the manifest's signature does not verify with this key", out)

    def test_keygen_never_overwrites_and_leaves_nothing_on_failure(self):
        existing = os.path.join(self.tmp.name, "existing.key")
        with open(existing, "w") as f:
            f.write("the key of a release that is out\n")
        missing_folder = os.path.join(self.tmp.name, "no-such-folder", "k.key")
        for out, message in ((existing, "exists already: keygen does not overwrite a key"),
                             (self.tmp.name, "exists already"),
                             (missing_folder, "cannot write " + missing_folder)):
            with self.subTest(out=out):
                code, stdout, err = packtest.run(TOOL, "keygen", "--out", out)
                self.assertEqual(code, 2, stdout + err)
                self.assertIn(message, err)
                self.assertEqual(stdout, "")
        with open(existing) as f:
            self.assertEqual(f.read(), "the key of a release that is out\n")
        self.assertFalse(os.path.exists(os.path.dirname(missing_folder)))

    def test_a_signed_tree_passes_for_both_editions(self):
        site = self.site("signed")
        code, out, err = self.sign(site)
        self.assertEqual(code, 0, out + err)
        entries = self.entries(os.path.join(site, MANIFEST))
        files = sum(len(names) for _, _, names in os.walk(self.www))
        self.assertEqual(len(entries), files)
        self.assertEqual([p for _, p in entries], sorted(p for _, p in entries))
        self.assertRegex(out, r": %d entries, %d files of %d bytes, signed " %
                         (files, files, sum(s for s, _ in entries)))
        with open(TEST_PUB) as f:
            public = f.read().strip()
        for edition in ("A", "B"):
            for key in (TEST_PUB, public):  # a file holding the key, or the key
                with self.subTest(edition=edition, key=key):
                    self.assertPasses(self.check("signed", key, edition))
        # Signing again leaves the manifest itself out.
        code, out, err = self.sign(site)
        self.assertEqual(code, 0, out + err)
        self.assertEqual(len(self.entries(os.path.join(site, MANIFEST))), files)

    def test_every_fault_is_named_in_one_line(self):
        for i, (name, unsigned, key, damage, expected) in enumerate(FAULTS):
            with self.subTest(name):
                site = self.site("fault%d" % i)
                if unsigned:
                    aside = os.path.join(self.tmp.name, "aside%d" % i)
                    os.rename(local(site, B_FILES[unsigned]), aside)
                code, out, err = self.sign(site, key=self.other_key if key == "other" else
                                           TEST_KEY)
                self.assertEqual(code, 0, out + err)
                if unsigned:
                    os.rename(aside, local(site, B_FILES[unsigned]))
                if damage:
                    damage[0](site, damage[1])
                code, out, err = self.check("fault%d" % i)
                self.assertEqual(code, 1, out + err)
                lines = problems(out)
                self.assertEqual(len(lines), len(expected), out)
                for line, want in zip(lines, expected):
                    self.assertRegex(line, want)
                self.assertRegex(out, r"\n\d+ problems?\n$")

    def test_sign_keep_accepts_old_and_new_files_until_the_last_manifest(self):
        old = self.site("release-old")
        code, out, err = self.sign(old)
        self.assertEqual(code, 0, out + err)
        # The release changes setup.zip and the database; the maker signs a
        # staging copy of the new tree, keeping the manifest that is out.
        new = self.site("release-new")
        grown(new, "setup.zip")
        same_size_other_bytes(new, "Maindb.db")
        both = os.path.join(self.tmp.name, "both.manifest")
        code, out, err = self.sign(new, "--keep", os.path.join(old, MANIFEST), "--out", both)
        self.assertEqual(code, 0, out + err)
        self.assertIn(" (2 kept from ", out)
        listed = self.entries(both)
        for name in ("setup.zip", "Maindb.db"):
            self.assertEqual(len([p for _, p in listed if p == B_FILES[name]]), 2, listed)
        self.assertEqual(len(listed), len(self.entries(os.path.join(old, MANIFEST))) + 2)
        for site in (old, new):
            shutil.copy(both, os.path.join(site, MANIFEST))
            with self.subTest(site=os.path.basename(site)):
                self.assertPasses(self.check(os.path.basename(site)))
        # The last step lists only the new files: the old ones fail.
        code, out, err = self.sign(new)
        self.assertEqual(code, 0, out + err)
        shutil.copy(os.path.join(new, MANIFEST), os.path.join(old, MANIFEST))
        self.assertPasses(self.check("release-new"))
        code, out, _ = self.check("release-old")
        self.assertEqual(code, 1, out)
        self.assertEqual([l.split(":")[0] for l in problems(out)], ["setup.zip", "Maindb.db"], out)

    def test_sign_keep_refuses_a_manifest_it_cannot_verify(self):
        site = self.site("keep-refused")
        foreign = os.path.join(self.tmp.name, "foreign.manifest")
        code, out, err = self.sign(site, "--out", foreign, key=self.other_key)
        self.assertEqual(code, 0, out + err)
        not_a_manifest = os.path.join(self.tmp.name, "not-a-manifest")
        with open(not_a_manifest, "w") as f:
            f.write("zentivo-manifest 1\nsigned yesterday\n")
        for keep, message in ((foreign, "the manifest's signature does not verify with this key"),
                              (not_a_manifest, "the manifest is not readable"),
                              (os.path.join(self.tmp.name, "absent"), "cannot read ")):
            with self.subTest(keep=keep):
                code, out, err = self.sign(site, "--keep", keep)
                self.assertEqual(code, 2, out + err)
                self.assertIn(message, err)
                self.assertFalse(os.path.exists(os.path.join(site, MANIFEST)))

    def test_sign_for_editions_lists_exactly_their_files(self):
        site = self.site("editions")
        code, out, err = self.sign(site, "--values", self.values("B"))
        self.assertEqual(code, 0, out + err)
        listed = self.entries(os.path.join(site, MANIFEST))
        self.assertEqual(sorted(p for _, p in listed), sorted(B_FILES.values()))
        self.assertPasses(self.check("editions"))
        # Edition A's own files are not listed.
        code, out, _ = self.check("editions", edition="A")
        self.assertEqual(code, 1, out)
        self.assertTrue(all(l.endswith(": not listed in the manifest") for l in problems(out)),
                        out)
        # A matrix names both: each row's files, the ones they share once.
        matrix = os.path.join(self.tmp.name, "editions.tsv")
        with open(matrix, "w", encoding="utf-8") as f:
            f.write("AppName\tAppEName\tAgentVersion\n")
            for edition in ("A", "B"):
                with open(self.values(edition), encoding="utf-8") as v:
                    cells = dict(l.strip().split("=", 1) for l in v if "=" in l)
                f.write("\t".join(cells[k] for k in ("AppName", "AppEName", "AgentVersion")) +
                        "\n")
        code, out, err = self.sign(site, "--matrix", matrix)
        self.assertEqual(code, 0, out + err)
        paths = [p for _, p in self.entries(os.path.join(site, MANIFEST))]
        self.assertEqual(len(paths), len(set(paths)))
        self.assertTrue(set(B_FILES.values()) < set(paths), paths)
        for edition in ("A", "B"):
            with self.subTest(edition=edition):
                self.assertPasses(self.check("editions", edition=edition))

    def test_sign_names_every_planned_file_the_tree_lacks_and_writes_nothing(self):
        site = self.site("lacking")
        for name in ("Maindb.db", "uninstall.exe"):
            os.remove(local(site, B_FILES[name]))
        # A probed file the tree lacks is one the installer leaves out.
        os.remove(local(site, B_FILES["TestFlash2.zip"]))
        code, out, err = self.sign(site, "--values", self.values("B"))
        self.assertEqual(code, 2, out + err)
        self.assertIn("zentivo-pack: Maindb.db of QUENXRQX_Excel2010: %s: not found in " %
                      B_FILES["Maindb.db"], err)
        self.assertIn("zentivo-pack: uninstall.exe of QUENXRQX_Excel2010: ", err)
        self.assertNotIn("TestFlash2.zip", err)
        self.assertIn("2 planned files are missing: not signed", err)
        self.assertFalse(os.path.exists(os.path.join(site, MANIFEST)))

    def test_the_tree_walk_stays_inside_the_root(self):
        site = self.site("links")
        outside = os.path.join(self.tmp.name, "outside.txt")
        with open(outside, "w") as f:
            f.write("not part of the release")
        os.symlink(outside, os.path.join(site, "out.txt"))
        os.symlink(self.tmp.name, os.path.join(site, "outdir"))
        os.symlink("QUENXFlash", os.path.join(site, "flash-again"))
        os.symlink("QUENXGlobeRQX_RSX/setup.zip", os.path.join(site, "setup-link.zip"))
        code, out, err = self.sign(site)
        self.assertEqual(code, 0, out + err)
        paths = [p for _, p in self.entries(os.path.join(site, MANIFEST))]
        self.assertIn("/setup-link.zip", paths)  # a link to a file inside: its bytes
        for left_out in ("/out.txt", "/outdir", "/flash-again"):
            self.assertFalse([p for p in paths if p.startswith(left_out)], paths)
            self.assertIn("left out %s: " % left_out, err)

    def test_bad_keys_are_named(self):
        site = self.site("bad-keys")
        not_a_key = os.path.join(self.tmp.name, "not-a-key")
        with open(not_a_key, "w") as f:
            f.write("private nothing\n")
        code, out, err = self.sign(site, key=not_a_key)
        self.assertEqual(code, 2, out + err)
        self.assertIn("not a release key file", err)
        self.assertFalse(os.path.exists(os.path.join(site, MANIFEST)))
        for value in ("QUJD", not_a_key, TEST_KEY):
            with self.subTest(public_key=value):
                code, out, err = self.check("bad-keys", public_key=value)
                self.assertEqual(code, 2, out + err)
                self.assertIn("--public-key" if value == "QUJD" else "does not hold a release key",
                              err)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=2)
