"""The manual chooser under Wine, driven from outside.

chooser_host.exe runs Choose_Manual and Open_Manual as the launch sequence
does; the robot reads and drives the dialogs; a copy of the stand-in reader
plays the PDF reader and records the command line it was started with.
"""

import os
import re
import shutil
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "winekit"))
import dvwine  # noqa: E402

IDS = dvwine.resource_ids()
HOST = os.path.join(dvwine.PROGRAMS, "chooser_host.exe")  # of the build under test
STANDIN = dvwine.STANDIN
BASE = os.path.join(dvwine.DRIVE_C, "chooser_test")
VIEWER = "C:\\CHOOSER_TEST\\VIEWER\\VIEWER.EXE"  # upper-case, as the reader check leaves it
STANDIN_LOG = os.path.join(BASE, "standin.log")

CATALOGUE = (b"b.pdf=Beta\r\n"
             b"a.pdf=Alpha\r\n"
             b"jp.pdf=Guide (Japanese)\r\n"
             b"c.pdf=gamma jApAnEsE\r\n")
CATALOGUE_FILES = ["a.pdf", "b.pdf", "jp.pdf", "c.pdf"]


def make_root(name, catalogue, files):
    """<BASE>/<name>/doc with the given files and doc.ini (None: no doc.ini);
    returns the root as the program sees it (upper-case, no trailing backslash)."""
    root = os.path.join(BASE, name)
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(os.path.join(root, "doc"))
    for f in files:
        with open(os.path.join(root, "doc", f), "wb") as out:
            out.write(b"%PDF-1.0\n")
    if catalogue is not None:
        with open(os.path.join(root, "doc", "doc.ini"), "wb") as out:
            out.write(catalogue)
    return "C:\\CHOOSER_TEST\\" + name.upper()


def unescape(text):
    return re.sub(r"\\x([0-9a-f]{2})", lambda m: chr(int(m.group(1), 16)), text)


def host_report(proc, timeout=60):
    rc = proc.wait(timeout)
    out = proc.output()
    report = {}
    for line in out.splitlines():
        key, sep, value = line.partition("=")
        if sep and key in ("result", "title", "reported", "cpu_ms", "wall_ms", "foreground"):
            report[key] = unescape(value.rstrip("\r"))
    assert rc == 0, "host ended with %s: %s" % (rc, out)
    return report


def standin_starts():
    """Command lines the stand-in reader recorded, oldest first."""
    return [cmd for _role, _module, cmd in dvwine.standin_starts(STANDIN_LOG)]


def close_readers():
    for w in dvwine.windows():
        if w.get("visible") and w.get("exe", "").upper() == "VIEWER.EXE":
            dvwine.robot("close", w["hwnd"], check=False)


def dialog_of_host(timeout=20):
    return dvwine.wait_dialog(timeout=timeout, exe="chooser_host.exe")


def visible_button(dumped):
    shown = [c for c in dumped["controls"] if c["kind"] == "button" and c["visible"]]
    assert len(shown) == 1, shown
    return shown[0]


