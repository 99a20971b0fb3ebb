#!/usr/bin/env python3
"""DOCVIEW.EXE against input it did not make: broken string files, hostile
catalogues, odd registry values, long program folders and a damaged data
folder, end to end in the tests' Wine prefix.

Every case is one row of a table: the state it lays out, the dialogs the user
must see (texts and buttons) with the button the robot presses, the log lines
that must follow the run header, and the exact command lines the stand-in
reader or installer must record (none, where nothing may start). Each start
has a deadline and must end with exit code 0. "Nothing happened" is shown by
the program's own end, an empty stand-in log and the exact log, never by a
sleep.

The program under test is DV_DOCVIEW (default: the sample disc's DOCVIEW.EXE
of this build), so the same table runs against either build. Cases that need
the same CD-ROM drives share one class: changing drives restarts the
wineserver, and the suite runs alone (RUN_SERIAL).
"""
import os
import shutil
import stat
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "winekit"))
sys.path.insert(0, HERE)
import dvwine as w  # noqa: E402
import test_e2e as e2e  # noqa: E402  the sample disc, its texts and catalogue

IDS = w.resource_ids()
DOCVIEW = os.path.realpath(os.environ.get("DV_DOCVIEW") or os.path.join(w.BUILD, "disc", "DOCVIEW.EXE"))
DISC_SOURCE = e2e.DISC_SOURCE
DRIVE_D = os.path.join(w.SCRATCH, "hostile", "drive_d")
SCRATCH = os.path.join(w.DRIVE_C, "hostile")  # C:\hostile: long folders, odd reader places
OWNER = "Tamlo International"
ARG = "Installation (v1.5 or greater)"
CP = {"ENG": "cp1252", "FRA": "cp1252", "JPN": "cp932"}


def T(key, code="ENG"):
    """A shipped text as the user reads it."""
    return e2e.text(key, code)


OK, CANCEL = T("MSG_BUTTON_OK"), T("MSG_BUTTON_CANCEL")
CHOOSE, NODOCINI = T("MSG_MESSAGE_CHOOSE_MANUAL"), T("MSG_MESSAGE_NODOCINI2")
NEED, INSTALL = T("MSG_MESSAGE_NEEDACROBAT"), T("MSG_MESSAGE_INSTALLNOW")
OFFER = NEED + "\n\n" + INSTALL
INSERT = T("MSG_MESSAGE_INSERTCD").replace("^0", ARG)
TITLES = sorted([t for _, t in e2e.catalogue() if "JAPANESE" not in t.upper()], key=str.upper)
FILE_OF = dict((t, n) for n, t in e2e.catalogue())
FIRST = FILE_OF[TITLES[0]]  # the manual OK opens: entry 0 of the sorted list
READER = "C:\\READER\\READER.EXE"
STD_READER = ("AcroExch.Document", "4.0", '"%s" "%%1"' % w.READER_WIN)
VERSION_LINE = (1, b"AcrobatVersion set to 4.0")


def reader_cmd(root, name, viewer=READER):
    return '"%s" "%s\\doc\\%s"' % (viewer, root, name)


def installer_cmd(root, name="ar40eng.exe"):
    return '"%s\\doc\\acrowin\\%s"' % (root, name)


def choice(label, question, code="ENG"):
    """The log text of a prompt's answer."""
    cp = CP[code]
    return (1, b"User Choice: " + label.encode(cp) + b"     Question: " + question.encode(cp))


# ---- what the user sees ----------------------------------------------------------

class Prompt:
    """A PROMPT_USER dialog: question, left label (None: one-button mode), right label,
    and the button pressed ("left" or "right")."""
    def __init__(self, question, left, right, press):
        self.question, self.left, self.right, self.press = question, left, right, press


class Chooser:
    """The MANUAL_LIST dialog: its texts and titles, and what is pressed
    ("ok", "cancel", or ("dbl", index))."""
    def __init__(self, items, press, ok=OK, cancel=CANCEL, text=CHOOSE):
        self.items, self.press, self.ok, self.cancel, self.text = items, press, ok, cancel, text


def offer(press, code="ENG", question=None):
    q = question if question is not None else T("MSG_MESSAGE_NEEDACROBAT", code) + "\n\n" + T(
        "MSG_MESSAGE_INSTALLNOW", code)
    return Prompt(q, T("MSG_BUTTON_OK", code), T("MSG_BUTTON_CANCEL", code), press)


# ---- string files ----------------------------------------------------------------

KEYS = {"ok": b"MSG_BUTTON_OK", "cancel": b"MSG_BUTTON_CANCEL", "choose": b"MSG_MESSAGE_CHOOSE_MANUAL",
        "nodocini": b"MSG_MESSAGE_NODOCINI2", "install": b"MSG_MESSAGE_INSTALLNOW",
        "need": b"MSG_MESSAGE_NEEDACROBAT", "insertcd": b"MSG_MESSAGE_INSERTCD"}
