"""The Wine machinery that drives Windows programs: discpreview, the demo,
the benchmark and the script tests under Wine all use it.

In the test run, the wine.setup fixture has started Xvfb and made a Wine
prefix under the build folder, and ctest hands a script DV_BUILD and
DV_SOURCE; a tool sets DV_PREFIX and DV_DISPLAY for a prefix and display of
its own. This module gives them, with the standard library only:

  paths        BUILD, SOURCE, LANE, PREFIX, SCRATCH, DRIVE_C, DATA_DIR, LOG_PATH,
               win_path()
  under test   DOCVIEW (the DOCVIEW.EXE under test), PROGRAMS (that build's
               test hosts)
  programs     start() -> Proc (background, deadline, output in a file),
               run() -> (exit code, output)
  the robot    robot() -> list of JSON replies; wait_dialog(), next_dialog(), dump(), click(),
               dblclick(), select(), cancel(), esc(), close(), windows(), control();
               show_dialog() puts a test host's dialog up, dumps it and ends it;
               BUILD holds robot.exe, robot_hook.dll and the i686 pair
               robot32.exe, robot_hook32.dll that dumps 32-bit programs
  waiting      wait_for(predicate, timeout) polls with a deadline
  Ctrl         ctrl_down() / ctrl_up(): SendInput and xdotool together,
               ctrl_hold_until(path) -> Proc of the robot holding it
  the log      read_log() bytes, log_lines() CRLF lines, reset_data(), write_records()
  registry     reg_add(), reg_delete() in the prefix; register_reader() installs
               the stand-in as the PDF reader, unregister_reader() removes it
  fonts        prepare_fonts(): a font for every script the dialogs show, or FontsMissing
  drives       set_cd_drives() maps folders as CD-ROM drives
  screenshot   screenshot(png_path) of the whole Xvfb display
  strings      make_string_file() writes a string file with the string-file tool

Every wait has a deadline; nothing sleeps for long. A program that overruns
its deadline is killed. Texts from the robot come as str (the user's view).
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

BUILD = os.path.realpath(os.environ.get("DV_BUILD", "."))
SOURCE = os.path.realpath(os.environ.get("DV_SOURCE", os.path.join(os.path.dirname(__file__), "..", "..")))
# The test run's lane (DV_LANE, see tests/wine/wineenv.sh): a prefix, a display
# and a scratch folder of its own, so each build's tests run beside the other's.
LANE = os.environ.get("DV_LANE") or "x86_64"
LANE_DIR = os.path.join(BUILD, "lanes", LANE)
SCRATCH = os.path.join(LANE_DIR, "scratch")
# DV_PREFIX: another prefix (the demo and discpreview keep their own).
PREFIX = os.path.realpath(os.environ.get("DV_PREFIX") or os.path.join(LANE_DIR, "prefix"))
DRIVE_C = os.path.join(PREFIX, "drive_c")
DATA_DIR = os.path.join(DRIVE_C, "durivade")
LOG_PATH = os.path.join(DATA_DIR, "tamlo.log")
RECORDS_PATH = os.path.join(DATA_DIR, "records.ini")
# The x86_64 robot hands the dump of a 32-bit program to robot32.exe beside
# it (see tools/robot).
ROBOT = os.path.join(BUILD, "robot.exe")
STANDIN = os.path.join(BUILD, "standin.exe")  # the reader and installer stand-in (tools/standin)
# The build under test (see dv_wine_script_test_each_build): its DOCVIEW.EXE and
# its test hosts; the robot, the stand-in and the prefix are always BUILD's.
DOCVIEW = os.path.realpath(os.environ.get("DV_DOCVIEW") or os.path.join(BUILD, "disc", "DOCVIEW.EXE"))
PROGRAMS = os.path.realpath(os.environ.get("DV_PROGRAMS") or BUILD)
# Every Wine start goes through the 64-bit loader, whether or not 32-bit Wine is
# installed (see bin/wine beside this file).
SHIM_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bin")

# Control ids and template names come from the product's own header.
def resource_ids(path=None):
    """The #define values of src/resources/resource.h (or of the header at
    path: an installed kit keeps its copy elsewhere) as a dict of ints."""
    ids = {}
    with open(path or os.path.join(SOURCE, "src", "resources", "resource.h")) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 3 and parts[0] == "#define":
                try:
                    ids[parts[1]] = int(parts[2], 0)
                except ValueError:
                    pass
    return ids


def display():
    """The lane's Xvfb display, or DV_DISPLAY when set (the demo's, discpreview's)."""
    if os.environ.get("DV_DISPLAY"):
        return os.environ["DV_DISPLAY"]
    with open(os.path.join(LANE_DIR, "xvfb.display")) as f:
        return f.read().strip()


