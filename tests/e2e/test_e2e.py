#!/usr/bin/env python3
"""DOCVIEW.EXE end to end, as a user meets it, in the tests' Wine prefix.

Each case lays out a disc (from the sample disc the build makes) on drive D:
(a CD-ROM drive), registers the stand-in reader or not, picks the system
language, starts the program, answers its dialogs with the robot, and then
checks what the user saw, the activity log, what was started and the exit code.
Drive changes need the wineserver restarted, so the cases are grouped by drive
set-up and the suite runs alone (RUN_SERIAL).
"""
import os
import re
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "winekit"))
import dvwine as w  # noqa: E402

IDS = w.resource_ids()
DISC_SOURCE = os.path.join(w.BUILD, "disc")  # laid out by the build
E2E = os.path.join(w.SCRATCH, "e2e")
DRIVES = {"d": os.path.join(E2E, "drive_d"), "e": os.path.join(E2E, "drive_e")}
STANDIN_LOG = os.path.join(w.DRIVE_C, "standin.log")
VIEWER_PATH = "C:\\READER\\READER.EXE"
CODE_PAGES = {"ENG": "cp1252", "FRA": "cp1252", "JPN": "cp932"}
LOCALES = {"ENG": "C.UTF-8", "FRA": "fr_FR.UTF-8", "JPN": "ja_JP.UTF-8"}
START_LINE = b"Starting Tamlo Document Viewer Application version v2.00"
CTRL_LINE = b"Control Key was held down to force Acrobat Install."


def load_texts():
    """The program's texts per key and language code, as the user reads them."""
    texts, key = {}, None
    with open(os.path.join(w.SOURCE, "disc", "engine_loc.txt"), encoding="utf-8") as f:
        for line in f.read().splitlines():
            if not line or line.startswith("#"):
                continue
            if line.startswith("["):
                key = line.strip("[]")
                texts[key] = {}
            else:
                code, text = line.split(": ", 1)
                texts[key][code] = text.replace("\\n", "\n")
    return texts


TEXTS = load_texts()


def text(key, code):
    return TEXTS[key].get(code) or TEXTS[key]["ENG"]


def catalogue():
    """(file name, title) of the sample disc's doc.ini, in file order."""
    with open(os.path.join(w.SOURCE, "disc", "doc.ini"), "rb") as f:
        rows = [line.split(b"=", 1) for line in f.read().split(b"\r\n") if line]
    return [(n.decode(), t.decode()) for n, t in rows]


def fill_disc(root, engine=True, pdfs=True, program=True, catalogue_file=True):
    """Lays a copy of the sample disc (or parts of it) into root."""
    if os.path.isdir(root):
        shutil.rmtree(root)
    os.makedirs(root)
    if program:
        # The program under test (DV_DOCVIEW: the x86_64 or the i686 build's).
        shutil.copyfile(w.DOCVIEW, os.path.join(root, "DOCVIEW.EXE"))
    if engine:
        shutil.copyfile(os.path.join(DISC_SOURCE, "ENGINE.LOC"), os.path.join(root, "ENGINE.LOC"))
    doc = os.path.join(root, "doc")
    shutil.copytree(os.path.join(DISC_SOURCE, "doc", "acrowin"), os.path.join(doc, "acrowin"))
    if catalogue_file:
        shutil.copyfile(os.path.join(DISC_SOURCE, "doc", "doc.ini"), os.path.join(doc, "doc.ini"))
    if pdfs:
        for name, _ in catalogue():
            shutil.copyfile(os.path.join(DISC_SOURCE, "doc", name), os.path.join(doc, name))


def clean_c_drive():
    for rel in ("engine.loc", "ENGINE.LOC", "standin.log"):
        p = os.path.join(w.DRIVE_C, rel)
        if os.path.exists(p):
            os.unlink(p)
    for rel in ("install", "doc", "apps"):
        shutil.rmtree(os.path.join(w.DRIVE_C, rel), ignore_errors=True)


def started():
    """What the stand-ins recorded: list of (role, module path, command line)."""
    return w.standin_starts(STANDIN_LOG)


def close_standins():
    for win in w.windows():
        if win["title"].startswith("Stand-in") and win["visible"]:
            w.robot("close", win["hwnd"], check=False)


def numbered(line):
    """(number, prefix, text) of a numbered log line, or None."""
    m = re.match(rb"^(\d+) +(-+\d*>)(.*)$", line, re.S)
    if not m:
        return None
    return int(m.group(1)), m.group(2), m.group(3)


