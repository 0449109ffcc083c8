#!/usr/bin/env python3
"""Reads MARELO.exe's resources and imports back, on Linux, and checks them:

  check_resources.py MARELO.exe ICON.xpm MAKE_ICON.py

the version record field by field, the one icon group with its one 32 x 32,
16-colour image (the pixels of ICON.xpm), the manifest, the Japanese language
of every resource, and that the program needs only DLLs every Windows has.
Each check a subtest; only the standard library is used, and tests/harness.
"""
import importlib.util
import struct
import xml.etree.ElementTree as ET

from harness.checks import Checks, main as run_checks

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
JAPANESE = 0x0411
# Screen readers need oleacc, ole32 and oleaut32: on every Windows since 2000.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll",
               "oleacc.dll", "ole32.dll", "oleaut32.dll"}
EXPECTED_STRINGS = [
    ("Comments", "Marelo"),
    ("CompanyName", "Yavo"),
    ("LegalCopyright", "Yavo"),
    ("ProductName", "Marelo"),
    ("FileVersion", "2.00"),
    ("ProductVersion", "2.00"),
    ("InternalName", "MARELO"),
    ("OriginalFilename", "MARELO.exe"),
]

class PE:
    def __init__(self, data):
        self.data = data
        offset = struct.unpack_from("<I", data, 0x3C)[0]
        if data[offset:offset + 4] != b"PE\0\0":
            raise SystemExit("not a PE file")
        machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, offset + 4)
        optional = offset + 24
        self.magic, = struct.unpack_from("<H", data, optional)
        self.subsystem, = struct.unpack_from("<H", data, optional + 68)
        directories = optional + (112 if self.magic == 0x20B else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((va, max(vsize, rsize), raw))
        self.machine = machine

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"RVA {rva:#x} outside every section")

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        rva, size = self.directories[1]
        names, at = [], self.offset(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, at)
            if not any(entry):
                return names
            names.append(self.cstring(entry[3]))
            at += 20

    def resources(self):
        """{(type, name, language): bytes}"""
        rva, size = self.directories[2]
        if rva == 0:
            return {}
        base = self.offset(rva)
        found = {}

        def directory(at, path):
            _, _, _, _, named, numbered = struct.unpack_from("<IIHHHH", self.data, base + at)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, base + at + 16 + 8 * i)
                if ident & 0x80000000:
                    length, = struct.unpack_from("<H", self.data, base + (ident & 0x7FFFFFFF))
                    start = base + (ident & 0x7FFFFFFF) + 2
                    ident = self.data[start:start + 2 * length].decode("utf-16-le")
                if target & 0x80000000:
                    directory(target & 0x7FFFFFFF, path + (ident,))
                else:
                    data_rva, data_size, _, _ = struct.unpack_from("<IIII", self.data, base + target)
                    start = self.offset(data_rva)
                    found[path + (ident,)] = self.data[start:start + data_size]

        directory(0, ())
        return found


def align4(n):
    return (n + 3) & ~3


