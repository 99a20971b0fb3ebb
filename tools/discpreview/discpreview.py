#!/usr/bin/env python3
"""discpreview: shows every dialog that each language's user can meet when
DOCVIEW.EXE starts from a disc, measures every text in it, and puts it all on
one page for the disc's author.

usage: discpreview.py DIR|IMAGE.iso -o OUTDIR [--lang de_DE,ja_JP,...] [--dpi 96,144]
                      [--strict] [--build DIR] [--mkloc PATH] [--resources PATH] [--prefix DIR]

The disc becomes CD-ROM drive D: of a private Wine prefix (OUTDIR/prefix, or
--prefix), under an Xvfb of its own when there is no display. D: is a view of
the disc, a folder of links to its files, so that DOCVIEW.EXE meets each state
a user's machine can be in without anything but DOCVIEW.EXE being started:

  chooser       the whole disc, a PDF reader registered (the stand-in)
  reader-offer  no PDF reader, the disc without doc\\acrowin; OK is answered
  insert-disc   then, as no installer can start
  no-manuals    the disc without doc\\*.pdf

Each dialog is dismissed as a user who changes their mind would (Cancel, or a
one-button prompt's only button; OK only to the offer), at each DPI (the prefix's LogPixels). The robot reads
each control's text and measures it with the control's own font inside the
program; each text is compared with what ENGINE.LOC means it to be (mkloc
--dump). A text that does not fit its control, that the program cuts, or
whose characters the control's font draws as boxes, is a finding: OUTDIR/findings.txt has one line per finding, starting with the
locale, and OUTDIR/index.html shows it with the dialog framed in red.

Languages: LC_ALL picks Wine's system language and code page. The default is
every language ENGINE.LOC carries; Thai is previewed on a Thai system (th_TH,
code page 874) and on an English system whose WIN.INI [intl] sCountry is
Thailand (th_TH@en_US), which the program recognises as Thai too.

Exit status: 0 every dialog shown (and, with --strict, no finding); 1 --strict
and findings; 2 a usage error; 3 a run failed (no dialog shown, a program
started, a dialog drawn at another DPI) or the preview stopped (the X server
or the Wine server ended, a script's font is missing, an error of its own);
the cause is printed.
"""
import argparse
import html
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# xdisplay reads nothing at import; dvwine is imported once the prefix is chosen.
sys.path.insert(0, os.path.join(ROOT, "tools", "winekit"))
import xdisplay  # noqa: E402

# Where the kit's helpers are, unless an option says otherwise: robot.exe,
# robot_hook.dll, standin.exe and warmup.exe in the build folder, the native
# mkloc, and the product's resource ids.
DEFAULT_BUILD = os.path.join(ROOT, "build", "win64")
DEFAULT_MKLOC = os.path.join(ROOT, "build", "native", "bin", "mkloc")
DEFAULT_RESOURCES = os.path.join(ROOT, "src", "resources", "resource.h")

# The code page of each string-file language's texts.
CODE_PAGES = {"ENG": "cp1252", "SPN": "cp1252", "FRA": "cp1252", "GER": "cp1252", "ITL": "cp1252",
              "PRT": "cp1252", "JPN": "cp932", "KOR": "cp949", "MAN": "cp950", "TAI": "cp874"}
LANGUAGE_ORDER = ["ENG", "SPN", "FRA", "GER", "ITL", "JPN", "KOR", "MAN", "PRT", "TAI"]


class Locale:
    """One system a user can have: the language the program picks, the LC_ALL
    that makes Wine such a system, its ANSI code page, and whether WIN.INI
    must say Thailand."""

    def __init__(self, tag, code, lc_all, system_cp, name, thai_country=False):
        self.tag, self.code, self.lc_all, self.system_cp = tag, code, lc_all, system_cp
        self.name, self.thai_country = name, thai_country
        self.text_cp = CODE_PAGES[code]


LOCALES = {l.tag: l for l in [
    Locale("en_US", "ENG", "en_US.UTF-8", "cp1252", "English"),
    Locale("es_ES", "SPN", "es_ES.UTF-8", "cp1252", "Spanish"),
    Locale("fr_FR", "FRA", "fr_FR.UTF-8", "cp1252", "French"),
    Locale("de_DE", "GER", "de_DE.UTF-8", "cp1252", "German"),
    Locale("it_IT", "ITL", "it_IT.UTF-8", "cp1252", "Italian"),
    Locale("ja_JP", "JPN", "ja_JP.UTF-8", "cp932", "Japanese"),
    Locale("ko_KR", "KOR", "ko_KR.UTF-8", "cp949", "Korean"),
    Locale("zh_TW", "MAN", "zh_TW.UTF-8", "cp950", "Chinese (Traditional)"),
    Locale("pt_PT", "PRT", "pt_PT.UTF-8", "cp1252", "Portuguese"),
    Locale("th_TH", "TAI", "th_TH.UTF-8", "cp874", "Thai"),
    # The other way the program meets Thai: an English system whose WIN.INI
    # says Thailand. Its code page stays 1252, so Thai texts show as Latin
    # letters there; the page decodes them as Thai for the author.
    Locale("th_TH@en_US", "TAI", "en_US.UTF-8", "cp1252",
           "Thai on an English system (sCountry Thailand)", thai_country=True),
]}
VARIANTS = {"TAI": ["th_TH", "th_TH@en_US"]}

OWNER = "Tamlo International"  # the main window's title: dialogs are owned by it
DISC_NAME = "Installation (v1.5 or greater)"  # what the insert-disc text is filled with
FILL_LIMIT = 256               # a filled text is shown filled only below this many bytes

# The states DOCVIEW.EXE is started in: (name, view of the disc, reader
# registered, the dialogs a user meets there in this order).
STATES = [
    ("chooser", "whole", True, ["chooser"]),
    ("offer", "no-installers", False, ["reader-offer", "insert-disc"]),
    ("no-manuals", "no-manuals", True, ["no-manuals"]),
]
DIALOG_ORDER = ["chooser", "catalogue", "reader-offer", "insert-disc", "no-manuals", "no-strings"]
DIALOG_TITLES = {"chooser": "The chooser (PDF reader installed)",
                 "reader-offer": "The reader offer (no PDF reader)",
                 "insert-disc": "The insert-disc prompt (OK to the offer; no installer could start)",
                 "no-manuals": "The no-manuals prompt (no PDF in doc)",
                 "catalogue": "The catalogue prompt (doc.ini missing, or naming a manual that is not there)",
                 "no-strings": "ENGINE.LOC not found"}