class Run:
    """One start of DOCVIEW.EXE and what came of it."""

    def __init__(self, program, lc_all, cwd=None):
        self.proc = w.start(program, lc_all=lc_all, cwd=cwd, deadline=90)

    def dialog(self, timeout=20):
        info = w.wait_dialog(timeout=timeout, owner_title="Tamlo International")
        return info["hwnd"], w.dump(info["hwnd"])

    def finish(self, test, timeout=30):
        rc = self.proc.wait(timeout)
        self.proc.close()
        test.assertEqual(0, rc, "exit code")


class E2EBase(unittest.TestCase):
    cd_drives = ("d",)

    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(os.path.join(DISC_SOURCE, "ENGINE.LOC")):
            raise unittest.SkipTest("the sample disc was not built")
        w.set_cd_drives({d: DRIVES[d] for d in cls.cd_drives})

    def setUp(self):
        os.environ["DV_STANDIN_LOG"] = "C:\\standin.log"
        os.environ["DV_STANDIN_SECONDS"] = "20"
        clean_c_drive()
        w.reset_data(create=True)
        w.unregister_reader()
        for path in DRIVES.values():
            if os.path.isdir(path):
                shutil.rmtree(path)
            os.makedirs(path)

    def tearDown(self):
        try:
            close_standins()
        except Exception:  # a failed case must not hide behind its clean-up
            pass

    # ---- checks --------------------------------------------------------------

    def assert_header_and_start(self, lines):
        """The run header and the unnumbered start line; returns the lines after them."""
        self.assertGreaterEqual(len(lines), 7, lines)
        self.assertEqual([b"", b"", b""], lines[:3])
        self.assertEqual(b"=" * 55, lines[3])
        self.assertRegex(lines[4], rb"^\d{4}-\d{2}-\d{2} at \d{2}:\d{2}$")
        self.assertEqual(b"=" * 55, lines[5])
        self.assertEqual(START_LINE, lines[6])
        rest = lines[7:]
        for i, line in enumerate(rest, 1):
            parsed = numbered(line)
            self.assertIsNotNone(parsed, line)
            self.assertEqual(i, parsed[0], line)
        return [numbered(line)[1:] for line in rest]

    def assert_prompt(self, dumped, question, buttons):
        """buttons: (left label or None for one-button mode, right label)."""
        left, right = buttons
        self.assertEqual(question, w.control(dumped, IDS["IDC_PROMPT_TEXT"])["text"])
        l = w.control(dumped, IDS["IDC_PROMPT_LEFT"])
        r = w.control(dumped, IDS["IDC_PROMPT_RIGHT"])
        self.assertTrue(r["visible"])
        self.assertEqual(right, r["text"])
        if left is None:
            self.assertFalse(l["visible"])
        else:
            self.assertTrue(l["visible"])
            self.assertEqual(left, l["text"])

    def choice_line(self, choice, question, code):
        cp = CODE_PAGES[code]
        return (b"---->", b"User Choice: " + choice.encode(cp) + b"     Question: " + question.encode(cp))

    def reader_command(self, root, name):
        return '"%s" "%s\\doc\\%s"' % (VIEWER_PATH, root, name)