CLOSE = b"^^\r\n"


def shipped(name, code="ENG"):
    """A shipped text as the string file holds it, closed."""
    return T(KEYS[name].decode(), code).replace("\n", "\\n").encode(CP[code]) + CLOSE


def entry(key, *pairs, count=None):
    """An index entry: key, count and (code, text name) pairs, each token and a space."""
    tokens = [key, b"%d" % (len(pairs) if count is None else count)]
    for code, name in pairs:
        tokens += [code, b"%%(%s)d" % name.encode()]
    return b" ".join(tokens) + b" \r\n"


def std_index(skip=()):
    return b"".join(entry(k, (b"ENG", n)) for n, k in KEYS.items() if n not in skip)


def std_texts(**over):
    texts = {n: shipped(n) for n in KEYS}
    texts.update(over)
    return texts


def loc_file(index, texts, header=None, text_area_at=None):
    """A string file: six header characters, CR LF, the index (its %(name)d are
    the texts' offsets), then the text area, at text_area_at when given (the
    gap is filled with line breaks, which belong to no entry)."""
    area, offsets = b"", {}
    for name, t in texts.items():
        offsets[name.encode()] = len(area)
        area += t
    index = index % offsets
    if text_area_at is not None:
        index += b"\n" * (text_area_at - 8 - len(index))
    head = b"%6d" % len(index) if header is None else header
    assert len(head) == 6
    return head + b"\r\n" + index + area


def std_loc(**over):
    return loc_file(std_index(), std_texts(**over))


def shipped_loc():
    with open(os.path.join(DISC_SOURCE, "ENGINE.LOC"), "rb") as f:
        return f.read()


def cut_to_block(data, less=0):
    """The first N + 10 - less bytes of a string file whose header reads N."""
    return data[:int(data[:6]) + 10 - less]


def loc_tokens_300():
    texts = {"ok": b"Go" + CLOSE, "ok_fr": b"Allez" + CLOSE, "cancel": b"Stop" + CLOSE,
             "cancel_fr": b"Annuler" + CLOSE, "choose": b"Pick one" + CLOSE}
    texts.update({n: shipped(n) for n in ("nodocini", "install", "need", "insertcd")})
    index = (b"A" * 300 + b" 1 ENG %(ok)d \r\n"                      # a key of 300 characters
             + entry(KEYS["ok"], (b"ENG", "ok"), (b"FRA", "ok_fr"))
             + b"MSG_BUTTON_CANCEL 2 ENG %(cancel)d " + b"Z" * 300 + b" %(cancel_fr)d \r\n"
             + b"MSG_MESSAGE_CHOOSE_MANUAL " + b"0" * 299 + b"1 ENG %(choose)d \r\n"
             + std_index(skip=("ok", "cancel", "choose")))
    return loc_file(index, texts)


def loc_count_too_large():
    texts = {"ok": b"Go" + CLOSE, "cancel": b"Stop" + CLOSE, "cancel_fr": b"Annuler" + CLOSE,
             "choose": b"Pick one" + CLOSE, "choose_fr": b"Choisissez" + CLOSE}
    texts.update({n: shipped(n) for n in ("nodocini", "install", "need", "insertcd")})
    # OK claims five pairs and has one; read on, the next entry's French Cancel would be taken.
    index = (entry(KEYS["ok"], (b"ENG", "ok"), count=5)
             + entry(KEYS["cancel"], (b"ENG", "cancel"), (b"FRA", "cancel_fr"))
             + entry(KEYS["choose"], (b"ENG", "choose"), (b"FRA", "choose_fr"))
             + std_index(skip=("ok", "cancel", "choose")))
    return loc_file(index, texts)


def loc_index_ends_in_entry():
    # The last entry's offset has no closing space: the index text ends inside it.
    index = std_index(skip=("choose",)) + b"MSG_MESSAGE_CHOOSE_MANUAL 1 ENG %(choose)d"
    return loc_file(index, std_texts())


def loc_unclosed_and_600():
    texts = std_texts(need=b"N" * 600 + CLOSE)
    texts["cancel"] = texts.pop("cancel")[:-len(CLOSE)]  # last text of the file, never closed
    return loc_file(std_index(), texts)


# ---- the cases -------------------------------------------------------------------

EARLIER = b"\r\n" + b"=" * 55 + b"\r\nan earlier run's lines, which every case must leave in place\r\n"


