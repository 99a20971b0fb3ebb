"""Screenshots of a one-button and a two-button prompt over the grey main
window, for the documentation. Run by hand, not by the test run:

    python3 tests/wine/prompts/screenshots.py BUILD [OUTDIR]

BUILD is a win64 build folder (with prompt_host.exe and robot.exe); OUTDIR
defaults to docs/ of the source tree. Starts the Xvfb display and Wine prefix
of BUILD when they are not up, and stops them again afterwards.
"""

import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.realpath(os.path.join(HERE, "..", "..", ".."))


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    build = os.path.realpath(sys.argv[1])
    out_dir = os.path.realpath(sys.argv[2] if len(sys.argv) == 3 else os.path.join(SOURCE, "docs"))
    os.environ.update(DV_BUILD=build, DV_SOURCE=SOURCE)
    sys.path.insert(0, os.path.join(SOURCE, "tools", "winekit"))
    sys.path.insert(0, HERE)
    import dvwine
    import test_prompts

    env_script = os.path.join(SOURCE, "tests", "wine", "wineenv.sh")
    started = not os.path.exists(os.path.join(build, "lanes", "x86_64", "xvfb.display"))
    if started:
        subprocess.run([env_script, "start", build, "x86_64"], check=True)
    fd, strings = tempfile.mkstemp(prefix="prompts-", suffix=".loc")
    os.close(fd)
    try:
        dvwine.make_string_file(strings, test_prompts.STRINGS)
        test_prompts.Strings.path = strings
        shots = [("prompt-one-button.png", ("MSG_Message_NoDOCINI2", "MSG_Button_OK", ""),
                  test_prompts.RIGHT),
                 ("prompt-two-buttons.png", ("MSG_Message_InstallNow", "MSG_Button_OK", "MSG_Button_Cancel"),
                  test_prompts.LEFT)]
        for name, texts, button in shots:
            prompt = test_prompts.Prompt(*texts)
            try:
                dlg = prompt.dialog(owner_title="Tamlo International")
                dvwine.wait_painted(dlg["rect"])
                dvwine.screenshot(os.path.join(out_dir, name))
                dvwine.click(dlg["hwnd"], button)
                prompt.answer()
                print("wrote", os.path.join(out_dir, name))
            finally:
                prompt.close()
    finally:
        os.unlink(strings)
        if started:
            subprocess.run([env_script, "stop", build, "x86_64"], check=False)


if __name__ == "__main__":
    main()
