#!/usr/bin/env python3
"""tvtool as a user runs it: the installed program (TVTOOL) on files made in a temporary folder,
checked against independent peers (Python's zipfile, unzip -t, zip -z).

Run one group: tvtool_tests.py Pack   (the groups are the TestCase classes below)."""
import json
import select
import struct
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

TOOL = os.environ.get("TVTOOL", "tvtool")
if os.sep in TOOL:
    TOOL = os.path.abspath(TOOL)
TMP_ROOT = os.environ.get("TVTOOL_TEST_TMP")
# Every run of the tool is bounded in time.
RUN_TIMEOUT = 120
GROUPS = ["pack", "ini", "text", "lin", "img", "fetch"]
# The test helper records real ".lin" files through the library.
HELPER = os.environ.get("TVCORE_TEST_HELPER")


def run(*args, cwd=None, timeout=RUN_TIMEOUT):
    return subprocess.run([TOOL, *args], cwd=cwd, capture_output=True, timeout=timeout)


class ToolTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="tvtool-", dir=TMP_ROOT)
        self.addCleanup(shutil.rmtree, self.tmp, True)

    def path(self, *parts):
        return os.path.join(self.tmp, *parts)

    def write(self, relative, data):
        full = self.path(relative)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("utf-8"))
        return full

    def read(self, relative):
        with open(self.path(relative), "rb") as f:
            return f.read()

    def ok(self, *args, **kwargs):
        r = run(*args, **kwargs)
        self.assertEqual(r.returncode, 0, "tvtool %s failed:\n%s" % (" ".join(args), r.stderr.decode("utf-8", "replace")))
        return r

    def fails(self, status, message, *args, **kwargs):
        """The run ends with status and says message (and names the file) on standard error."""
        r = run(*args, **kwargs)
        err = r.stderr.decode("utf-8", "replace")
        self.assertEqual(r.returncode, status, "tvtool %s: %s" % (" ".join(args), err))
        self.assertIn(message, err)
        self.assertTrue(err.startswith("tvtool: "), err)
        return r

    def tree(self, root):
        """Every file and folder under root with its bytes (None for folders)."""
        found = {}
        for folder, dirs, files in os.walk(root):
            for d in dirs:
                found[os.path.relpath(os.path.join(folder, d), root) + "/"] = None
            for f in files:
                full = os.path.join(folder, f)
                with open(full, "rb") as h:
                    found[os.path.relpath(full, root)] = h.read()
        return found


