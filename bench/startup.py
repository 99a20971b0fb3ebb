#!/usr/bin/env python3
"""The start-up benchmark: how long DOCVIEW.EXE takes, from the moment it is
started to its chooser being visible, beside BASELINE.EXE, a program that
shows the same window and the same chooser and does nothing else.

Each build is measured against the baseline of its own architecture
(build/win32: i686, build/win64: x86_64), both started from the sample disc
(build/win64/disc) mapped as CD-ROM drive D: of a Wine prefix of the
benchmark's own (build/bench/prefix), with the stand-in reader registered so
that the chooser appears and the data folder C:\\durivade present so that the
log is written. The timing is done on the Windows side by
build/win64/bench/startup_timer.exe (see bench/startup_timer.cpp), which
alternates the two programs. Run bench/run.sh, which builds everything first.

usage: startup.py [--runs N] [--poll]   (N: runs per program, at least 21, default 31)
"""
import argparse
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD32 = os.path.join(ROOT, "build", "win32")
BUILD64 = os.path.join(ROOT, "build", "win64")
BENCH = os.path.join(ROOT, "build", "bench")
os.environ["DV_BUILD"] = BUILD64
os.environ["DV_SOURCE"] = ROOT
os.environ["DV_PREFIX"] = os.path.join(BENCH, "prefix")
sys.path.insert(0, os.path.join(ROOT, "tools", "winekit"))
import dvwine as w  # noqa: E402
import xdisplay  # noqa: E402

DISC = os.path.join(BENCH, "disc")   # what drive D: shows: the sample disc plus the programs
TIMER = os.path.join(BUILD64, "bench", "startup_timer.exe")
ARCHES = [  # (name, build folder, objdump)
    ("x86_64", BUILD64, "x86_64-w64-mingw32-objdump"),
    ("i686", BUILD32, "i686-w64-mingw32-objdump"),
]
GOAL = 1.05
WARMUP = 2  # rounds run first and not counted: caches and Wine's services warm


def programs(build):
    return {"BASELINE.EXE": os.path.join(build, "bench", "BASELINE.EXE"),
            "DOCVIEW.EXE": os.path.join(build, "DOCVIEW.EXE")}


def imports(objdump, path):
    out = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
    names = []
    for line in out.splitlines():
        line = line.strip()
        if line.startswith("DLL Name:"):
            names.append(line.split(":", 1)[1].strip())
    return names


def can_run_i386():
    """(True, None) when this machine executes 32-bit x86 code, else (False, why).
    Runs a 100-byte i386 ELF that only calls exit(0); wine is not involved."""
    base = 0x08048000
    code = b"\xb8\x01\x00\x00\x00" b"\x31\xdb" b"\xcd\x80"  # mov eax,1; xor ebx,ebx; int 0x80
    size = 52 + 32 + len(code)
    header = b"\x7fELF\x01\x01\x01" + b"\x00" * 9
    header += struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
    program_header = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
    os.makedirs(BENCH, exist_ok=True)
    fd, path = tempfile.mkstemp(prefix="i386-probe-", dir=BENCH)
    try:
        os.write(fd, header + program_header + code)
        os.close(fd)
        os.chmod(path, 0o755)
        try:
            rc = subprocess.run([path], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, timeout=10).returncode
        except OSError as e:
            return False, e.strerror
        return (True, None) if rc == 0 else (False, "the probe ended with %d" % rc)
    finally:
        os.unlink(path)


def reg(*args):
    rc, out = w.run("reg", list(args))
    if rc != 0:
        raise RuntimeError("reg %s failed (%s): %s" % (" ".join(args), rc, out))


def reg_add(key, name, data, view):
    """A string value in one view of the prefix's registry (name None: the default value)."""
    reg("add", key, "/f", "/t", "REG_SZ", "/d", data, "/reg:" + view,
        *(["/ve"] if name is None else ["/v", name]))


