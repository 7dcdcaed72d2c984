#!/usr/bin/env python3
"""Checks the resource folder against what the window loads from it.

- resources.qrc lists every picture and help file of the folder, each under an alias equal to
  its path, and nothing that does not exist;
- every picture index the menus, buttons and tree use has its PNG, of the right size and
  with an alpha channel;
- the help pages are UTF-8, declare it, use no scripts, and every local link and picture
  they name exists (anchors included);
- rcc compiles the list (when rcc is found).

Usage: check_resources.py [RESOURCES_DIR] [RCC]. Exit status 0 when all is well; otherwise
every fault is printed and the status is 1.
"""

import html.parser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

# Picture indices used by the menu bar and the button bar, and by the navigation tree.
TOOLBAR_INDICES = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 19, 20]
TREE_INDICES = [0, 1]

PACKED_KINDS = (".png", ".html", ".css")


class Checker:
    def __init__(self, root):
        self.root = root
        self.faults = []

    def fault(self, text):
        self.faults.append(text)

    def path(self, rel):
        return os.path.join(self.root, rel)

    # --- the resource list ------------------------------------------------------------------

    def files_on_disk(self):
        found = set()
        for top in ("icons", "images", "help"):
            for dirpath, _dirs, names in os.walk(self.path(top)):
                for name in names:
                    if name.endswith(PACKED_KINDS):
                        rel = os.path.relpath(os.path.join(dirpath, name), self.root)
                        found.add(rel.replace(os.sep, "/"))
        return found

    def check_qrc(self):
        qrc = self.path("resources.qrc")
        try:
            tree = ET.parse(qrc)
        except (OSError, ET.ParseError) as error:
            self.fault(f"resources.qrc: {error}")
            return
        listed = {}
        for res in tree.getroot().iter("qresource"):
            if res.get("prefix") != "/":
                self.fault(f"resources.qrc: prefix {res.get('prefix')!r}, expected '/'")
            for entry in res.iter("file"):
                rel = (entry.text or "").strip()
                alias = entry.get("alias")
                if alias != rel:
                    self.fault(f"resources.qrc: {rel} has alias {alias!r}, expected {rel!r}")
                if rel in listed:
                    self.fault(f"resources.qrc: {rel} listed twice")
                listed[rel] = alias
                if not os.path.isfile(self.path(rel)):
                    self.fault(f"resources.qrc: {rel} does not exist")
        for rel in sorted(self.files_on_disk() - set(listed)):
            self.fault(f"resources.qrc: {rel} is not listed (run make_qrc.sh)")

    # --- pictures -------------------------------------------------------------------------

    def png_header(self, rel):
        """Width, height and whether the PNG carries alpha; None when it is not a sound PNG."""
        try:
            with open(self.path(rel), "rb") as f:
                data = f.read()
        except OSError as error:
            self.fault(f"{rel}: {error}")
            return None
        if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
            self.fault(f"{rel}: not a PNG file")
            return None
        pos = 8
        width, height, _depth, colour = struct.unpack(">IIBB", data[16:26])
        alpha = colour in (4, 6)
        while pos + 8 <= len(data):
            (length,) = struct.unpack(">I", data[pos : pos + 4])
            kind = data[pos + 4 : pos + 8]
            body = data[pos + 8 : pos + 8 + length]
            crc = data[pos + 8 + length : pos + 12 + length]
            if len(body) != length or len(crc) != 4:
                self.fault(f"{rel}: truncated chunk {kind!r}")
                return None
            if struct.unpack(">I", crc)[0] != zlib.crc32(kind + body):
                self.fault(f"{rel}: bad checksum in chunk {kind!r}")
                return None
            if kind == b"tRNS":
                alpha = True
            if kind == b"IEND":
                return width, height, alpha
            pos += 12 + length
        self.fault(f"{rel}: no end chunk")
        return None

    def check_picture(self, rel, width, height, need_alpha):
        header = self.png_header(rel)
        if header is None:
            return
        w, h, alpha = header
        if (w, h) != (width, height):
            self.fault(f"{rel}: {w}x{h}, expected {width}x{height}")
        if need_alpha and not alpha:
            self.fault(f"{rel}: no transparency")

    def check_pictures(self):
        for i in TOOLBAR_INDICES:
            self.check_picture(f"icons/toolbar/{i:02d}.png", 24, 24, True)
        for i in TREE_INDICES:
            self.check_picture(f"icons/tree/{i}.png", 24, 24, True)
        self.check_picture("icons/app.png", 64, 64, True)
        self.check_picture("images/dock.png", 400, 50, False)

    # --- help pages -----------------------------------------------------------------------

    def check_help(self):
        pages = sorted(f for f in self.files_on_disk() if f.startswith("help/"))
        if "help/index.html" not in pages:
            self.fault("help/index.html does not exist")
        anchors, links = {}, []
        for rel in pages:
            if not rel.endswith(".html"):
                continue
            try:
                with open(self.path(rel), "rb") as f:
                    text = f.read().decode("utf-8")
            except UnicodeDecodeError as error:
                self.fault(f"{rel}: not UTF-8 ({error})")
                continue
            parser = PageParser()
            parser.feed(text)
            parser.close()
            if not parser.utf8_declared:
                self.fault(f"{rel}: no charset=utf-8 declaration")
            if parser.scripts:
                self.fault(f"{rel}: uses a script")
            if not parser.title:
                self.fault(f"{rel}: no title")
            anchors[rel] = parser.anchors
            links.extend((rel, target) for target in parser.links)
        for rel, target in links:
            if "://" in target or target.startswith("mailto:"):
                self.fault(f"{rel}: external link {target}")
                continue
            name, _, anchor = target.partition("#")
            dest = rel if not name else os.path.normpath(
                os.path.join(os.path.dirname(rel), name)).replace(os.sep, "/")
            if not os.path.isfile(self.path(dest)):
                self.fault(f"{rel}: link to missing {target}")
            elif anchor and anchor not in anchors.get(dest, set()):
                self.fault(f"{rel}: link to missing anchor {target}")

    # --- rcc ------------------------------------------------------------------------------

    def check_rcc(self, rcc):
        if rcc is None:
            print("check_resources: rcc not found, compilation not checked")
            return
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "resources.cpp")
            run = subprocess.run([rcc, "-no-compress", self.path("resources.qrc"), "-o", out],
                                 capture_output=True, text=True, check=False)
            if run.returncode != 0:
                self.fault(f"rcc failed: {run.stderr.strip()}")