class Cli(ToolTest):
    def test_help_and_version(self):
        r = self.ok("--version")
        self.assertRegex(r.stdout.decode(), r"^tvtool \d+\.\d+\.\d+")
        self.assertIn("pack", self.ok("--help").stdout.decode())
        for group in GROUPS:
            with self.subTest(group=group):
                self.assertIn("usage: tvtool " + group, self.ok(group, "--help").stdout.decode())
        self.assertIn("extract", self.ok("pack", "extract", "--help").stdout.decode())

    def test_usage_errors_exit_2(self):
        cases = [
            ([], "no command given"),
            (["frobnicate"], "unknown command"),
            (["pack"], "needs a command"),
            (["pack", "frob"], "unknown command"),
            (["pack", "list"], "needs PKG.xup"),
            (["pack", "list", "a.xup", "--bogus"], "unknown option --bogus"),
            (["pack", "add", "a.xup", "f", "--mode", "sideways"], "--mode is update, append or write"),
            (["pack", "add", "a.xup", "f", "--mode"], "needs a value"),
            (["--codepage", "x", "pack", "list", "a.xup"], "--codepage takes a number"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                self.fails(2, message, *args, cwd=self.tmp)

    def test_nothing_printed_on_success(self):
        self.write("d/a.txt", "a")
        r = self.ok("pack", "create", self.path("p.xup"), self.path("d"))
        self.assertEqual((r.stdout, r.stderr), (b"", b""))
        r = self.ok("pack", "extract", self.path("p.xup"), self.path("out"))
        self.assertEqual((r.stdout, r.stderr), (b"", b""))


class Pack(ToolTest):
    def make_folder(self):
        files = {
            "a.txt": b"hello\n",
            "empty.bin": b"",
            "sub/b.bin": os.urandom(200000),
            "sub/zeros.bin": bytes(300000),
            "sub/deep/caf\u00e9 cr\u00e8me.txt": "\u00e9t\u00e9".encode("utf-8"),
        }
        for name, data in files.items():
            self.write(os.path.join("src", name), data)
        os.makedirs(self.path("src", "emptydir"))
        return files

    def test_round_trip_byte_for_byte(self):
        self.make_folder()
        pkg = self.path("p.xup")
        self.ok("pack", "create", pkg, self.path("src"))
        listed = self.ok("pack", "list", pkg).stdout.decode("utf-8")
        self.assertIn("sub/deep/caf\u00e9 cr\u00e8me.txt", listed)
        self.assertIn("emptydir/", listed)
        self.ok("pack", "extract", pkg, self.path("out"))
        self.assertEqual(self.tree(self.path("src")), self.tree(self.path("out")))
        self.ok("pack", "verify", pkg)

    def test_package_accepted_by_peers(self):
        files = self.make_folder()
        pkg = self.path("p.xup")
        self.ok("pack", "create", pkg, self.path("src"))
        t = subprocess.run(["unzip", "-t", pkg], capture_output=True, timeout=60)
        self.assertEqual(t.returncode, 0, t.stdout.decode("latin-1"))
        with zipfile.ZipFile(pkg) as z:
            self.assertIsNone(z.testzip())
            self.assertEqual(z.comment, b"X++M41")
            # Member names are in the ANSI code page (Windows-1252 by default), '/' separated.
            names = {i.filename.encode("cp437").decode("cp1252"): i for i in z.infolist()}
            for name, data in files.items():
                self.assertIn(name, names)
                self.assertEqual(z.read(names[name]), data)
        listing = json.loads(self.ok("pack", "list", "--json", pkg).stdout)
        self.assertEqual(listing["version"], 41)
        sizes = {m["name"]: m["size"] for m in listing["members"]}
        for name, data in files.items():
            self.assertEqual(sizes[name], len(data))

    def test_zip_with_marker_from_zip_command(self):
        self.write("z/one.txt", "one")
        self.write("z/dir/two.txt", "two" * 1000)
        pkg = self.path("made.xup")
        r = subprocess.run(["zip", "-q", "-r", "-z", pkg, "."], cwd=self.path("z"), input=b"X++M41\n", capture_output=True,
                           timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr)
        listed = self.ok("pack", "list", pkg).stdout.decode()
        self.assertIn("one.txt", listed)
        self.assertIn("dir/two.txt", listed)
        self.ok("pack", "verify", pkg)
        self.ok("pack", "extract", pkg, self.path("out"), "dir/two.txt")
        self.assertEqual(self.read("out/dir/two.txt"), b"two" * 1000)
        self.assertFalse(os.path.exists(self.path("out", "one.txt")))

    def test_not_a_package(self):
        self.write("z/one.txt", "one")
        plain = self.path("plain.xup")
        subprocess.run(["zip", "-q", "-r", plain, "."], cwd=self.path("z"), check=True, timeout=60)
        self.write("text.xup", "not a zip at all")
        cases = [
            (["pack", "list", plain], "package marker"),
            (["pack", "verify", self.path("text.xup")], "package marker"),
            (["pack", "list", self.path("missing.xup")], "no such file"),
            (["pack", "list", self.path("z", "one.txt")], "ends in \".xup\""),
            (["pack", "create", self.path("new.xup"), self.path("nofolder")], "not a folder"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                self.fails(1, message, *args)

    def hostile_package(self, names):
        pkg = self.path("evil.xup")
        with zipfile.ZipFile(pkg, "w") as z:
            z.writestr("fine.txt", b"fine")
            for name in names:
                z.writestr(name, b"evil")
            z.comment = b"X++M41"
        return pkg

    def test_hostile_names_refused_before_anything_is_written(self):
        cases = ["../evil", "/etc/evil", "a/../../evil", "C:/evil", "C:evil", "..\\evil", "a\\..\\..\\evil", "sub/.."]
        for name in cases:
            with self.subTest(name=name):
                os.makedirs(self.path("target"), exist_ok=True)
                before = self.tree(self.tmp)
                pkg = self.hostile_package([name])
                self.fails(1, name.replace("\\", "\\") + "\" refused", "pack", "extract", pkg, self.path("target"))
                # Nothing was written anywhere: not the hostile member, not even the fine one.
                after = self.tree(self.tmp)
                after.pop("evil.xup")
                self.assertEqual(before, after)
                self.assertFalse(os.path.exists("/etc/evil"))
                os.remove(pkg)

    def test_symbolic_link_inside_target_not_followed(self):
        os.makedirs(self.path("target"))
        os.makedirs(self.path("elsewhere"))
        os.symlink(self.path("elsewhere"), self.path("target", "link"))
        pkg = self.hostile_package(["link/evil"])
        self.fails(1, "symbolic link", "pack", "extract", pkg, self.path("target"))
        self.assertEqual(os.listdir(self.path("elsewhere")), [])

    def test_existing_files_only_overwritten_with_force(self):
        self.write("src/a.txt", "new")
        pkg = self.path("p.xup")
        self.ok("pack", "create", pkg, self.path("src"))
        self.write("out/a.txt", "old")
        self.fails(1, "exists (use --force", "pack", "extract", pkg, self.path("out"))
        self.assertEqual(self.read("out/a.txt"), b"old")
        self.ok("pack", "extract", "--force", pkg, self.path("out"))
        self.assertEqual(self.read("out/a.txt"), b"new")
        # The same for the package itself.
        self.fails(1, "exists (use --force", "pack", "create", pkg, self.path("src"))
        self.write("src/b.txt", "b")
        self.ok("pack", "create", "--force", pkg, self.path("src"))
        with zipfile.ZipFile(pkg) as z:
            self.assertEqual(sorted(z.namelist()), ["a.txt", "b.txt"])
        # A create that fails leaves the old package as it was (the new one is made beside it).
        self.write("src/huge.bin", bytes(16776193))
        self.fails(1, "larger than a package member can be", "pack", "create", "--force", pkg, self.path("src"))
        with zipfile.ZipFile(pkg) as z:
            self.assertEqual(sorted(z.namelist()), ["a.txt", "b.txt"])
        self.assertEqual(sorted(os.listdir(self.tmp)), ["out", "p.xup", "src"])

    def test_add_modes(self):
        self.write("src/keep.txt", "keep")
        self.write("src/change.txt", "before")
        pkg = self.path("p.xup")
        self.ok("pack", "create", pkg, self.path("src"))
        self.write("change.txt", "after")
        self.write("extra.txt", "extra")
        # update: the named members are replaced, the others stay.
        self.ok("pack", "add", pkg, "change.txt", cwd=self.tmp)
        with zipfile.ZipFile(pkg) as z:
            self.assertEqual(sorted(z.namelist()), ["change.txt", "keep.txt"])
            self.assertEqual(z.read("change.txt"), b"after")
        # append: added in place; a name the package holds is refused (it could never be found).
        self.ok("pack", "add", pkg, "extra.txt", "--mode", "append", cwd=self.tmp)
        self.fails(1, "already holds a member", "pack", "add", pkg, "extra.txt", "--mode=append", cwd=self.tmp)
        with zipfile.ZipFile(pkg) as z:
            self.assertEqual(sorted(z.namelist()), ["change.txt", "extra.txt", "keep.txt"])
            self.assertIsNone(z.testzip())
        self.ok("pack", "verify", pkg)
        # write: only the files given remain.
        self.ok("pack", "add", pkg, "extra.txt", "--mode", "write", cwd=self.tmp)
        with zipfile.ZipFile(pkg) as z:
            self.assertEqual(z.namelist(), ["extra.txt"])
        # A new package from add.
        self.ok("pack", "add", self.path("fresh.xup"), "extra.txt", cwd=self.tmp)
        self.ok("pack", "verify", self.path("fresh.xup"))

    def test_verify_finds_damage(self):
        self.write("src/data.bin", bytes(range(256)) * 100)
        pkg = self.path("p.xup")
        self.ok("pack", "create", pkg, self.path("src"))
        with zipfile.ZipFile(pkg) as z:
            info = z.getinfo("data.bin")
        with open(pkg, "r+b") as f:
            # The member's data starts after its local header (30 bytes, the name, the extra field).
            f.seek(info.header_offset + 26)
            name_length = int.from_bytes(f.read(2), "little")
            extra_length = int.from_bytes(f.read(2), "little")
            at = info.header_offset + 30 + name_length + extra_length + 5
            f.seek(at)
            byte = f.read(1)
            f.seek(at)
            f.write(bytes([byte[0] ^ 0xFF]))
        self.fails(1, "data.bin: does not read back whole with its checksum", "pack", "verify", pkg)
        report = json.loads(run("pack", "verify", "--json", pkg).stdout)
        self.assertEqual(len(report["problems"]), 1)
        self.fails(1, "data.bin cannot be read", "pack", "extract", pkg, self.path("out"))

    def test_names_outside_the_code_page(self):
        self.write("src/\u6587\u4ef6.txt", "chinese name")
        pkg = self.path("p.xup")
        self.fails(1, "ANSI code page 1252", "pack", "create", pkg, self.path("src"))
        self.assertFalse(os.path.exists(pkg))
        self.ok("--codepage", "936", "pack", "create", pkg, self.path("src"))
        with zipfile.ZipFile(pkg) as z:
            self.assertEqual(z.namelist()[0].encode("cp437").decode("gbk"), "\u6587\u4ef6.txt")
        self.ok("pack", "extract", "--codepage=936", pkg, self.path("out"))
        self.assertEqual(self.read("out/\u6587\u4ef6.txt"), b"chinese name")


def utf16_ini(text):
    return b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le")


class Ini(ToolTest):
    def sections(self, path):
        """The file as a peer reads it: FF FE, UTF-16LE, CR LF lines."""
        data = open(path, "rb").read()
        self.assertEqual(data[:2], b"\xff\xfe")
        text = data[2:].decode("utf-16-le")
        self.assertNotIn("\n", text.replace("\r\n", ""))
        return text.split("\r\n")

    def test_set_then_get(self):
        ini = self.path("new.ini")
        self.ok("ini", "set", ini, "Video", "Width", "1024")
        self.ok("ini", "set", ini, "Video", "Title", "caf\u00e9 \u2603")
        self.ok("ini", "set", ini, "Audio", "Volume", "-5")
        self.ok("ini", "set", ini, "video", "WIDTH", "800")  # the same key, letter case aside
        for section, key, value in [("Video", "Width", "800"), ("VIDEO", "title", "caf\u00e9 \u2603"),
                                    ("Audio", "Volume", "-5")]:
            with self.subTest(key=key):
                self.assertEqual(self.ok("ini", "get", ini, section, key).stdout.decode("utf-8"), value + "\n")
        lines = self.sections(ini)
        self.assertIn("[Video]", lines)
        self.assertIn("Title=caf\u00e9 \u2603", lines)
        dump = json.loads(self.ok("ini", "dump", "--json", ini).stdout)
        self.assertEqual([s["name"] for s in dump["sections"]], ["Video", "Audio"])

    def test_both_encodings_read_and_written_back_as_utf16(self):
        files = {
            "ansi.ini": "[Main]\r\nName=\u00e9t\u00e9\r\nKeep=1\r\n".encode("cp1252"),
            "utf16.ini": utf16_ini("[Main]\nName=\u00e9t\u00e9\nKeep=1\n"),
            "utf16be.ini": b"\xfe\xff" + "[Main]\r\nName=\u00e9t\u00e9\r\nKeep=1\r\n".encode("utf-16-be"),
        }
        for name, data in files.items():
            with self.subTest(file=name):
                ini = self.write(name, data)
                self.assertEqual(self.ok("ini", "get", ini, "Main", "Name").stdout.decode("utf-8"), "\u00e9t\u00e9\n")
                self.ok("ini", "set", ini, "Main", "Added", "x")
                lines = self.sections(ini)
                for line in ["[Main]", "Name=\u00e9t\u00e9", "Keep=1", "Added=x"]:
                    self.assertIn(line, lines)
                self.assertEqual(self.ok("ini", "dump", ini).stdout.decode("utf-8"),
                                 "[Main]\nName=\u00e9t\u00e9\nKeep=1\nAdded=x\n")

    def test_errors(self):
        ini = self.write("a.ini", utf16_ini("[Main]\nKey=1\n"))
        cases = [
            (1, "no key Other in section [Main]", ["ini", "get", ini, "Main", "Other"]),
            (1, "no section [Else]", ["ini", "get", ini, "Else", "Key"]),
            (1, "no such file", ["ini", "get", self.path("missing.ini"), "Main", "Key"]),
            (1, "is a folder", ["ini", "set", self.tmp, "Main", "Key", "1"]),
            (2, "needs FILE, SECTION and KEY", ["ini", "get", ini, "Main"]),
            (2, "neither is empty", ["ini", "set", ini, "Main", "a=b", "1"]),
        ]
        for status, message, args in cases:
            with self.subTest(args=args[:2]):
                self.fails(status, message, *args)
        self.assertEqual(self.read("a.ini"), utf16_ini("[Main]\nKey=1\n"))


class Text(ToolTest):
    def test_conversions_against_python_codecs(self):
        text = "caf\u00e9 \u20ac\r\nline two"
        utf16 = b"\xff\xfe" + text.encode("utf-16-le")
        sources = {
            "ansi": text.encode("cp1252"),
            "utf16le": utf16,
            "utf16be": b"\xfe\xff" + text.encode("utf-16-be"),
            "utf8bom": b"\xef\xbb\xbf" + text.encode("utf-8"),
        }
        targets = {"utf16": utf16, "utf8": text.encode("utf-8"), "ansi": text.encode("cp1252")}
        for source, data in sources.items():
            for target, expected in targets.items():
                with self.subTest(source=source, target=target):
                    src = self.write(source + ".txt", data)
                    out = self.path("%s-to-%s.txt" % (source, target))
                    self.ok("text", "convert", src, out, "--to", target)
                    self.assertEqual(self.read(out), expected)

    def test_edges(self):
        self.write("plain.txt", "plain \u00e9".encode("utf-8"))
        self.write("tiny.txt", b"\xe9")
        self.write("zero.txt", b"ab\x00cd")
        cases = [
            (["--from", "utf8", "--to", "utf16"], "plain.txt", b"\xff\xfe" + "plain \u00e9".encode("utf-16-le")),
            (["--to", "utf8"], "plain.txt", "plain \u00c3\u00a9".encode("utf-8")),  # unmarked: the ANSI code page
            (["--to", "utf8"], "tiny.txt", "\u00e9".encode("utf-8")),
            (["--to", "utf8"], "zero.txt", b"ab"),  # the library's text ends at the first 0
        ]
        for options, source, expected in cases:
            with self.subTest(options=options, source=source):
                out = self.path("out.txt")
                self.ok("text", "convert", self.path(source), out, *options, "--force")
                self.assertEqual(self.read("out.txt"), expected)

    def test_errors(self):
        src = self.write("chinese.txt", b"\xff\xfe" + "text \u6587".encode("utf-16-le"))
        self.write("taken.txt", "taken")
        cases = [
            (1, "cannot hold", ["text", "convert", src, self.path("a.txt"), "--to", "ansi"]),
            (1, "exists (use --force", ["text", "convert", src, self.path("taken.txt"), "--to", "utf8"]),
            (1, "no such file", ["text", "convert", self.path("none.txt"), self.path("b.txt"), "--to", "utf8"]),
            (2, "--to is utf16, ansi or utf8", ["text", "convert", src, self.path("c.txt"), "--to", "latin9"]),
            (2, "--to is utf16, ansi or utf8", ["text", "convert", src, self.path("c.txt")]),
        ]
        for status, message, args in cases:
            with self.subTest(args=args[-2:]):
                self.fails(status, message, *args)
        self.assertFalse(os.path.exists(self.path("a.txt")))
        self.assertEqual(self.read("taken.txt"), b"taken")
        # Code page 936 holds what 1252 does not.
        self.ok("--codepage", "936", "text", "convert", src, self.path("gbk.txt"), "--to", "ansi")
        self.assertEqual(self.read("gbk.txt"), "text \u6587".encode("gbk"))


class Lin(ToolTest):
    def record(self, name, files):
        r = subprocess.run([HELPER, "linrecord", self.path(name), *files], capture_output=True, timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr)
        return self.path(name + ".lin")

    def test_dump_of_a_real_recording(self):
        ten = self.write("ten.bin", b"0123456789")
        big = self.write("big.bin", os.urandom(70000))
        lin = self.record("run", [ten, self.path("missing.bin"), big])
        self.assertEqual(os.path.getsize(lin), 5 + 10 + 1 + 5 + 70000)
        dump = json.loads(self.ok("lin", "dump", "--json", lin).stdout)
        self.assertIsNone(dump["problem"])
        self.assertEqual([(r["offset"], r["opened"], r["size"], r["read"]) for r in dump["records"]],
                         [(0, True, 10, 10), (15, False, 0, 0), (16, True, 70000, 70000)])
        lines = self.ok("lin", "dump", lin).stdout.decode().splitlines()
        self.assertEqual(lines[1].split(), ["0", "yes", "10", "10"])
        self.assertEqual(lines[2].split(), ["15", "no", "0", "0"])

    def test_recordings_that_cannot_be_split(self):
        cases = [
            # Reads that did not take the first file whole: a data byte where a record starts.
            # (a 4-byte file of which 2 bytes were read, two failed opens, then a data byte).
            (b"\x01\x04\x00\x00\x00" + b"ab" + b"\x00\x00" + b"Z", "offset 9: byte 0x5a"),
            (b"\x07", "byte 0x07"),
            (b"\x01\x0a\x00", "ends inside a file's size"),
        ]
        for data, message in cases:
            with self.subTest(data=data):
                self.fails(1, message, "lin", "dump", self.write("bad.lin", data))
        # A recording that stops inside the last file's reads is still whole records.
        short = self.write("short.lin", b"\x00\x01\x0a\x00\x00\x00" + b"0123")
        dump = json.loads(self.ok("lin", "dump", "--json", short).stdout)
        self.assertEqual(dump["records"][1]["read"], 4)
        self.fails(1, "no such file", "lin", "dump", self.path("none.lin"))


def to_int32(value):
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value >= 1 << 31 else value


def di_hash(path):
    """The archive's bucket of a path, written from the format's description."""
    total = h = 0
    for byte in path:
        signed = byte - 256 if byte >= 128 else byte
        total = to_int32(total + signed)
        h = to_int32(h * 2 + signed)
    rem = lambda x: abs(int(x - 64 * int(x / 64)))  # truncating remainder, then its magnitude
    return rem(total), rem(h)


def build_img(items):
    """An archive from (name, parent index, data or None for a folder) tuples, item 1 upward,
    laid out as the format describes: header, directory, names, hash table, data."""
    count = len(items) + 1
    names = b"".join(name + b"\0" for name, _, _ in items)
    dir_start = 36
    names_start = dir_start + 48 * count
    table_start = names_start + len(names)
    data_at = table_start + 64 * 64 * 4
    paths, records, data_blocks = {}, [bytes(48)], []
    chains = {}
    for index, (name, parent, data) in enumerate(items, start=1):
        paths[index] = (paths[parent] + b"\\" if parent else b"") + name
        bucket = di_hash(paths[index])
        chains.setdefault(bucket, []).append(index)
        size, offset = (0, 0) if data is None else (len(data), data_at + sum(len(d) for d in data_blocks))
        if data is not None:
            data_blocks.append(data)
        records.append([0, 0, parent, 0, 0, 0, 0, size, offset, 0, 0, 0])
    for chain in chains.values():
        for here, following in zip(chain, chain[1:]):
            records[here][11] = following
    table = [0xFFFFFFFF] * 4096
    for (a, b), chain in chains.items():
        table[a * 64 + b] = chain[0]
    header = struct.pack("<9I", 0, 0, dir_start, names_start, names_start, table_start, 0, 0, table_start)
    directory = records[0] + b"".join(struct.pack("<12I", *r) for r in records[1:])
    return header + directory + names + struct.pack("<4096I", *table) + b"".join(data_blocks)


class Img(ToolTest):
    def make_archive(self):
        self.write("src/readme.txt", "read me")
        self.write("src/Textures/sky.dds", os.urandom(150000))
        self.write("src/Textures/caf\u00e9.dds", b"cafe")
        self.write("src/empty.bin", b"")
        os.makedirs(self.path("src", "Empty"))
        img = self.path("data.img")
        self.ok("img", "create", img, self.path("src"))
        return img

    def test_created_checked_found_and_extracted(self):
        img = self.make_archive()
        self.ok("img", "check", img)
        listing = json.loads(self.ok("img", "list", "--json", img).stdout)
        kinds = {i["path"]: i["folder"] for i in listing["items"]}
        self.assertEqual(kinds, {"README.TXT": False, "TEXTURES": True, "TEXTURES\\SKY.DDS": False,
                                 "TEXTURES\\CAF\u00e9.DDS": False, "EMPTY.BIN": False, "EMPTY": True})
        for query, key in [("Textures/sky.dds", "TEXTURES\\SKY.DDS"), ("/textures\\caf\u00e9.dds", "TEXTURES\\CAF\u00e9.DDS"),
                           ("readme.txt", "README.TXT")]:
            with self.subTest(query=query):
                found = json.loads(self.ok("img", "find", "--json", img, query).stdout)
                self.assertEqual(found["key"], key)
                self.assertEqual(tuple(found["bucket"]), di_hash(key.encode("cp1252")))
                self.assertEqual(found["chain"][-1], key)
                self.assertIsNotNone(found["found"])
        text = self.ok("img", "find", img, "textures/sky.dds").stdout.decode()
        self.assertRegex(text, r"bucket\s+\(\d+, \d+\)")
        self.assertIn("found   item", text)
        self.fails(1, "no item TEXTURES\\NONE.DDS", "img", "find", img, "textures/none.dds")
        self.ok("img", "extract", img, self.path("out"))
        expected = {}
        for name, data in self.tree(self.path("src")).items():
            expected[name.upper().replace("\u00c9", "\u00e9")] = data  # names upper-cased, ASCII letters only
        self.assertEqual(self.tree(self.path("out")), expected)
        self.fails(1, "exists (use --force", "img", "extract", img, self.path("out"))
        self.ok("img", "extract", "--force", img, self.path("out"))

    def test_archive_from_the_format_description(self):
        # An independent writer's archive is read the same way.
        img = self.write("peer.img", build_img([(b"DATA", 0, None), (b"A.TXT", 1, b"hi")]))
        self.ok("img", "check", img)
        found = json.loads(self.ok("img", "find", "--json", img, "data/a.txt").stdout)
        self.assertEqual(found["bucket"], [37, 20])
        self.ok("img", "extract", img, self.path("out"))
        self.assertEqual(self.read("out/DATA/A.TXT"), b"hi")

    def test_damaged_archives_reported(self):
        good = build_img([(b"DATA", 0, None), (b"A.TXT", 1, b"hi"), (b"B.TXT", 1, b"there")])
        def patched(offset, fmt, value):
            data = bytearray(good)
            struct.pack_into(fmt, data, offset, value)
            return bytes(data)
        item = lambda index, word: 36 + 48 * index + 4 * word
        names_at = 36 + 48 * 4
        cases = {
            "truncated": good[:-3],
            "data past the end": patched(item(2, 7), "<I", 1 << 20),
            "parent out of range": patched(item(2, 2), "<I", 99),
            "lower-case name": good[:names_at + 5] + b"a" + good[names_at + 6:],
            "directory past the end": patched(12, "<I", 1 << 24),
        }
        for what, data in cases.items():
            with self.subTest(damage=what):
                img = self.write("bad.img", data)
                r = self.fails(1, "bad.img: ", "img", "check", img)
                self.assertEqual(r.stdout, b"")
        self.fails(1, "no such file", "img", "check", self.path("none.img"))
        self.fails(1, "not a sound IMG archive", "img", "list", self.write("bad.img", good[:100]))

    def test_hostile_item_names_refused(self):
        cases = [
            [(b"..", 0, None), (b"EVIL", 1, b"evil")],
            [(b"A:B", 0, b"evil")],
            [(b"SUB", 0, None), (b"..\\..\\EVIL", 1, b"evil")],
            [(b"/ETC", 0, None), (b"EVIL", 1, b"evil")],
        ]
        for items in cases:
            with self.subTest(names=[i[0] for i in items]):
                img = self.write("evil.img", build_img(items))
                os.makedirs(self.path("target"), exist_ok=True)
                before = self.tree(self.tmp)
                self.fails(1, "refused", "img", "extract", img, self.path("target"))
                self.assertEqual(before, self.tree(self.tmp))


NET_DIR = os.environ.get("TVTOOL_NET_DIR", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "net"))


def pattern(size):
    """The fault server's body: byte i is i % 251."""
    return (bytes(range(251)) * (size // 251 + 1))[:size]


class Fetch(ToolTest):
    def setUp(self):
        super().setUp()
        # The download manager's scripted server, on 127.0.0.1 only; it ends when its standard
        # input closes (and after its own time limit).
        self.server = subprocess.Popen([sys.executable, os.path.join(NET_DIR, "fault_server.py")], stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE)
        self.addCleanup(self.stop_server)
        self.port = int(self.server.stdout.readline())

    def stop_server(self):
        self.server.stdin.close()
        try:
            self.server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.server.kill()
            self.server.wait()
        self.server.stdout.close()

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def start(self, url, target):
        return subprocess.Popen([TOOL, "fetch", url, target], stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def wait_for_bytes(self, path, least, process):
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and process.poll() is None:
            if os.path.exists(path) and os.path.getsize(path) >= least:
                return
            time.sleep(0.02)
        self.fail("%s never held %d bytes" % (path, least))

    def wait_for_line(self, process, start):
        """Reads the tool's standard error until a line starting with start (bounded in time)."""
        deadline = time.monotonic() + 60
        seen = b""
        while time.monotonic() < deadline:
            ready, _, _ = select.select([process.stderr], [], [], 0.5)
            if ready:
                line = process.stderr.readline()
                if not line:
                    break
                seen += line
                if line.startswith(start.encode()):
                    return
        self.fail("no line %r from the tool: %r" % (start, seen))

    def test_resumed_after_the_tool_is_killed(self):
        # The manager writes the ".tmp" through a 1 MiB buffer: a kill keeps the whole MiBs.
        target = self.path("big.bin")
        url = self.url("/slow/3000000/1")
        tool = self.start(url, target)
        self.wait_for_bytes(target + ".tmp", 1 << 20, tool)
        tool.kill()
        tool.communicate(timeout=30)
        kept = os.path.getsize(target + ".tmp")
        self.assertFalse(os.path.exists(target))
        self.assertGreaterEqual(kept, 1 << 20)
        self.assertLess(kept, 3000000)
        r = self.ok("fetch", "--verbose", url, target)
        self.assertIn("resuming from %d bytes" % kept, r.stderr.decode())
        self.assertEqual(self.read("big.bin"), pattern(3000000))
        self.assertFalse(os.path.exists(target + ".tmp"))

    def test_failed_download_resumes_from_its_tmp(self):
        # Without a range the server sends half and drops the connection; with one, the rest.
        target = self.path("half.bin")
        self.fails(1, "download failed; %s.tmp keeps 100000 bytes" % target, "fetch", self.url("/drop/200000"), target)
        self.assertFalse(os.path.exists(target))
        self.ok("fetch", self.url("/drop/200000"), target)
        self.assertEqual(self.read("half.bin"), pattern(200000))

    def test_ctrl_c_cancels_and_keeps_the_tmp(self):
        target = self.path("slow.bin")
        url = self.url("/slow/400000/5")
        tool = self.start(url, target)
        self.wait_for_line(tool, "downloading: 10%")
        tool.send_signal(signal.SIGINT)
        _, err = tool.communicate(timeout=60)
        self.assertEqual(tool.returncode, 1, err)
        self.assertIn(b"cancelled; ", err)
        self.assertFalse(os.path.exists(target))
        kept = os.path.getsize(target + ".tmp")
        self.assertGreater(kept, 0)
        self.assertEqual(open(target + ".tmp", "rb").read(), pattern(kept))
        self.ok("fetch", url, target)
        self.assertEqual(self.read("slow.bin"), pattern(400000))

    def test_plain_progress_lines_off_a_terminal(self):
        r = self.ok("fetch", self.url("/slow/120000/1"), self.path("a.bin"))
        lines = [l for l in r.stderr.decode().splitlines() if l.startswith("downloading: ")]
        self.assertIn("downloading: 100% (120000 of 120000 bytes)", lines)
        r = self.ok("fetch", "--quiet", self.url("/slow/120000/1"), self.path("b.bin"))
        self.assertEqual(r.stderr, b"")
        self.assertEqual(self.read("b.bin"), pattern(120000))

    def test_errors(self):
        self.write("taken.bin", "taken")
        cases = [
            (1, "exists (use --force", ["fetch", self.url("/norange/10"), self.path("taken.bin")]),
            (1, "download failed", ["fetch", self.url("/status/404/Not%20Found"), self.path("missing.bin")]),
            (1, "is a folder", ["fetch", self.url("/norange/10"), self.tmp]),
            (2, "fetch needs URL and PATH", ["fetch", self.url("/norange/10")]),
        ]
        for status, message, args in cases:
            with self.subTest(args=args):
                self.fails(status, message, *args)
        self.assertEqual(self.read("taken.bin"), b"taken")
        self.ok("fetch", "--force", self.url("/norange/1000"), self.path("taken.bin"))
        self.assertEqual(self.read("taken.bin"), pattern(1000))

    def test_bare_file_name_in_the_current_folder(self):
        self.ok("fetch", self.url("/norange/5000"), "plain.bin", cwd=self.tmp)
        self.assertEqual(self.read("plain.bin"), pattern(5000))


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        suite = unittest.defaultTestLoader.loadTestsFromName(sys.argv[1], sys.modules[__name__])
        result = unittest.TextTestRunner(verbosity=2).run(suite)
        sys.exit(0 if result.wasSuccessful() else 1)
    unittest.main()