class Case:
    """One hostile state and what must come of it.

    disc: callable(root) that changes the laid-out disc; reader: registry state
    (None: no reader); log: (level, text) lines after the start line, or None
    when check() looks at the whole log; prior: bytes of the log before the run,
    kept: what of them must still stand before the run's lines."""
    def __init__(self, name, steps, log, starts=(), code="ENG", log_level=None, reader=STD_READER,
                 disc=None, setup=None, check=None, program="D:\\DOCVIEW.EXE", deadline=40,
                 prior=None, kept=None, xfail=None, doc=None):
        self.name, self.steps, self.log, self.starts = name, steps, log, list(starts)
        self.code, self.log_level, self.reader, self.disc = code, log_level, reader, disc
        self.setup, self.check, self.program, self.deadline = setup, check, program, deadline
        self.prior = EARLIER if prior is None else prior
        self.xfail, self.doc = xfail, doc
        self.kept = self.prior if kept is None else kept  # what must precede the run in the log


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def put(rel, data):
    """disc hook: writes data (bytes, or a callable giving them) to rel under the disc's root."""
    return lambda root: write(os.path.join(root, *rel.split("\\")), data() if callable(data) else data)


def remove(rel):
    def go(root):
        p = os.path.join(root, *rel.split("\\"))
        shutil.rmtree(p) if os.path.isdir(p) else os.unlink(p)
    return go


def both(*hooks):
    def go(root):
        for h in hooks:
            h(root)
    return go


NOT_FOUND = [
    (0, b"ERROR: Couldn't open file: C:\\install\\data\\engine.loc"),
    (0, b"ERROR: Couldn't open file: C:\\engine.loc"),
    # No string file: slot 0 has no language, so the answer is logged twice.
    choice("OK", "Can't find ENGINE.LOC"),
    choice("OK", "Can't find ENGINE.LOC"),
]
OPENED = (3, b"OPENED D:\\ENGINE.LOC")


def refused_loc(name, data, doc):
    return Case("loc_refused_" + name, [Prompt("Can't find ENGINE.LOC", None, "OK", "right")],
                [OPENED] + NOT_FOUND, log_level=3, disc=put("ENGINE.LOC", data), doc=doc)


def insert_cd(name, text, shown):
    """The installer's disc prompt with a hostile MSG_MESSAGE_INSERTCD."""
    return Case("loc_insertcd_" + name, [offer("left"), Prompt(shown, OK, CANCEL, "right")],
                [OPENED, choice(OK, OFFER), choice(CANCEL, shown)], log_level=3, reader=None,
                disc=both(put("ENGINE.LOC", std_loc(insertcd=text + CLOSE)), remove("doc\\acrowin")))


LOC_CASES = [
    refused_loc("empty", b"", "an empty file"),
    refused_loc("five_bytes", b"12345", "fewer than six header bytes"),
    refused_loc("truncated", lambda: cut_to_block(shipped_loc(), less=1), "one byte short of its block"),
    refused_loc("negative_header", b"-00040" + b"\r\n" + b"x" * 200, "a negative block size"),
    refused_loc("letter_header", b"abcdef" + b"\r\n" + std_index() % {n.encode(): 0 for n in KEYS} + b"OK" + CLOSE,
                "letters read as 0: a 30000-byte block the file does not fill"),
    Case("loc_is_a_folder", [Prompt("Can't find ENGINE.LOC", None, "OK", "right")],
         [(0, b"ERROR: Couldn't open file: D:\\ENGINE.LOC")] + NOT_FOUND, log_level=3,
         disc=both(remove("ENGINE.LOC"), lambda root: os.makedirs(os.path.join(root, "ENGINE.LOC"))),
         doc="a folder named ENGINE.LOC cannot be opened"),
    Case("loc_letter_header_full_block", [Chooser(TITLES, "cancel")], [OPENED, VERSION_LINE], log_level=3,
         disc=put("ENGINE.LOC", loc_file(std_index(), std_texts(), header=b"abcdef", text_area_at=29998)),
         doc="letters read as 0: the texts begin at byte 29998"),
    Case("loc_text_area_cut", [Chooser(TITLES, "ok", ok="", cancel="", text="")],
         [OPENED, VERSION_LINE], [("reader", reader_cmd("D:", FIRST))], log_level=3,
         disc=put("ENGINE.LOC", cut_to_block(std_loc())),
         doc="every text runs into the end of the file: empty labels, the chooser still works"),
    Case("loc_index_ends_inside_entry", [Chooser(TITLES, "cancel", text="")], [OPENED, VERSION_LINE],
         log_level=3, disc=put("ENGINE.LOC", loc_index_ends_in_entry())),
    Case("loc_count_larger_than_pairs", [Chooser(TITLES, "cancel", ok="Go", cancel="Annuler", text="Choisissez")],
         [OPENED, VERSION_LINE], code="FRA", log_level=3, disc=put("ENGINE.LOC", loc_count_too_large()),
         doc="French: OK has only its English pair; the scan stops at the line break"),
    Case("loc_tokens_of_300", [Chooser(TITLES, "cancel", ok="Allez", cancel="Stop", text="")],
         [OPENED, VERSION_LINE], code="FRA", log_level=3, disc=put("ENGINE.LOC", loc_tokens_300()),
         doc="a 300-character key is passed over; a 300-character code ends the scan with the English "
             "text; a 300-character count finds nothing"),
    Case("loc_text_600_and_unclosed",
         [Prompt("\n\n" + INSTALL, None, OK, "right")],
         [OPENED, choice(OK, "\n\n" + INSTALL)], [("installer", installer_cmd("D:"))], log_level=3,
         reader=None, disc=put("ENGINE.LOC", loc_unclosed_and_600()),
         doc="a 600-character NeedAcrobat gives the empty text; the unclosed Cancel is empty, "
             "so the offer has one button, OK, which installs"),
    Case("loc_text_400", [offer("right", question="N" * 255)], [OPENED, choice(CANCEL, "N" * 255)],
         log_level=3, reader=None, disc=put("ENGINE.LOC", std_loc(need=b"N" * 400 + CLOSE)),
         doc="a text longer than the caller's buffer is cut to it; the offer is cut to 255"),
    insert_cd("caret_5", b"Insert the ^5 disc", "Insert the  disc"),
    insert_cd("caret_000", b"Disc ^0^0^0.", "Disc " + ARG * 3 + "."),
    insert_cd("expansion_too_long", b"Disc " + b"^0" * 9 + b".", "Disc " + "^0" * 9 + "."),
]