class PageParser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links, self.anchors = [], set()
        self.utf8_declared, self.scripts, self.title = False, False, False

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "meta":
            content = (attrs.get("content") or "").lower().replace(" ", "")
            if "charset=utf-8" in content or (attrs.get("charset") or "").lower() == "utf-8":
                self.utf8_declared = True
        if tag == "script" or any(name.startswith("on") for name in attrs):
            self.scripts = True
        if tag == "title":
            self.title = True
        for name in ("id", "name") if tag == "a" else ("id",):
            if attrs.get(name):
                self.anchors.add(attrs[name])
        if tag == "a" and attrs.get("href"):
            self.links.append(attrs["href"])
        if tag == "img" and attrs.get("src"):
            self.links.append(attrs["src"])
        if tag == "link" and attrs.get("href"):
            self.links.append(attrs["href"])


def find_rcc(given):
    if given:
        return given
    for candidate in ("/usr/lib/qt6/libexec/rcc", "/usr/lib/qt6/bin/rcc"):
        if os.access(candidate, os.X_OK):
            return candidate
    return shutil.which("rcc")


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    checker = Checker(root)
    checker.check_qrc()
    checker.check_pictures()
    checker.check_help()
    checker.check_rcc(find_rcc(argv[2] if len(argv) > 2 else None))
    for text in checker.faults:
        print(f"check_resources: {text}")
    return 1 if checker.faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