def wine_env(lc_all=None, extra=None):
    """Environment for a Windows program: the tests' prefix and display.
    extra: more variables for it (FONTCONFIG_FILE, say)."""
    env = dict(os.environ)
    env["PATH"] = SHIM_DIR + os.pathsep + env.get("PATH", os.defpath)
    env.update(WINEPREFIX=PREFIX, DISPLAY=display(),
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
               LC_ALL=lc_all or os.environ.get("DV_LC_ALL") or "C.UTF-8")
    env.setdefault("WINEDEBUG", "-all")
    env.update(extra or {})
    return env


def win_path(path):
    """A Unix path as Windows sees it: C:\\... inside drive_c, else Z:\\..."""
    path = os.path.realpath(path)
    c = os.path.realpath(DRIVE_C)
    if path == c:
        return "C:\\"
    if path.startswith(c + os.sep):
        return "C:\\" + os.path.relpath(path, c).replace("/", "\\")
    return "Z:" + path.replace("/", "\\")


def pe_machine(path):
    """"x86_64" or "i686" for a PE program file, None for anything else."""
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
    except OSError:
        return None
    if head[:2] != b"MZ" or len(head) < 64:
        return None
    at = int.from_bytes(head[60:64], "little")
    if head[at:at + 4] != b"PE\0\0":
        return None
    return {0x8664: "x86_64", 0x014c: "i686"}.get(int.from_bytes(head[at + 4:at + 6], "little"))