def ini(data):
    return put("doc\\doc.ini", data)


def rows_300():
    lines = [b"guide.pdf=Manual %03d\r\n" % i for i in range(1, 255)]
    lines.append(b"users.pdf=Manual 255\r\n")
    lines += [b"missing.pdf=Manual %03d\r\n" % i for i in range(256, 301)]  # never read
    return b"".join(lines)


CATALOGUE_PROMPT = Prompt(NODOCINI, None, OK, "right")
INI_CASES = [
    Case("ini_is_a_folder", [CATALOGUE_PROMPT, Chooser([], "cancel")], [VERSION_LINE, choice(OK, NODOCINI)],
         disc=both(remove("doc\\doc.ini"), lambda root: os.makedirs(os.path.join(root, "doc", "doc.ini"))),
         doc="a folder named doc.ini is a catalogue that cannot be opened"),
    Case("ini_bare_lf", [Chooser(["Installation Guide\n", "User's Guide\n"], "ok")], [VERSION_LINE],
         [("reader", reader_cmd("D:", "guide.pdf"))],
         disc=ini(b"guide.pdf=Installation Guide\nusers.pdf=User's Guide\n"),
         doc="a bare LF stays in the title, and the title still finds its row"),
    Case("ini_no_equals", [CATALOGUE_PROMPT, Chooser(["User's Guide"], "cancel")],
         [VERSION_LINE, choice(OK, NODOCINI)],
         disc=ini(b"users.pdf=User's Guide\r\nguide.pdf\r\nnotes.pdf=Release Notes\r\n"),
         doc="a line without '=' names no file: the prompt, reading stops, earlier titles stay"),
    Case("ini_no_equals_last_line", [Chooser(["guide.pdf", "User's Guide"], "ok")], [VERSION_LINE],
         [("reader", reader_cmd("D:", "guide.pdf"))], disc=ini(b"users.pdf=User's Guide\r\nguide.pdf"),
         doc="a last line without '=' and line end naming a file is listed under its own text"),
    Case("ini_empty_line", [CATALOGUE_PROMPT, Chooser(["User's Guide"], "ok")],
         [VERSION_LINE, choice(OK, NODOCINI)], [("reader", reader_cmd("D:", "users.pdf"))],
         disc=ini(b"users.pdf=User's Guide\r\n\r\nguide.pdf=Installation Guide\r\n")),
    Case("ini_300_rows", [Chooser(["Manual %03d" % i for i in range(1, 256)], ("dbl", 254))], [VERSION_LINE],
         [("reader", reader_cmd("D:", "users.pdf"))], disc=ini(rows_300()),
         doc="255 rows are listed, the rest is not read (its missing file brings no prompt)"),
    Case("ini_line_of_1000_title", [CATALOGUE_PROMPT, Chooser(["T" * 244], "ok")],
         [VERSION_LINE, choice(OK, NODOCINI)], [("reader", reader_cmd("D:", "guide.pdf"))],
         disc=ini(b"guide.pdf=" + b"T" * 990 + b"\r\nusers.pdf=User's Guide\r\n"),
         doc="read in 254-character pieces; the second piece is a name too long to search"),
    Case("ini_line_of_1000_name", [CATALOGUE_PROMPT, Chooser([], "ok")],
         [VERSION_LINE, choice(OK, NODOCINI)], disc=ini(b"G" * 1000 + b"=Guide\r\n"),
         doc="OK on the empty list starts nothing"),
    Case("ini_zero_byte", [Chooser(["Install", "User's Guide"], "ok")], [VERSION_LINE],
         [("reader", reader_cmd("D:", "guide.pdf"))],
         disc=ini(b"guide.pdf=Install\0ation Guide\r\nusers.pdf=User's Guide\r\n"),
         doc="a line's text ends at a zero byte"),
    Case("ini_wildcard_name", [Chooser(["Every manual"], "ok")], [VERSION_LINE],
         [("reader", reader_cmd("D:", "*.pdf"))], disc=ini(b"*.pdf=Every manual\r\n"),
         doc="the name is a search pattern and goes verbatim into the command line"),
    Case("ini_parent_folder_name", [Chooser(["Up one"], "ok")], [VERSION_LINE],
         [("reader", reader_cmd("D:", "..\\ENGINE.LOC"))], disc=ini(b"..\\ENGINE.LOC=Up one\r\n"),
         doc="..\\ is taken verbatim, like any name"),
]


