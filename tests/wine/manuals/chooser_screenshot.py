"""Takes docs/chooser.png: the manual chooser over the grey backdrop.

Run by hand after building the win64 preset (not part of the test run):
    DV_BUILD=build/win64 python3 tests/wine/manuals/chooser_screenshot.py [OUT.png]
It starts the build's Xvfb and Wine prefix, shows the chooser over a small
sample catalogue, saves the screen, and stops them again.
"""

import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools", "winekit"))
import dvwine  # noqa: E402

CATALOGUE = (b"install.pdf=Installation Guide\r\n"
             b"user.pdf=User's Guide\r\n"
             b"ref.pdf=Reference Manual\r\n"
             b"notes.pdf=Release Notes\r\n"
             b"jp.pdf=User's Guide (Japanese)\r\n")


def main():
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(dvwine.SOURCE, "docs", "chooser.png"))
    env_script = os.path.join(dvwine.SOURCE, "tests", "wine", "wineenv.sh")
    subprocess.run([env_script, "start", dvwine.BUILD], check=True)
    try:
        root = os.path.join(dvwine.DRIVE_C, "chooser_shot")
        os.makedirs(os.path.join(root, "doc"), exist_ok=True)
        for line in CATALOGUE.split(b"\r\n"):
            if line:
                with open(os.path.join(root, "doc", line.split(b"=")[0].decode()), "wb") as f:
                    f.write(b"%PDF-1.0\n")
        with open(os.path.join(root, "doc", "doc.ini"), "wb") as f:
            f.write(CATALOGUE)
        host = os.path.join(dvwine.BUILD, "chooser_host.exe")
        with dvwine.start(host, ["C:\\CHOOSER_SHOT", "C:\\NOWHERE\\NONE.EXE", 1033], deadline=60) as proc:
            dlg = dvwine.wait_dialog(timeout=20, exe="chooser_host.exe")
            dvwine.wait_painted(dvwine.dump(dlg["hwnd"])["rect"])
            os.makedirs(os.path.dirname(out), exist_ok=True)
            dvwine.screenshot(out)
            dvwine.click(dlg["hwnd"], dvwine.resource_ids()["IDC_MANUAL_CANCEL"])
            proc.wait(20)
        print("wrote", out)
    finally:
        subprocess.run([env_script, "stop", dvwine.BUILD])


if __name__ == "__main__":
    main()