class Chooser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(BASE, ignore_errors=True)
        os.makedirs(os.path.join(BASE, "viewer"))
        shutil.copy(STANDIN, os.path.join(BASE, "viewer", "VIEWER.EXE"))
        os.environ["DV_STANDIN_LOG"] = "C:\\CHOOSER_TEST\\standin.log"
        os.environ["DV_STANDIN_SECONDS"] = "20"

    def setUp(self):
        try:
            os.unlink(STANDIN_LOG)
        except FileNotFoundError:
            pass
        self.proc = None

    def tearDown(self):
        if self.proc is not None:
            self.proc.close()
        close_readers()

    def start_host(self, root, language, viewer=VIEWER, lc_all=None):
        self.proc = dvwine.start(HOST, [root, viewer, language], lc_all=lc_all, deadline=90)
        return self.proc

    def test_sorted_localized_filtered_list_and_ok_starts_reader_in_front(self):
        root = make_root("en", CATALOGUE, CATALOGUE_FILES)
        self.start_host(root, 1033)
        dlg = dialog_of_host()
        d = dvwine.dump(dlg["hwnd"])
        lst = dvwine.control(d, IDS["IDC_MANUAL_LIST"])
        self.assertEqual(["Alpha", "Beta"], lst["items"])  # sorted, Japanese titles left out
        self.assertEqual(0, lst["sel"])
        self.assertEqual(IDS["IDC_MANUAL_LIST"], d["focus_id"])
        self.assertEqual([IDS[c] for c in ("IDC_MANUAL_LIST", "IDC_MANUAL_CANCEL", "IDC_MANUAL_OK",
                                           "IDC_MANUAL_TEXT", "IDC_MANUAL_VERSION")],
                         [c["id"] for c in d["controls"]])  # template and tab order
        texts = {cid: dvwine.control(d, IDS[cid])["text"] for cid in
                 ("IDC_MANUAL_OK", "IDC_MANUAL_CANCEL", "IDC_MANUAL_TEXT", "IDC_MANUAL_VERSION")}
        self.assertEqual({"IDC_MANUAL_OK": "OK", "IDC_MANUAL_CANCEL": "Cancel",
                          "IDC_MANUAL_TEXT": "Choose a manual", "IDC_MANUAL_VERSION": "v2.00"}, texts)
        self.assertEqual("", dlg["title"])

        # Escape, the cancel command and close requests all leave it open: the
        # OK posted after them still finds the dialog and is what ends it.
        h = dlg["hwnd"]
        dvwine.robot("esc", h, "--", "cancel", h, "--", "close", h, "--", "click", h, IDS["IDC_MANUAL_OK"])
        report = host_report(self.proc)
        self.assertEqual("1", report["result"])
        self.assertEqual("Alpha", report["title"])
        command = '"%s" "%s\\doc\\a.pdf"' % (VIEWER, root)
        self.assertEqual([command], standin_starts())
        # The reader's window was brought to the front at once, not after the wait.
        self.assertEqual("Stand-in reader - " + '"%s\\doc\\a.pdf"' % root, report["foreground"])
        self.assertLess(int(report["wall_ms"]), 15000)

    def test_japanese_system_lists_every_title_in_french_and_cancel_opens_nothing(self):
        root = make_root("jp", CATALOGUE, CATALOGUE_FILES)
        self.start_host(root, 1041, lc_all="fr_FR.UTF-8")
        dlg = dialog_of_host()
        d = dvwine.dump(dlg["hwnd"])
        lst = dvwine.control(d, IDS["IDC_MANUAL_LIST"])
        self.assertEqual(["Alpha", "Beta", "gamma jApAnEsE", "Guide (Japanese)"], lst["items"])
        self.assertEqual(0, lst["sel"])
        self.assertEqual("D'accord", dvwine.control(d, IDS["IDC_MANUAL_OK"])["text"])
        self.assertEqual("Annuler", dvwine.control(d, IDS["IDC_MANUAL_CANCEL"])["text"])
        self.assertEqual("Choisissez un manuel", dvwine.control(d, IDS["IDC_MANUAL_TEXT"])["text"])
        self.assertEqual("v2.00", dvwine.control(d, IDS["IDC_MANUAL_VERSION"])["text"])
        dvwine.click(dlg["hwnd"], IDS["IDC_MANUAL_CANCEL"])
        report = host_report(self.proc)
        self.assertEqual("0", report["result"])
        self.assertNotIn("cpu_ms", report)  # Open_Manual was not called
        self.assertEqual([], standin_starts())

    def test_missing_listed_file_prompts_then_lists_earlier_titles_and_double_click_opens(self):
        root = make_root("missing", b"b.pdf=Beta\r\ngone.pdf=Gone\r\na.pdf=Alpha\r\n",
                         ["a.pdf", "b.pdf"])
        self.start_host(root, 1033)
        prompt = dialog_of_host()
        d = dvwine.dump(prompt["hwnd"])
        self.assertIsNone(dvwine.control(d, IDS["IDC_MANUAL_LIST"]))  # the chooser is not up yet
        self.assertEqual("The manual list is incomplete.",
                         dvwine.control(d, IDS["IDC_PROMPT_TEXT"])["text"])
        button = visible_button(d)
        self.assertEqual("OK", button["text"])
        dvwine.click(prompt["hwnd"], button["id"])
        chooser = dvwine.wait_for(lambda: self.find_chooser(), what="the chooser")
        lst = dvwine.control(dvwine.dump(chooser), IDS["IDC_MANUAL_LIST"])
        self.assertEqual(["Beta"], lst["items"])  # reading stopped at the missing file
        dvwine.dblclick(chooser, IDS["IDC_MANUAL_LIST"], 0)
        report = host_report(self.proc)
        self.assertEqual(("1", "Beta"), (report["result"], report["title"]))
        self.assertEqual(['"%s" "%s\\doc\\b.pdf"' % (VIEWER, root)], standin_starts())

    def find_chooser(self):
        for w in dvwine.windows():
            if w.get("visible") and w.get("exe", "").lower() == "chooser_host.exe" \
                    and w.get("class") == "#32770":
                d = dvwine.dump(w["hwnd"])
                if dvwine.control(d, IDS["IDC_MANUAL_LIST"]) is not None:
                    return w["hwnd"]
        return None

    def test_missing_catalogue_prompts_then_empty_chooser_whose_ok_opens_nothing(self):
        root = make_root("nocat", None, ["a.pdf"])
        self.start_host(root, 1033)
        prompt = dialog_of_host()
        d = dvwine.dump(prompt["hwnd"])
        self.assertEqual("The manual list is incomplete.",
                         dvwine.control(d, IDS["IDC_PROMPT_TEXT"])["text"])
        dvwine.click(prompt["hwnd"], visible_button(d)["id"])
        chooser = dvwine.wait_for(lambda: self.find_chooser(), what="the chooser")
        lst = dvwine.control(dvwine.dump(chooser), IDS["IDC_MANUAL_LIST"])
        self.assertEqual([], lst["items"])
        self.assertEqual(-1, lst["sel"])
        dvwine.click(chooser, IDS["IDC_MANUAL_OK"])
        report = host_report(self.proc)
        self.assertEqual(("1", ""), (report["result"], report["title"]))
        self.assertEqual([], standin_starts())
        self.assertLess(int(report["wall_ms"]), 2000)  # nothing started, nothing awaited

    def test_command_line_over_255_characters_is_logged_and_not_started(self):
        dvwine.reset_data(create=True, log_level=0)
        self.addCleanup(dvwine.reset_data, create=True)  # later tests expect the default level
        root = make_root("r" * 204, b"a.pdf=Alpha\r\n", ["a.pdf"])  # doc.ini's path still fits
        command = '"%s" "%s\\doc\\a.pdf"' % (VIEWER, root)
        self.assertGreater(len(command), 255)
        self.start_host(root, 1033)
        dvwine.click(dialog_of_host()["hwnd"], IDS["IDC_MANUAL_OK"])
        report = host_report(self.proc)
        self.assertEqual(("1", "Alpha"), (report["result"], report["title"]))
        self.assertEqual([], standin_starts())
        self.assertLess(int(report["wall_ms"]), 2000)
        logged = [l for l in dvwine.log_lines() if b"ERROR: Command line too long: " in l]
        self.assertEqual(1, len(logged), dvwine.log_lines())
        self.assertIn(b'too long: "' + VIEWER.encode() + b'" "C:\\CHOOSER_TEST\\RRRR', logged[0])

    def test_longest_double_byte_title_opens_its_manual(self):
        # A catalogue line is read 254 characters at a time, so after the file
        # name "j" and "=" a title holds at most 252 bytes (the file ends there).
        cases = [
            # (what, title in code page 932, host options)
            ("double-byte characters, lengths as Wine reports them", "\u6587\u66f8" * 63, []),
            # Windows may report two bytes a character when ANSI and Unicode
            # mix: 304 for these 252 bytes, more than any title holds.
            ("mixed, over-reported as Windows may", "\u65e5" * 100 + "x" * 52, ["--overreport"]),
        ]
        for what, text, options in cases:
            with self.subTest(what):
                if self.proc is not None:
                    self.proc.close()
                try:
                    os.unlink(STANDIN_LOG)
                except FileNotFoundError:
                    pass
                title = text.encode("cp932")
                self.assertEqual(252, len(title))
                root = make_root("dbcs", b"j=" + title, ["j"])
                self.proc = dvwine.start(HOST, [root, VIEWER, 1041] + options, lc_all="ja_JP.UTF-8",
                                         deadline=90)
                dvwine.click(dialog_of_host()["hwnd"], IDS["IDC_MANUAL_OK"])
                report = host_report(self.proc)
                self.assertEqual("1", report["result"])
                self.assertEqual(title, report["title"].encode("latin-1"))
                if options:
                    self.assertEqual(str(2 * len(text)), report["reported"])
                self.assertEqual(['"%s" "%s\\doc\\j"' % (VIEWER, root)], standin_starts())
                close_readers()

    def test_reader_without_window_is_awaited_20_seconds_without_burning_cpu(self):
        # Another program's window is there all along; it is not the reader's.
        other = dvwine.start(os.path.join(BASE, "viewer", "VIEWER.EXE"), ["other"], deadline=90)
        self.addCleanup(other.close)
        dvwine.wait_dialog(timeout=20, cls="", exe="VIEWER.EXE")
        root = make_root("nowin", b"a.pdf=Alpha\r\n", ["a.pdf"])
        self.start_host(root, 1033, viewer="C:\\CHOOSER_TEST\\NOWHERE\\NONE.EXE")
        dlg = dialog_of_host()
        dvwine.click(dlg["hwnd"], IDS["IDC_MANUAL_OK"])
        report = host_report(self.proc, timeout=60)
        self.assertEqual("1", report["result"])
        wall, cpu = int(report["wall_ms"]), int(report["cpu_ms"])
        self.assertGreaterEqual(wall, 19900)
        self.assertLess(wall, 25000)
        self.assertLess(cpu, 2000, "the wait spun the processor")
        self.assertEqual("Tamlo International", report["foreground"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