def reader_at(total):
    """A registry command of exactly total characters naming a stand-in reader
    under C:\\hostile, and the path the program must start."""
    seg = "r" * (total - len('"" "%1"') - len("C:\\hostile\\") - len("\\reader.exe"))
    path = "C:\\hostile\\%s\\reader.exe" % seg
    command = '"%s" "%%1"' % path
    assert len(command) == total
    return command, path


def install_reader(path):
    """Puts the stand-in at a Windows path under C:\\hostile."""
    unix = os.path.join(w.DRIVE_C, *path[3:].split("\\"))
    os.makedirs(os.path.dirname(unix), exist_ok=True)
    shutil.copyfile(w.STANDIN, unix)


CMD_80, PATH_80 = reader_at(80)
CMD_81, PATH_81 = reader_at(81)
CMD_200, PATH_200 = reader_at(200)
VERSION_80 = "4.0 " + "v" * 76
REG_CASES = [
    Case("reg_command_80", [Chooser(TITLES, "ok")], [VERSION_LINE],
         [("reader", reader_cmd("D:", FIRST, viewer=PATH_80.upper()))],
         reader=("AcroExch.Document", "4.0", CMD_80), setup=lambda: install_reader(PATH_80)),
    Case("reg_command_81", [offer("right")], [VERSION_LINE, choice(CANCEL, OFFER)],
         reader=("AcroExch.Document", "4.0", CMD_81), setup=lambda: install_reader(PATH_81),
         doc="a value over 80 characters fails the read: the reader counts as missing"),
    Case("reg_command_200", [offer("right")], [VERSION_LINE, choice(CANCEL, OFFER)],
         reader=("AcroExch.Document", "4.0", CMD_200), setup=lambda: install_reader(PATH_200)),
    Case("reg_version_80", [Chooser(TITLES, "cancel")], [(1, b"AcrobatVersion set to " + VERSION_80.encode())],
         reader=("AcroExch.Document", VERSION_80, STD_READER[2])),
    Case("reg_version_81", [offer("right")], [choice(CANCEL, OFFER)],
         reader=("AcroExch.Document", VERSION_80 + "v", STD_READER[2])),
    Case("reg_class_81", [offer("right")], [choice(CANCEL, OFFER)],
         reader=("AcroExch.Document" + " " * 64, "4.0", STD_READER[2])),
    Case("reg_version_3abc", [Chooser(TITLES, "cancel")], [(1, b"AcrobatVersion set to 3abc")],
         reader=("AcroExch.Document", "3abc", STD_READER[2])),
    Case("reg_command_without_exe", [offer("right")], [VERSION_LINE, choice(CANCEL, OFFER)],
         reader=("AcroExch.Document", "4.0", '"C:\\Reader\\reader.com" "%1"')),
    Case("reg_command_names_folder", [Chooser(TITLES, "ok")], [VERSION_LINE], [],
         reader=("AcroExch.Document", "4.0", '"C:\\hostile\\tools.exe\\reader.exe" "%1"'),
         setup=lambda: install_reader("C:\\hostile\\tools.exe\\reader.exe"), deadline=60,
         doc="the command is cut after the first .EXE, a folder; the probe accepts it, the start "
             "fails silently and the program ends after its 20-second wait for the reader"),
]


