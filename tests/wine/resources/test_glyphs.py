"""The dialogs in the scripts beyond Latin: on a Thai, Korean, Chinese
(Traditional) and Japanese system (LC_ALL picks the language and its ANSI code
page), every character the user sees of the sample disc's prompt and chooser
comes out as a real glyph, not as the missing-glyph box nor as nothing. The
robot draws each character of each control's text with the control's own font
inside the dialog's process and compares it with what that font draws for a
character it lacks ("glyphs", "missing_glyphs" in its dump).

The check sees what a user would: on a system whose Thai font Wine cannot
find (a fontconfig setup without its folder), the Thai prompt reports its
boxes, and prepare_fonts refuses that system, naming the package to install.

Runs once per build: the i686 hosts are measured by the i686 robot. With
DV_SHOTS set to a folder, it also saves prompt-th.png and chooser-th.png there.
"""

import os
import subprocess
import sys
import unittest
from xml.sax.saxutils import escape

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "winekit"))
import dvwine  # noqa: E402

IDS = dvwine.resource_ids()
PROMPT_HOST = os.path.join(dvwine.PROGRAMS, "prompt_host.exe")
CHOOSER_HOST = os.path.join(dvwine.PROGRAMS, "chooser_host.exe")
DISC = os.path.join(dvwine.BUILD, "disc")
ENGINE_LOC = os.path.join(DISC, "ENGINE.LOC")
SHOTS = os.environ.get("DV_SHOTS")

# (code, LC_ALL, language id, letters of the script: the texts must use some,
# or a text shown in another script, or as question marks, would pass)
THAI = (0x0E01, 0x0E5B)
LANGUAGES = [("TAI", "th_TH.UTF-8", 1054, THAI),
             ("KOR", "ko_KR.UTF-8", 1042, (0xAC00, 0xD7A3)),
             ("MAN", "zh_TW.UTF-8", 1028, (0x4E00, 0x9FFF)),
             ("JPN", "ja_JP.UTF-8", 1041, (0x3040, 0x30FF))]


def letters_of(text, script):
    return [ch for ch in text if script[0] <= ord(ch) <= script[1]]


def without_glyphs(dumped):
    """The visible controls with characters that do not come out: (id, text, how many, which)."""
    return [(c["id"], c["text"] or " | ".join(c.get("items", [])), c["missing_glyphs"], c.get("missing", ""))
            for c in dumped["controls"] if c["visible"] and not c["glyphs"]]


def fontconfig_without(lang):
    """A fontconfig setup holding every font folder of this system but those
    with a font of language lang, as on a system without such fonts; returns
    its fonts.conf (in the lane's scratch folder)."""
    def folders(*pattern):
        p = subprocess.run(["fc-list", "--format", "%{file}\n"] + list(pattern), stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, check=True, timeout=60)
        return {os.path.dirname(f) for f in p.stdout.decode("utf-8", "replace").split("\n") if f}
    hidden = folders(":lang=" + lang)
    # A folder takes its subfolders with it: none that holds a hidden one stays.
    kept = sorted(d for d in folders() if not any(h == d or h.startswith(d + os.sep) for h in hidden))
    folder = os.path.join(dvwine.SCRATCH, "fontconfig-without-" + lang)
    os.makedirs(os.path.join(folder, "cache"), exist_ok=True)
    conf = os.path.join(folder, "fonts.conf")
    with open(conf, "w") as f:
        f.write('<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">\n<fontconfig>\n')
        for d in kept:
            f.write("  <dir>%s</dir>\n" % escape(d))
        # New caches go to the scratch folder; the system's are read as they are.
        f.write('  <cachedir>%s</cachedir>\n  <cachedir>/var/cache/fontconfig</cachedir>\n'
                '  <include ignore_missing="yes">/etc/fonts/conf.d</include>\n</fontconfig>\n'
                % escape(os.path.join(folder, "cache")))
    return conf


