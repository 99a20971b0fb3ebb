#!/usr/bin/env python3
"""discpreview: shows what each language's user meets first when DOCVIEW.EXE
starts from a disc, all on one page for the disc's author.

usage: discpreview.py DIR|IMAGE.iso -o OUTDIR [--lang en_US,fr_FR,...] [--no-reader]

The disc becomes CD-ROM drive D: of a private Wine prefix (OUTDIR/prefix, or
--prefix), under Xvfb when there is no display. For each language it starts
D:\\DOCVIEW.EXE with a stand-in PDF reader registered (and, with --no-reader,
once more without one), saves a picture of the first dialog (the chooser or a
prompt), reads the dialog's texts, dismisses it as a user who changes their
mind would (Cancel, or the prompt's only button), and keeps the run's activity
log. OUTDIR/index.html shows every run side by side.

Languages: LC_ALL=xx_YY.UTF-8 picks Wine's system language; Thai systems are
recognised by WIN.INI's [intl] sCountry=Thailand on an English system, which is
how the run sets them up. The default is every language ENGINE.LOC carries.
Needs the win64 build (robot.exe, the stand-in reader) and the native mkloc.
"""
import argparse
import html
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# xdisplay reads nothing at import; dvwine is imported once the prefix is chosen.
sys.path.insert(0, os.path.join(ROOT, "tools", "winekit"))
import xdisplay  # noqa: E402

# String-file language code -> (locale, the code page its texts are in, name)
LANGUAGES = {
    "ENG": ("en_US", "cp1252", "English"), "SPN": ("es_ES", "cp1252", "Spanish"),
    "FRA": ("fr_FR", "cp1252", "French"), "GER": ("de_DE", "cp1252", "German"),
    "ITL": ("it_IT", "cp1252", "Italian"), "JPN": ("ja_JP", "cp932", "Japanese"),
    "KOR": ("ko_KR", "cp949", "Korean"), "MAN": ("zh_TW", "cp950", "Chinese (Traditional)"),
    "PRT": ("pt_PT", "cp1252", "Portuguese"), "TAI": ("th_TH", "cp874", "Thai"),
}
BY_LOCALE = {v[0]: (k,) + v for k, v in LANGUAGES.items()}
OWNER = "Tamlo International"  # the main window's title: dialogs are owned by it


def parse_args():
    ap = argparse.ArgumentParser(prog="discpreview", description=__doc__.split("\n\n")[0])
    ap.add_argument("disc", metavar="DIR|IMAGE.iso")
    ap.add_argument("-o", dest="out", metavar="OUTDIR", required=True)
    ap.add_argument("--lang", help="comma-separated locales (default: every language ENGINE.LOC carries)")
    ap.add_argument("--no-reader", action="store_true", help="also run each language without a PDF reader")
    ap.add_argument("--build", default=os.path.join(ROOT, "build", "win64"),
                    help="the win64 build folder (robot.exe, the stand-in reader)")
    ap.add_argument("--mkloc", default=os.path.join(ROOT, "build", "native", "bin", "mkloc"))
    ap.add_argument("--prefix", help="the Wine prefix to use (default OUTDIR/prefix; never ~/.wine)")
    return ap.parse_args()


def carried_locales(mkloc, loc_path):
    p = subprocess.run([mkloc, "--dump", loc_path], capture_output=True)
    codes = []
    for line in p.stdout.decode("utf-8", "replace").splitlines():
        m = re.match(r"^([A-Z]{3}): ", line)
        if m and m.group(1) in LANGUAGES and m.group(1) not in codes:
            codes.append(m.group(1))
    order = list(LANGUAGES)
    return [LANGUAGES[c][0] for c in sorted(codes, key=order.index)] or ["en_US"]


def start_xvfb():
    try:
        return xdisplay.start_xvfb()
    except xdisplay.XvfbError as e:
        sys.exit("discpreview: " + str(e))


def disc_folder(disc, out):
    """A folder Wine can serve as drive D:; an image's files are extracted first."""
    if os.path.isdir(disc):
        return os.path.realpath(disc)
    folder = os.path.join(out, "image-files")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    subprocess.run(["xorriso", "-osirrox", "on", "-indev", disc, "-extract", "/", folder],
                   check=True, capture_output=True)
    # Files from an image are read-only, as on a CD; the folder must stay removable.
    for base, dirs, _files in os.walk(folder):
        for d in dirs:
            os.chmod(os.path.join(base, d), 0o755)
    return folder


INTL = "HKCU\\Control Panel\\International"


def set_thai(w, on, saved={}):
    """How the program recognises a Thai system: an English one whose WIN.INI
    [intl] sCountry is Thailand. Wine maps that section to the registry
    (IniFileMapping), so the value is set there, and put back afterwards: Wine
    rewrites it only when the locale changes, and an English run follows."""
    rc, out = w.run("reg", ["query", INTL, "/v", "sCountry"])
    m = re.search(r"sCountry\s+REG_SZ\s*(.*)", out)
    current = m.group(1).strip() if (rc == 0 and m) else None
    if on:
        if current is not None and current.lower() != "thailand":
            saved["sCountry"] = current
        w.reg_add(INTL, "sCountry", "Thailand")
    elif current is not None and current.lower() == "thailand":
        w.reg_add(INTL, "sCountry", saved.get("sCountry", "United States"))