class WithCdDrive(E2EBase):
    cd_drives = ("d",)

    def test_no_string_file_anywhere(self):
        fill_disc(DRIVES["d"], engine=False)
        run = Run("D:\\DOCVIEW.EXE", LOCALES["ENG"])
        hwnd, dumped = run.dialog()
        self.assert_prompt(dumped, "Can't find ENGINE.LOC", (None, "OK"))
        w.click(hwnd, IDS["IDC_PROMPT_RIGHT"])
        run.finish(self)
        lines = self.assert_header_and_start(w.log_lines())
        self.assertEqual([
            (b"-->", b"ERROR: Couldn't open file: D:\\ENGINE.LOC"),
            (b"-->", b"ERROR: Couldn't open file: C:\\install\\data\\engine.loc"),
            (b"-->", b"ERROR: Couldn't open file: C:\\engine.loc"),
            # No string file means slot 0 has no language yet (0, not English),
            # so the answer is logged a second time, identically.
            (b"---->", b"User Choice: OK     Question: Can't find ENGINE.LOC"),
            (b"---->", b"User Choice: OK     Question: Can't find ENGINE.LOC"),
        ], lines)
        self.assertEqual([], started())

    def test_string_file_in_second_or_third_place(self):
        for place in (("install", "data"), ()):
            with self.subTest(place=place):
                self.setUp()
                fill_disc(DRIVES["d"], engine=False)
                w.register_reader()
                folder = os.path.join(w.DRIVE_C, *place)
                os.makedirs(folder, exist_ok=True)
                shutil.copyfile(os.path.join(DISC_SOURCE, "ENGINE.LOC"), os.path.join(folder, "engine.loc"))
                run = Run("D:\\DOCVIEW.EXE", LOCALES["FRA"])
                hwnd, dumped = run.dialog()
                # The chooser, localized from the string file that was found.
                self.assertEqual(text("MSG_BUTTON_OK", "FRA"), w.control(dumped, IDS["IDC_MANUAL_OK"])["text"])
                w.click(hwnd, IDS["IDC_MANUAL_CANCEL"])
                run.finish(self)
                errors = [t for _, t in self.assert_header_and_start(w.log_lines()) if t.startswith(b"ERROR")]
                expected = [b"ERROR: Couldn't open file: D:\\ENGINE.LOC"]
                if not place:
                    expected.append(b"ERROR: Couldn't open file: C:\\install\\data\\engine.loc")
                self.assertEqual(expected, errors)

    def test_no_manuals_on_disc_or_beside_program(self):
        fill_disc(DRIVES["d"], pdfs=False)  # doc.ini is there, but no *.pdf
        w.register_reader()
        run = Run("D:\\DOCVIEW.EXE", LOCALES["ENG"])
        hwnd, dumped = run.dialog()
        question, ok = text("MSG_MESSAGE_NODOCINI2", "ENG"), text("MSG_BUTTON_OK", "ENG")
        self.assert_prompt(dumped, question, (None, ok))
        w.click(hwnd, IDS["IDC_PROMPT_RIGHT"])
        run.finish(self)
        self.assertEqual([self.choice_line(ok, question, "ENG")], self.assert_header_and_start(w.log_lines()))
        self.assertEqual([], started())

    def test_reader_found_chooser_opens_the_chosen_manual(self):
        fill_disc(DRIVES["d"])
        w.register_reader("4.0")
        w.write_records(3)  # level 3 shows the string file being opened
        run = Run("D:\\DOCVIEW.EXE", LOCALES["ENG"])
        hwnd, dumped = run.dialog()
        listbox = w.control(dumped, IDS["IDC_MANUAL_LIST"])
        titles = [t for _, t in catalogue() if "JAPANESE" not in t.upper()]
        self.assertEqual(sorted(titles, key=str.upper), listbox["items"])
        self.assertEqual(0, listbox["sel"])
        self.assertEqual("v2.00", w.control(dumped, IDS["IDC_MANUAL_VERSION"])["text"])
        self.assertEqual(text("MSG_MESSAGE_CHOOSE_MANUAL", "ENG"), w.control(dumped, IDS["IDC_MANUAL_TEXT"])["text"])
        # Pick the second title by double-click, as a user would.
        pick = listbox["items"][1]
        w.dblclick(hwnd, IDS["IDC_MANUAL_LIST"], 1)
        run.finish(self)
        name = dict((t, n) for n, t in catalogue())[pick]
        self.assertEqual([("reader", VIEWER_PATH, self.reader_command("D:", name))],
                         [(r, m.upper(), c) for r, m, c in started()])
        lines = self.assert_header_and_start(w.log_lines())
        self.assertEqual([(b"--------3>", b"OPENED D:\\ENGINE.LOC"),
                          (b"----1>", b"AcrobatVersion set to 4.0")], lines)

    def test_reader_missing_first_button_runs_installer(self):
        fill_disc(DRIVES["d"])
        run = Run("D:\\DOCVIEW.EXE", LOCALES["ENG"])
        hwnd, dumped = run.dialog()
        question = text("MSG_MESSAGE_NEEDACROBAT", "ENG") + "\n\n" + text("MSG_MESSAGE_INSTALLNOW", "ENG")
        ok, cancel = text("MSG_BUTTON_OK", "ENG"), text("MSG_BUTTON_CANCEL", "ENG")
        self.assert_prompt(dumped, question, (ok, cancel))
        w.click(hwnd, IDS["IDC_PROMPT_LEFT"])
        run.finish(self)
        self.assertEqual([("installer", '"D:\\doc\\acrowin\\ar40eng.exe"')],
                         [(r, c) for r, _, c in started()])
        self.assertEqual([self.choice_line(ok, question, "ENG")], self.assert_header_and_start(w.log_lines()))

    def test_reader_missing_second_button_ends(self):
        fill_disc(DRIVES["d"])
        w.register_reader("2.1")  # too old counts as missing
        run = Run("D:\\DOCVIEW.EXE", LOCALES["ENG"])
        hwnd, _ = run.dialog()
        w.click(hwnd, IDS["IDC_PROMPT_RIGHT"])
        run.finish(self)
        self.assertEqual([], started())
        question = text("MSG_MESSAGE_NEEDACROBAT", "ENG") + "\n\n" + text("MSG_MESSAGE_INSTALLNOW", "ENG")
        self.assertEqual([self.choice_line(text("MSG_BUTTON_CANCEL", "ENG"), question, "ENG")],
                         self.assert_header_and_start(w.log_lines()))

    def test_ctrl_held_goes_straight_to_installer(self):
        fill_disc(DRIVES["d"])
        w.register_reader()  # installed, yet Ctrl forces the installer
        holder = w.ctrl_hold_until(STANDIN_LOG, timeout=40)
        try:
            # Until a program that asks sees the key down.
            w.wait_for(lambda: w.robot("ctrl", "state")[0]["down"], 15, what="Ctrl seen held")
            run = Run("D:\\DOCVIEW.EXE", LOCALES["ENG"])
            run.finish(self, timeout=60)
        finally:
            w.ctrl_release(holder)
        self.assertEqual([("installer", '"D:\\doc\\acrowin\\ar40eng.exe"')],
                         [(r, c) for r, _, c in started()])
        self.assertEqual([(b"---->", CTRL_LINE)], self.assert_header_and_start(w.log_lines()))

    def test_french_system_logs_answers_twice(self):
        fill_disc(DRIVES["d"])
        run = Run("D:\\DOCVIEW.EXE", LOCALES["FRA"])
        hwnd, dumped = run.dialog()
        fr_q = text("MSG_MESSAGE_NEEDACROBAT", "FRA") + "\n\n" + text("MSG_MESSAGE_INSTALLNOW", "FRA")
        en_q = text("MSG_MESSAGE_NEEDACROBAT", "ENG") + "\n\n" + text("MSG_MESSAGE_INSTALLNOW", "ENG")
        self.assert_prompt(dumped, fr_q, (text("MSG_BUTTON_OK", "FRA"), text("MSG_BUTTON_CANCEL", "FRA")))
        w.click(hwnd, IDS["IDC_PROMPT_RIGHT"])
        run.finish(self)
        # The composed question is not a key, so its English line repeats the French text.
        self.assertEqual([self.choice_line(text("MSG_BUTTON_CANCEL", "FRA"), fr_q, "FRA"),
                          self.choice_line(text("MSG_BUTTON_CANCEL", "ENG"), fr_q, "FRA")],
                         self.assert_header_and_start(w.log_lines()))
        self.assertNotEqual(fr_q, en_q)

    def test_french_system_missing_manuals_prompt(self):
        fill_disc(DRIVES["d"], pdfs=False)
        run = Run("D:\\DOCVIEW.EXE", LOCALES["FRA"])
        hwnd, dumped = run.dialog()
        self.assert_prompt(dumped, text("MSG_MESSAGE_NODOCINI2", "FRA"), (None, text("MSG_BUTTON_OK", "FRA")))
        w.click(hwnd, IDS["IDC_PROMPT_RIGHT"])
        run.finish(self)
        self.assertEqual([
            self.choice_line(text("MSG_BUTTON_OK", "FRA"), text("MSG_MESSAGE_NODOCINI2", "FRA"), "FRA"),
            self.choice_line(text("MSG_BUTTON_OK", "ENG"), text("MSG_MESSAGE_NODOCINI2", "ENG"), "ENG"),
        ], self.assert_header_and_start(w.log_lines()))

    def test_japanese_system_lists_japanese_manuals_and_installers(self):
        fill_disc(DRIVES["d"])
        w.register_reader()
        run = Run("D:\\DOCVIEW.EXE", LOCALES["JPN"])
        hwnd, dumped = run.dialog()
        listbox = w.control(dumped, IDS["IDC_MANUAL_LIST"])
        self.assertEqual(sorted([t for _, t in catalogue()], key=str.upper), listbox["items"])
        self.assertEqual(text("MSG_BUTTON_CANCEL", "JPN"), w.control(dumped, IDS["IDC_MANUAL_CANCEL"])["text"])
        w.click(hwnd, IDS["IDC_MANUAL_CANCEL"])
        run.finish(self)
        self.assertEqual([], started())
        # Without the reader, the Japanese installer pair is used.
        w.unregister_reader()
        w.reset_data(create=True)
        run = Run("D:\\DOCVIEW.EXE", LOCALES["JPN"])
        hwnd, _ = run.dialog()
        w.click(hwnd, IDS["IDC_PROMPT_LEFT"])
        run.finish(self)
        self.assertEqual([("installer", '"D:\\doc\\acrowin\\ar40jpn.exe"')],
                         [(r, c) for r, _, c in started()])

    def test_installer_missing_asks_for_the_disc(self):
        fill_disc(DRIVES["d"])
        shutil.rmtree(os.path.join(DRIVES["d"], "doc", "acrowin"))
        run = Run("D:\\DOCVIEW.EXE", LOCALES["ENG"])
        hwnd, _ = run.dialog()
        w.click(hwnd, IDS["IDC_PROMPT_LEFT"])  # yes, install
        hwnd2, dumped = self._next_dialog(run, hwnd)
        question = text("MSG_MESSAGE_INSERTCD", "ENG").replace("^0", "Installation (v1.5 or greater)")
        self.assert_prompt(dumped, question, (text("MSG_BUTTON_OK", "ENG"), text("MSG_BUTTON_CANCEL", "ENG")))
        w.click(hwnd2, IDS["IDC_PROMPT_RIGHT"])
        run.finish(self)
        self.assertEqual([], started())

    def _next_dialog(self, run, previous):
        def fresh():
            for win in w.windows():
                if (win["class"] == "#32770" and win["visible"] and win["hwnd"] != previous
                        and win.get("owner_title") == "Tamlo International"):
                    return win["hwnd"]
            return None
        hwnd = w.wait_for(fresh, timeout=20, what="the next prompt")
        return hwnd, w.dump(hwnd)