class Proc:
    """A Windows program running in the background under the prefix.

    Output (stdout and stderr) goes to a file, never a pipe: Wine's
    background services inherit the handles and would keep a pipe open.
    """

    def __init__(self, program, args=(), lc_all=None, cwd=None, deadline=60, env=None):
        env = wine_env(lc_all, env)
        self.argv = ["wine", program] + [str(a) for a in args]
        self._out = tempfile.NamedTemporaryFile(prefix="dvwine-", suffix=".out", delete=False)
        self.popen = subprocess.Popen(self.argv, stdin=subprocess.DEVNULL, stdout=self._out,
                                      stderr=subprocess.STDOUT, cwd=cwd, env=env)
        self.deadline = time.monotonic() + deadline
        self.rc = None

    def poll(self):
        if self.rc is None:
            self.rc = self.popen.poll()
            if self.rc is None and time.monotonic() > self.deadline:
                self.kill()
                raise TimeoutError("overran its deadline and was killed: %s" % " ".join(self.argv))
        return self.rc

    def wait(self, timeout=30):
        """Exit code; kills the program and raises TimeoutError when it does not end in time."""
        end = min(self.deadline, time.monotonic() + timeout)
        while self.poll() is None:
            if time.monotonic() > end:
                self.kill()
                raise TimeoutError("did not end in %ss and was killed: %s" % (timeout, " ".join(self.argv)))
            time.sleep(0.05)
        return self.rc

    def output(self):
        """Everything the program printed so far, as text."""
        with open(self._out.name, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def kill(self):
        if self.popen.poll() is None:
            self.popen.kill()
            self.popen.wait()
        self.rc = self.popen.returncode

    def close(self):
        self.kill()
        self._out.close()
        try:
            os.unlink(self._out.name)
        except OSError:
            pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def start(program, args=(), lc_all=None, cwd=None, deadline=60, env=None):
    """Starts a Windows program in the background; see Proc. env: more
    environment variables for it."""
    return Proc(program, args, lc_all, cwd, deadline, env)


def run(program, args=(), lc_all=None, cwd=None, timeout=60):
    """Runs a Windows program to its end: (exit code, output)."""
    with Proc(program, args, lc_all, cwd, deadline=timeout) as p:
        rc = p.wait(timeout)
        return rc, p.output()


def wait_for(predicate, timeout=15, interval=0.05, what="condition"):
    """Polls predicate until it returns something true; returns that, or raises TimeoutError."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise TimeoutError("timed out after %ss waiting for %s" % (timeout, what))
        time.sleep(interval)


# ---- the robot ---------------------------------------------------------------

class RobotError(Exception):
    pass


class ProgramEnded(RobotError):
    """The program the robot waited on ended first (its exit code in .rc)."""
    def __init__(self, message, rc):
        RobotError.__init__(self, message)
        self.rc = rc


class Stopped(RobotError):
    """What the robot waited on can no longer come (the X server ended, say)."""


def robot(*args, timeout=30, check=True, watch=None, stop=None):
    """Runs robot.exe with the given command(s) (separate several with "--");
    returns the list of its JSON replies. Raises RobotError when a command failed.
    watch: a Proc the robot waits on (a dialog of it, say); when that program
    ends first, the robot is stopped and ProgramEnded is raised at once,
    instead of waiting out the robot's timeout.
    stop: a function polled meanwhile, returning why the wait is in vain (a
    text) or None; a text stops the robot and raises Stopped with it."""
    if watch is None and stop is None:
        rc, out = run(ROBOT, args, timeout=timeout)
        if rc != 0 and not out.strip():
            # Not the robot's answer (it always prints one): Wine did not start
            # it, as now and then under load. Said, and started once more.
            sys.stderr.write("robot %s: not started by Wine (exit %s, no output): once more\n"
                             % (" ".join(map(str, args)), rc))
            rc, out = run(ROBOT, args, timeout=timeout)
    else:
        with Proc(ROBOT, args, deadline=timeout) as p:
            while p.poll() is None:
                why = stop() if stop else None
                if why:
                    raise Stopped(why)
                ended = watch.poll() if watch else None
                if ended is not None:
                    # The robot may have found what it waited for just before: let it finish.
                    try:
                        p.wait(2)
                    except TimeoutError:
                        raise ProgramEnded("the program ended with %s while the robot waited (%s)"
                                           % (ended, " ".join(map(str, args))), ended)
                    break
                time.sleep(0.05)
            rc, out = p.rc, p.output()
    replies = []
    for line in out.splitlines():
        line = line.strip()
        if line.startswith("{"):
            replies.append(json.loads(line))
    if check and (rc != 0 or not replies or not all(r.get("ok") for r in replies)):
        raise RobotError("robot %s -> exit %s: %s" % (" ".join(map(str, args)), rc, out.strip()))
    return replies


def windows():
    """Every top-level window: dicts with hwnd, title, class, pid, exe, owner, visible, rect."""
    return robot("windows")[0]["windows"]


def wait_dialog(timeout=15, cls="#32770", title=None, owner_title=None, exe=None):
    """Waits for a visible top-level window (a dialog by default); returns its description."""
    args = ["wait", "--timeout", timeout, "--class", cls]
    if title is not None:
        args += ["--title", title]
    if owner_title is not None:
        args += ["--owner-title", owner_title]
    if exe is not None:
        args += ["--exe", exe]
    return robot(*args, timeout=timeout + 15)[0]


def next_dialog(owner_title, seen=(), timeout=15, first=None, watch=None, stop=None):
    """Waits for a visible dialog owned by the window titled owner_title that is
    none of the windows in seen (a dialog that is still closing), and dumps it:
    returns (hwnd, dump). first: a robot command (list) run just before, in the
    same robot process, such as the click that ends the previous dialog.
    watch, stop: the program's Proc and a poll for a lost cause (see robot())."""
    args = list(first) + ["--"] if first else []
    args += ["wait", "--timeout", timeout, "--owner-title", owner_title, "--dump"]
    for hwnd in seen:
        args += ["--not", hwnd]
    replies = robot(*args, timeout=timeout + 15, watch=watch, stop=stop)
    return replies[-2]["hwnd"], replies[-1]


def wait_gone(timeout=15, cls="#32770", title=None, owner_title=None, exe=None):
    """Waits until no visible window matches; raises RobotError on timeout."""
    args = ["wait", "--gone", "--timeout", timeout, "--class", cls]
    for flag, value in (("--title", title), ("--owner-title", owner_title), ("--exe", exe)):
        if value is not None:
            args += [flag, value]
    robot(*args, timeout=timeout + 15)


def dump(hwnd):
    """The dialog and its controls (see robot.cpp for the fields)."""
    return robot("dump", hwnd)[0]


def show_dialog(program, args=(), lc_all=None, env=None, dismiss=None, shot=None, deadline=60):
    """Starts program (a test host whose dialog comes up at once), dumps its
    dialog and, with shot (a PNG path), saves the screen once the dialog is
    painted; then ends the dialog with a click on control id
    dismiss (default: its first visible button) and waits for the program to
    end. Returns (dump, the program's output)."""
    with start(program, args, lc_all=lc_all, env=env, deadline=deadline) as proc:
        found = wait_dialog(exe=os.path.basename(program), timeout=20)
        dumped = dump(found["hwnd"])
        if shot:
            wait_painted(dumped["rect"])
            screenshot(shot)
        if dismiss is None:
            shown = [c["id"] for c in dumped["controls"] if c["kind"] == "button" and c["visible"]]
            # A prompt shows at least its right-hand button; a dialog with none is still ended.
            dismiss = shown[0] if shown else resource_ids()["IDC_PROMPT_RIGHT"]
        click(found["hwnd"], dismiss)
        proc.wait(30)
        return dumped, proc.output()


def control(dumped, cid):
    """The control with id cid from a dump(), or None."""
    for c in dumped["controls"]:
        if c["id"] == cid:
            return c
    return None


def click(hwnd, cid):
    robot("click", hwnd, cid)


def dblclick(hwnd, cid, index):
    robot("dblclick", hwnd, cid, index)


def select(hwnd, cid, index):
    robot("select", hwnd, cid, index)


def cancel(hwnd):
    robot("cancel", hwnd)


def esc(hwnd):
    robot("esc", hwnd)


def close(hwnd):
    robot("close", hwnd)


# ---- the Ctrl key ------------------------------------------------------------

def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], env=wine_env(), check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=15)


