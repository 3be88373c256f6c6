#!/usr/bin/env python3
"""Two figures of the whole program under Wine (or on Windows), printed only.

Whole crawl: the program crawls a local bench site (PAGES result pages x
MEMBERS members x PHOTOS photos of PHOTO_BYTES) into a fresh folder. Then a
reference fetches the very same URLs in the same order with curl, one curl
process per request (so one connection per request, no reuse, like the
program's clients), writing each photo to a file. Both wall times are taken
the same way, from the site's own request log: from the arrival of the first
request to the end of the answer to the last one. The ratio is from one run.

Peak memory: the program stores one photo of BIG_PHOTO_BYTES. The runner
polls /proc/<pid>/status of the Wine process that runs the program (found by
its command line among the processes of the driver's session) and reports
the resident size after start-up (baseline), the peak resident size (VmHWM)
at the end, and both as multiples of the photo's size.

    bench_crawl.py --build-dir build/bench-x86_64 \\
        --search-host 127.0.0.1:18631 --photo-host 127.0.0.1:18632
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import velmora_site as site_mod  # noqa: E402
import winhost  # noqa: E402

PROGRAM = "velmora-downloader.exe"
DRIVER = "velmora-e2e-driver.exe"
FINAL_LABEL = "全部下载完毕"
PAGES = 5
MEMBERS = 20
PHOTOS = 5
PHOTO_BYTES = 100 * 1024
BIG_PHOTO_BYTES = 50 * 1024 * 1024
CRAWL_WAIT_MS = 300000
SETTLE_MS = 3000
CLOSE_WAIT_MS = 15000
RUN_LIMIT_S = 420
POLL_S = 0.02
MIB = 1024 * 1024


def catalogue():
    members = {}
    pages = []
    for p in range(1, PAGES + 1):
        ids = []
        for m in range(1, MEMBERS + 1):
            member_id = "b%d%02d" % (p, m)
            ids.append(member_id)
            members[member_id] = {"photos": [{"name": "%s-%d.jpg" % (member_id, k), "size": PHOTO_BYTES,
                                              "kind": site_mod.PHOTO_OK} for k in range(1, PHOTOS + 1)]}
        pages.append(ids)
    members["big"] = {"photos": [{"name": "big.jpg", "size": BIG_PHOTO_BYTES, "kind": site_mod.PHOTO_OK}]}
    return {"queries": [{"gender": "0", "agebegin": "40", "ageend": "41", "pages": pages},
                        {"gender": "0", "agebegin": "42", "ageend": "43", "pages": [["big"]]}],
            "members": members}


class Driver:
    """One driver run in a session of its own; samples the program's memory
    while it runs."""

    def __init__(self, build_dir, script, display):
        self.build_dir = build_dir
        self.script = script
        self.display = display
        self.samples = []   # (time, VmRSS kB, VmHWM kB)

    def program_pid(self, session):
        for name in os.listdir("/proc"):
            if not name.isdigit():
                continue
            try:
                if os.getsid(int(name)) != session:
                    continue
                with open("/proc/%s/cmdline" % name, "rb") as f:
                    if PROGRAM.encode() in f.read():
                        return int(name)
            except (OSError, ProcessLookupError):
                continue
        return None

    def sample(self, session, stop):
        pid = None
        while not stop.is_set():
            pid = pid or self.program_pid(session)
            if pid:
                try:
                    with open("/proc/%d/status" % pid) as f:
                        fields = dict(line.split(":", 1) for line in f if ":" in line)
                    self.samples.append((time.monotonic(), int(fields["VmRSS"].split()[0]),
                                         int(fields["VmHWM"].split()[0])))
                except (OSError, KeyError, ValueError):
                    pid = None
            time.sleep(POLL_S)

    def run(self):
        path = os.path.join(self.build_dir, "bench-run", "script-%d.txt" % len(self.script))
        with open(path, "wb") as f:
            f.write(self.script.encode("gbk"))
        env = dict(os.environ, DISPLAY=self.display)
        process = subprocess.Popen([winhost.WINE_RUN, os.path.join(self.build_dir, DRIVER),
                                    winhost.windows_path(path), str(RUN_LIMIT_S * 1000)],
                                   env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        stop = threading.Event()
        sampler = threading.Thread(target=self.sample, args=(process.pid, stop), daemon=True)
        sampler.start()
        try:
            out, _ = process.communicate(timeout=RUN_LIMIT_S + 30)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            out, _ = process.communicate()
        stop.set()
        sampler.join()
        return out.decode(winhost.DRIVER_ENCODING, errors="replace")


def script(build_dir, ages, pages, folder):
    win = winhost.windows_path
    return "\r\n".join([
        "launch " + win(os.path.join(build_dir, PROGRAM)), "sleep %d" % SETTLE_MS,
        "pick gender 0", "type agefrom " + ages[0], "type ageto " + ages[1],
        "type pages %d" % pages, "type folder " + win(folder), "click start",
        "waitlabel %d %s" % (CRAWL_WAIT_MS, FINAL_LABEL), "sleep %d" % SETTLE_MS,
        "close %d" % CLOSE_WAIT_MS]) + "\r\n"


def crawl_span(entries):
    """Seconds from the first request's arrival to the last answer's end."""
    return entries[-1]["done"] - entries[0]["time"]


def curl_reference(entries, hosts, folder):
    for n, entry in enumerate(entries):
        host = hosts[entry["port"]]
        out = os.path.join(folder, "%04d.body" % n)
        subprocess.run(["curl", "-s", "-o", out, "http://" + host + entry["target"]],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--search-host", required=True)
    parser.add_argument("--photo-host", required=True)
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)
    work = os.path.join(build_dir, "bench-run")
    shutil.rmtree(work, ignore_errors=True)
    crawl_folder = os.path.join(work, "crawl")
    big_folder = os.path.join(work, "big")
    curl_folder = os.path.join(work, "curl")
    for folder in (crawl_folder, big_folder, curl_folder):
        os.makedirs(folder)
    search_port = int(args.search_host.split(":")[1])
    photo_port = int(args.photo_host.split(":")[1])
    hosts = {search_port: args.search_host, photo_port: args.photo_host}
    site = site_mod.Site(catalogue(), search_port, photo_port, work, deadline_s=3 * RUN_LIMIT_S)
    for size in (PHOTO_BYTES, BIG_PHOTO_BYTES):
        site.photo_bytes({"size": size})  # made once, before any clock runs

    with winhost.Xvfb() as display:
        out = Driver(build_dir, script(build_dir, ("40", "41"), PAGES, crawl_folder), display).run()
        crawl = site.requests()
        ok = ("label\t" + FINAL_LABEL) in out
        stored = len(os.listdir(crawl_folder))
        wanted = PAGES * (1 + MEMBERS * (1 + PHOTOS))
        program_s = crawl_span(crawl) if crawl else float("nan")

        site.clear_log()
        curl_reference(crawl, hosts, curl_folder)
        reference = site.requests()
        curl_s = crawl_span(reference) if reference else float("nan")

        site.clear_log()
        memory = Driver(build_dir, script(build_dir, ("42", "43"), 1, big_folder), display)
        big_out = memory.run()
    site.stop()

    print("whole crawl: %d pages x %d members x %d photos of %d KB, %d requests (%d photos stored%s)"
          % (PAGES, MEMBERS, PHOTOS, PHOTO_BYTES // 1024, len(crawl), stored,
             "" if ok and len(crawl) == wanted else ", RUN INCOMPLETE: expected %d requests" % wanted))
    print("  program under %s: %.2f s" % ("Wine" if os.name != "nt" else "Windows", program_s))
    print("  curl, one process (one connection) per request, same URLs in the same order: %.2f s"
          % curl_s)
    print("  ratio program / curl: %.2f" % (program_s / curl_s))

    samples = memory.samples
    big_ok = ("label\t" + FINAL_LABEL) in big_out and os.path.isfile(os.path.join(big_folder, "big_1.jpg"))
    if not samples:
        print("peak memory: no sample of the program's process was taken")
        return 0
    baseline_kb = samples[min(len(samples) - 1, int(SETTLE_MS / 1000 / POLL_S / 2))][1]
    peak_kb = max(s[2] for s in samples)
    photo_mb = BIG_PHOTO_BYTES / MIB
    print("peak memory storing one photo of %d MB%s (resident size of the Wine process, /proc VmRSS/VmHWM):"
          % (photo_mb, "" if big_ok else " (RUN INCOMPLETE)"))
    print("  baseline after start-up: %.1f MB (%.2f x the photo)" % (baseline_kb / 1024, baseline_kb / 1024 / photo_mb))
    print("  peak: %.1f MB (%.2f x the photo); peak minus baseline: %.1f MB (%.2f x the photo)"
          % (peak_kb / 1024, peak_kb / 1024 / photo_mb, (peak_kb - baseline_kb) / 1024,
             (peak_kb - baseline_kb) / 1024 / photo_mb))
    return 0


if __name__ == "__main__":
    sys.exit(main())