class WithoutCdDrive(E2EBase):
    cd_drives = ()

    def test_manuals_beside_the_program_upper_cased_root(self):
        root = os.path.join(w.DRIVE_C, "apps", "disc")
        fill_disc(root)
        w.register_reader()
        run = Run("C:\\apps\\disc\\DOCVIEW.EXE", LOCALES["ENG"])
        hwnd, dumped = run.dialog()
        w.click(hwnd, IDS["IDC_MANUAL_OK"])  # entry 0, the first title in sorted order
        run.finish(self)
        first = sorted([t for _, t in catalogue() if "JAPANESE" not in t.upper()], key=str.upper)[0]
        name = dict((t, n) for n, t in catalogue())[first]
        self.assertEqual([self.reader_command("C:\\APPS\\DISC", name)], [c for _, _, c in started()])

    def test_windows_drive_doc_folder_is_searched_first(self):
        # No CD-ROM: the Windows drive stands in for the disc, so C:\doc wins.
        fill_disc(os.path.join(w.DRIVE_C, "apps", "disc"))
        fill_disc(os.path.join(w.DRIVE_C, "tmpdisc"), program=False, engine=False)
        shutil.move(os.path.join(w.DRIVE_C, "tmpdisc", "doc"), os.path.join(w.DRIVE_C, "doc"))
        shutil.rmtree(os.path.join(w.DRIVE_C, "tmpdisc"))
        w.register_reader()
        run = Run("C:\\apps\\disc\\DOCVIEW.EXE", LOCALES["ENG"])
        hwnd, _ = run.dialog()
        w.click(hwnd, IDS["IDC_MANUAL_OK"])
        run.finish(self)
        cmds = [c for _, _, c in started()]
        self.assertEqual(1, len(cmds))
        self.assertIn('"C:\\doc\\', cmds[0])


class WithTwoCdDrives(E2EBase):
    cd_drives = ("d", "e")

    def test_only_the_first_cd_drive_is_searched(self):
        fill_disc(DRIVES["d"], pdfs=False)  # the first drive's disc has no manuals
        fill_disc(DRIVES["e"])              # the second one has
        w.register_reader()
        run = Run("D:\\DOCVIEW.EXE", LOCALES["ENG"])
        hwnd, dumped = run.dialog()
        self.assert_prompt(dumped, text("MSG_MESSAGE_NODOCINI2", "ENG"), (None, text("MSG_BUTTON_OK", "ENG")))
        w.click(hwnd, IDS["IDC_PROMPT_RIGHT"])
        run.finish(self)
        self.assertEqual([], started())


def tearDownModule():
    w.set_cd_drives({})  # leave the prefix as the other tests expect it
    w.unregister_reader()
    clean_c_drive()


if __name__ == "__main__":
    started_at = time.monotonic()
    result = unittest.main(exit=False, verbosity=2).result
    print("end-to-end suite took %.1f s" % (time.monotonic() - started_at))
    sys.exit(0 if result.wasSuccessful() else 1)