def prepare_prefix(views):
    """The prefix with the disc as CD-ROM drive D:, the stand-in as the PDF reader
    (in each registry view a measured program reads), and the data folder."""
    windows = os.path.join(w.PREFIX, "drive_c", "windows")
    if "32" in views and os.path.isdir(windows) and not os.path.isdir(os.path.join(windows, "syswow64")):
        # Made before 32-bit Wine was installed: it cannot start i686 programs.
        print("remaking the benchmark's Wine prefix for 32-bit programs")
        w.quiet("wineserver", "-k")
        shutil.rmtree(w.PREFIX)
    if not os.path.isdir(os.path.join(windows, "system32")):
        print("creating the benchmark's Wine prefix in", w.PREFIX)
        os.makedirs(w.PREFIX, exist_ok=True)
        w.quiet("wineboot", "-i")
    link = os.path.join(w.PREFIX, "dosdevices", "d:")
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(DISC, link)
    reg_add("HKLM\\Software\\Wine\\Drives", "d:", "cdrom", "64")
    reader = os.path.join(w.DRIVE_C, "Reader")
    os.makedirs(reader, exist_ok=True)
    shutil.copyfile(os.path.join(BUILD64, "standin.exe"), os.path.join(reader, "reader.exe"))
    classes = "HKLM\\Software\\Classes"
    for view in views:
        reg_add(classes + "\\.pdf", None, "AcroExch.Document", view)
        reg_add(classes + "\\AcroExch.Document\\AcrobatVersion", None, "4.0", view)
        reg_add(classes + "\\AcroExch.Document\\shell\\open\\command", None,
                '"%s" "%%1"' % w.READER_WIN, view)
    # Wine reads drive types when its server starts; the server then stays up
    # for the whole run, so no run pays for starting it.
    w.quiet("wineserver", "-k")
    w.quiet("wineserver", "-w")
    w.quiet("wineserver", "-p")


def lay_out_disc():
    if os.path.isdir(DISC):
        shutil.rmtree(DISC)
    # Only the disc's own files: the build keeps its make files in that folder too.
    source = os.path.join(BUILD64, "disc")
    shutil.copytree(os.path.join(source, "doc"), os.path.join(DISC, "doc"))
    shutil.copyfile(os.path.join(source, "ENGINE.LOC"), os.path.join(DISC, "ENGINE.LOC"))


def put_on_disc(build):
    for name, path in programs(build).items():
        shutil.copyfile(path, os.path.join(DISC, name))


def time_programs(runs, poll):
    """Runs the timer on D:\\BASELINE.EXE and D:\\DOCVIEW.EXE; returns
    ({name: [ms, ...]}, [resolution over the warm-up, over the runs], failures)."""
    args = ["--runs", runs, "--warmup", WARMUP, "--cwd", "D:\\"] + (["--poll"] if poll else []) + ["D:\\BASELINE.EXE", "D:\\DOCVIEW.EXE"]
    rc, out = w.run(TIMER, args, timeout=120 + runs * 2 * 15)
    times = {"BASELINE.EXE": [], "DOCVIEW.EXE": []}
    resolution, failures = [], []
    for line in out.splitlines():
        parts = line.rstrip("\r").split("\t")
        if parts[0] == "run" and len(parts) >= 4:
            times[parts[2].rsplit("\\", 1)[-1]].append(float(parts[3]))
        elif parts[0] == "fail":
            failures.append(" ".join(parts[1:]))
        elif parts[0] == "resolution":
            resolution.append(" ".join(parts[1:]))
    if rc != 0 and not failures:
        failures.append("timer ended with %s: %s" % (rc, out.strip()[-500:]))
    return times, resolution, failures


def spread(values):
    q1, q2, q3 = statistics.quantiles(values, n=4, method="inclusive")
    return "median %7.1f ms   min %7.1f  q1 %7.1f  q3 %7.1f  max %7.1f  (%d runs)" % (
        q2, min(values), q1, q3, max(values), len(values))


def ratio_interval(prog, base, resamples=2000):
    """A 95% bootstrap interval of median(prog) / median(base), resampling whole
    rounds (a round's two runs saw the same load)."""
    pick = random.Random(1)
    rounds = list(zip(prog, base))
    ratios = []
    for _ in range(resamples):
        sample = [pick.choice(rounds) for _ in rounds]
        ratios.append(statistics.median(p for p, _ in sample) / statistics.median(b for _, b in sample))
    ratios.sort()
    return ratios[int(0.025 * resamples)], ratios[int(0.975 * resamples) - 1]