def ctrl_down():
    """Ctrl held both in the X server (so Wine's resync keeps it) and in Wine's input state."""
    xdotool("keydown", "ctrl")
    robot("ctrl", "down")


def ctrl_up():
    try:
        robot("ctrl", "up")
    finally:
        xdotool("keyup", "ctrl")


def ctrl_hold_until(path, timeout=30):
    """Starts the robot holding Ctrl (and xdotool holding it in X) until file path exists
    or the timeout passes. Returns the hold; call ctrl_release(hold) afterwards.

    Wine re-reads the X keymap when one of its windows is activated, so X must
    see the key down too; X lets an XTEST key go when its client exits, so the
    xdotool process stays alive for the whole hold."""
    fd, pressed = tempfile.mkstemp(prefix="dvctrl-")
    os.close(fd)
    os.unlink(pressed)
    # xdotool touches the file once it has pressed the key.
    x = subprocess.Popen(["xdotool", "keydown", "ctrl", "exec", "--sync", "--args", "2", "touch", pressed,
                          "sleep", str(timeout + 5), "keyup", "ctrl"],
                         env=wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
    try:
        wait_for(lambda: os.path.exists(pressed) or x.poll() is not None, 15, what="xdotool pressing Ctrl")
    except Exception:
        x.kill()
        x.wait()
        raise
    if not os.path.exists(pressed):
        raise RobotError("xdotool could not press Ctrl (exit %s)" % x.returncode)
    os.unlink(pressed)
    proc = start(ROBOT, ["ctrl", "hold", "--until", win_path(path), "--timeout", timeout],
                 deadline=timeout + 30)
    proc.xdotool = x
    # The robot prints "held" once the key is down; only then may the caller go on.
    try:
        wait_for(lambda: '"held":true' in proc.output() or proc.poll() is not None, 30, what="Ctrl held")
    except Exception:
        ctrl_release(proc)
        raise
    if '"held":true' not in proc.output():
        out = proc.output()
        ctrl_release(proc)
        raise RobotError("robot could not hold Ctrl: " + out)
    return proc


def ctrl_release(proc):
    """Ends a ctrl_hold_until: waits for the robot to let go, releases Ctrl in X too."""
    try:
        proc.wait(60)
    finally:
        proc.close()
        proc.xdotool.kill()
        proc.xdotool.wait()
        xdotool("keyup", "ctrl")


# ---- the activity log and its data folder ------------------------------------

def read_log():
    """The log file's bytes, or None when it does not exist."""
    try:
        with open(LOG_PATH, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def log_lines():
    """The log's lines as bytes, split at CRLF (a last line without CRLF is kept)."""
    data = read_log()
    if not data:
        return []
    lines = data.split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return lines


def reset_data(create=True, log_level=None):
    """Empties the data folder (or removes it when create is False); with log_level,
    writes a records.ini that sets it."""
    shutil.rmtree(DATA_DIR, ignore_errors=True)
    if create:
        os.makedirs(DATA_DIR)
        if log_level is not None:
            write_records(log_level)


def write_records(log_level):
    with open(RECORDS_PATH, "wb") as f:
        f.write(b"[Records]\r\nlog_level=%d\r\n" % int(log_level))


# ---- registry and screen -----------------------------------------------------

# The registry is always written in its 64-bit view: HKLM\Software\Wine\Drives
# only reaches the mount manager there, and a 32-bit program reads the classes
# written there too.
REG_VIEW = "/reg:64"


def reg_add(key, name=None, data="", kind="REG_SZ"):
    """Sets a value in the prefix's registry (name None: the key's default value)."""
    args = ["add", key, "/f", "/t", kind, "/d", data, REG_VIEW]
    args += ["/ve"] if name is None else ["/v", name]
    rc, out = run("reg", args)
    if rc != 0:
        raise RuntimeError("reg add failed (%s): %s" % (rc, out))


def kill_leftovers():
    """Ends every process still running in this prefix (its WINEPREFIX), as
    after its Wine server was lost, which `wineserver -k` can no longer reach.
    Returns how many were ended."""
    ended = 0
    mine = os.getpid()
    for pid in os.listdir("/proc"):
        if not pid.isdigit() or int(pid) == mine:
            continue
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        if ("WINEPREFIX=" + PREFIX).encode() in env:
            try:
                os.kill(int(pid), 9)
                ended += 1
            except OSError:
                pass
    return ended


def set_window_manager(present):
    """Tells Wine whether a window manager runs on the display. On an Xvfb of
    our own none does: Wine's windows are then its own (unmanaged), or every
    window that hides waits two seconds for a manager's answer."""
    reg_add("HKCU\\Software\\Wine\\X11 Driver", "Managed", "Y" if present else "N")


def reg_delete(key):
    """Removes a key and everything under it; a missing key is no error."""
    run("reg", ["delete", key, "/f", REG_VIEW])


def quiet(*args):
    """Runs a Unix command in the prefix's environment, output discarded."""
    subprocess.run(list(args), env=wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120)


def set_cd_drives(drives, letters="de"):
    """Makes each letter of drives (letter -> folder) a CD-ROM drive backed by
    that folder, and removes the other letters of letters. Wine reads drive
    types only when its server starts, so the server is restarted."""
    for letter in letters:
        link = os.path.join(PREFIX, "dosdevices", letter + ":")
        if os.path.lexists(link):
            os.unlink(link)
        if letter in drives:
            os.makedirs(drives[letter], exist_ok=True)
            os.symlink(os.path.realpath(drives[letter]), link)
            reg_add("HKLM\\Software\\Wine\\Drives", letter + ":", "cdrom")
        else:
            run("reg", ["delete", "HKLM\\Software\\Wine\\Drives", "/v", letter + ":", "/f", REG_VIEW])
    quiet("wineserver", "-k")
    quiet("wineserver", "-w")


READER_WIN = "C:\\Reader\\reader.exe"  # the stand-in reader's place in the prefix
CLASSES = "HKLM\\Software\\Classes"      # HKEY_CLASSES_ROOT under Wine


def register_reader(version="4.0"):
    """Installs the stand-in program as the PDF reader of the given version."""
    folder = os.path.join(DRIVE_C, "Reader")
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(STANDIN, os.path.join(folder, "reader.exe"))
    reg_add(CLASSES + "\\.pdf", None, "AcroExch.Document")
    reg_add(CLASSES + "\\AcroExch.Document\\AcrobatVersion", None, version)
    reg_add(CLASSES + "\\AcroExch.Document\\shell\\open\\command", None, '"%s" "%%1"' % READER_WIN)


def standin_starts(path):
    """What the stand-in reader and installers recorded in their log (the file
    at path, see tools/standin/standin.cpp): (role, module path, command line)
    per start, oldest first; empty when nothing was started."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return []
    starts = []
    for line in data.split(b"\r\n"):
        if line.count(b"\t") >= 4:
            role, _tick, _time, module, cmd = line.split(b"\t", 4)
            starts.append((role.decode("cp1252", "replace"), module.decode("cp1252", "replace"),
                           cmd.decode("cp1252", "replace")))
    return starts


def unregister_reader():
    reg_delete(CLASSES + "\\.pdf")
    reg_delete(CLASSES + "\\AcroExch.Document")


def screenshot(png_path):
    """Saves the whole Xvfb display as a PNG."""
    subprocess.run(["import", "-window", "root", "-display", display(), png_path],
                   check=True, stdin=subprocess.DEVNULL, timeout=30)


def wait_painted(rect, timeout=10):
    """Waits until the screen inside rect [left, top, right, bottom] has been
    painted: two pictures of it in a row alike, and more than one colour."""
    left, top, right, bottom = rect
    area = "%dx%d+%d+%d" % (max(1, right - left), max(1, bottom - top), max(0, left), max(0, top))
    end, last = time.monotonic() + timeout, None
    while time.monotonic() < end:
        part = subprocess.run(["import", "-window", "root", "-display", display(), "-crop", area, "-depth", "8",
                               "rgb:-"], check=True, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              timeout=30).stdout
        if settled(part, last):
            return
        last = part
        time.sleep(0.1)


def settled(part, last):
    """Whether a picture (RGB bytes) is painted: alike to the one taken before
    it, and more than the backdrop's one colour (sampled every 97th pixel)."""
    return part == last and len(set(part[i:i + 3] for i in range(0, len(part), 3 * 97))) > 1


# ---- fonts ---------------------------------------------------------------------

# The scripts beyond Latin that the dialogs show: (fontconfig's name of the
# language, LC_ALL of such a system, the script, the Debian package of the font
# the setup installs for it).
SCRIPTS = [
    ("th", "th_TH.UTF-8", "Thai", "fonts-tlwg-loma-ttf"),
    ("ko", "ko_KR.UTF-8", "Korean", "fonts-wqy-microhei"),
    ("zh-tw", "zh_TW.UTF-8", "Chinese (Traditional)", "fonts-wqy-microhei"),
    ("ja", "ja_JP.UTF-8", "Japanese", "fonts-wqy-microhei"),
]


class FontsMissing(RuntimeError):
    pass


def dialog_font(lc_all):
    """The font fontconfig prefers for "sans" on a system of locale lc_all (the
    one Wine draws that system's dialogs in, see prepare_fonts): (family,
    file, the languages it covers)."""
    p = subprocess.run(["fc-match", "--format", "%{family[0]}\n%{file}\n%{lang}\n", "sans"],
                       env=dict(os.environ, LC_ALL=lc_all), stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
    family, path, langs = (p.stdout.decode("utf-8", "replace").split("\n") + ["", "", ""])[:3]
    return family, path, langs.split("|")


def prepare_fonts(systems=None):
    """Makes sure the dialogs of a Thai, Korean, Chinese (Traditional) and
    Japanese system come out in real glyphs; raises FontsMissing, naming the
    Debian package to install, when a script lacks its font.

    The dialogs ask for the font "System", which Debian's Wine does not have
    (it loads none of its own fonts). Wine then draws them in the first font
    of fontconfig's "sans" list for the system's language whose code pages
    include the system's: that must be a font of the script. Without one Wine
    goes on to a font that merely claims the code page, such as Droid Sans
    Fallback, which claims Thai and has not one Thai letter: boxes.

    It writes nothing into the prefix, as no setting there does better: a
    font link cannot give Thai its letters (Wine shapes Thai with the
    dialog's font alone); a link on System, or a replacement font that Wine's
    own links of Tahoma then find (the usual CJK recipe), becomes every
    language's dialog font (Thai in a CJK font shows boxes again, and English
    dialogs change); and a font copied into windows/Fonts is not in
    fontconfig's list. Call it once per prefix before its programs start;
    calling it again does no harm. systems: the LC_ALL values whose scripts
    matter (default: all four)."""
    for lang, lc_all, script, package in SCRIPTS:
        if systems is not None and lc_all not in systems:
            continue
        family, path, langs = dialog_font(lc_all)
        if lang not in langs:
            raise FontsMissing("no %s font: fontconfig offers a %s system %s (%s), which has no %s letters, "
                               "so its dialogs would show boxes; install the Debian package %s"
                               % (script, lc_all.split(".")[0], family or "no font", path or "-", script, package))


# ---- string files --------------------------------------------------------------

# The native build's string-file tool (DV_MKLOC from ctest; else the usual place).
MKLOC = os.environ.get("DV_MKLOC") or os.path.join(SOURCE, "build", "native", "bin", "mkloc")


def make_string_file(path, entries):
    """Writes the string file at path with mkloc (the disc authors' tool and its
    writer), from entries: (key, {code: text}) with texts as str; the tool
    stores each in its language's code page."""
    source = ""
    for key, by_code in entries:
        source += "[%s]\n" % key
        for code, text in by_code.items():
            source += "%s: %s\n" % (code, text)
    fd, source_path = tempfile.mkstemp(prefix="dvstrings-", suffix=".txt")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(source.encode("utf-8"))
        p = subprocess.run([MKLOC, source_path, path], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, timeout=60)
        if p.returncode != 0:
            raise RuntimeError("mkloc failed (%s): %s" % (p.returncode, p.stdout.decode("utf-8", "replace")))
    finally:
        os.unlink(source_path)


if __name__ == "__main__":
    # tests/wine/wineenv.sh prepares its lanes' prefixes with these.
    if sys.argv[1:] == ["prepare-fonts"]:
        try:
            prepare_fonts()
        except FontsMissing as e:
            sys.exit(str(e))
    elif sys.argv[1:] == ["no-window-manager"]:
        set_window_manager(False)
    else:
        sys.exit("usage: dvwine.py prepare-fonts | no-window-manager")
