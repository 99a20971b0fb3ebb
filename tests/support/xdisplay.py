"""An X display for the programs run under Wine: the one the user has, or an
Xvfb of our own (the demo and discpreview both use this)."""

import os
import subprocess


def has_display():
    """True when DISPLAY names a display that answers."""
    if not os.environ.get("DISPLAY"):
        return False
    return subprocess.run(["xdpyinfo"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def start_xvfb():
    """Starts an Xvfb on a free display (it tells its number through -displayfd).
    Returns (process, ":N"), or (None, None) when it did not start."""
    r, wfd = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(wfd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(wfd,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(wfd)
    number = os.read(r, 16).decode().strip()
    os.close(r)
    if not number:
        proc.kill()
        return None, None
    return proc, ":" + number