def version_block(data, at):
    """One version-record block: (key, value bytes, value type, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = data.index(b"\0\0", at + 6)
    while (key_end - (at + 6)) % 2:
        key_end = data.index(b"\0\0", key_end + 1)
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = align4(key_end + 2)
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_at:value_at + value_size]
    children, child = [], align4(value_at + value_size)
    while child < end:
        block = version_block(data, child)
        children.append(block)
        child = align4(block[4])
    return key, value, kind, children, end


def main(t, exe, xpm, make_icon_path):
    def check(name, condition, detail=""):
        t.check(condition, name, str(detail))
    pe = PE(open(exe, "rb").read())
    found = importlib.util.spec_from_file_location("make_icon", make_icon_path)
    make_icon = importlib.util.module_from_spec(found)
    found.loader.exec_module(make_icon)
    pixels = make_icon.read_xpm(xpm)

    check("64-bit Windows GUI program", pe.magic == 0x20B and pe.machine == 0x8664 and pe.subsystem == 2,
          (hex(pe.magic), hex(pe.machine), pe.subsystem))
    imports = {name.lower() for name in pe.imports()}
    check("only system DLLs", imports and imports <= SYSTEM_DLLS, sorted(imports))

    resources = pe.resources()
    check("resource kinds", sorted({key[0] for key in resources}) ==
          [RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST], sorted(resources))
    check("every resource in Japanese", all(key[2] == JAPANESE for key in resources),
          sorted(resources))

    # The icon group and its one image.
    groups = [key for key in resources if key[0] == RT_GROUP_ICON]
    images = [key for key in resources if key[0] == RT_ICON]
    check("one icon group, id 1", [key[1] for key in groups] == [1], groups)
    check("one icon image, id 30001", [key[1] for key in images] == [30001], images)
    if groups and images:
        group, image = resources[groups[0]], resources[images[0]]
        reserved, kind, count = struct.unpack_from("<HHH", group, 0)
        check("group header", (reserved, kind, count, len(group)) == (0, 1, 1, 20),
              (reserved, kind, count, len(group)))
        entry = struct.unpack_from("<BBBBHHIH", group, 6)
        check("group entry: 32 x 32, 16 colours, 4 bits, image 30001",
              entry == (32, 32, 16, 0, 1, 4, len(image), 30001), entry)
        header = struct.unpack_from("<IiiHHIIiiII", image, 0)
        check("image header: 32 x 32 (with its mask), 4 bits, 16 colours",
              header[:5] == (40, 32, 64, 1, 4) and header[9] in (0, 16), header)
        palette = [tuple(image[40 + 4 * i:43 + 4 * i][::-1]) for i in range(16)]
        check("standard 16-colour palette", palette == make_icon.PALETTE, palette)
        xor = image[40 + 64:40 + 64 + 32 * 16]
        drawn = []
        for row in range(31, -1, -1):
            line = xor[16 * row:16 * row + 16]
            drawn.append([palette[(byte >> shift) & 15] for byte in line for shift in (4, 0)])
        check("image pixels are the icon's", drawn == pixels)
        mask = image[40 + 64 + 32 * 16:]
        check("fully opaque", len(mask) == 32 * 4 and not any(mask), len(mask))

    # The version record.
    versions = [key for key in resources if key[0] == RT_VERSION]
    check("one version record, id 1", [key[1] for key in versions] == [1], versions)
    if versions:
        key, value, _, children, _ = version_block(resources[versions[0]], 0)
        check("version record key", key == "VS_VERSION_INFO", key)
        fixed = struct.unpack("<13I", value)
        check("fixed part signature", fixed[0] == 0xFEEF04BD, hex(fixed[0]))
        check("file version 2.0.0.0", (fixed[2], fixed[3]) == (0x00020000, 0), fixed[2:4])
        check("product version 2.0.0.0", (fixed[4], fixed[5]) == (0x00020000, 0), fixed[4:6])
        check("flag mask 0, flags 0", (fixed[6], fixed[7]) == (0, 0), fixed[6:8])
        check("OS 0x4, type 0x1, subtype 0", (fixed[8], fixed[9], fixed[10]) == (4, 1, 0),
              fixed[8:11])
        kinds = [child[0] for child in children]
        check("string and translation blocks", kinds == ["StringFileInfo", "VarFileInfo"], kinds)
        tables = children[0][3] if kinds[:1] == ["StringFileInfo"] else []
        check("one string table 041104B0", [t[0] for t in tables] == ["041104B0"],
              [t[0] for t in tables])
        if tables:
            strings = [(s[0], s[1].decode("utf-16-le").rstrip("\0")) for s in tables[0][3]]
            check("the eight strings in order", strings == EXPECTED_STRINGS, strings)
        if len(kinds) == 2:
            variables = children[1][3]
            translation = [(v[0], struct.unpack("<HH", v[1])) for v in variables]
            check("translation 0x0411 / 0x04B0", translation == [("Translation", (0x0411, 0x04B0))],
                  translation)

    # The manifest.
    manifests = [key for key in resources if key[0] == RT_MANIFEST]
    check("one manifest, id 1", [key[1] for key in manifests] == [1], manifests)
    if manifests:
        root = ET.fromstring(resources[manifests[0]])
        text = resources[manifests[0]].decode("utf-8")
        names = [e.get("name") for e in root.iter() if e.tag.endswith("assemblyIdentity")]
        check("common controls 6", "Microsoft.Windows.Common-Controls" in names, names)
        awareness = [e.text for e in root.iter() if e.tag.endswith("dpiAwareness")]
        check("per-monitor DPI awareness", awareness and "PerMonitorV2" in awareness[0], awareness)
        check("no code page of its own", "activeCodePage" not in text)


class Resources(Checks):
    def test_all(self):
        main(self, *self.arguments)


if __name__ == "__main__":
    run_checks(3, __doc__)
