#!/usr/bin/env python3
"""The DLLs that Windows programs name in their import tables (and delay-load
tables) are KnownDLLs only: Windows maps those from System32 whatever lies
beside the program, so that a DLL dropped into the Downloads folder next to
the installer is never loaded at its start.

    known_dlls_test.py [--control PROGRAM.exe] PROGRAM.exe...

Prints each program's DLLs and fails when one names another DLL. The control
is a program that does import a DLL outside the list: the reader must see it.
"""

import argparse
import struct
import sys

# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs on Windows
# 10 and 11, with kernelbase and ntdll, which always come from System32.
KNOWN_DLLS = {
    "advapi32", "clbcatq", "combase", "comdlg32", "coml2", "difxapi", "gdi32", "gdiplus", "imagehlp",
    "imm32", "kernel32", "msctf", "msvcrt", "normaliz", "nsi", "ole32", "oleaut32", "psapi", "rpcrt4",
    "sechost", "setupapi", "shcore", "shell32", "shlwapi", "user32", "wldap32", "ws2_32", "kernelbase",
    "ntdll",
}


def is_known(dll):
    name = dll.lower()
    name = name[:-len(".dll")] if name.endswith(".dll") else name
    return name in KNOWN_DLLS or name.startswith("wow64")


class PeImage:
    """The parts of a PE file that name the DLLs it loads."""

    IMPORT, DELAY_IMPORT = 1, 13

    def __init__(self, path):
        self.data = open(path, "rb").read()
        if self.data[:2] != b"MZ":
            raise ValueError("%s: not an MZ file" % path)
        pe = self.u32(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("%s: no PE header" % path)
        sections, optional_size = struct.unpack_from("<H12xH", self.data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        if magic not in (0x10B, 0x20B):
            raise ValueError("%s: unknown optional header 0x%x" % (path, magic))
        plus = magic == 0x20B
        self.image_base = struct.unpack_from("<Q", self.data, optional + 24)[0] if plus else self.u32(optional + 28)
        directories = optional + (112 if plus else 96)
        count = self.u32(directories - 4)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<8xIIII", self.data, table + 40 * i) for i in range(sections)]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset(self, rva):
        for size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError("RVA 0x%x is in no section" % rva)

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii", "replace")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imports(self):
        rva, _ = self.directory(self.IMPORT)
        names = []
        while rva:
            descriptor = self.offset(rva)
            if not any(self.data[descriptor:descriptor + 20]):
                break
            names.append(self.string(self.u32(descriptor + 12)))
            rva += 20
        return names

    def delay_imports(self):
        rva, _ = self.directory(self.DELAY_IMPORT)
        names = []
        while rva:
            descriptor = self.offset(rva)
            attributes, name = struct.unpack_from("<II", self.data, descriptor)
            if not any(self.data[descriptor:descriptor + 32]):
                break
            # Without bit 0 (old tools) the fields are addresses, not RVAs.
            names.append(self.string(name if attributes & 1 else name - self.image_base))
            rva += 32
        return names


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--control", help="a program that imports a DLL outside the list")
    ap.add_argument("programs", nargs="+")
    args = ap.parse_args()
    failed = False
    if args.control:
        control = PeImage(args.control)
        others = [d for d in control.imports() + control.delay_imports() if not is_known(d)]
        print("control %s: %s" % (args.control, " ".join(others) or "nothing outside the list"))
        if not others:
            print("FAIL: the control names no DLL outside the list: the reader sees nothing")
            failed = True
    for path in args.programs:
        image = PeImage(path)
        imports, delayed = image.imports(), image.delay_imports()
        print("%s imports: %s" % (path, " ".join(imports)))
        if delayed:
            print("%s delay-loads: %s" % (path, " ".join(delayed)))
        if not imports:
            print("FAIL: %s has no import table" % path)
            failed = True
        others = [d for d in imports + delayed if not is_known(d)]
        if others:
            print("FAIL: %s names DLLs that are not KnownDLLs, which Windows would look for beside it "
                  "first: %s" % (path, " ".join(others)))
            failed = True
    print("FAILED" if failed else "all programs name KnownDLLs only")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
