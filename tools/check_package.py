#!/usr/bin/env python3
"""Checks the release package of LinkTo.

    tools/check_package.py [ZIP] [--version X.Y.Z] [--x64 EXE] [--x86 EXE] [--epoch SECONDS]

ZIP defaults to dist/linkto-<version>.zip, the version to the one in
CMakeLists.txt, the built programs to build/win64/linkto.exe (the file the
end-to-end tests run) and build/win32/linkto.exe, the epoch (SOURCE_DATE_EPOCH)
to the one build/win64 was built with. Checked: the package holds exactly the
expected files under linkto-<version>/, in the order of their names, each
dated the epoch, with fixed permissions, files deflated, no extra fields;
SHA256SUMS beside it lists the zip and both packed programs with their sums;
each program packed has the bytes (SHA-256) of the built one and is at most
60 KiB; both programs are stripped GUI PE images of the right machine type
(read here and, where binutils are at hand, by objdump -f), dated the epoch,
with the PE checksum of their bytes, with no debug directory,
import only KERNEL32 and msvcrt at start and every other system DLL as a delay
import (COMCTL32 by ordinal 17 alone), carry a version resource of the project version and
the application manifest as resource type 24 id 1 (run as invoker, common
controls 6, the supported systems, DPI aware); both user guides are UTF-8
with CRLF line ends, name every switch of the program and HKEY_CLASSES_ROOT,
and show only screenshots the package holds; the licence is the MIT licence;
the screenshots, in docs/ and in the package, are PNG images under 30,000 bytes.
Prints one line per check and exits 1 when any fails.

    tools/check_package.py --delay-imports EXE

prints the delay imports of a program, one line a DLL: its name, then each
function's name or #ordinal (the PE check of the build reads them).
"""

import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Imported at start: KnownDLLs, which Windows never takes from the program's
# folder. Every other system DLL the program calls is a delay import.
START_DLLS = {"kernel32.dll", "msvcrt.dll"}
DELAY_DLLS = {"user32.dll", "shell32.dll", "ole32.dll", "advapi32.dll", "comctl32.dll"}
MACHINES = {"x86": (0x014C, 0x10B, "pei-i386"), "x64": (0x8664, 0x20B, "pei-x86-64")}
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}
# The pictures each user guide shows: the Japanese dialogs, and the English ones.
GUIDE_SCREENSHOTS = {
    "README-ja.md": ["destination-dialog.png", "menu-items-dialog.png", "command-line-dialog.png"],
    "README-en.md": ["destination-dialog.en.png", "menu-items-dialog.en.png",
                     "command-line-dialog.en.png"],
}
SCREENSHOTS = sorted(s for shots in GUIDE_SCREENSHOTS.values() for s in shots)
MAX_PROGRAM_BYTES = 60 * 1024
MAX_PICTURE_BYTES = 30000
RT_VERSION = 16
RT_MANIFEST = 24

failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)
    return ok


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        m = re.search(r"project\(\s*LinkTo\s+VERSION\s+(\d+\.\d+\.\d+)", f.read())
    return m.group(1) if m else None


def program_switches():
    """Every switch the program understands: the folder switch table and the rest."""
    with open(os.path.join(ROOT, "src", "app", "switches.h"), encoding="utf-8") as f:
        text = f.read()
    table = text[text.index("kFolderSwitches"):]
    table = table[:table.index("};")]
    switches = set(re.findall(r'"(/[a-z:]+)"', table))
    return switches | {"/qlaunch", "/path", "/path:", "/ext:0", "/open:0"}


