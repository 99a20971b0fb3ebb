#!/usr/bin/env python3
"""disccheck on the sample disc and on a table of broken copies of it.

usage: test_disccheck.py DISCCHECK MKLOC SAMPLE_DISC [SAMPLE_IMAGE]
Each case copies the sample disc into a folder of its own, breaks one thing,
and expects disccheck's exit status and one finding line naming the fault.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

DISCCHECK, MKLOC, SAMPLE = sys.argv[1:4]

KEYS = ["MSG_BUTTON_OK", "MSG_BUTTON_CANCEL", "MSG_MESSAGE_NODOCINI2", "MSG_MESSAGE_INSTALLNOW",
        "MSG_MESSAGE_NEEDACROBAT", "MSG_MESSAGE_CHOOSE_MANUAL", "MSG_MESSAGE_INSERTCD"]


def run(where, *extra):
    p = subprocess.run([DISCCHECK, *extra, where], capture_output=True, text=True, timeout=60)
    return p.returncode, p.stdout + p.stderr


def write(disc, rel, data):
    path = os.path.join(disc, *rel.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def catalogue(disc, text):
    write(disc, "doc/doc.ini", text.encode("latin-1"))


def string_file(disc, texts, allow_cut=False, caret=None):
    """ENGINE.LOC from {key: {code: text}} built by mkloc (--allow-cut builds
    texts the program cuts). mkloc refuses a placeholder the program never
    fills: such a text is written with caret's stand-in ("@") and given its
    caret afterwards, byte for byte, so every offset stays right."""
    src = "".join("[%s]\n" % k + "".join("%s: %s\n" % (c, t) for c, t in v.items())
                  for k, v in texts.items())
    with open(os.path.join(disc, "engine_loc.txt"), "w", encoding="utf-8") as f:
        f.write(src)
    loc = os.path.join(disc, "ENGINE.LOC")
    subprocess.run([MKLOC] + (["--allow-cut"] if allow_cut else []) + [os.path.join(disc, "engine_loc.txt"), loc],
                   check=True, capture_output=True)
    os.remove(os.path.join(disc, "engine_loc.txt"))
    if caret:
        with open(loc, "rb") as f:
            data = f.read()
        with open(loc, "wb") as f:
            f.write(data.replace(caret.replace("^", "@").encode(), caret.encode()))


def all_keys(**override):
    texts = {k: {"ENG": k.lower(), "FRA": k.lower() + " fr"} for k in KEYS}
    texts["MSG_MESSAGE_INSERTCD"] = {"ENG": "Insert ^0", "FRA": "Ins\u00e9rez ^0"}
    texts.update(override)
    return texts


def remove(disc, rel):
    os.remove(os.path.join(disc, *rel.split("/")))


GOOD = "guide.pdf=Installation Guide\r\nusers.pdf=User's Guide\r\n"
# 184 and 94 bytes in code page 1252: with the blank line, 280.
NEED_GER = ("Zum Lesen der Handb\u00fccher auf diesem Datentr\u00e4ger wird ein PDF-Reader ab Version 3 "
            "ben\u00f6tigt. Auf diesem Computer wurde kein solches Programm gefunden; ohne ihn bleiben die "
            "Handb\u00fccher zu.")
INSTALL_GER = "M\u00f6chten Sie mit dem Installationsprogramm den PDF-Reader jetzt auf diesem Computer einrichten?"
LONG = "m" * 140 + ".pdf"
DEEP = "/".join("d%d" % i for i in range(1, 9)) + "/x.txt"

# (case name, how to break the disc, expected status, regex one output line must match)
CASES = [
    ("missing string file", lambda d: remove(d, "ENGINE.LOC"), 1,
     r"/ENGINE\.LOC: error: missing beside DOCVIEW\.EXE"),
    ("unreadable string file", lambda d: write(d, "ENGINE.LOC", b"000012garbage"), 1,
     r"/ENGINE\.LOC: error: "),
    ("key missing", lambda d: string_file(d, {k: v for k, v in all_keys().items()
                                              if k != "MSG_MESSAGE_INSERTCD"}), 1,
     r"/ENGINE\.LOC: error: no MSG_MESSAGE_INSERTCD"),
    ("language missing for a key", lambda d: string_file(d, all_keys(MSG_BUTTON_CANCEL={"ENG": "Cancel"})), 0,
     r"/ENGINE\.LOC: warning: MSG_BUTTON_CANCEL has no FRA text: French systems see the English one"),
    ("placeholder never filled", lambda d: string_file(d, all_keys(MSG_BUTTON_OK={"ENG": "OK @0", "FRA": "OK @0"}),
                                                       caret="^0"), 1,
     r"/ENGINE\.LOC: error: MSG_BUTTON_OK ENG text holds \^0, which the program never fills"),
    ("second placeholder in INSERTCD", lambda d: string_file(d, all_keys(
        MSG_MESSAGE_INSERTCD={"ENG": "Insert ^0 in @1", "FRA": "Ins ^0 @1"}), caret="^1"), 1,
     r"error: MSG_MESSAGE_INSERTCD ENG text holds \^1"),
    ("German reader offer cut", lambda d: string_file(d, all_keys(
        MSG_MESSAGE_NEEDACROBAT={"ENG": "A PDF reader is needed.", "GER": NEED_GER},
        MSG_MESSAGE_INSTALLNOW={"ENG": "Install it now?", "GER": INSTALL_GER}), allow_cut=True), 1,
     r"/ENGINE\.LOC: error: GER: the reader offer \(need-reader text, blank line, install question\) is 280 bytes; "
     r"the prompt shows 255 and cuts it after \"\u2026-Reader jetzt auf di\"$"),
    ("filled insert-disc text too long", lambda d: string_file(d, all_keys(
        MSG_MESSAGE_INSERTCD={"ENG": "Insert ^0", "FRA": "i" * 226 + "^0"}), allow_cut=True), 1,
     r"/ENGINE\.LOC: error: FRA: MSG_MESSAGE_INSERTCD filled with the disc's name \"Installation \(v1\.5 or greater\)\" "
     r"is 256 bytes; the program fills it only below 256, so the user sees the text unfilled, with the raw \"\^0\" in it$"),
    ("catalogue with a byte-order mark", lambda d: write(d, "doc/doc.ini", b"\xef\xbb\xbf" + GOOD.encode()), 1,
     r"/doc/doc\.ini:1: error: starts with a UTF-8 byte-order mark \(EF BB BF\): the program reads it as part of "
     r"the first file name"),
    ("the byte-order mark shown in the name", lambda d: write(d, "doc/doc.ini", b"\xef\xbb\xbf" + GOOD.encode()), 1,
     r"/doc/doc\.ini:1: error: names \"\u00ef\u00bb\u00bfguide\.pdf\", which is not in doc"),
    ("catalogue saved as UTF-8", lambda d: write(d, "doc/doc.ini", ("guide.pdf=Guide de d\u00e9marrage\r\n"
                                                                    "users.pdf=User's Guide\r\n").encode("utf-8")), 0,
     r"/doc/doc\.ini:1: warning: is UTF-8: an English system lists the title \"Guide de d\u00c3\u00a9marrage\", "
     r"not \"Guide de d\u00e9marrage\""),
    ("catalogue in code page 1252", lambda d: write(d, "doc/doc.ini", "guide.pdf=Guide de d\u00e9marrage\r\n".encode("cp1252")),
     0, None),
    ("Shift-JIS title for Japanese systems", lambda d: write(d, "doc/doc.ini", (
        GOOD + "guide_jp.pdf=\u30a4\u30f3\u30b9\u30c8\u30fc\u30eb (Japanese)\r\n").encode("cp932")), 0, None),
    # The program looks a name up in the system's code page: 1252 bytes find
    # the disc's caf\u00e9.pdf, the UTF-8 bytes look for another name.
    ("file name in code page 1252", lambda d: [write(d, "doc/caf\u00e9.pdf", b"%PDF"),
                                              write(d, "doc/doc.ini", "caf\u00e9.pdf=Caf\u00e9\r\n".encode("cp1252"))], 0, None),
    ("file name in UTF-8", lambda d: [write(d, "doc/caf\u00e9.pdf", b"%PDF"),
                                     write(d, "doc/doc.ini", "caf\u00e9.pdf=Cafe\r\n".encode("utf-8"))], 1,
     r"/doc/doc\.ini:1: error: names \"caf\u00c3\u00a9\.pdf\", which is not in doc"),
    ("bare line feed", lambda d: catalogue(d, "guide.pdf=Installation Guide\nusers.pdf=User's Guide\r\n"), 0,
     r"/doc/doc\.ini:1: warning: ends in a bare line feed: the title the user sees ends in a line feed"),
    ("listed manual missing", lambda d: catalogue(d, GOOD + "gone.pdf=Gone\r\nnotes.pdf=Release Notes\r\n"), 1,
     r"/doc/doc\.ini:3: error: names \"gone\.pdf\", which is not in doc: the program stops the list here"),
    # 252 characters and CR LF are one read; at 253 the line feed is a line of its own.
    ("line of 252 characters", lambda d: catalogue(d, "guide.pdf=" + "T" * 242 + "\r\n"), 0, None),
    ("line of 253 characters", lambda d: catalogue(d, "guide.pdf=" + "T" * 243 + "\r\n"), 1,
     r"/doc/doc\.ini:1: error: is longer, with its line end, than the 254 characters"),
    ("line without equals", lambda d: catalogue(d, "guide.pdf Installation Guide\r\n"), 1,
     r"/doc/doc\.ini:1: error: has no \"=\""),
    ("line over 254 characters", lambda d: catalogue(d, "guide.pdf=" + "T" * 250 + "\r\n"), 1,
     r"/doc/doc\.ini:1: error: is longer, with its line end, than the 254 characters"),
    ("duplicate title", lambda d: catalogue(d, GOOD + "notes.pdf=User's Guide\r\n"), 1,
     r"/doc/doc\.ini:3: error: title \"User's Guide\" is also the title of line 2"),
    ("wildcard names a manual", lambda d: catalogue(d, "gui*.pdf=Installation Guide\r\n"), 0, None),
    ("names match without case", lambda d: catalogue(d, "GUIDE.PDF=Installation Guide\r\n"), 0, None),
    ("Japanese title for everyone", lambda d: write(d, "doc/doc.ini", "guide.pdf=\u30ac\u30a4\u30c9\r\n".encode("cp932")), 0,
     r"/doc/doc\.ini:1: warning: title \S+ reads as Japanese but is listed on every system"),
    ("no manuals", lambda d: [remove(d, "doc/" + f) for f in os.listdir(os.path.join(d, "doc")) if f.endswith(".pdf")], 1,
     r"/doc: error: holds no \*\.pdf"),
    ("no catalogue", lambda d: remove(d, "doc/doc.ini"), 1, r"/doc/doc\.ini: error: missing"),
    ("no English installer", lambda d: [remove(d, "doc/acrowin/ar40eng.exe"), remove(d, "doc/acrowin/acrow32.exe")], 1,
     r"/doc/acrowin: error: holds neither ar40eng\.exe nor acrow32\.exe"),
    ("first Japanese installer missing", lambda d: remove(d, "doc/acrowin/ar40jpn.exe"), 0,
     r"/doc/acrowin: warning: holds no ar40jpn\.exe: Japanese systems start the second choice, acrow32j\.exe"),
    ("manual name too long when copied", lambda d: [write(d, "doc/" + LONG, b"%PDF-1.0\n"),
                                                    catalogue(d, GOOD + LONG + "=Long\r\n")], 1,
     r"/doc/doc\.ini:3: error: copied to a folder of 64 characters, the reader's command line for \"m+\.pdf\" "
     r"\(with a reader path of 80 characters\) is 298 characters"),
    ("manual name too long in drive D", lambda d: [write(d, "doc/" + "n" * 200 + ".pdf", b"%PDF-1.0\n"),
                                                   catalogue(d, GOOD + "n" * 200 + ".pdf=Long\r\n")], 1,
     r"/doc/doc\.ini:3: error: with the disc in drive D:, the reader's command line"),
    ("name over 64 for Joliet", lambda d: write(d, "doc/" + "j" * 61 + ".pdf", b"%PDF"), 1,
     r"/doc/j+\.pdf: error: the name is 65 characters: Joliet keeps at most 64"),
    ("folders too deep", lambda d: write(d, DEEP, b"x"), 1,
     r"/d1/d2/d3/d4/d5/d6/d7/d8: error: folder at level 9 \(the root is 1\): ISO 9660 allows 8"),
    ("name Joliet forbids", lambda d: write(d, "doc/a;b.txt", b"x"), 1,
     r"/doc/a;b\.txt: error: the name holds a character Joliet does not allow"),
    ("catalogue in other case", lambda d: os.rename(os.path.join(d, "doc", "doc.ini"), os.path.join(d, "doc", "DOC.INI")), 0,
     r"/doc/DOC\.INI: warning: stored as \"DOC\.INI\"; the program asks for \"doc\.ini\""),
    ("two names one for Windows", lambda d: write(d, "doc/Guide.pdf", b"%PDF"), 1,
     r"error: differs from \"doc/[Gg]uide\.pdf\" only in case"),
]


def check_images():
    """The sample as images: with Joliet it reads as the folder does; without,
    the 8.3 names lose the catalogue's long name; a cut image is refused."""
    failures = 0
    with tempfile.TemporaryDirectory(prefix="disccheck-iso-") as tmp:
        joliet = os.path.join(tmp, "joliet.iso")
        plain = os.path.join(tmp, "plain.iso")
        cut = os.path.join(tmp, "cut.iso")
        for out, extra in ((joliet, ["-J", "-joliet-long"]), (plain, [])):
            subprocess.run(["xorriso", "-as", "mkisofs", *extra, "-V", "SAMPLE", "-o", out, SAMPLE],
                           check=True, capture_output=True)
        with open(joliet, "rb") as f:
            data = f.read()
        with open(cut, "wb") as f:
            f.write(data[:19 * 2048])
        table = [
            ("Joliet image", joliet, 0, r"The chooser on an English system \(4 titles"),
            ("ISO 9660 names only", plain, 1,
             r"/DOC/DOC\.INI:3: error: names \"reference\.pdf\", which is not in doc"),
            ("image cut short", cut, 1, r"cut\.iso: error: not a readable ISO 9660 image"),
        ]
        for name, image, want, pattern in table:
            status, out = run(image)
            if status != want or not re.search(pattern, out):
                failures += 1
                print("FAIL %s: status %d (want %d), pattern %r\n%s" % (name, status, want, pattern, out))
            else:
                print("ok   %s" % name)
    return failures


