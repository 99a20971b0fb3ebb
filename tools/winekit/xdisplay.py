"""An X display for the programs run under Wine: the one the user has, or an
Xvfb of our own (the demo and discpreview both use this)."""

import os
import select
import subprocess
import tempfile
import time


def has_display():
    """True when DISPLAY names a display that answers."""
    if not os.environ.get("DISPLAY"):
        return False
    return subprocess.run(["xdpyinfo"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


class XvfbError(Exception):
    pass


def start_xvfb(timeout=30, screen="1024x768x24"):
    """Starts an Xvfb on a free display and returns (process, ":N").

    Xvfb picks the display itself (-displayfd) and writes its number and a
    newline once it accepts clients. The number is read up to that newline,
    and the pipe stays open for the life of the process: Xvfb treats a failed
    write to it as fatal. Raises XvfbError with what Xvfb said when it ends
    or does not answer in time."""
    r, wfd = os.pipe()
    log = tempfile.TemporaryFile(prefix="xvfb-")
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(wfd), "-screen", "0", screen, "-nolisten", "tcp"],
                            pass_fds=(wfd,), stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    os.close(wfd)
    got, end = b"", time.monotonic() + timeout
    while not got.endswith(b"\n"):
        left = end - time.monotonic()
        ready = select.select([r], [], [], max(0, min(left, 0.5)))[0] if left > 0 else []
        if ready:
            chunk = os.read(r, 64)
            if chunk:
                got += chunk
                continue
        if proc.poll() is not None or left <= 0:
            if proc.poll() is None:
                proc.kill()
            proc.wait()
            os.close(r)
            log.seek(0)
            said = log.read().decode("utf-8", "replace").strip()
            raise XvfbError("Xvfb %s: %s" % ("ended with %s" % proc.returncode if left > 0 else
                                             "did not answer in %d s" % timeout, said or "(no output)"))
    proc.displayfd = r  # kept open until the process ends (stop_xvfb)
    proc.log = log
    return proc, ":" + got.decode().strip()


def own_display(who):
    """Starts an Xvfb and makes it this process's DISPLAY; returns the process.
    On failure the program ends with Xvfb's own words, prefixed by who."""
    try:
        proc, name = start_xvfb()
    except XvfbError as e:
        raise SystemExit("%s: %s" % (who, e))
    os.environ["DISPLAY"] = name
    return proc


def alive(proc):
    """None while the Xvfb runs, else what ended it (exit code and its output)."""
    if proc is None or proc.poll() is None:
        return None
    if proc.log.closed:
        return "Xvfb was stopped"
    proc.log.seek(0)
    return "Xvfb ended with %s: %s" % (proc.returncode, proc.log.read().decode("utf-8", "replace").strip())


def stop_xvfb(proc):
    if proc is None:
        return
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    os.close(proc.displayfd)
    proc.log.close()
