"""mkloc.exe, the Windows build of the string-file tool, under Wine: it must
write the very bytes the Linux build writes (Windows' code page tables against
iconv's) and refuse the same texts, and take translators' PO files out and
back in as the Linux build does.

usage: test_mkloc_windows.py NATIVE_MKLOC   (DV_BUILD, DV_SOURCE from ctest)
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools", "winekit"))
import dvwine  # noqa: E402

NATIVE = None
WINDOWS = os.path.join(dvwine.BUILD, "bin", "mkloc.exe")
TEXTS = os.path.join(dvwine.SOURCE, "disc", "engine_loc.txt")


def native(*args):
    p = subprocess.run([NATIVE] + list(args), stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
    return p.returncode, p.stdout


def windows(*args):
    return dvwine.run(WINDOWS, list(args), timeout=60)


class MklocOnWindows(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="mkloc-")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.tmp, name)

    def test_same_file_as_the_linux_build(self):
        rc, out = native(TEXTS, self.path("linux.loc"))
        self.assertEqual(0, rc, out)
        rc, out = windows(dvwine.win_path(TEXTS), dvwine.win_path(self.path("win.loc")))
        self.assertEqual(0, rc, out)
        with open(self.path("linux.loc"), "rb") as a, open(self.path("win.loc"), "rb") as b:
            self.assertEqual(a.read(), b.read())

        rc, out = windows("--check", dvwine.win_path(self.path("linux.loc")))
        self.assertEqual(0, rc, out)
        self.assertIn("is fine: 7 keys, 70 texts", out)
        # The dump holds every language's text back in UTF-8, byte for byte as Linux shows it.
        rc, out = windows("--dump", dvwine.win_path(self.path("linux.loc")))
        self.assertEqual(0, rc, out)
        self.assertEqual(native("--dump", self.path("linux.loc"))[1].decode("utf-8")
                         .replace(self.path("linux.loc"), dvwine.win_path(self.path("linux.loc"))), out)

    def test_refuses_what_the_code_pages_cannot_carry(self):
        source = ("[MSG_A]\nENG: a\n"
                  "FRA: \u65e5\n"        # not in 1252
                  "JPN: \ud655\n"        # hangul: not in 932
                  "[MSG_B]\nENG: b\n"
                  "JPN: \u30bf1\n"       # 83 5E 31 in 932: a placeholder to the program
                  "KOR: \u0e01\n")       # Thai: not in 949
        with open(self.path("bad.txt"), "w", encoding="utf-8") as f:
            f.write(source)
        bad = dvwine.win_path(self.path("bad.txt"))
        rc, out = windows(bad, dvwine.win_path(self.path("bad.loc")))
        self.assertEqual(1, rc, out)
        # The character is named from the tool's own reading of the UTF-8, the
        # same on Windows as on Linux.
        for line, text in [(3, "MSG_A FRA text holds U+65E5 '\u65e5', which code page 1252 cannot represent"),
                           (4, "MSG_A JPN text holds U+D655 '\ud655', which code page 932 cannot represent"),
                           (7, "MSG_B JPN text would show its placeholders differently"),
                           (8, "MSG_B KOR text holds U+0E01 '\u0e01', which code page 949 cannot represent")]:
            self.assertIn("%s:%d: %s" % (bad, line, text), out)
        self.assertFalse(os.path.exists(self.path("bad.loc")))

    def test_po_round_trip_as_the_linux_build(self):
        po_files = ["es.po", "fr.po", "de.po", "it.po", "ja.po", "ko.po", "zh_TW.po", "pt.po", "th.po",
                    "engine_loc.pot"]
        rc, out = native("--export-po", TEXTS, self.path("linux"))
        self.assertEqual(0, rc, out)
        rc, out = windows("--export-po", dvwine.win_path(TEXTS), dvwine.win_path(self.path("win")))
        self.assertEqual(0, rc, out)
        self.assertIn("wrote 10 files", out)
        self.assertEqual(sorted(po_files), sorted(os.listdir(self.path("win"))))
        for name in po_files:
            with open(os.path.join(self.path("linux"), name), "rb") as a, \
                    open(os.path.join(self.path("win"), name), "rb") as b:
                self.assertEqual(a.read(), b.read(), name)

        # Back in unchanged: the very source again.
        rc, out = windows("--import-po", dvwine.win_path(TEXTS), dvwine.win_path(self.path("win")),
                          "-o", dvwine.win_path(self.path("new.txt")))
        self.assertEqual(0, rc, out)
        with open(TEXTS, "rb") as a, open(self.path("new.txt"), "rb") as b:
            self.assertEqual(a.read(), b.read())

        # A Korean character in the German file: refused at its line, by code page 1252's own table.
        de = os.path.join(self.path("win"), "de.po")
        with open(de, encoding="utf-8") as f:
            lines = f.read().split("\n")
        line = lines.index('msgstr "Abbrechen"') + 1
        lines[line - 1] = 'msgstr "\ucde8\uc18c"'
        with open(de, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        rc, out = windows("--import-po", dvwine.win_path(TEXTS), dvwine.win_path(self.path("win")),
                          "-o", dvwine.win_path(self.path("bad.txt")))
        self.assertEqual(1, rc, out)
        self.assertIn("%s:%d: MSG_BUTTON_CANCEL: U+CDE8 '\ucde8' is not in code page 1252 (Western European)"
                      % (dvwine.win_path(de), line), out)
        self.assertFalse(os.path.exists(self.path("bad.txt")))


if __name__ == "__main__":
    NATIVE = sys.argv.pop(1)
    unittest.main()