class Glyphs(unittest.TestCase):
    def show_prompt(self, lc_all, env=None, shot=None):
        """The reader offer (a question and two buttons) on a system of lc_all: (dump, host output)."""
        args = ["--strings", dvwine.win_path(ENGINE_LOC), "--offer", "-", "MSG_Button_OK", "MSG_Button_Cancel"]
        return dvwine.show_dialog(PROMPT_HOST, args, lc_all, env=env, dismiss=IDS["IDC_PROMPT_RIGHT"],
                                  shot=shot and SHOTS and os.path.join(SHOTS, shot))

    def check(self, what, dumped, text_id, script):
        self.assertTrue(dumped["measured"], "%s: the robot could not measure the texts: %s"
                        % (what, dumped.get("unmeasured", "")))
        text = dvwine.control(dumped, text_id)["text"]
        self.assertTrue(letters_of(text, script), "%s: not in its script: %r" % (what, text))
        print("%s: drawn in %s" % (what, ", ".join(sorted({c["font"]["drawn"] for c in dumped["controls"]
                                                          if c["visible"]}))))
        self.assertEqual(without_glyphs(dumped), [], what + ": characters without glyphs")

    def test_prompts(self):
        for code, lc_all, language, script in LANGUAGES:
            with self.subTest(language=code):
                dumped, out = self.show_prompt(lc_all, shot="prompt-th.png" if code == "TAI" else None)
                self.assertIn("language %d" % language, out)
                self.check(code + " prompt", dumped, IDS["IDC_PROMPT_TEXT"], script)

    def test_chooser(self):
        root = dvwine.win_path(DISC)
        for code, lc_all, language, script in LANGUAGES:
            with self.subTest(language=code):
                args = ["--strings", dvwine.win_path(ENGINE_LOC), root, "C:\\NOWHERE\\NONE.EXE", language]
                shot = os.path.join(SHOTS, "chooser-th.png") if code == "TAI" and SHOTS else None
                dumped, _ = dvwine.show_dialog(CHOOSER_HOST, args, lc_all, dismiss=IDS["IDC_MANUAL_CANCEL"],
                                               shot=shot, deadline=90)
                self.assertTrue(dvwine.control(dumped, IDS["IDC_MANUAL_LIST"])["items"])
                self.check(code + " chooser", dumped, IDS["IDC_MANUAL_TEXT"], script)

    def test_system_without_thai_font(self):
        conf = fontconfig_without("th")
        dumped, out = self.show_prompt("th_TH.UTF-8", env={"FONTCONFIG_FILE": conf})
        self.assertIn("language 1054", out)
        self.assertTrue(dumped["measured"], dumped.get("unmeasured", ""))
        question = dvwine.control(dumped, IDS["IDC_PROMPT_TEXT"])
        thai = letters_of(question["text"], THAI)
        self.assertTrue(thai, question["text"])
        # Every Thai letter is a box (and so is anything else the font Wine falls back to lacks).
        self.assertFalse(question["glyphs"], question)
        self.assertGreaterEqual(question["missing_glyphs"], len(thai), question)
        self.assertTrue(letters_of(question["missing"], THAI), question)
        self.assertIn(IDS["IDC_PROMPT_RIGHT"], [c[0] for c in without_glyphs(dumped)])
        # ... and the prefix's preparation says so first.
        saved = os.environ.get("FONTCONFIG_FILE")
        os.environ["FONTCONFIG_FILE"] = conf
        try:
            with self.assertRaises(dvwine.FontsMissing) as refused:
                dvwine.prepare_fonts()
        finally:
            if saved is None:
                del os.environ["FONTCONFIG_FILE"]
            else:
                os.environ["FONTCONFIG_FILE"] = saved
        self.assertIn("fonts-tlwg-loma-ttf", str(refused.exception))


if __name__ == "__main__":
    unittest.main(verbosity=2)
