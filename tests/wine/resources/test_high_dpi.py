"""The chooser and the prompts at 144 DPI: every text the user sees is drawn
uncut, in the sample disc's real texts (ENGINE.LOC, doc.ini) and in several
languages. The robot measures each control's text with the control's own font
inside the dialog's process ("fits", "need", "room" in its dump); it runs once
per build, so the i686 test hosts are measured by the i686 robot (robot32.exe,
to which robot.exe hands a 32-bit dialog).

Wine takes the screen's DPI from HKCU\\Control Panel\\Desktop\\LogPixels when
a process starts: the running wineserver needs no restart, each new program
sees the new value. The test sets 144 and puts the old value back afterwards,
so the other tests in the shared prefix see the normal size.

With DV_SHOTS set to a folder, it also saves chooser-144dpi.png and
prompt-144dpi.png there (the README's pictures).
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "winekit"))
import dvwine  # noqa: E402

IDS = dvwine.resource_ids()
PROMPT_HOST = os.path.join(dvwine.PROGRAMS, "prompt_host.exe")
CHOOSER_HOST = os.path.join(dvwine.PROGRAMS, "chooser_host.exe")
DISC = os.path.join(dvwine.BUILD, "disc")
ENGINE_LOC = os.path.join(DISC, "ENGINE.LOC")
DESKTOP = "HKCU\\Control Panel\\Desktop"
DPI = 144
SHOTS = os.environ.get("DV_SHOTS")

# (code, LC_ALL, language id): the four the release is checked in, and the
# other Western languages, whose texts run longest.
LANGUAGES = [("ENG", "C.UTF-8", 1033), ("FRA", "fr_FR.UTF-8", 1036), ("GER", "de_DE.UTF-8", 1031),
             ("JPN", "ja_JP.UTF-8", 1041), ("SPN", "es_ES.UTF-8", 1034), ("ITL", "it_IT.UTF-8", 1040),
             ("PRT", "pt_BR.UTF-8", 1046)]

# The prompts the program shows: (name, host options, question, first, second).
PROMPTS = [
    ("no catalogue", [], "MSG_Message_NoDOCINI2", "MSG_Button_OK", ""),
    ("reader offer", ["--offer"], "-", "MSG_Button_OK", "MSG_Button_Cancel"),
    ("insert disc", ["--format", "Installation (v1.5 or greater)"], "MSG_Message_InsertCD",
     "MSG_Button_OK", "MSG_Button_Cancel"),
]


def logpixels():
    """The current LogPixels value as an int, or None when it is not set."""
    rc, out = dvwine.run("reg", ["query", DESKTOP, "/v", "LogPixels"])
    for line in out.splitlines():
        parts = line.split()
        if rc == 0 and len(parts) >= 3 and parts[0] == "LogPixels":
            return int(parts[-1], 0)
    return None


def set_logpixels(value):
    if value is None:
        dvwine.run("reg", ["delete", DESKTOP, "/v", "LogPixels", "/f"])
    else:
        dvwine.reg_add(DESKTOP, "LogPixels", str(value), "REG_DWORD")


def cut_texts(dumped):
    """The visible controls whose text does not fit: (id, text, need, room)."""
    cut = []
    for c in dumped["controls"]:
        if not c["visible"] or (not c["text"] and c["kind"] != "listbox"):
            continue
        if not c["fits"]:
            text = c["text"] if c["kind"] != "listbox" else " | ".join(c["items"])
            cut.append((c["id"], text, c["need"], c["room"]))
    return cut


def describe(dumped):
    return "; ".join("%d %s need %s room %s" % (c["id"], c["kind"], c["need"], c["room"])
                     for c in dumped["controls"] if c["visible"] and "need" in c)


class HighDpi(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.saved = logpixels()
        set_logpixels(DPI)

    @classmethod
    def tearDownClass(cls):
        set_logpixels(cls.saved)
        # The next program already sees the old size again (no server restart).
        dpi = dvwine.robot("windows")[0]["dpi"]
        if dpi == DPI and cls.saved != DPI:
            raise AssertionError("the DPI is still %d after restoring LogPixels" % dpi)

    def check(self, what, dumped):
        self.assertEqual(dumped["dpi"], DPI, what + ": the dialog was not drawn at %d DPI" % DPI)
        self.assertTrue(dumped["measured"], "%s: the robot could not measure the texts (%s)"
                        % (what, dumped.get("unmeasured", "")))
        print("%s: %s" % (what, describe(dumped)))
        self.assertEqual(cut_texts(dumped), [], what + ": texts cut at %d DPI" % DPI)

    def test_prompts(self):
        for code, lc_all, _ in LANGUAGES:
            for name, options, question, first, second in PROMPTS:
                with self.subTest(language=code, prompt=name):
                    args = ["--strings", dvwine.win_path(ENGINE_LOC)] + options + [question, first, second]
                    self.show_prompt("%s %s" % (code, name), args, lc_all,
                                     shot="prompt-144dpi.png" if (code, name) == ("GER", "reader offer") else None)

    def test_measurement_sees_cut_texts(self):
        # Too much text for the static, too long a label for the button (a
        # one-button prompt shows its label on the right-hand button): both reported.
        with dvwine.start(PROMPT_HOST, ["Wide words " * 50, "A label far too long for this button", ""]) as proc:
            found = dvwine.wait_dialog(exe="prompt_host.exe", timeout=20)
            dumped = dvwine.dump(found["hwnd"])
            dvwine.click(found["hwnd"], IDS["IDC_PROMPT_RIGHT"])
            proc.wait(30)
        self.assertTrue(dumped["measured"])
        text = dvwine.control(dumped, IDS["IDC_PROMPT_TEXT"])
        button = dvwine.control(dumped, IDS["IDC_PROMPT_RIGHT"])
        self.assertEqual(button["text"], "A label far too long for this button")
        self.assertFalse(text["fits"], text)
        self.assertGreater(text["need"][1], text["room"][1])
        self.assertFalse(button["fits"], button)
        self.assertGreater(button["need"][0], button["room"][0])
        self.assertEqual(sorted(c[0] for c in cut_texts(dumped)),
                         sorted([IDS["IDC_PROMPT_TEXT"], IDS["IDC_PROMPT_RIGHT"]]))

    def test_prompt_without_string_file(self):
        self.show_prompt("no string file", ["Can't find ENGINE.LOC", "OK", ""], None)

    def show_prompt(self, what, args, lc_all, shot=None):
        dumped, _ = dvwine.show_dialog(PROMPT_HOST, args, lc_all, shot=shot and SHOTS and os.path.join(SHOTS, shot))
        self.check(what, dumped)

    def test_chooser(self):
        root = dvwine.win_path(DISC)
        for code, lc_all, language in LANGUAGES:
            with self.subTest(language=code):
                args = ["--strings", dvwine.win_path(ENGINE_LOC), root, "C:\\NOWHERE\\NONE.EXE", language]
                shot = os.path.join(SHOTS, "chooser-144dpi.png") if code == "GER" and SHOTS else None
                dumped, _ = dvwine.show_dialog(CHOOSER_HOST, args, lc_all, dismiss=IDS["IDC_MANUAL_CANCEL"],
                                               shot=shot, deadline=90)
                listed = dvwine.control(dumped, IDS["IDC_MANUAL_LIST"])["items"]
                self.assertEqual(len(listed), 5 if code == "JPN" else 4, listed)
                self.check("%s chooser" % code, dumped)


if __name__ == "__main__":
    unittest.main(verbosity=2)
