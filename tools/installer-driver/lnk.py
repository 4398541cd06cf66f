"""Reads back a Windows shortcut (.lnk): target, working folder, description
and icon, the fields the installer sets. Only what a shell link written by
IShellLinkW holds is understood."""

import struct

HAS_ID_LIST = 0x01
HAS_LINK_INFO = 0x02
HAS_NAME = 0x04
HAS_RELATIVE_PATH = 0x08
HAS_WORKING_DIR = 0x10
HAS_ARGUMENTS = 0x20
HAS_ICON_LOCATION = 0x40
IS_UNICODE = 0x80
HEADER_SIZE = 0x4C


class LinkError(Exception):
    pass


def _c_string(data, offset, encoding):
    end = data.index(b"\0", offset)
    return data[offset:end].decode(encoding)


def _c_wstring(data, offset):
    end = offset
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le")


def read(path, ansi="gbk"):
    """A dict with target, working_dir, description, icon_path, icon_index."""
    data = open(path, "rb").read()
    if len(data) < HEADER_SIZE or struct.unpack_from("<I", data, 0)[0] != HEADER_SIZE:
        raise LinkError("%s is not a shell link" % path)
    flags = struct.unpack_from("<I", data, 0x14)[0]
    icon_index = struct.unpack_from("<i", data, 0x38)[0]
    pos = HEADER_SIZE
    if flags & HAS_ID_LIST:
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & HAS_LINK_INFO:
        size, header, info_flags, _vol, base, _net, suffix = struct.unpack_from("<7I", data, pos)
        if header >= 0x24:
            base_w, suffix_w = struct.unpack_from("<2I", data, pos + 28)
            if info_flags & 1 and base_w:
                target = _c_wstring(data, pos + base_w) + _c_wstring(data, pos + suffix_w)
        if target is None and info_flags & 1:
            target = _c_string(data, pos + base, ansi) + _c_string(data, pos + suffix, ansi)
        pos += size
    fields = {}
    # Counts are in characters; some writers count the terminating zero too.
    for flag, name in ((HAS_NAME, "description"), (HAS_RELATIVE_PATH, "relative_path"),
                       (HAS_WORKING_DIR, "working_dir"), (HAS_ARGUMENTS, "arguments"),
                       (HAS_ICON_LOCATION, "icon_path")):
        if not flags & flag:
            continue
        count = struct.unpack_from("<H", data, pos)[0]
        pos += 2
        if flags & IS_UNICODE:
            fields[name] = data[pos:pos + 2 * count].decode("utf-16-le").rstrip("\0")
            pos += 2 * count
        else:
            fields[name] = data[pos:pos + count].decode(ansi).rstrip("\0")
            pos += count
    return {
        "target": target,
        "working_dir": fields.get("working_dir"),
        "description": fields.get("description"),
        "icon_path": fields.get("icon_path"),
        "icon_index": icon_index,
    }