def lines_of(size, first=0):
    """size bytes of numbered lines, the last one cut short to end in CR LF."""
    lines = b"".join(b"%06d an earlier run's line\r\n" % i for i in range(first, first + size // 20 + 2))
    return lines[:size - 2] + b"\r\n"


def old_log(size):
    """A log of exactly size bytes whose middle byte (size // 2) is a line feed:
    trimmed at this size it keeps what follows that byte, trimmed a line later
    (at a larger size) it keeps one line less."""
    return lines_of(size // 2 + 1) + lines_of(size - size // 2 - 1, first=100000)


def trimmed(data):
    """What trimming keeps: everything after the first line feed at or after the middle."""
    return data[data.index(b"\n", len(data) // 2) + 1:]


def data_file(name):
    return os.path.join(w.DATA_DIR, name)


def make_read_only():
    write(w.LOG_PATH, old_log(4000))
    os.chmod(w.LOG_PATH, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)  # Wine: FILE_ATTRIBUTE_READONLY
    if os.geteuid() == 0:  # root writes to any mode: make the file immutable too
        if subprocess.run(["chattr", "+i", w.LOG_PATH], stderr=subprocess.DEVNULL).returncode != 0:
            raise unittest.SkipTest("cannot make a file unwritable for root here")


def make_writable():
    if os.path.exists(w.LOG_PATH):
        if os.geteuid() == 0:
            subprocess.run(["chattr", "-i", w.LOG_PATH], stderr=subprocess.DEVNULL)
        os.chmod(w.LOG_PATH, stat.S_IRUSR | stat.S_IWUSR | stat.S_IRGRP | stat.S_IROTH)


def leftover_tmp():
    write(data_file("tamlotmp.log"), b"left over by a run that stopped while trimming\r\n" * 100)


DATA_CASES = [
    Case("data_folder_missing", [Chooser(TITLES, "cancel")], None,
         setup=lambda: w.reset_data(create=False),
         check=lambda t: t.assertFalse(os.path.exists(w.DATA_DIR), "the data folder was created")),
    Case("data_log_read_only", [Chooser(TITLES, "cancel")], None, setup=make_read_only,
         check=lambda t: t.assertEqual(old_log(4000), w.read_log())),
    # 250000 bytes take the first header line unchanged; at 250002 the next line trims.
    Case("data_log_250000", [Chooser(TITLES, "cancel")], [VERSION_LINE], prior=old_log(250000),
         kept=trimmed(old_log(250000) + b"\r\n")[:-2]),
    Case("data_log_250001", [Chooser(TITLES, "cancel")], [VERSION_LINE], prior=old_log(250001),
         kept=trimmed(old_log(250001)),
         check=lambda t: t.assertFalse(os.path.exists(data_file("tamlotmp.log")))),
    Case("data_tmp_left_over", [Chooser(TITLES, "cancel")], [VERSION_LINE], prior=old_log(250001),
         kept=trimmed(old_log(250001)),
         setup=leftover_tmp, check=lambda t: t.assertFalse(os.path.exists(data_file("tamlotmp.log")))),
    Case("data_tmp_unwritable", [Chooser(TITLES, "cancel")], [VERSION_LINE], prior=old_log(250001),
         setup=lambda: os.makedirs(data_file("tamlotmp.log")),
         check=lambda t: t.assertTrue(os.path.isdir(data_file("tamlotmp.log"))),
         doc="trimming cannot write its copy: the log stays whole and the lines are appended"),
]


def root_of(n):
    """A program folder of n characters on C:, as the program sees it."""
    return "C:\\hostile\\" + "a" * (n - len("C:\\hostile\\"))


# The longest program path CreateProcess starts (MAX_PATH, terminator included).
MAX_PATH = 260


def long_folder(n, steps, log, starts=(), reader=STD_READER, code="ENG", disc=None, setup=None, doc=None,
                name=None):
    root = root_of(n)
    program = root + "\\DOCVIEW.EXE"
    return Case(name or "dir_%d" % n, steps, log, starts, code=code, reader=reader, disc=disc, setup=setup,
                program=program, doc=doc)


def too_long_line(root):
    line = b"ERROR: Command line too long: " + reader_cmd(root.upper(), FIRST).encode()
    return (0, line[:255])


def engine_on_c():
    shutil.copyfile(os.path.join(DISC_SOURCE, "ENGINE.LOC"), os.path.join(w.DRIVE_C, "engine.loc"))


JPN_OFFER = offer("left", "JPN")
JPN_INSERT = T("MSG_MESSAGE_INSERTCD", "JPN").replace("^0", ARG)
DIR_CASES = [
    long_folder(200, [Chooser(TITLES, "ok")], [VERSION_LINE], [("reader", reader_cmd(root_of(200).upper(), FIRST))]),
    long_folder(228, [Chooser(TITLES, "ok")], [VERSION_LINE, too_long_line(root_of(228))],
                doc="the reader's command line would be 267 characters: not started, logged"),
    long_folder(228, [offer("left")], [choice(OK, OFFER)], [("installer", installer_cmd(root_of(228).upper()))],
                reader=None, name="dir_228_installer"),
    long_folder(229, [offer("left")], [choice(OK, OFFER)], [("installer", installer_cmd(root_of(229).upper()))],
                reader=None, name="dir_229_installer", doc="the installer's command line is 255 characters"),
    long_folder(229, [JPN_OFFER, Prompt(JPN_INSERT, T("MSG_BUTTON_OK", "JPN"), T("MSG_BUTTON_CANCEL", "JPN"),
                                        "right")],
                [choice(T("MSG_BUTTON_OK", "JPN"), JPN_OFFER.question, "JPN"),
                 choice(OK, JPN_OFFER.question, "JPN"),
                 (0, b"Installer path too long to start"),
                 choice(T("MSG_BUTTON_CANCEL", "JPN"), JPN_INSERT, "JPN"),
                 choice(CANCEL, JPN_INSERT, "JPN")],
                reader=None, code="JPN", disc=remove("doc\\acrowin\\ar40jpn.exe"), name="dir_229_japanese",
                doc="acrow32j.exe lies there but its command line would be 256 characters: never started"),
    long_folder(250, [Prompt(NODOCINI, None, OK, "right")],
                [(0, b"ERROR: Couldn't open file: C:\\install\\data\\engine.loc"), choice(OK, NODOCINI)],
                setup=engine_on_c,
                doc="the program's own name (262 characters) is unusable: no ENGINE.LOC or manuals "
                    "beside it"),
]


# ---- running a case --------------------------------------------------------------

_registry = ["unknown"]  # what the prefix's registry holds now: reg.exe runs are slow
_drives = ["unknown"]    # the CD-ROM drives now: changing them restarts the wineserver


def set_drives(drives):
    if drives != _drives[0]:
        w.set_cd_drives(drives)
        _drives[0] = dict(drives)


READER_KEYS = (w.CLASSES + "\\.pdf", w.CLASSES + "\\AcroExch.Document\\AcrobatVersion",
               w.CLASSES + "\\AcroExch.Document\\shell\\open\\command")


def set_reader(state):
    """(class, version, command) as the three registry values, or None: no reader.
    Only the values that change are written."""
    current = _registry[0]
    if state == current:
        return
    if state is None:
        w.unregister_reader()
    else:
        if not os.path.isfile(os.path.join(w.DRIVE_C, "Reader", "reader.exe")):
            w.register_reader()
            current = STD_READER
        for i, key in enumerate(READER_KEYS):
            if not isinstance(current, tuple) or current[i] != state[i]:
                w.reg_add(key, None, state[i])
    _registry[0] = state


def lay_disc(root):
    e2e.fill_disc(root, program=False)
    shutil.copyfile(DOCVIEW, os.path.join(root, "DOCVIEW.EXE"))


def unix_of(win):
    """The Unix path of a C:\\ or D:\\ path of these cases."""
    base = {"C": w.DRIVE_C, "D": DRIVE_D}[win[0].upper()]
    return os.path.join(base, *win[3:].split("\\"))


class HostileBase(unittest.TestCase):
    cd_drives = {}

    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(DOCVIEW) or not os.path.isfile(os.path.join(DISC_SOURCE, "ENGINE.LOC")):
            raise unittest.SkipTest("the sample disc was not built")
        set_drives(cls.cd_drives)

    def setUp(self):
        os.environ["DV_STANDIN_LOG"] = "C:\\standin.log"
        os.environ["DV_STANDIN_SECONDS"] = "8"  # they end by themselves, soon after the case
        self.proc = None
        self.started_at = time.monotonic()
        make_writable()
        e2e.clean_c_drive()
        shutil.rmtree(SCRATCH, ignore_errors=True)
        shutil.rmtree(DRIVE_D, ignore_errors=True)
        w.reset_data(create=True)

    def tearDown(self):
        sys.stderr.write("(%.1f s) " % (time.monotonic() - self.started_at))
        make_writable()
        if self.proc is not None:
            self.proc.close()

    def run_case(self, case):
        if len(case.program) >= MAX_PATH and w.pe_machine(DOCVIEW) != "x86_64":
            # Windows starts no program from a path over MAX_PATH (CreateProcess
            # refuses it), and under Wine neither does a 32-bit start, which goes
            # through CreateProcess too. Only the 64-bit loader, given a 64-bit
            # program, loads it itself: this state is reached for x86_64 only.
            self.skipTest("the program's path is %d characters, over MAX_PATH: Windows starts no program from "
                          "such a path (CreateProcess refuses it) and neither does 32-bit Wine; the x86_64 "
                          "build's run reaches this state through Wine's 64-bit loader, and what it tests (the "
                          "cut module name and its refusal) is the same portable code in both builds"
                          % len(case.program))
        w.reset_data(create=True, log_level=case.log_level)
        set_reader(case.reader)
        root = os.path.dirname(unix_of(case.program))
        lay_disc(root)
        if case.disc:
            case.disc(root)
        write(w.LOG_PATH, case.prior)
        if case.setup:
            case.setup()

        self.proc = w.start(case.program, lc_all=e2e.LOCALES[case.code], deadline=case.deadline + 30)
        seen, press = [], None
        for step in case.steps:
            # The press that ends one dialog and the wait for the next share a robot run.
            hwnd, dumped = self.next_dialog(seen, press)
            seen.append(hwnd)
            if isinstance(step, Prompt):
                self.check_prompt(dumped, step)
                press = ["click", hwnd, IDS["IDC_PROMPT_LEFT" if step.press == "left" else "IDC_PROMPT_RIGHT"]]
            else:
                self.check_chooser(dumped, step)
                if step.press == "ok":
                    press = ["click", hwnd, IDS["IDC_MANUAL_OK"]]
                elif step.press == "cancel":
                    press = ["click", hwnd, IDS["IDC_MANUAL_CANCEL"]]
                else:
                    press = ["dblclick", hwnd, IDS["IDC_MANUAL_LIST"], step.press[1]]
        if press:
            w.robot(*press)
        self.finish(case.deadline)

        self.assertEqual(case.starts, [(r, c) for r, _, c in e2e.started()], "what was started")
        if case.log is not None:
            self.check_log(case)
        if case.check:
            case.check(self)

    def next_dialog(self, seen, press, timeout=20):
        """The next visible dialog owned by the main window, after the press that
        ends the previous one."""
        try:
            return w.next_dialog(OWNER, seen, timeout, first=press, watch=self.proc)
        except w.RobotError as e:
            ended = self.proc.poll()
            self.fail("no further dialog (%s): %s" % ("the program ended with %s" % ended if ended is not None
                                                       else "the program still runs", e))

    def finish(self, timeout):
        end = time.monotonic() + timeout
        while self.proc.poll() is None:
            if time.monotonic() > end:
                left = [(x["title"], x["class"]) for x in w.windows() if x["visible"]]
                self.proc.kill()
                self.fail("did not end within %ss; visible windows: %s" % (timeout, left))
            time.sleep(0.05)
        self.assertEqual(0, self.proc.rc, "exit code")

    def check_prompt(self, dumped, step):
        text = w.control(dumped, IDS["IDC_PROMPT_TEXT"])
        self.assertIsNone(w.control(dumped, IDS["IDC_MANUAL_LIST"]), "a prompt, not the chooser")
        self.assertEqual(step.question, text["text"], "the prompt's question")
        left, right = w.control(dumped, IDS["IDC_PROMPT_LEFT"]), w.control(dumped, IDS["IDC_PROMPT_RIGHT"])
        self.assertTrue(right["visible"])
        self.assertEqual(step.right, right["text"], "the right button")
        if step.left is None:
            self.assertFalse(left["visible"], "one-button mode")
        else:
            self.assertTrue(left["visible"], "two-button mode")
            self.assertEqual(step.left, left["text"], "the left button")

    def check_chooser(self, dumped, step):
        listbox = w.control(dumped, IDS["IDC_MANUAL_LIST"])
        self.assertIsNotNone(listbox, "the chooser, not a prompt: %s" % dumped)
        self.assertEqual(step.items, listbox["items"], "the chooser's titles")
        self.assertEqual(0 if step.items else -1, listbox["sel"], "the selection")
        for cid, want in (("IDC_MANUAL_OK", step.ok), ("IDC_MANUAL_CANCEL", step.cancel),
                          ("IDC_MANUAL_TEXT", step.text)):
            self.assertEqual(want, w.control(dumped, IDS[cid])["text"], cid)

    def check_log(self, case):
        data = w.read_log() or b""
        prior = case.kept
        self.assertTrue(data.startswith(prior), "the earlier lines are intact")
        lines = data[len(prior):].split(b"\r\n")
        self.assertEqual(b"", lines.pop(), "the log ends in CR LF")
        self.assertEqual([b"", b"", b"", b"=" * 55], lines[:4], "the run header")
        self.assertRegex(lines[4], rb"^\d{4}-\d{2}-\d{2} at \d{2}:\d{2}$")
        self.assertEqual([b"=" * 55, e2e.START_LINE], lines[5:7])
        level = 1 if case.log_level is None else case.log_level
        want = []
        for i, (lv, text) in enumerate(case.log, 1):
            pre = b"-" * (2 * (lv + 1)) + (b">" if level <= 1 else b"%d>" % lv)
            want.append(b"%-8d " % i + pre + text)
        self.assertEqual(want, lines[7:], "the run's lines after the start line")


def add_cases(cls, cases):
    for case in cases:
        def test(self, case=case):
            self.run_case(case)
        test.__doc__ = case.doc
        if case.xfail:
            test = unittest.expectedFailure(test)
        name = "test_" + case.name
        assert not hasattr(cls, name), name
        setattr(cls, name, test)


class WithDisc(HostileBase):
    cd_drives = {"d": DRIVE_D}


class WithoutCdDrive(HostileBase):
    cd_drives = {}


add_cases(WithDisc, LOC_CASES + INI_CASES + REG_CASES + DATA_CASES)
add_cases(WithoutCdDrive, DIR_CASES)


def tearDownModule():
    set_drives({})  # leave the prefix as the other tests expect it
    w.unregister_reader()
    e2e.clean_c_drive()
    shutil.rmtree(SCRATCH, ignore_errors=True)


if __name__ == "__main__":
    started_at = time.monotonic()
    result = unittest.main(exit=False, verbosity=2).result
    print("hostile-input suite took %.1f s" % (time.monotonic() - started_at))
    sys.exit(0 if result.wasSuccessful() else 1)