def start_lines():
    return sum(1 for line in w.log_lines() if line.startswith(b"Starting Tamlo Document Viewer Application"))


def main():
    parser = argparse.ArgumentParser(description="DOCVIEW.EXE start-up against its baseline")
    parser.add_argument("--runs", type=int, default=31, help="runs per program (at least 21)")
    parser.add_argument("--poll", action="store_true", help="poll every millisecond instead of the show event")
    opts = parser.parse_args()
    if opts.runs < 21:
        parser.error("--runs: at least 21")

    print("== programs")
    for arch, build, objdump in ARCHES:
        for name, path in programs(build).items():
            if not os.path.exists(path):
                sys.exit("missing %s: build the presets first (bench/run.sh does)" % path)
            print("%-7s %-13s %8d bytes   imports: %s" % (arch, name, os.path.getsize(path),
                                                         " ".join(imports(objdump, path))))

    measured = ["x86_64"]
    ok32, why = can_run_i386()
    if ok32:
        measured.append("i686")
    else:
        print("this machine cannot run 32-bit x86 code (%s): measuring the x86_64 half only" % why)

    print("load average before: %.2f %.2f %.2f" % os.getloadavg())
    xvfb = None if xdisplay.has_display() else xdisplay.own_display("bench")
    os.environ["DV_DISPLAY"] = os.environ["DISPLAY"]
    ratios = {}
    try:
        lay_out_disc()
        prepare_prefix(["64", "32"] if "i686" in measured else ["64"])
        for arch, build, _objdump in ARCHES:
            if arch not in measured:
                continue
            put_on_disc(build)
            w.reset_data()  # present and empty: the log is written as on a real machine
            print("\n== %s: %d runs each, alternating, from D:\\ (%s)" % (arch, opts.runs, build))
            times, resolution, failures = time_programs(opts.runs, opts.poll)
            for when, line in zip(("warm-up", "measured runs"), resolution):
                print("timer resolution (%s): %s" % (when, line))
            for f in failures[:10]:
                print("failed run:", f)
            if failures or not all(len(v) == opts.runs for v in times.values()):
                print("%s: not measured (%d failed runs)" % (arch, len(failures)))
                continue
            base, prog = times["BASELINE.EXE"], times["DOCVIEW.EXE"]
            print("BASELINE.EXE  ", spread(base))
            print("DOCVIEW.EXE   ", spread(prog))
            diffs = [p - b for p, b in zip(prog, base)]
            ratio = statistics.median(prog) / statistics.median(base)
            print("DOCVIEW.EXE - BASELINE.EXE, same round: median %+.1f ms (q1 %+.1f, q3 %+.1f)" % (
                (statistics.median(diffs),) + tuple(statistics.quantiles(diffs, n=4, method="inclusive")[0::2])))
            print("log: %d start lines in C:\\durivade\\tamlo.log (one per DOCVIEW.EXE run, %d with the warm-up)" % (
                start_lines(), opts.runs + WARMUP))
            low, high = ratio_interval(prog, base)
            verdict = "met" if ratio <= GOAL else "NOT met"
            if low <= GOAL < high:
                verdict += ", though the interval spans the goal"
            print("%s ratio DOCVIEW.EXE / BASELINE.EXE (medians): %.3f  95%% interval %.3f-%.3f"
                  "  (goal at most %.2f: %s)" % (arch, ratio, low, high, GOAL, verdict))
            ratios[arch] = "ratio %.3f (95%% interval %.3f-%.3f), goal %s" % (ratio, low, high, verdict)
    finally:
        w.quiet("wineserver", "-k")
        xdisplay.stop_xvfb(xvfb)
    print("\nload average after: %.2f %.2f %.2f" % os.getloadavg())
    print("\n== summary")
    for arch in measured:
        print("%-7s %s" % (arch, ratios.get(arch, "not measured")))
    return 0 if len(ratios) == len(measured) else 1


if __name__ == "__main__":
    sys.exit(main())