DESKTOP = "HKCU\\Control Panel\\Desktop"
INTL = "HKCU\\Control Panel\\International"


class RunFailed(Exception):
    """A run that could not show or dismiss its dialogs."""


class Lost(Exception):
    """No later run can work: the X server or the Wine server ended, or the
    program keeps failing to start."""


def parse_args():
    ap = argparse.ArgumentParser(prog="discpreview", description=__doc__.split("\n\n")[0])
    ap.add_argument("disc", metavar="DIR|IMAGE.iso")
    ap.add_argument("-o", dest="out", metavar="OUTDIR", required=True)
    ap.add_argument("--lang", help="comma-separated locales (default: every language ENGINE.LOC carries; "
                    "known: %s)" % ",".join(LOCALES))
    ap.add_argument("--dpi", default="96,144", help="comma-separated screen DPIs (default 96,144)")
    ap.add_argument("--strict", action="store_true", help="exit with status 1 when there is a finding")
    ap.add_argument("--no-reader", action="store_true",
                    help="accepted for compatibility: every state, with and without a reader, is previewed")
    ap.add_argument("--build", default=DEFAULT_BUILD,
                    help="the folder of robot.exe and robot_hook.dll, of robot32.exe and robot_hook32.dll (they "
                    "measure inside an i686 DOCVIEW.EXE), standin.exe and warmup.exe (the win64 build)")
    ap.add_argument("--mkloc", default=DEFAULT_MKLOC, help="the native mkloc")
    ap.add_argument("--resources", default=DEFAULT_RESOURCES, help="the product's resource.h (control ids)")
    ap.add_argument("--prefix", help="the Wine prefix to use (default OUTDIR/prefix; never ~/.wine)")
    return ap.parse_args()


# ---- What ENGINE.LOC means the user to see -------------------------------------

def read_strings(mkloc, loc_path):
    """The string file's texts as mkloc --dump prints them: {KEY: {CODE: text}},
    and what went wrong ("" when nothing)."""
    try:
        p = subprocess.run([mkloc, "--dump", loc_path], capture_output=True, timeout=60)
    except OSError as e:
        return {}, "cannot run mkloc: %s" % e
    texts, key = {}, None
    for line in p.stdout.decode("utf-8", "replace").split("\n"):
        m = re.match(r"^\[(.+)\]$", line)
        if m:
            key = m.group(1).upper()
            texts.setdefault(key, {})
            continue
        m = re.match(r"^([A-Z]{3}): (.*)$", line)
        if m and key is not None and m.group(1) in CODE_PAGES:
            texts[key].setdefault(m.group(1), m.group(2))
    problem = "" if p.returncode == 0 else "mkloc --dump %s: %s" % (
        loc_path, p.stderr.decode("utf-8", "replace").strip() or "exit %d" % p.returncode)
    return texts, problem


def carried_locales(texts):
    codes = {code for by_code in texts.values() for code in by_code}
    tags = []
    for code in LANGUAGE_ORDER:
        if code in codes or code == "ENG":
            tags += VARIANTS.get(code, [t for t, l in LOCALES.items() if l.code == code][:1])
    return tags


def to_bytes(text, cp):
    """text in code page cp, as the program holds it; a character the code page
    lacks but Windows maps one to one (cp1252's unassigned bytes) is that byte."""
    out = bytearray()
    for ch in text:
        try:
            out += ch.encode(cp)
        except UnicodeEncodeError:
            out += bytes([ord(ch)]) if ord(ch) < 256 else b"?"
    return bytes(out)


def from_bytes(data, cp):
    """data decoded in code page cp; a double-byte character cut in half at the
    end is left out, as the program's cut leaves half of it."""
    for drop in (0, 1):
        try:
            return data[:len(data) - drop].decode(cp)
        except UnicodeDecodeError:
            pass
    return data.decode(cp, "replace")


def readable(shown, loc, cp=None):
    """A dialog text (as the system decoded it) in the code page its bytes were
    written in, so the author can read it: the two differ on the English
    system that the program takes for Thai."""
    cp = cp or loc.text_cp
    return shown if cp == loc.system_cp else from_bytes(to_bytes(shown, loc.system_cp), cp)


def expand_newlines(data):
    """Backslash and n become a line feed, as the program's lookup does it."""
    out, i = bytearray(), 0
    while i < len(data):
        if data[i:i + 2] == b"\\n":
            out += b"\n"
            i += 2
        else:
            out.append(data[i])
            i += 1
    return bytes(out)


class Meant:
    """What a control is meant to show: the whole text's bytes and the code page
    they are in (that of the language the text comes from)."""

    def __init__(self, data, cp, key):
        self.data, self.cp, self.key = data, cp, key

    def text(self):
        return from_bytes(self.data, self.cp)


def delivered(texts, key, code):
    """The whole text of key in language code as the program looks it up: its
    own text, else the English one (line breaks expanded, nothing cut)."""
    by_code = texts.get(key, {})
    source = code if by_code.get(code) else "ENG"
    return Meant(expand_newlines(to_bytes(by_code.get(source, ""), CODE_PAGES[source])), CODE_PAGES[source], key)