def main():
    failures = 0
    # A correct disc: no error, no warning; the ISO level-1 names are a note, said once.
    status, out = run(SAMPLE)
    notes = [line for line in out.splitlines() if ": note: " in line]
    if (status != 0 or ": error:" in out or ": warning:" in out or "The chooser on an English system (4 titles" not in out
            or not out.rstrip().endswith("disccheck: 0 errors, 0 warnings") or len(notes) != 1
            or not re.search(r": note: \d+ names are not ISO 9660 level 1", notes[0])):
        print("sample disc: expected a clean check, got %d:\n%s" % (status, out))
        failures += 1
    status, out = run(SAMPLE, "--bogus")
    if status != 2:
        print("usage error: expected status 2, got %d" % status)
        failures += 1
    for name, breaker, want_status, pattern in CASES:
        with tempfile.TemporaryDirectory(prefix="disccheck-") as tmp:
            disc = os.path.join(tmp, "disc")
            shutil.copytree(SAMPLE, disc)
            breaker(disc)
            status, out = run(disc)
            lines = out.splitlines()
            ok = status == want_status
            if pattern:
                ok = ok and any(re.search(pattern, line) for line in lines)
            else:
                ok = ok and not any(": error:" in line or ": warning:" in line and "doc.ini" in line
                                    for line in lines)
            if not ok:
                failures += 1
                print("FAIL %s: status %d (want %d), pattern %r\n%s" % (name, status, want_status, pattern, out))
            else:
                print("ok   %s" % name)
    failures += check_images()
    print("%d failure(s)" % failures)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