class PeImage:
    """The parts of a PE image the checks read. Raises ValueError on a bad image."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, self.time_stamp, self.symbol_table, _, optional_size,
         _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.image_base = struct.unpack_from(*(("<Q", data, opt + 24) if self.magic == 0x20B
                                               else ("<I", data, opt + 28)))[0]
        self.checksum_at = opt + 64
        self.checksum = struct.unpack_from("<I", data, self.checksum_at)[0]
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        dirs = opt + (96 if self.magic == 0x10B else 112)
        count = struct.unpack_from("<I", data, dirs - 4)[0]
        self.directories = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(count)]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            name, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), vaddr,
                                  max(vsize, rsize), raw, rsize))

    def computed_checksum(self):
        """The image's checksum as the loader computes it: 16-bit one's
        complement sum of the file without its checksum field, plus its length."""
        data = self.data[:self.checksum_at] + b"\0\0\0\0" + self.data[self.checksum_at + 4:]
        data += b"\0" * (len(data) % 2)
        total = sum(struct.unpack("<%dH" % (len(data) // 2), data))
        while total >> 16:
            total = (total & 0xFFFF) + (total >> 16)
        return total + len(self.data)

    def offset(self, rva):
        for _, vaddr, size, raw, rsize in self.sections:
            if vaddr <= rva < vaddr + size and rva - vaddr < rsize:
                return raw + rva - vaddr
        raise ValueError("address %#x lies in no section" % rva)

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imports(self):
        rva, size = self.directories[1]
        names = []
        if rva == 0:
            return names
        at = self.offset(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, at)
            if entry == (0, 0, 0, 0, 0):
                return names
            names.append(self.cstring(entry[3]))
            at += 20

    def delay_imports(self):
        """[(dll, [function name or "#ordinal"])] of every delay-load descriptor;
        a function whose address table entry does not lead into the image (the
        stub that calls the helper is missing: its first call would jump
        there) is marked with a "!" after it. The toolchain's delay libraries
        leave the delay-import directory empty, so the descriptors are found by
        their shape: attributes 1 (addresses are RVAs), then the RVAs of a DLL
        name, its module handle, its import address table and its name table."""
        wide = 8 if self.magic == 0x20B else 4
        found = []
        for _, _, _, raw, rsize in self.sections:
            for at in range(raw, raw + rsize - 20, 4):
                attrs, dll, hmod, iat, table = struct.unpack_from("<5I", self.data, at)
                if attrs != 1:
                    continue
                try:
                    name = self.cstring(dll)
                    self.offset(hmod)
                    functions = self.thunk_names(self.offset(table), self.offset(iat), wide)
                except (ValueError, struct.error):
                    continue
                if re.fullmatch(r"[A-Za-z0-9_]+\.dll", name, re.IGNORECASE) and functions:
                    found.append((name, functions))
        return found

    def thunk_names(self, at, iat, wide):
        """The names (or "#ordinal"s) of a name table up to its null entry, each
        marked "!" when its address table entry does not lead into the image."""
        names = []
        word = "<Q" if wide == 8 else "<I"
        while True:
            entry = struct.unpack_from(word, self.data, at)[0]
            if entry == 0:
                return names
            if entry >> (8 * wide - 1):
                name = "#%d" % (entry & 0xFFFF)
            else:
                name = self.cstring(entry + 2)
            stub = struct.unpack_from(word, self.data, iat)[0] - self.image_base
            try:
                self.offset(stub)
            except ValueError:
                name += "!"
            names.append(name)
            at += wide
            iat += wide

    def resources(self):
        """{(type, name, language): bytes}; named entries keep their names."""
        rva, _ = self.directories[2]
        found = {}
        if rva == 0:
            return found
        base = self.offset(rva)

        def label(entry_name):
            if entry_name & 0x80000000:
                at = base + (entry_name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return entry_name

        def walk(at, path):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                entry_name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                key = path + (label(entry_name),)
                if target & 0x80000000:
                    walk(base + (target & 0x7FFFFFFF), key)
                else:
                    data_rva, size = struct.unpack_from("<II", self.data, base + target)
                    start = self.offset(data_rva)
                    found[key] = self.data[start:start + size]

        walk(base, ())
        return found


def version_tree(block, at=0):
    """One node of a VS_VERSIONINFO block: (key, value bytes, children), length."""
    length, value_length, value_type = struct.unpack_from("<HHH", block, at)
    end = block.index(b"\0\0", at + 6)
    while (end - (at + 6)) % 2:
        end = block.index(b"\0\0", end + 1)
    key = block[at + 6:end].decode("utf-16-le")
    p = (end + 2 + 3) & ~3
    size = value_length * 2 if value_type == 1 else value_length
    value = block[p:p + size]
    p = (p + size + 3) & ~3
    children = []
    while p < at + length:
        child, child_length = version_tree(block, p)
        children.append(child)
        p = (p + child_length + 3) & ~3
    return (key, value, children), length


def version_strings(node, found=None):
    found = {} if found is None else found
    key, value, children = node
    if not children and value and key not in ("VS_VERSION_INFO", "Translation"):
        found[key] = value.decode("utf-16-le").rstrip("\0")
    for child in children:
        version_strings(child, found)
    return found


def local(tag):
    return tag.rsplit("}", 1)[-1]


def check_manifest(name, text):
    try:
        root = ET.fromstring(text)
    except ET.ParseError as error:
        check(False, "%s: manifest is well-formed XML (%s)" % (name, error))
        return
    elements = list(root.iter())
    levels = [e.get("level") for e in elements if local(e.tag) == "requestedExecutionLevel"]
    check(levels == ["asInvoker"], "%s: manifest runs as invoker (%s)" % (name, levels))
    controls = [e for e in elements if local(e.tag) == "assemblyIdentity"
                and e.get("name") == "Microsoft.Windows.Common-Controls"]
    check(len(controls) == 1 and controls[0].get("version") == "6.0.0.0"
          and controls[0].get("publicKeyToken") == "6595b64144ccf1df",
          "%s: manifest asks for common controls 6.0.0.0" % name)
    systems = {e.get("Id", "").lower() for e in elements if local(e.tag) == "supportedOS"}
    check(systems == SUPPORTED_OS, "%s: manifest lists Vista, 7, 8, 8.1 and 10/11" % name)
    dpi = [(local(e.tag), (e.text or "").strip().lower()) for e in elements
           if local(e.tag) in ("dpiAware", "dpiAwareness")]
    check(bool(dpi) and all(v in ("true", "true/pm", "permonitorv2", "permonitorv2, system")
                            for _, v in dpi), "%s: manifest declares DPI awareness %s" % (name, dpi))
    pages = [(e.tag, (e.text or "").strip()) for e in elements if local(e.tag) == "activeCodePage"]
    check(pages == [("{http://schemas.microsoft.com/SMI/2019/WindowsSettings}activeCodePage",
                     "ja-JP")], "%s: manifest asks for code page 932 (ja-JP) %s" % (name, pages))


def objdump_format(path):
    for tool in ("x86_64-w64-mingw32-objdump", "i686-w64-mingw32-objdump", "objdump"):
        if shutil.which(tool):
            out = subprocess.run([tool, "-f", path], capture_output=True, text=True)
            m = re.search(r"file format (\S+)", out.stdout)
            if out.returncode == 0 and m:
                return tool, m.group(1)
    return None, None


def check_program(name, arch, data, version, epoch):
    machine, magic, bfd_format = MACHINES[arch]
    try:
        pe = PeImage(data)
        imports = pe.imports()
        delayed = pe.delay_imports()
        resources = pe.resources()
    except (ValueError, struct.error, IndexError) as error:
        check(False, "%s: readable PE image (%s)" % (name, error))
        return
    check(pe.machine == machine and pe.magic == magic,
          "%s: machine %#06x, optional header %#05x" % (name, pe.machine, pe.magic))
    check(pe.subsystem == 2, "%s: Windows GUI subsystem" % name)
    check(pe.symbol_table == 0, "%s: stripped (no symbol table)" % name)
    if epoch is not None:
        check(pe.time_stamp == epoch, "%s: PE time stamp %d is the epoch %d" % (
            name, pe.time_stamp, epoch))
    check(pe.checksum == pe.computed_checksum(), "%s: PE checksum %#x is that of its bytes" % (
        name, pe.checksum))
    check(len(pe.directories) > 6 and pe.directories[6] == (0, 0),
          "%s: no debug directory" % name)
    with tempfile.NamedTemporaryFile(suffix=".exe") as f:
        f.write(data)
        f.flush()
        tool, found = objdump_format(f.name)
    if tool:
        check(found == bfd_format, "%s: %s -f says %s" % (name, os.path.basename(tool), found))
    check({dll.lower() for dll in imports} == START_DLLS,
          "%s: imports at start only %s" % (name, " ".join(imports)))
    later = {dll.lower(): functions for dll, functions in delayed}
    check(len(later) == len(delayed) and set(later) <= DELAY_DLLS and
          later.get("comctl32.dll") == ["#17"] and
          not any(f.endswith("!") for functions in later.values() for f in functions),
          "%s: delay-loads %s, COMCTL32 by ordinal 17 alone, every function through its stub" % (
              name, " ".join("%s (%d)" % (dll, len(f)) for dll, f in delayed)))

    versions = [v for (t, n, _), v in resources.items() if t == RT_VERSION and n == 1]
    if check(len(versions) == 1, "%s: one version resource" % name):
        try:
            tree, _ = version_tree(versions[0])
        except (ValueError, struct.error) as error:
            check(False, "%s: version resource readable (%s)" % (name, error))
        else:
            fixed = tree[1]
            major, minor, patch = (int(x) for x in version.split("."))
            want = ((major << 16) | minor, patch << 16)
            ok = len(fixed) == 52 and struct.unpack_from("<I", fixed)[0] == 0xFEEF04BD
            numbers = struct.unpack_from("<4I", fixed, 8) if ok else ()
            check(ok and numbers == want + want,
                  "%s: file and product version %s.0 in the fixed information" % (name, version))
            strings = version_strings(tree)
            check(strings.get("FileVersion") == version and
                  strings.get("ProductVersion") == version and
                  strings.get("ProductName") == "LinkTo" and
                  strings.get("OriginalFilename") == "linkto.exe",
                  "%s: version strings %s" % (name, {k: strings.get(k) for k in (
                      "FileVersion", "ProductVersion", "ProductName", "OriginalFilename")}))

    manifests = [v for (t, n, _), v in resources.items() if t == RT_MANIFEST]
    ids = [n for (t, n, _) in resources if t == RT_MANIFEST]
    if check(ids == [1], "%s: manifest embedded as resource type 24 id 1 (%s)" % (name, ids)):
        check_manifest(name, manifests[0])


def check_guide(name, data, members, top, screenshots):
    try:
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError:
        check(False, "%s: UTF-8" % name)
        return
    check(data.startswith(b"\xef\xbb\xbf"), "%s: UTF-8 with byte order mark" % name)
    check("\n" in text and text.count("\n") == text.count("\r\n"), "%s: CRLF line ends" % name)
    missing = sorted(s for s in program_switches() if "`%s" % s not in text)
    check(not missing, "%s: names every switch%s" % (name, " (missing %s)" % missing
                                                      if missing else ""))
    check("HKEY_CLASSES_ROOT" in text, "%s: names HKEY_CLASSES_ROOT" % name)
    images = re.findall(r"!\[[^\]]*\]\(([^)]+)\)", text)
    check(sorted(images) == sorted("docs/" + s for s in screenshots),
          "%s: shows the three screenshots of its language (%s)" % (name, ", ".join(images)))
    absent = [i for i in images if top + i not in members]
    check(not absent, "%s: every picture it shows is in the package%s" % (
        name, " (missing %s)" % absent if absent else ""))


def built_epoch():
    try:
        with open(os.path.join(ROOT, "build", "win64", "source-date-epoch")) as f:
            return int(f.read())
    except (OSError, ValueError):
        return None


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def check_entries(package, epoch):
    """Order, times, permissions and compression: what makes the zip reproducible."""
    infos = package.infolist()
    names = [i.filename for i in infos]
    check(names == sorted(names, key=lambda n: n.encode("utf-8")), "entries in name order")
    times = {i.date_time for i in infos}
    if epoch is not None:
        want = time.gmtime(max(epoch, 315532800))[:6]
        want = want[:5] + (want[5] & ~1,)  # a zip holds even seconds
        check(times == {want}, "every entry dated the epoch %d (%s)" % (epoch, sorted(times)))
    else:
        check(len(times) == 1, "every entry dated alike (%s)" % sorted(times))
    odd = []
    for i in infos:
        mode = 0o40755 if i.is_dir() else 0o100755 if i.filename.endswith(".exe") else 0o100644
        method = zipfile.ZIP_STORED if i.is_dir() else zipfile.ZIP_DEFLATED
        if (i.external_attr >> 16 != mode or i.create_system != 3 or i.compress_type != method
                or i.extra or i.comment):
            odd.append(i.filename)
    check(not odd, "fixed permissions, deflated files, no extra fields%s" % (
        " (not so: %s)" % odd if odd else ""))


def check_sums(path, package_hash, packed_hashes):
    """SHA256SUMS beside the zip: the zip and the packed programs, by their paths."""
    sums = os.path.join(os.path.dirname(os.path.abspath(path)), "SHA256SUMS")
    if not check(os.path.isfile(sums), "SHA256SUMS beside the package"):
        return
    listed = {}
    with open(sums, encoding="utf-8") as f:
        for line in f:
            m = re.fullmatch(r"([0-9a-f]{64}) [ *](.+)", line.rstrip("\n"))
            if m:
                listed[m.group(2)] = m.group(1)
    want = dict(packed_hashes)
    want[os.path.basename(path)] = package_hash
    wrong = sorted(n for n in set(want) | set(listed) if listed.get(n) != want.get(n))
    check(not wrong, "SHA256SUMS lists %s with their sums%s" % (
        ", ".join(sorted(want)), " (wrong, missing or extra: %s)" % wrong if wrong else ""))


def check_picture(name, data):
    check(data.startswith(b"\x89PNG\r\n\x1a\n") and len(data) < MAX_PICTURE_BYTES,
          "%s: PNG image of %d bytes, under %d" % (name, len(data), MAX_PICTURE_BYTES))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--delay-imports":
        with open(sys.argv[2], "rb") as f:
            for dll, functions in PeImage(f.read()).delay_imports():
                print(dll, " ".join(functions))
        return 0
    parser = argparse.ArgumentParser(description="Checks the LinkTo release package.")
    parser.add_argument("zip", nargs="?")
    parser.add_argument("--version", default=project_version())
    parser.add_argument("--x64", default=os.path.join(ROOT, "build", "win64", "linkto.exe"),
                        help="the built x86_64 program (the one the tests ran)")
    parser.add_argument("--x86", default=os.path.join(ROOT, "build", "win32", "linkto.exe"),
                        help="the built i686 program")
    parser.add_argument("--epoch", type=int, default=built_epoch(),
                        help="SOURCE_DATE_EPOCH of the build (default: build/win64's)")
    args = parser.parse_args()
    version = args.version
    path = args.zip or os.path.join(ROOT, "dist", "linkto-%s.zip" % version)
    print("checking %s (version %s)" % (path, version))
    if not check(version is not None and os.path.isfile(path), "package exists"):
        return 1
    check(os.path.basename(path) == "linkto-%s.zip" % version, "named linkto-<version>.zip")

    top = "linkto-%s/" % version
    expected = {top + p for p in ["x86/linkto.exe", "x64/linkto.exe", "README-ja.md",
                                  "README-en.md", "LICENSE"]}
    expected |= {top + "docs/" + s for s in SCREENSHOTS}
    with zipfile.ZipFile(path) as package:
        check(package.testzip() is None, "archive reads back without CRC errors")
        members = {n for n in package.namelist() if not n.endswith("/")}
        check(members == expected, "holds exactly the expected files%s" % (
            "" if members == expected else ": missing %s, extra %s" % (
                sorted(expected - members), sorted(members - expected))))
        read = lambda name: package.read(name) if name in members else b""
        check_entries(package, args.epoch)
        packed_hashes = {}
        for arch in ("x86", "x64"):
            name = top + arch + "/linkto.exe"
            if name in members:
                data = read(name)
                check(len(data) <= MAX_PROGRAM_BYTES, "%s: %d bytes, at most %d" % (
                    name, len(data), MAX_PROGRAM_BYTES))
                built = getattr(args, arch)
                built_hash = None
                if os.path.isfile(built):
                    with open(built, "rb") as f:
                        built_hash = sha256(f.read())
                packed_hash = packed_hashes[name] = sha256(data)
                check(built_hash == packed_hash, "%s: same bytes as %s (sha256 %s)" % (
                    name, built, packed_hash[:16]))
                check_program(name, arch, data, version, args.epoch)
        for guide in ("README-ja.md", "README-en.md"):
            if top + guide in members:
                check_guide(top + guide, read(top + guide), members, top, GUIDE_SCREENSHOTS[guide])
        licence = read(top + "LICENSE").decode("utf-8", "replace")
        check("MIT License" in licence and "the LinkTo developers" in licence and
              "Permission is hereby granted" in licence, "LICENSE is the MIT licence")
        for shot in SCREENSHOTS:
            check_picture(top + "docs/" + shot, read(top + "docs/" + shot))
            with open(os.path.join(ROOT, "docs", shot), "rb") as f:
                check_picture("docs/" + shot, f.read())
    with open(path, "rb") as f:
        check_sums(path, sha256(f.read()), packed_hashes)
    print("package check: %s" % ("passed" if not failures else "%d FAILED" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