def meant_texts(texts, code):
    """{dialog: {control id name: Meant}} for language code; empty when the
    string file's texts are unknown (nothing is compared then)."""
    if not texts:
        return {}
    ok, cancel = delivered(texts, "MSG_BUTTON_OK", code), delivered(texts, "MSG_BUTTON_CANCEL", code)
    need = delivered(texts, "MSG_MESSAGE_NEEDACROBAT", code)
    install = delivered(texts, "MSG_MESSAGE_INSTALLNOW", code)
    insert = delivered(texts, "MSG_MESSAGE_INSERTCD", code)
    filled = re.sub(rb"\^([0-9])", lambda m: DISC_NAME.encode("ascii") if m.group(1) == b"0" else b"", insert.data)
    offer_cp = need.cp if need.data else install.cp
    return {
        "chooser": {"IDC_MANUAL_OK": ok, "IDC_MANUAL_CANCEL": cancel,
                    # (the version label is the program's own: measured, not compared)
                    "IDC_MANUAL_TEXT": delivered(texts, "MSG_MESSAGE_CHOOSE_MANUAL", code)},
        "reader-offer": {"IDC_PROMPT_LEFT": ok, "IDC_PROMPT_RIGHT": cancel,
                         "IDC_PROMPT_TEXT": Meant(need.data + b"\n\n" + install.data, offer_cp,
                                                  "MSG_MESSAGE_NEEDACROBAT, MSG_MESSAGE_INSTALLNOW")},
        "insert-disc": {"IDC_PROMPT_LEFT": ok, "IDC_PROMPT_RIGHT": cancel,
                        "IDC_PROMPT_TEXT": Meant(filled, insert.cp, "MSG_MESSAGE_INSERTCD")},
        "no-manuals": {"IDC_PROMPT_RIGHT": ok, "IDC_PROMPT_TEXT": delivered(texts, "MSG_MESSAGE_NODOCINI2", code)},
        "catalogue": {"IDC_PROMPT_RIGHT": ok, "IDC_PROMPT_TEXT": delivered(texts, "MSG_MESSAGE_NODOCINI2", code)},
        "no-strings": {"IDC_PROMPT_RIGHT": Meant(b"OK", "cp1252", None),
                       "IDC_PROMPT_TEXT": Meant(b"Can't find ENGINE.LOC", "cp1252", None)},
    }


# ---- The disc as D: ------------------------------------------------------------

def disc_folder(disc, out):
    """A folder Wine can serve as drive D:; an image's files are extracted first."""
    if os.path.isdir(disc):
        return os.path.realpath(disc)
    folder = os.path.join(out, "image-files")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    subprocess.run(["xorriso", "-osirrox", "on", "-indev", disc, "-extract", "/", folder],
                   check=True, capture_output=True)
    # Files from an image are read-only, as on a CD; the folder must stay removable.
    for base, dirs, _files in os.walk(folder):
        for d in dirs:
            os.chmod(os.path.join(base, d), 0o755)
    return folder


def make_view(disc, view, kind):
    """Fills the folder view with links to the disc's files (Wine follows them):
    the whole disc, or all but doc\\acrowin (no installer can start), or all
    but doc\\*.pdf (no manuals). Names are compared as Windows does, case
    ignored."""
    shutil.rmtree(view, ignore_errors=True)
    os.makedirs(view)
    for name in os.listdir(disc):
        path = os.path.join(disc, name)
        if name.lower() != "doc" or not os.path.isdir(path) or kind == "whole":
            os.symlink(path, os.path.join(view, name))
            continue
        os.makedirs(os.path.join(view, name))
        for entry in os.listdir(path):
            if kind == "no-installers" and entry.lower() == "acrowin":
                continue
            if kind == "no-manuals" and entry.lower().endswith(".pdf"):
                continue
            os.symlink(os.path.join(path, entry), os.path.join(view, name, entry))


def has_installers(view):
    doc = next((os.path.join(view, n) for n in os.listdir(view) if n.lower() == "doc"), None)
    return bool(doc and any(n.lower() == "acrowin" for n in os.listdir(doc)))


# ---- Wine, the X server and the prefix ------------------------------------------

def start_xvfb():
    try:
        return xdisplay.start_xvfb()
    except xdisplay.XvfbError as e:
        raise Lost("the X server did not start: " + str(e))


def start_server(w):
    """The prefix's Wine server, kept up between runs as a child of ours, so
    that its end is seen at once (every Wine program ends with it)."""
    log = tempfile.TemporaryFile(prefix="wineserver-")
    server = subprocess.Popen(["wineserver", "-f", "-p"], env=w.wine_env(), stdin=subprocess.DEVNULL,
                              stdout=log, stderr=log)
    server.log = log
    # Until it listens, a Wine program would start a server of its own: wait
    # for its socket (it holds no other).
    end = time.monotonic() + 10
    while server.poll() is None and time.monotonic() < end and not listening(server.pid):
        time.sleep(0.02)
    return server


def listening(pid):
    fds = "/proc/%d/fd" % pid
    try:
        for fd in os.listdir(fds):
            if os.readlink(os.path.join(fds, fd)).startswith("socket:"):
                return True
    except OSError:
        pass
    return False


def server_lost(server):
    """None while the Wine server runs, else what ended it."""
    if server is None or server.poll() is None:
        return None
    server.log.seek(0)
    said = server.log.read().decode("utf-8", "replace").strip()
    how = "killed by signal %d" % -server.returncode if server.returncode < 0 else \
        "exit status %d" % server.returncode
    return "the Wine server ended (%s%s)" % (how, ": " + said if said else "")


