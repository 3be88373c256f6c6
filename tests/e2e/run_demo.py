#!/usr/bin/env python3
"""Runs the downloader against the bundled sample site (demo/) on 127.0.0.1.

With a display (DISPLAY set) the window opens and the person operates it;
the site serves until the window closes. Without one the program runs under
a private Xvfb: start is pressed for three pages, the run waits for the
final label, then lists the photos saved and writes a PNG of the window.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import velmora_site as site_mod  # noqa: E402
import winhost  # noqa: E402

DEMO_DIR = os.path.join(winhost.SOURCE_DIR, "demo")
PROGRAM = "velmora-downloader.exe"
DRIVER = "velmora-e2e-driver.exe"
FINAL_LABEL = "全部下载完毕"
START_FOLDER = ("男", "18-19")
GENDER_FOLDERS = ("男", "女")
PAGES = "3"
HEADLESS_LIMIT_S = 120
INTERACTIVE_SITE_S = 4 * 3600
CRAWL_WAIT_MS = 60000
CLOSE_WAIT_MS = 15000


def photos_under(folder):
    found = []
    for root, _, names in os.walk(folder):
        found += [os.path.join(root, n) for n in sorted(names) if n.endswith(".jpg")]
    return sorted(found)


def report(photos, build_dir):
    print("demo: %d photos saved:" % len(photos))
    for path in photos:
        print("  %s (%d bytes)" % (os.path.relpath(path, build_dir), os.path.getsize(path)))


def headless(build_dir):
    folder = os.path.join(build_dir, *START_FOLDER)
    shutil.rmtree(folder, ignore_errors=True)
    work = os.path.join(build_dir, "demo-run")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    shot = os.path.join(work, "window.bmp")
    script = "\r\n".join([
        "launch " + winhost.windows_path(os.path.join(build_dir, PROGRAM)),
        "type pages " + PAGES, "click start",
        "waitlabel %d %s" % (CRAWL_WAIT_MS, FINAL_LABEL),
        "shot " + winhost.windows_path(shot),
        "close %d" % CLOSE_WAIT_MS]) + "\r\n"
    script_path = os.path.join(work, "script.txt")
    with open(script_path, "wb") as f:
        f.write(script.encode("gbk"))
    print("demo: no display, so the program runs under Xvfb and start is pressed for you")
    with winhost.Xvfb() as display:
        output = winhost.run_driver(build_dir, DRIVER, script_path, display, HEADLESS_LIMIT_S)
    for line in output.splitlines():
        kind, _, rest = line.partition("\t")
        if kind == "label":
            print("demo: label shows " + rest.replace("\t", " "))
        elif kind == "error":
            print("demo: trouble: " + rest.replace("\t", " "))
    pngs = winhost.convert_shots(work)
    report(photos_under(folder), build_dir)
    print("demo: the photos are in " + folder)
    if pngs:
        print("demo: a screenshot of the window is " + pngs[0])
    return 0 if "end\tok" in output else 1


def interactive(build_dir):
    print("demo: the window opens now. Pick a gender and ages, set the page count")
    print("demo: (the sample site has 3 pages), press 开始下载, close the window when done.")
    print("demo: photos land in the folder the window shows, by default "
          + os.path.join(build_dir, *START_FOLDER))
    exe = os.path.join(build_dir, PROGRAM)
    if sys.platform.startswith("win"):
        subprocess.run([exe])
    else:
        subprocess.run([winhost.WINE_RUN, exe])
    photos = []
    for gender in GENDER_FOLDERS:
        photos += photos_under(os.path.join(build_dir, gender))
    report(photos, build_dir)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--search-host", required=True)
    parser.add_argument("--photo-host", required=True)
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)
    with open(os.path.join(DEMO_DIR, "site.json"), encoding="utf-8") as f:
        catalogue = json.load(f)
    shown = bool(os.environ.get("DISPLAY"))
    site = site_mod.Site(catalogue, int(args.search_host.split(":")[1]),
                         int(args.photo_host.split(":")[1]), os.path.join(DEMO_DIR, "pictures"),
                         deadline_s=INTERACTIVE_SITE_S if shown else HEADLESS_LIMIT_S + 60)
    print("demo: sample site on http://%s and http://%s" % (site.search_host, site.photo_host))
    started = time.monotonic()
    try:
        rc = interactive(build_dir) if shown else headless(build_dir)
    finally:
        site.stop()
    print("demo: %.0f s" % (time.monotonic() - started))
    return rc


if __name__ == "__main__":
    sys.exit(main())