def dismiss(w, ids, hwnd, dumped):
    """Ends the first dialog without starting anything: Cancel in the chooser,
    the second button of a two-button prompt, else its only button."""
    right = w.control(dumped, ids["IDC_PROMPT_RIGHT"])
    if w.control(dumped, ids["IDC_MANUAL_LIST"]) is not None:
        w.click(hwnd, ids["IDC_MANUAL_CANCEL"])
        return "Cancel"
    if right is not None and right.get("visible"):
        w.click(hwnd, ids["IDC_PROMPT_RIGHT"])
        return right.get("text", "")
    left = w.control(dumped, ids["IDC_PROMPT_LEFT"])
    w.click(hwnd, ids["IDC_PROMPT_LEFT"])
    return left.get("text", "") if left else ""


def warm_up(w):
    """Keeps the Wine server up between runs and opens a first window: a new
    prefix's first program can otherwise take longer than a run may wait."""
    w.quiet("wineserver", "-p")
    w.quiet("wine", "cmd", "/c", "exit", "0")
    warmup = os.path.join(w.BUILD, "warmup.exe")
    if os.path.isfile(warmup):
        for _ in range(3):
            if subprocess.run(["wine", warmup], env=w.wine_env(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120).returncode == 0:
                break
            time.sleep(1)


def prepare_prefix(w, folder, window_manager=False):
    """The prefix (w.PREFIX) made when missing, folder as CD-ROM drive D:, and
    the Wine server up with a first window open. The demo starts this way too.
    window_manager: whether one runs on the display (a user's own does)."""
    if not os.path.isdir(os.path.join(w.PREFIX, "drive_c", "windows", "system32")):
        print("creating the Wine prefix", w.PREFIX)
        os.makedirs(w.PREFIX, exist_ok=True)
        w.quiet("wineboot", "-i")
    w.set_window_manager(window_manager)
    w.set_cd_drives({"d": folder})
    warm_up(w)


def one_run(w, ids, locale, reader, out, standin_log):
    code, _loc, codepage, name = BY_LOCALE.get(locale, ("?", locale, "cp1252", locale))
    tag = "%s-%s" % (locale, "reader" if reader else "noreader")
    w.reset_data(create=True, log_level=3)
    if reader:
        w.register_reader("4.0")
    else:
        w.unregister_reader()
    set_thai(w, code == "TAI")
    if os.path.exists(standin_log):
        os.unlink(standin_log)
    lc_all = ("en_US" if code == "TAI" else locale) + ".UTF-8"
    run = {"locale": locale, "name": name, "reader": reader, "tag": tag, "texts": [], "items": [],
           "title": "", "answer": "", "error": "", "png": ""}
    proc = w.start("D:\\DOCVIEW.EXE", lc_all=lc_all, deadline=120)
    try:
        info = w.wait_dialog(timeout=45, owner_title=OWNER)
        time.sleep(0.8)  # let it paint
        dumped = w.dump(info["hwnd"])
        run["title"] = dumped.get("title", info.get("title", ""))
        for c in dumped["controls"]:
            if c.get("visible") and c.get("text"):
                run["texts"].append(c["text"])
            run["items"] += c.get("items", [])
            run["chooser"] = run.get("chooser") or c["id"] == ids["IDC_MANUAL_LIST"]
        full = os.path.join(out, tag + "-screen.png")
        w.screenshot(full)
        left, top, right, bottom = dumped["rect"]
        m = 12
        png = os.path.join(out, tag + ".png")
        subprocess.run(["convert", full, "-crop", "%dx%d+%d+%d" % (right - left + 2 * m, bottom - top + 2 * m,
                                                                  max(0, left - m), max(0, top - m)),
                        "+repage", png], check=True)
        os.unlink(full)
        run["png"] = os.path.basename(png)
        run["answer"] = dismiss(w, ids, info["hwnd"], dumped)
        rc = proc.wait(40)
        run["exit"] = rc
    except Exception as e:  # the page says what went wrong for this run; the others go on
        run["error"] = str(e)
    finally:
        proc.close()
    run["log"] = [l.decode(codepage, "replace") for l in w.log_lines()]
    run["started"] = ["%s: %s" % (role, cmd) for role, _m, cmd in w.standin_starts(standin_log)]
    return run


def page(disc, runs):
    h = html.escape
    cards = []
    for r in runs:
        img = ('<img src="%s" alt="%s">' % (h(r["png"]), h(r["tag"]))) if r["png"] else \
              '<p class="missing">no picture: %s</p>' % h(r["error"])
        texts = "".join("<li>%s</li>" % h(t).replace("\n", "<br>") for t in r["texts"])
        items = "".join("<li>%s</li>" % h(t) for t in r["items"])
        log = h("\n".join(r["log"])) or "(no log lines)"
        started = "".join("<li>%s</li>" % h(s) for s in r["started"]) or "<li>nothing</li>"
        cards.append("""<section class="run">
<h2>%s <small>%s &middot; %s</small></h2>
%s
<h3>%s</h3><ul class="texts">%s</ul>%s
<h3>Answered</h3><p>%s</p>
<h3>Started</h3><ul>%s</ul>
<details><summary>Activity log (%d lines)</summary><pre>%s</pre></details>
%s</section>""" % (h(r["name"]), h(r["locale"]), "PDF reader registered" if r["reader"] else "no PDF reader",
                   img, ("The chooser" if r.get("chooser") else "The prompt")
                   + ((' "%s"' % h(r["title"])) if r["title"] else ""), texts,
                   ("<h3>Listed</h3><ol>%s</ol>" % items) if items else "",
                   h(r["answer"]) or "-", started, len(r["log"]), log,
                   ('<p class="missing">%s</p>' % h(r["error"])) if r["error"] else ""))
    return """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Disc preview: %s</title>
<style>
body { font-family: sans-serif; margin: 1em; background: #f4f4f4; }
.runs { display: flex; flex-wrap: wrap; gap: 1em; align-items: flex-start; }
.run { background: #fff; border: 1px solid #ccc; padding: 0.8em; width: 30em; }
.run img { max-width: 100%%; border: 1px solid #888; }
h2 { margin: 0 0 0.4em; font-size: 1.2em; } h3 { margin: 0.6em 0 0.2em; font-size: 1em; }
small { color: #555; font-weight: normal; } pre { white-space: pre-wrap; font-size: 0.8em; }
.missing { color: #b00; font-weight: bold; }
</style></head><body>
<h1>What each language's user sees first: %s</h1>
<div class="runs">
%s
</div>
<script>
// A picture that did not load is marked, so a broken page cannot pass for a good one.
window.addEventListener("load", function () {
  var bad = 0;
  for (var i = 0; i < document.images.length; i++)
    if (!document.images[i].naturalWidth) { bad++; document.images[i].className = "missing"; }
  document.body.setAttribute("data-images", document.images.length);
  document.body.setAttribute("data-broken", bad);
});
</script>
</body></html>
""" % (h(disc), h(disc), "\n".join(cards))


def main():
    args = parse_args()
    out = os.path.realpath(args.out)
    os.makedirs(out, exist_ok=True)
    folder = disc_folder(args.disc, out)
    loc = os.path.join(folder, "ENGINE.LOC")
    locales = args.lang.split(",") if args.lang else carried_locales(args.mkloc, loc)
    for loc_name in locales:
        if loc_name not in BY_LOCALE:
            print("discpreview: unknown language %s (known: %s)" % (loc_name, ",".join(sorted(BY_LOCALE))),
                  file=sys.stderr)
            return 2
    prefix = os.path.realpath(args.prefix or os.path.join(out, "prefix"))
    if prefix == os.path.realpath(os.path.expanduser("~/.wine")):
        print("discpreview: refusing to use ~/.wine", file=sys.stderr)
        return 2
    os.environ.update(DV_BUILD=os.path.realpath(args.build), DV_SOURCE=ROOT, DV_PREFIX=prefix,
                      DV_STANDIN_LOG="C:\\standin.log", DV_STANDIN_SECONDS="5")
    xvfb = None
    if not xdisplay.has_display():
        xvfb, os.environ["DISPLAY"] = start_xvfb()
    os.environ["DV_DISPLAY"] = os.environ["DISPLAY"]
    sys.path.insert(0, os.path.join(ROOT, "tools", "winekit"))
    import dvwine as w
    ids = w.resource_ids()
    runs = []
    try:
        prepare_prefix(w, folder, window_manager=xvfb is None)
        standin_log = os.path.join(w.DRIVE_C, "standin.log")
        for locale in locales:
            for reader in ([True, False] if args.no_reader else [True]):
                r = one_run(w, ids, locale, reader, out, standin_log)
                if r["error"] and not r["log"]:  # never started: once more, as after a slow first start
                    r = one_run(w, ids, locale, reader, out, standin_log)
                print("discpreview: %-6s %-9s %s%s" % (locale, "reader" if reader else "no reader",
                                                      r["png"] or "-", ("  (" + r["error"] + ")") if r["error"] else ""))
                runs.append(r)
    finally:
        w.quiet("wineserver", "-k")
        xdisplay.stop_xvfb(xvfb)
    with open(os.path.join(out, "index.html"), "w", encoding="utf-8") as f:
        f.write(page(args.disc, runs))
    print("discpreview: wrote %s" % os.path.join(out, "index.html"))
    return 1 if any(r["error"] for r in runs) else 0


if __name__ == "__main__":
    sys.exit(main())