def warm_up(w):
    """Keeps the Wine server up between runs and opens a first window: a new
    prefix's first program can otherwise take longer than a run may wait.
    Returns the server process."""
    server = start_server(w)
    w.quiet("wine", "cmd", "/c", "exit", "0")
    warmup = os.path.join(w.BUILD, "warmup.exe")
    if os.path.isfile(warmup):
        for _ in range(3):
            if subprocess.run(["wine", warmup], env=w.wine_env(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120).returncode == 0:
                break
            if server_lost(server):
                break
            time.sleep(1)
    return server


def prepare_prefix(w, folder, window_manager=False, systems=None):
    """The prefix (w.PREFIX) made when missing, folder as CD-ROM drive D:, and
    the Wine server up with a first window open; returns the server process.
    The demo starts this way too. window_manager: whether one runs on the
    display (a user's own does). systems: the LC_ALL values that will run,
    whose scripts' fonts must be there (raises w.FontsMissing, naming the
    package, when one is not); None: every script's."""
    w.prepare_fonts(systems)
    if not os.path.isdir(os.path.join(w.PREFIX, "drive_c", "windows", "system32")):
        print("discpreview: creating the Wine prefix", shown_path(w.PREFIX))
        os.makedirs(w.PREFIX, exist_ok=True)
        w.quiet("wineboot", "-i")
    w.set_window_manager(window_manager)
    w.set_cd_drives({"d": folder})
    return warm_up(w)


def shown_path(path):
    """path as the user would type it: relative when it lies below the current folder."""
    rel = os.path.relpath(path)
    return path if rel.startswith("..") else rel


def reg_value(w, key, name):
    rc, out = w.run("reg", ["query", key, "/v", name])
    m = re.search(r"^\s*%s\s+REG_\w+\s*(.*)$" % re.escape(name), out, re.M)
    return m.group(1).strip() if rc == 0 and m else None


class Prefix:
    """The settings of the prefix that change between runs, each written only
    when it changes: the screen's DPI, the registered reader, WIN.INI's country."""

    def __init__(self, w):
        self.w, self.dpi, self.reader, self.country = w, None, None, None

    def set_dpi(self, dpi):
        # Read by each new process: the running Wine server needs no restart.
        if dpi != self.dpi:
            self.w.reg_add(DESKTOP, "LogPixels", str(dpi), "REG_DWORD")
            self.dpi = dpi

    def set_reader(self, on):
        if on != self.reader:
            if on:
                self.w.register_reader("4.0")
            else:
                self.w.unregister_reader()
            self.reader = on

    def set_thai_country(self, on):
        """sCountry Thailand in WIN.INI [intl] (which Wine keeps in the registry)
        for the English system taken for Thai, and the system's own value back
        for the others: Wine rewrites it only when the locale changes."""
        current = reg_value(self.w, INTL, "sCountry")
        thai = current is not None and current.lower() == "thailand"
        if on and not thai:
            self.country = current
            self.w.reg_add(INTL, "sCountry", "Thailand")
        elif not on and thai:
            self.w.reg_add(INTL, "sCountry", self.country or "United States")


# ---- Pictures --------------------------------------------------------------------

def capture(display):
    """The whole display: (width, height, RGB bytes)."""
    data = subprocess.run(["import", "-window", "root", "-display", display, "-depth", "8", "ppm:-"], check=True,
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          timeout=30).stdout
    m = re.match(rb"P6\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not m or m.group(3) != b"255":
        raise RunFailed("the screenshot is not an 8-bit PPM picture")
    width, height = int(m.group(1)), int(m.group(2))
    return width, height, data[m.end():m.end() + width * height * 3]


def crop(shot, rect, margin=0):
    """The part of shot inside rect [left, top, right, bottom] plus margin: (width, height, RGB)."""
    width, height, rgb = shot
    left, top = max(0, rect[0] - margin), max(0, rect[1] - margin)
    right, bottom = min(width, rect[2] + margin), min(height, rect[3] + margin)
    if right <= left or bottom <= top:
        return 0, 0, b""
    rows = [rgb[(y * width + left) * 3:(y * width + right) * 3] for y in range(top, bottom)]
    return right - left, bottom - top, b"".join(rows)


def write_png(path, picture):
    width, height, rgb = picture

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def painted(w, rect, lost, timeout=10):
    """The display once the dialog in rect has been painted (w.settled)."""
    end, last = time.monotonic() + timeout, None
    while True:
        why = lost()
        if why:
            raise Lost(why)
        shot = capture(w.display())
        part = crop(shot, rect)[2]
        if w.settled(part, last):
            return shot
        if time.monotonic() > end:
            return shot  # still changing: the last picture is what there is
        last = part
        time.sleep(0.1)


# ---- One start of DOCVIEW.EXE -------------------------------------------------------

class Dialog:
    def __init__(self, name, dpi, dumped):
        self.name, self.dpi, self.dump, self.png = name, dpi, dumped, ""
        self.crops = {}  # control name -> picture of it, for the page's findings
        self.answer = ""


class Run:
    def __init__(self, tag, state, dpi):
        self.tag, self.state, self.dpi = tag, state, dpi
        self.dialogs, self.error, self.exit, self.log, self.started = [], "", None, [], []


class Preview:
    def __init__(self, w, ids, view, out, xvfb, server):
        self.w, self.view, self.out = w, view, out
        self.xvfb, self.server = xvfb, server
        self.prefix = Prefix(w)
        self.ids = ids
        self.pngs = set()
        self.standin_log = os.path.join(w.DRIVE_C, "standin.log")

    def lost(self):
        x = xdisplay.alive(self.xvfb)
        return ("the X server ended (%s)" % x.rstrip(": ")) if x else server_lost(self.server)

    def png_name(self, stem):
        name, n = stem + ".png", 2
        while name in self.pngs:
            name, n = "%s-%d.png" % (stem, n), n + 1
        self.pngs.add(name)
        return name

    def classify(self, dumped, offered, state):
        """Which dialog this is, by what the program shows when: the chooser has
        the list; of the two-button prompts the reader offer comes first, the
        insert-disc prompt only after it; the one-button prompts are the literal
        English one without a string file, and the no-manuals notice, which
        with manuals on the disc comes from reading the catalogue."""
        if self.w.control(dumped, self.ids["IDC_MANUAL_LIST"]) is not None:
            return "chooser"
        left = self.w.control(dumped, self.ids["IDC_PROMPT_LEFT"])
        if left is not None and left.get("visible"):
            return "insert-disc" if offered else "reader-offer"
        text = self.w.control(dumped, self.ids["IDC_PROMPT_TEXT"])
        if text is not None and text.get("text") == "Can't find ENGINE.LOC":
            return "no-strings"
        return "no-manuals" if state == "no-manuals" else "catalogue"

    def dismissal(self, name, hwnd):
        """The click that ends the dialog without starting anything: Cancel, but
        OK to the offer when the view holds no installer (so the insert-disc
        prompt comes), and a one-button prompt's only button."""
        if name == "chooser":
            return "IDC_MANUAL_CANCEL", ["click", hwnd, self.ids["IDC_MANUAL_CANCEL"]]
        if name == "reader-offer" and not has_installers(self.view):
            return "IDC_PROMPT_LEFT", ["click", hwnd, self.ids["IDC_PROMPT_LEFT"]]
        return "IDC_PROMPT_RIGHT", ["click", hwnd, self.ids["IDC_PROMPT_RIGHT"]]

    def picture(self, dialog, tag, dpi):
        d = dialog.dump
        shot = painted(self.w, d["rect"], self.lost)
        dialog.png = self.png_name("%s-%s-%ddpi" % (tag, dialog.name, dpi))
        write_png(os.path.join(self.out, dialog.png), crop(shot, d["rect"], 12))
        names = NAMES["chooser" if dialog.name == "chooser" else "prompt"]
        for c in d["controls"]:
            if c.get("visible") and c["id"] in names:
                dialog.crops[names[c["id"]]] = crop(shot, c["rect"], 3)

    def wait_end(self, proc, timeout):
        """The program's exit code once it ends within timeout, else None."""
        end = time.monotonic() + timeout
        while proc.poll() is None:
            why = self.lost()
            if why:
                raise Lost(why)
            if time.monotonic() > end:
                return None
            time.sleep(0.05)
        return proc.rc

    def one_run(self, tag, state, dpi):
        """DOCVIEW.EXE started once in state: each dialog it shows pictured,
        dumped and dismissed, until it ends."""
        w, loc = self.w, LOCALES[tag]
        name, _view, _reader, expected = state
        run = Run(tag, name, dpi)
        os.environ["DV_LC_ALL"] = loc.lc_all  # the robot and reg too: Wine keeps one locale in the registry
        self.prefix.set_thai_country(loc.thai_country)
        w.reset_data(create=True, log_level=3)
        if os.path.exists(self.standin_log):
            os.unlink(self.standin_log)
        proc = w.start("D:\\DOCVIEW.EXE", lc_all=loc.lc_all, deadline=120)
        try:
            seen, first, offered = [], None, False
            while True:
                met = [d.name for d in run.dialogs]
                if first is None and met and all(e in met for e in expected):
                    run.exit = self.wait_end(proc, 5)
                    if run.exit is not None:
                        break
                try:
                    hwnd, dumped = w.next_dialog(OWNER, seen, timeout=15 if seen else 45, first=first,
                                                 watch=proc, stop=self.lost)
                except w.ProgramEnded as e:
                    if not run.dialogs:
                        raise RunFailed("DOCVIEW.EXE ended with exit code %s before showing a dialog%s"
                                        % (e.rc, wine_said(proc)))
                    run.exit = e.rc
                    break
                except w.Stopped as e:
                    raise Lost(str(e))
                if len(run.dialogs) >= 6:
                    raise RunFailed("DOCVIEW.EXE showed more than six dialogs")
                dialog = Dialog(self.classify(dumped, offered, name), dpi, dumped)
                offered = offered or dialog.name == "reader-offer"
                run.dialogs.append(dialog)
                if dumped.get("dpi") != dpi:
                    run.error = "the dialogs were drawn at %s dpi, not at %d" % (dumped.get("dpi"), dpi)
                self.picture(dialog, tag, dpi)
                button, click = self.dismissal(dialog.name, hwnd)
                control = w.control(dumped, self.ids[button])
                dialog.answer = readable(control.get("text", ""), loc) if control else ""
                seen.append(hwnd)
                met = [d.name for d in run.dialogs]
                if all(e in met for e in expected):
                    w.robot(*click)
                    first = None
                else:
                    first = click
            if run.exit is None:
                run.exit = proc.wait(30)
        except (RunFailed, w.RobotError, TimeoutError, subprocess.SubprocessError) as e:
            run.error = str(e) + ("" if run.dialogs or isinstance(e, RunFailed) else wine_said(proc))
        finally:
            proc.close()
        run.log = [line.decode(loc.text_cp, "replace") for line in w.log_lines()]
        run.started = ["%s: %s" % (role, cmd) for role, _m, cmd in w.standin_starts(self.standin_log)]
        if run.started and not run.error:
            run.error = "DOCVIEW.EXE started a program: " + "; ".join(run.started)
        return run


def wine_said(proc):
    said = " / ".join(l.strip() for l in proc.output().splitlines() if l.strip())
    return (" (Wine: %s)" % said[-600:]) if said else ""


# ---- Findings -------------------------------------------------------------------------

def one_line(text):
    return text.replace("\r", "\\r").replace("\n", "\\n")


def size(pair):
    return "%dx%d" % tuple(pair)


class Finding:
    def __init__(self, tag, dialog, control, what, line):
        self.tag, self.dialog, self.control, self.what, self.line = tag, dialog, control, what, line
        self.anchor = "f-%s-%s-%s" % (tag, dialog, control or "dialog")
        self.anchor = re.sub(r"[^A-Za-z0-9_-]", "_", self.anchor)


def at_dpis(dpis, all_dpis):
    if sorted(dpis) == sorted(all_dpis):
        return ""
    return " at " + " and ".join("%d" % d for d in sorted(dpis)) + " dpi"


def examine(dialog, loc, meant, names):
    """What is wrong in one dialog: {(control, kind): detail}."""
    problems = {}
    d = dialog.dump
    if not d.get("measured"):
        problems[(None, "not measured")] = None
    for c in d["controls"]:
        name = names.get(c["id"])
        if not c.get("visible") or name is None:
            continue
        if d.get("measured") and "glyphs" in c and c["glyphs"] is None:
            problems[(None, "not measured")] = None  # its glyphs could not be checked
        m = meant.get(name)
        if m is not None and to_bytes(c.get("text", ""), loc.system_cp) != m.data:
            problems[(name, "cut")] = c
        if c.get("fits") is False:
            problems[(name, "clipped")] = c
        if c.get("glyphs") is False:
            problems[(name, "no glyphs")] = c
    return problems


def findings_of(runs, tags, strings, all_dpis, arch):
    """Every finding, grouped by locale, dialog and control, DPIs merged."""
    grouped = {}  # (tag, dialog, control, kind) -> {dpi: control}, in the order met
    for run in runs:
        loc = LOCALES[run.tag]
        meant = meant_texts(strings, loc.code)
        for dialog in run.dialogs:
            names = NAMES["chooser" if dialog.name == "chooser" else "prompt"]
            for (control, kind), detail in examine(dialog, loc, meant.get(dialog.name, {}), names).items():
                grouped.setdefault((run.tag, dialog.name, control, kind), {})[dialog.dpi] = (detail, dialog)
        met = {d.name for d in run.dialogs}
        for want in dict((s[0], s[3]) for s in STATES)[run.state]:
            if run.dialogs and want not in met:
                grouped.setdefault((run.tag, want, None, "not shown"), {})[run.dpi] = (
                    ", ".join(d.name for d in run.dialogs), None)
    found = []
    rank = {t: i for i, t in enumerate(tags)}
    order = sorted(grouped, key=lambda k: (rank.get(k[0], 99),
                                           DIALOG_ORDER.index(k[1]) if k[1] in DIALOG_ORDER else 99))
    for key in order:
        tag, dialog, control, kind = key
        loc = LOCALES[tag]
        by_dpi = grouped[key]
        at = at_dpis(by_dpi, all_dpis)
        meant = meant_texts(strings, loc.code).get(dialog, {}).get(control)
        intended = meant.text() if meant else None
        if kind == "not measured":
            line = "%s %s not measured%s: the robot could not measure its texts inside DOCVIEW.EXE (%s)" % (
                tag, dialog, at, arch or "not a Windows program")
        elif kind == "not shown":
            line = "%s %s not shown%s: the run met %s instead" % (
                tag, dialog, at, " and ".join(sorted(set(v[0] for v in by_dpi.values()))))
        elif kind == "cut":
            c = next(iter(by_dpi.values()))[0]
            shows = readable(c.get("text", ""), loc, meant.cp)
            if dialog == "insert-disc" and "^0" in shows and "^0" not in intended:
                line = ("%s %s %s not filled%s: filled with \"%s\" it would be %d bytes, and the program fills it "
                        "only below %d, so it shows the raw ^0: \"%s\"" % (
                            tag, dialog, control, at, DISC_NAME, len(meant.data), FILL_LIMIT, one_line(shows)))
            else:
                same = 0
                while same < min(len(shows), len(intended)) and shows[same] == intended[same]:
                    same += 1
                tail = shows[-20:]
                line = "%s %s %s cut%s: shows %d of %d characters, ends \"%s%s\"" % (
                    tag, dialog, control, at, same, len(intended), "\u2026" if len(shows) > 20 else "",
                    one_line(tail))
        elif kind == "no glyphs":
            c = next(iter(by_dpi.values()))[0]
            text = " | ".join(c.get("items", [])) if c.get("kind") == "listbox" else c.get("text", "")
            line = ("%s %s %s without glyphs%s: %d character(s) come out as the font's box, or as nothing "
                    "(\"%s\"): \"%s\"" % (tag, dialog, control, at, c.get("missing_glyphs", 0),
                                           one_line(c.get("missing", "")), one_line(readable(text, loc))))
        else:
            parts = []
            for dpi in sorted(by_dpi):
                c = by_dpi[dpi][0]
                if c.get("kind") == "listbox":
                    parts.append("%d of %d titles wider than the list (the widest needs %s, has %s)%s" % (
                        c.get("items_cut", 0), len(c.get("items", [])), size(c["need"]), size(c["room"]),
                        " at %d dpi" % dpi if len(by_dpi) > 1 else ""))
                else:
                    parts.append("needs %s, has %s%s" % (size(c["need"]), size(c["room"]),
                                                         " at %d dpi" % dpi if len(by_dpi) > 1 else ""))
            c = next(iter(by_dpi.values()))[0]
            if c.get("kind") == "listbox":
                text = " | ".join(readable(i, loc) for i in c.get("items", []))
            else:
                text = intended if intended is not None else readable(c.get("text", ""), loc)
            line = "%s %s %s clipped%s: %s: \"%s\"" % (tag, dialog, control, at, "; ".join(parts), one_line(text))
        f = Finding(tag, dialog, control, kind, line)
        f.dpis = sorted(by_dpi)
        f.intended = intended
        f.by_dpi = by_dpi
        found.append(f)
    return found


NAMES = {}  # filled in main(): per dialog kind, control id -> name


# ---- The page -------------------------------------------------------------------------

def text_html(text):
    return html.escape(text).replace("\n", "<br>")


def dialog_block(tag, name, dialogs, findings, strings, out):
    h = html.escape
    loc = LOCALES[tag]
    meant = meant_texts(strings, loc.code).get(name, {})
    bad_dpis = {dpi for f in findings for dpi in f.dpis}
    figures = []
    for dialog in dialogs:
        cls = ' class="finding"' if dialog.dpi in bad_dpis else ""
        figures.append('<figure><img src="%s" alt="%s"%s><figcaption>%d dpi</figcaption></figure>' % (
            h(dialog.png), h(dialog.png), cls, dialog.dpi))
    # One row per control: what it shows (decoded in its text's code page), what it
    # means to show when that differs, and the measurement at each DPI.
    names = NAMES["chooser" if name == "chooser" else "prompt"]
    rows = []
    ref = dialogs[0].dump
    for c in ref["controls"]:
        cname = names.get(c["id"], str(c["id"]))
        if not c.get("visible"):
            continue
        m = meant.get(cname)
        if c.get("kind") == "listbox":
            shows = "<ol>%s</ol>" % "".join("<li>%s</li>" % h(readable(i, loc)) for i in c.get("items", []))
        else:
            shows = text_html(readable(c.get("text", ""), loc, m.cp if m else None))
            if (m.cp if m else loc.text_cp) != loc.system_cp and c.get("text"):
                shows += '<br><span class="system">as this system shows it: %s</span>' % text_html(c["text"])
        measured = []
        for dialog in dialogs:
            cc = next((x for x in dialog.dump["controls"] if x["id"] == c["id"]), None)
            if cc is None or "fits" not in cc:
                measured.append("%d dpi: not measured" % dialog.dpi)
            else:
                measured.append('<span class="%s">%d dpi: %s, needs %s, has %s%s</span>' % (
                    "ok" if cc["fits"] and cc.get("glyphs") is not False else "bad", dialog.dpi,
                    "fits" if cc["fits"] else "clipped", size(cc["need"]), size(cc["room"]),
                    "; %d character(s) without a glyph" % cc.get("missing_glyphs", 0)
                    if cc.get("glyphs") is False else ", glyphs ok" if cc.get("glyphs") else ""))
        rows.append("<tr><th>%s</th><td>%s</td><td>%s</td></tr>" % (h(cname), shows, "<br>".join(measured)))
    items = []
    for f in findings:
        shown = []
        for dpi in f.dpis:
            detail, dialog = f.by_dpi[dpi]
            if dialog is None:
                continue
            crop_pic = dialog.crops.get(f.control)
            if crop_pic and crop_pic[0]:
                png = "%s-%s-%ddpi-%s.png" % (tag, name, dpi, f.control)
                write_png(os.path.join(out, png), crop_pic)
                shown.append('<figure><img src="%s" alt="%s"><figcaption>%d dpi</figcaption></figure>' % (
                    h(png), h(png), dpi))
            if detail is not None and f.control and f.what == "cut":
                shown.append("<p>%s</p>" % text_html(readable(detail.get("text", ""), loc,
                                                              meant[f.control].cp if f.control in meant else None)))
        intended = ('<div class="meant"><h4>Meant to show (%d characters)</h4><p>%s</p></div>' % (
            len(f.intended), text_html(f.intended))) if f.intended is not None else ""
        items.append('<li id="%s"><p class="line">%s</p>%s<div class="shows"><h4>Shows</h4>%s</div></li>' % (
            h(f.anchor), h(f.line), intended, "".join(shown) or "<p>-</p>"))
    answers = ", ".join(sorted({"%s" % d.answer for d in dialogs if d.answer}))
    return """<div class="dialog%s" id="%s-%s">
<h3>%s</h3>
<div class="body"><div class="shots">%s</div>
<div><table class="texts"><tr><th>Control</th><th>Shows</th><th>Measured</th></tr>%s</table>
<p class="answer">Answered: %s</p></div></div>
%s</div>""" % (" has-findings" if findings else "", h(tag), h(name), h(DIALOG_TITLES.get(name, name)),
               "".join(figures), "".join(rows), h(answers) or "-",
               ('<ul class="findings">%s</ul>' % "".join(items)) if items else "")


def page(disc, tags, runs, findings, problems, notices, strings, dpis, out):
    h = html.escape
    sections = []
    for tag in tags:
        loc = LOCALES[tag]
        dialogs = [d for r in runs if r.tag == tag for d in r.dialogs]
        blocks = []
        for name in DIALOG_ORDER + sorted({d.name for d in dialogs} - set(DIALOG_ORDER)):
            these = sorted((d for d in dialogs if d.name == name), key=lambda d: d.dpi)
            if these:
                blocks.append(dialog_block(tag, name, these, [f for f in findings if f.tag == tag and
                                                             f.dialog == name], strings, out))
        for f in findings:
            if f.tag == tag and f.what == "not shown":
                blocks.append('<div class="dialog has-findings" id="%s"><p class="line">%s</p></div>' % (
                    h(f.anchor), h(f.line)))
        logs = []
        for r in (r for r in runs if r.tag == tag):
            logs.append("<details><summary>%s at %d dpi: %s; exit code %s%s</summary><pre>%s</pre></details>" % (
                h(r.state), r.dpi, h(", ".join(d.name for d in r.dialogs) or "no dialog"), r.exit,
                (' <span class="bad">%s</span>' % h(r.error)) if r.error else "",
                h("\n".join(r.log)) or "(no log lines)"))
        system = "code page %s" % loc.system_cp[2:]
        if loc.system_cp != loc.text_cp:
            system += "; its texts decoded here as code page %s" % loc.text_cp[2:]
        sections.append("""<section class="lang%s" id="%s">
<h2>%s <small>%s &middot; %s &middot; LC_ALL=%s%s &middot; texts %s</small></h2>
%s
<h3>The runs and their activity logs</h3>%s
</section>""" % (" has-findings" if any(f.tag == tag for f in findings) else "", h(tag), h(loc.name), h(tag),
                 h(system), h(loc.lc_all), ", sCountry Thailand" if loc.thai_country else "", h(loc.code),
                 "\n".join(blocks), "".join(logs)))
    summary = "".join('<li><a href="#%s">%s</a></li>' % (h(f.anchor), h(f.line)) for f in findings)
    trouble = "".join("<li>%s</li>" % h(p) for p in problems)
    noted = "".join("<p class=\"bad\">%s</p>" % h(n) for n in notices)
    return """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Disc preview: %s</title>
<style>
body { font-family: sans-serif; margin: 1em; background: #f4f4f4; }
section.lang { background: #fff; border: 1px solid #ccc; padding: 0.8em; margin-bottom: 1em; }
section.lang.has-findings { border-left: 6px solid #d00; }
.dialog { border-top: 1px solid #ddd; padding: 0.4em 0; }
.body { display: flex; flex-wrap: wrap; gap: 1em; align-items: flex-start; }
.shots { display: flex; flex-wrap: wrap; gap: 1em; align-items: flex-start; }
figure { margin: 0; } figcaption { font-size: 0.8em; color: #555; }
img { border: 1px solid #888; max-width: 100%%; }
img.finding { border: 4px solid #d00; }
img.missing { border: 4px dashed #d00; }
h2 { margin: 0 0 0.4em; font-size: 1.25em; } h3 { margin: 0.6em 0 0.3em; font-size: 1.05em; }
h4 { margin: 0.2em 0; font-size: 0.9em; color: #555; }
.system { color: #777; font-size: 0.85em; }
small { color: #555; font-weight: normal; } pre { white-space: pre-wrap; font-size: 0.8em; }
table.texts { border-collapse: collapse; font-size: 0.9em; margin-top: 0.4em; }
table.texts th, table.texts td { border: 1px solid #ddd; padding: 0.2em 0.4em; text-align: left; vertical-align: top; }
table.texts ol { margin: 0; padding-left: 1.4em; }
.bad, .line, .missing { color: #b00; font-weight: bold; } .ok { color: #060; }
ul.findings { list-style: none; padding: 0; }
ul.findings li { border: 2px solid #d00; padding: 0.4em; margin: 0.4em 0; display: flex; flex-wrap: wrap; gap: 1em; }
ul.findings li .line { flex-basis: 100%%; margin: 0; }
.meant, .shows { flex: 1 1 20em; } .meant p { background: #ffe; padding: 0.3em; }
</style></head><body>
<h1>Every dialog each language's user can meet: %s</h1>
<p>%s, at %s dpi. %s</p>
%s%s%s
%s
<script>
// A picture that did not load is marked, so a broken page cannot pass for a good one.
window.addEventListener("load", function () {
  var bad = 0;
  for (var i = 0; i < document.images.length; i++)
    if (!document.images[i].naturalWidth) { bad++; document.images[i].className = "missing"; }
  document.body.setAttribute("data-images", document.images.length);
  document.body.setAttribute("data-broken", bad);
});
</script>
</body></html>
""" % (h(disc), h(os.path.basename(os.path.normpath(disc))), h(disc), " and ".join(str(d) for d in dpis),
       ("%d finding(s):" % len(findings)) if findings else "No finding: every text fits and shows whole.",
       ('<ul class="summary">%s</ul>' % summary) if summary else "",
       ('<h2 class="bad">What went wrong</h2><ul class="bad">%s</ul>' % trouble) if trouble else "", noted,
       "\n".join(sections))


# ---- Main ---------------------------------------------------------------------------------

def terminated(signum, _frame):
    # Ended from outside: the finally blocks still stop the X and Wine servers.
    raise SystemExit("discpreview: ended by signal %d" % signum)


def main():
    signal.signal(signal.SIGTERM, terminated)
    args = parse_args()
    out = os.path.realpath(args.out)
    try:
        dpis = [int(d) for d in args.dpi.split(",")]
    except ValueError:
        print("discpreview: --dpi takes numbers, e.g. 96,144", file=sys.stderr)
        return 2
    for path, what in ((os.path.join(args.build, "robot.exe"), "--build"), (args.mkloc, "--mkloc"),
                       (args.resources, "--resources")):
        if not os.path.isfile(path):
            print("discpreview: %s not found (see %s)" % (path, what), file=sys.stderr)
            return 2
    os.makedirs(out, exist_ok=True)
    folder = disc_folder(args.disc, out)
    program = os.path.join(folder, "DOCVIEW.EXE")
    if not os.path.isfile(program):
        print("discpreview: %s has no DOCVIEW.EXE" % args.disc, file=sys.stderr)
        return 2
    strings, strings_problem = read_strings(args.mkloc, os.path.join(folder, "ENGINE.LOC"))
    tags = args.lang.split(",") if args.lang else carried_locales(strings)
    for tag in tags:
        if tag not in LOCALES:
            print("discpreview: unknown language %s (known: %s)" % (tag, ",".join(LOCALES)), file=sys.stderr)
            return 2
    prefix = os.path.realpath(args.prefix or os.path.join(out, "prefix"))
    if prefix == os.path.realpath(os.path.expanduser("~/.wine")):
        print("discpreview: refusing to use ~/.wine", file=sys.stderr)
        return 2
    for old in os.listdir(out):  # an earlier preview's page
        if (old.endswith(".png") and old.split("-")[0] in LOCALES) or old in ("index.html", "findings.txt"):
            os.unlink(os.path.join(out, old))
    os.environ.update(DV_BUILD=os.path.realpath(args.build), DV_SOURCE=ROOT, DV_PREFIX=prefix,
                      DV_STANDIN_LOG="C:\\standin.log", DV_STANDIN_SECONDS="5")
    import dvwine as w  # its paths come from that environment
    arch = w.pe_machine(program)
    if arch is None:
        print("discpreview: %s is not a Windows program" % program, file=sys.stderr)
        return 2
    runs, problems, server, failed, xvfb, saved_dpi = [], [], None, 0, None, None
    notices = ["The texts were not compared with ENGINE.LOC's: " + strings_problem] if strings_problem else []
    for n in notices:
        print("discpreview: " + n, file=sys.stderr)
    view = os.path.join(out, "view")
    try:
        if not xdisplay.has_display():
            xvfb, os.environ["DISPLAY"] = start_xvfb()
            print("discpreview: X server %s of its own (Xvfb, process %d)" % (os.environ["DISPLAY"], xvfb.pid))
        os.environ["DV_DISPLAY"] = os.environ["DISPLAY"]
        ids = w.resource_ids(args.resources)
        NAMES["chooser"] = {v: k for k, v in ids.items() if k.startswith("IDC_MANUAL_")}
        NAMES["prompt"] = {v: k for k, v in ids.items() if k.startswith("IDC_PROMPT_")}
        make_view(folder, view, "whole")
        server = prepare_prefix(w, view, window_manager=xvfb is None,
                                systems={LOCALES[t].lc_all for t in tags if LOCALES[t].system_cp != "cp1252"})
        saved_dpi = reg_value(w, DESKTOP, "LogPixels")  # an existing prefix's own, put back at the end
        print("discpreview: Wine server process %d" % server.pid)
        preview = Preview(w, ids, view, out, xvfb, server)
        lost = preview.lost()
        if lost:
            raise Lost(lost)
        for dpi in dpis:
            preview.prefix.set_dpi(dpi)
            for state in STATES:
                make_view(folder, view, state[1])
                preview.prefix.set_reader(state[2])
                for tag in tags:
                    run = preview.one_run(tag, state, dpi)
                    if run.error and not run.dialogs:
                        why = preview.lost()
                        if why:
                            raise Lost(why)
                        print("discpreview: %s %d dpi %s: %s; once more" % (tag, dpi, state[0], run.error))
                        run = preview.one_run(tag, state, dpi)
                    failed = failed + 1 if run.error and not run.dialogs else 0
                    print("discpreview: %-11s %3d dpi %-10s %s%s" % (
                        tag, dpi, state[0], " ".join(d.png for d in run.dialogs) or "no dialog",
                        ("  (" + run.error + ")") if run.error else ""))
                    if run.error:
                        problems.append("%s %s at %d dpi: %s" % (tag, state[0], dpi, run.error))
                    runs.append(run)
                    if failed >= 2:
                        raise Lost("DOCVIEW.EXE showed no dialog in two runs in a row")
    except (Lost, w.FontsMissing) as e:
        problems.append("stopped: %s" % e)
        print("discpreview: stopped: %s" % e, file=sys.stderr)
    except Exception as e:  # anything else ends the preview too, never as if it were findings
        problems.append("stopped: %s: %s" % (type(e).__name__, e))
        print("discpreview: stopped: %s: %s" % (type(e).__name__, e), file=sys.stderr)
    finally:
        try:
            if server is not None and not server_lost(server):
                if saved_dpi is None:
                    w.run("reg", ["delete", DESKTOP, "/v", "LogPixels", "/f"])
                else:
                    Prefix(w).set_dpi(int(saved_dpi, 0))
        finally:
            w.quiet("wineserver", "-k")
            if server is not None:
                try:
                    server.wait(30)
                except subprocess.TimeoutExpired:
                    server.kill()
            w.kill_leftovers()  # a lost server leaves the prefix's programs behind
            xdisplay.stop_xvfb(xvfb)
    findings = findings_of(runs, tags, strings, dpis, arch)
    with open(os.path.join(out, "findings.txt"), "w", encoding="utf-8") as f:
        f.write("".join(x.line + "\n" for x in findings))
    with open(os.path.join(out, "index.html"), "w", encoding="utf-8") as f:
        f.write(page(args.disc, tags, runs, findings, problems, notices, strings, dpis, out))
    for x in findings:
        print("discpreview: finding: " + x.line)
    print("discpreview: wrote %s: %d finding(s) (%s)" % (shown_path(os.path.join(out, "index.html")), len(findings),
                                                       shown_path(os.path.join(out, "findings.txt"))))
    if problems:
        for p in problems:
            print("discpreview: problem: " + p, file=sys.stderr)
        return 3
    return 1 if args.strict and findings else 0


if __name__ == "__main__":
    sys.exit(main())
