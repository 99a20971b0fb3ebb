"""The prompt as a user meets it under Wine: which buttons show, where, with
which labels; that only the buttons end it; what each answer returns; and what
the activity log holds afterwards, in English and in French."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools", "winekit"))
import dvwine  # noqa: E402

HOST = os.path.join(dvwine.PROGRAMS, "prompt_host.exe")  # of the build under test
IDS = dvwine.resource_ids()
LEFT, RIGHT, TEXT = IDS["IDC_PROMPT_LEFT"], IDS["IDC_PROMPT_RIGHT"], IDS["IDC_PROMPT_TEXT"]
WS_CAPTION, WS_SYSMENU = 0x00C00000, 0x00080000

# (key, {code: text}); the string-file tool stores French texts in code page 1252.
STRINGS = [
    ("MSG_BUTTON_OK", {"ENG": "OK", "FRA": "D'accord"}),
    ("MSG_BUTTON_CANCEL", {"ENG": "Cancel", "FRA": "Annuler"}),
    ("MSG_MESSAGE_INSTALLNOW", {"ENG": "Install the reader now?",
                                "FRA": "D\u00e9sirez-vous installer le lecteur maintenant ?"}),
    ("MSG_MESSAGE_NODOCINI2", {"ENG": "No manuals were found on this disc.",
                               "FRA": "Aucun manuel n'a \u00e9t\u00e9 trouv\u00e9 sur ce disque."}),
]
FR = {key: texts["FRA"] for key, texts in STRINGS}
EN = {key: texts["ENG"] for key, texts in STRINGS}


class Prompt:
    """One run of the prompt host: start it, find its dialog, and read its answer."""

    def __init__(self, question, first, second, lc_all=None, window=True, strings=True):
        args = [] if window else ["--no-window"]
        if strings:
            args += ["--strings", dvwine.win_path(Strings.path)]
        self.proc = dvwine.start(HOST, args + [question, first, second], lc_all=lc_all)

    def dialog(self, **filters):
        found = dvwine.wait_dialog(exe="prompt_host.exe", **filters)
        return dvwine.dump(found["hwnd"])

    def answer(self):
        """(result, slot 0's language afterwards) as the host printed them."""
        self.proc.wait(30)
        out = self.proc.output()
        values = dict(line.split() for line in out.splitlines() if line.split()[:1] in (["result"], ["language"]))
        if "result" not in values:
            raise AssertionError("prompt host printed no result: %r" % out)
        return int(values["result"]), int(values["language"])

    def close(self):
        self.proc.close()


class Strings:
    path = None


def choice_lines():
    """The prompts' log lines from "User Choice:" on, without number and prefix."""
    return [line[line.index(b"User Choice: "):] for line in dvwine.log_lines() if b"User Choice: " in line]


def choice(label, question, codepage="cp1252"):
    return ("User Choice: %s     Question: %s" % (label, question)).encode(codepage)


class PromptTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        fd, Strings.path = tempfile.mkstemp(prefix="prompts-", suffix=".loc")
        os.close(fd)
        dvwine.make_string_file(Strings.path, STRINGS)

    @classmethod
    def tearDownClass(cls):
        os.unlink(Strings.path)

    def setUp(self):
        dvwine.reset_data()  # log level 1 by default: the answers are written
        self.prompt = None

    def tearDown(self):
        if self.prompt:
            self.prompt.close()

    def ask(self, *args, **kw):
        self.prompt = Prompt(*args, **kw)
        return self.prompt

    def assert_laid_out_as_designed(self, dlg):
        """Centred on the screen, no title bar, controls where the template puts them."""
        left, top, right, bottom = dlg["rect"]
        width, height = dlg["screen"]
        self.assertEqual(left, (width - (right - left)) // 2)
        self.assertEqual(top, (height - (bottom - top)) // 2)
        self.assertEqual(0, dlg["style"] & (WS_CAPTION | WS_SYSMENU))
        # Dialog units to pixels, from the dialog's own metrics: a button is 80
        # units wide (20 horizontal base units), the client area 115 high.
        base_x = (dvwine.control(dlg, RIGHT)["crect"][2] - dvwine.control(dlg, RIGHT)["crect"][0]) / 20
        base_y = (dlg["client"][3] - dlg["client"][1]) * 8 / 115
        for cid, (x, y, w, h) in ((LEFT, (3, 96, 80, 14)), (TEXT, (6, 10, 163, 77)), (RIGHT, (93, 96, 80, 14))):
            want = [x * base_x / 4, y * base_y / 8, (x + w) * base_x / 4, (y + h) * base_y / 8]
            got = dvwine.control(dlg, cid)["crect"]
            for g, v in zip(got, want):
                self.assertAlmostEqual(g, v, delta=1.5, msg="control %d at %s, template says %s" % (cid, got, want))

    def test_two_buttons_shown_as_designed_and_only_buttons_end_it(self):
        p = self.ask("MSG_Message_InstallNow", "MSG_Button_OK", "msg_Button_Cancel")
        dlg = p.dialog(owner_title="Tamlo International")
        text, left, right = (dvwine.control(dlg, c) for c in (TEXT, LEFT, RIGHT))
        self.assertEqual(EN["MSG_MESSAGE_INSTALLNOW"], text["text"])
        self.assertTrue(left["visible"] and right["visible"])
        self.assertEqual("OK", left["text"])
        self.assertEqual("msg_Button_Cancel", right["text"])  # lower-case prefix: shown as it is
        self.assertEqual(LEFT, dlg["focus_id"])
        self.assert_laid_out_as_designed(dlg)
        # Esc, the dialog manager's cancel and both close requests are ignored; the
        # click posted after them is what ends the prompt.
        dvwine.robot("esc", dlg["hwnd"], "--", "cancel", dlg["hwnd"], "--", "close", dlg["hwnd"],
                     "--", "click", dlg["hwnd"], LEFT)
        self.assertEqual((1, 1033), p.answer())
        self.assertEqual([choice("OK", EN["MSG_MESSAGE_INSTALLNOW"])], choice_lines())

    def test_french_right_button_answers_2_and_logs_twice_second_in_english(self):
        p = self.ask("MSG_Message_InstallNow", "MSG_Button_OK", "MSG_Button_Cancel", lc_all="fr_FR.UTF-8")
        dlg = p.dialog(owner_title="Tamlo International")
        self.assertEqual(FR["MSG_MESSAGE_INSTALLNOW"], dvwine.control(dlg, TEXT)["text"])
        self.assertEqual(FR["MSG_BUTTON_OK"], dvwine.control(dlg, LEFT)["text"])
        self.assertEqual(FR["MSG_BUTTON_CANCEL"], dvwine.control(dlg, RIGHT)["text"])
        dvwine.click(dlg["hwnd"], RIGHT)
        self.assertEqual((2, 1036), p.answer())  # French again after the English log line
        self.assertEqual([choice(FR["MSG_BUTTON_CANCEL"], FR["MSG_MESSAGE_INSTALLNOW"]),
                          choice("Cancel", EN["MSG_MESSAGE_INSTALLNOW"])], choice_lines())

    def test_notice_has_one_button_on_the_right_answering_1(self):
        p = self.ask("Insert disc 2.", "MSG_Button_OK", "", lc_all="fr_FR.UTF-8")
        dlg = p.dialog(owner_title="Tamlo International")
        self.assertFalse(dvwine.control(dlg, LEFT)["visible"])
        right = dvwine.control(dlg, RIGHT)
        self.assertTrue(right["visible"])
        self.assertEqual(FR["MSG_BUTTON_OK"], right["text"])
        self.assertEqual(RIGHT, dlg["focus_id"])
        self.assertEqual("Insert disc 2.", dvwine.control(dlg, TEXT)["text"])
        self.assert_laid_out_as_designed(dlg)
        # The hidden left button cannot be pressed, by a user nor by the robot.
        for command in (("click", dlg["hwnd"], LEFT), ("dblclick", dlg["hwnd"], LEFT, 0),
                        ("select", dlg["hwnd"], LEFT, 0)):
            refused = dvwine.robot(*command, check=False)
            self.assertEqual([{"ok": False, "command": command[0], "error": "control is hidden"}], refused)
        dvwine.robot("esc", dlg["hwnd"], "--", "close", dlg["hwnd"], "--", "click", dlg["hwnd"], RIGHT)
        self.assertEqual((1, 1036), p.answer())
        # The plain question reads the same in both lines; only the key changes language.
        self.assertEqual([choice(FR["MSG_BUTTON_OK"], "Insert disc 2."), choice("OK", "Insert disc 2.")],
                         choice_lines())

    def test_english_notice_logs_one_line(self):
        p = self.ask("MSG_Message_NoDOCINI2", "MSG_Button_OK", "")
        dlg = p.dialog(owner_title="Tamlo International")
        self.assertEqual(EN["MSG_MESSAGE_NODOCINI2"], dvwine.control(dlg, TEXT)["text"])
        dvwine.click(dlg["hwnd"], RIGHT)
        self.assertEqual((1, 1033), p.answer())
        self.assertEqual([choice("OK", EN["MSG_MESSAGE_NODOCINI2"])], choice_lines())

    def test_without_main_window_a_message_box_shows_the_question_and_answers_0(self):
        p = self.ask("MSG_Message_NoDOCINI2", "MSG_Button_OK", "MSG_Button_Cancel", window=False)
        box = p.dialog(title="Tamlo")
        self.assertEqual(0, box["owner"])
        texts = [c["text"] for c in box["controls"] if c["visible"]]
        self.assertIn(EN["MSG_MESSAGE_NODOCINI2"], texts)
        buttons = [c for c in box["controls"] if c["visible"] and c["kind"] == "button"]
        self.assertEqual(1, len(buttons))  # OK alone: neither label is shown
        self.assertNotIn("Cancel", texts)
        dvwine.click(box["hwnd"], buttons[0]["id"])
        self.assertEqual((0, 1033), p.answer())
        self.assertEqual([choice("Cancel", EN["MSG_MESSAGE_NODOCINI2"])], choice_lines())


if __name__ == "__main__":
    unittest.main(verbosity=2)
