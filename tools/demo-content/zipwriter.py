"""A small ZIP writer for the demo archives.

Python's zipfile stores every non-ASCII name as UTF-8 with the UTF-8 flag set.
The archives of a Chinese Windows product store their names in the OEM code
page, GBK, with the flag clear, and that is what the installer has to read, so
the demo archives are written here: names as GBK bytes, "made by" MS-DOS,
DOS attributes, one fixed timestamp, deflate (or store for empty files).
"""

import struct
import zlib

# Every entry carries this DOS date and time, so the archives are reproducible.
FIXED_TIME = (2014, 9, 1, 8, 0, 0)

_LOCAL_SIG = 0x04034B50
_CENTRAL_SIG = 0x02014B50
_END_SIG = 0x06054B50
_METHOD_STORED = 0
_METHOD_DEFLATED = 8
_VERSION = 20  # 2.0: deflate and folders
_ATTR_DIRECTORY = 0x10
_ATTR_ARCHIVE = 0x20


def _dos_time(t):
    year, month, day, hour, minute, second = t
    date = ((year - 1980) << 9) | (month << 5) | day
    time = (hour << 11) | (minute << 5) | (second // 2)
    return time, date


def _deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15, 9)
    return c.compress(data) + c.flush()


class ZipWriter:
    """Collects entries in memory and returns the archive from finish()."""

    def __init__(self):
        self._body = bytearray()
        self._central = bytearray()
        self._count = 0
        self._names = set()

    def add_dir(self, name):
        """A folder entry; `name` uses "/" and ends with it."""
        assert name.endswith("/")
        self._add(name, b"", _ATTR_DIRECTORY)

    def add_file(self, name, data):
        """A file entry; `name` uses "/" between folders."""
        assert not name.endswith("/")
        self._add(name, bytes(data), _ATTR_ARCHIVE)

    def _add(self, name, data, attributes):
        raw_name = name.encode("gbk")  # raises for what GBK can't hold
        if raw_name in self._names:
            raise ValueError("duplicate entry " + name)
        self._names.add(raw_name)
        crc = zlib.crc32(data) & 0xFFFFFFFF
        if data:
            method, stored = _METHOD_DEFLATED, _deflate(data)
        else:
            method, stored = _METHOD_STORED, b""
        time, date = _dos_time(FIXED_TIME)
        flags = 0  # bit 11 (UTF-8 names) stays clear: the names are GBK
        offset = len(self._body)
        self._body += struct.pack(
            "<IHHHHHIIIHH", _LOCAL_SIG, _VERSION, flags, method, time, date,
            crc, len(stored), len(data), len(raw_name), 0)
        self._body += raw_name
        self._body += stored
        made_by = _VERSION  # high byte 0: MS-DOS, names in the OEM code page
        self._central += struct.pack(
            "<IHHHHHHIIIHHHHHII", _CENTRAL_SIG, made_by, _VERSION, flags, method,
            time, date, crc, len(stored), len(data), len(raw_name), 0, 0, 0, 0,
            attributes, offset)
        self._central += raw_name
        self._count += 1

    def finish(self):
        end = struct.pack("<IHHHHIIH", _END_SIG, 0, 0, self._count, self._count,
                          len(self._central), len(self._body), 0)
        return bytes(self._body + self._central + end)
