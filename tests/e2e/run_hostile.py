#!/usr/bin/env python3
"""End-to-end run of the downloader under Wine against a hostile site.

One scripted site (velmora_site.py with its hostile kinds) and one Xvfb serve
every case; each case is one run of the driver (velmora-e2e-driver.exe) that
starts the program, searches the case's own age range into the case's own
folder, waits for the final label and closes the window. So a case that
crashes or hangs the program costs its own time limit and no other case.

For every case the run checks that the crawl went on past the hostile input
(the good member after it has its photo), that the label ended in the final
text, that the earlier good photos are there byte for byte, and that the
folder holds nothing else: no temporary file, no empty or HTML ".jpg".

    run_hostile.py --build-dir build/wintest-x86_64 \\
        --search-host 127.0.0.1:18431 --photo-host 127.0.0.1:18432 [--only NAME ...]

Everything a run leaves is in <build>/hostile/: one driver log per case,
requests.json (the site's log, with the case of each request) and the
case folders.
"""

import argparse
import hashlib
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import velmora_site as site_mod  # noqa: E402
import winhost  # noqa: E402

PICTURES = os.path.join(winhost.SOURCE_DIR, "demo", "pictures")
PROGRAM = "velmora-downloader.exe"
DRIVER = "velmora-e2e-driver.exe"
FINAL_LABEL = "全部下载完毕"
PROGRESS_START = "正在进行第"
CLOSE_WAIT_MS = 15000
CRASH_LINE = b"Unhandled page fault"
DEFAULT_WAIT_S = 60
DRIVER_SLACK_S = 10
SITE_SLACK_S = 120

# The windows path limit: MAX_PATH characters including the terminating zero.
MAX_PATH = 260
BIG_PHOTO_BYTES = 50 * 1024 * 1024
BIG_PAGE_BYTES = 10 * 1024 * 1024
BIG_PAGE_LINKS = 20000
DEFAULT_EVERY = 100
MANY_PHOTOS = 1000
OK_EVERY = 100
# Silent answers end after these stalls; the clients' own time-outs (15 s per
# phase for the automation client, WinInet's own for profiles) should end
# the wait first.
SILENT_PHOTO_STALL_S = 20
SILENT_PROFILE_STALL_S = 35
CLIENT_TIMEOUT_SLACK_S = 2
# A GBK character whose second byte is 0x5C, the byte of "\".
GBK_TRAIL_5C = bytes([0x95, 0x5C]).decode("gbk")  # 昞
IMAGE_SIGNATURES = (b"\xff\xd8\xff", b"\x89PNG", b"GIF8", b"BM")


def picture(number):
    with open(os.path.join(PICTURES, "photo%02d.jpg" % number), "rb") as f:
        return f.read()


def photo(name, number=1, kind=site_mod.PHOTO_OK, **extra):
    entry = {"name": name, "file": "photo%02d.jpg" % number, "kind": kind}
    entry.update(extra)
    return entry


def closed_port():
    """A port on 127.0.0.1 bound by nobody's listener: a socket holds it
    without listening, so every connection to it is refused."""
    holder = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    holder.bind(("127.0.0.1", 0))
    return holder, holder.getsockname()[1]


class Case:
    """One crawl: what the site serves for it and what must come of it."""

    def __init__(self, name, pages, members, files, folder=None, page_count=None,
                 wait_s=DEFAULT_WAIT_S, wanted=(), unwanted=(), check=None, known=None):
        self.name = name
        self.pages = pages
        self.members = members
        self.files = files            # file name -> bytes, or None: no folder check
        self.folder = folder          # Linux path; default: a folder of the case's own
        self.page_count = page_count or len(pages)
        self.wait_s = wait_s
        self.wanted = wanted          # request targets that must come
        self.unwanted = unwanted      # request targets that must not
        self.check = check            # extra check(run, case, entries)
        self.known = known            # a known fault: its failures are reported, not counted


class Checks:
    def __init__(self):
        self.failures = []
        self.known = []
        self.passed = 0
        self.case = None

    def expect(self, ok, what):
        if ok:
            self.passed += 1
            return True
        line = "%s: %s" % (self.case.name, what)
        if self.case.known:
            self.known.append(line)
            print("KNOWN FAULT: " + line, flush=True)
        else:
            self.failures.append(line)
            print("FAIL: " + line, flush=True)
        return False

    def equal(self, got, wanted, what):
        return self.expect(got == wanted, "%s: got %r, wanted %r" % (what, got, wanted))


class Run:
    def __init__(self, args):
        self.build_dir = os.path.abspath(args.build_dir)
        self.search_host = args.search_host
        self.photo_host = args.photo_host
        self.search_port = int(args.search_host.split(":")[1])
        self.photo_port = int(args.photo_host.split(":")[1])
        self.work = os.path.join(self.build_dir, "hostile")
        self.folders = os.path.join(self.work, "folders")
        self.checks = Checks()
        self.port_holder, self.closed_port = closed_port()
        self.cases = [c for c in self.make_cases() if not args.only or c.name in args.only]

    def folder(self, name):
        return os.path.join(self.folders, name)

    def profile(self, member_id):
        return site_mod.PROFILE_PREFIX + member_id

    # -- the cases --------------------------------------------------------------

    def make_cases(self):
        cases = []
        big = site_mod.generated_photo(BIG_PHOTO_BYTES)
        refused = "http://127.0.0.1:%d" % self.closed_port

        # A result page of 10 MB with 20 000 profile links. Every hundredth
        # leads to a profile showing the default picture; the others name no
        # host, which WinInet turns down before any connection (a link to a
        # closed port costs ten times more under Wine), so the case takes
        # well under a millisecond per link. The first and the last member
        # have a photo, and a second page shows the crawl goes on.
        middle = [("bp-d%05d" % n) if n % DEFAULT_EVERY == DEFAULT_EVERY // 2 else ("http:///u/bp%05d" % n)
                  for n in range(BIG_PAGE_LINKS - 2)]
        self.big_page_defaults = [m for m in middle if m.startswith("bp-d")]
        links = ["bp-first"] + middle + ["bp-last"]
        bare = len(site_mod.result_page(self.search_host, links, 1).encode(site_mod.SITE_ENCODING))
        cases.append(Case(
            "big-result-page",
            pages=[{"ids": links, "pad": BIG_PAGE_BYTES - bare}, ["bp-next"]],
            members={"bp-first": {"photos": [photo("bp1.jpg", 1)]},
                     "bp-default": {"default": True, "photos": [photo("bp-d.jpg", 5)],
                                    "match": r"^/u/bp-d\d+$"},
                     "bp-last": {"photos": [photo("bp2.jpg", 2)]},
                     "bp-next": {"photos": [photo("bp3.jpg", 3)]}},
            files={"bp-first_1.jpg": picture(1), "bp-last_1.jpg": picture(2),
                   "bp-next_1.jpg": picture(3)},
            wait_s=300, check=self.check_big_page))

        # Markers without their end, and pages whose last byte is a GBK lead
        # byte. The link without its end is never followed; a photo link
        # without its end swallows the next one into a link that is no URL.
        unterminated_profile = (site_mod.PROFILE_LEFT + "http://%s/u/mk-never" % self.search_host)
        cases.append(Case(
            "unterminated-markers",
            pages=[{"ids": ["mk-a"], "tail": unterminated_profile.encode("gbk").decode("latin-1") + "\x81"},
                   {"ids": ["mk-b"], "tail": "\xfe"}],
            members={"mk-a": {"photos": [photo("mk1.jpg", 4)],
                              "tail": (site_mod.PHOTO_LEFT + "http://%s/photos/mk-never.jpg"
                                       % self.photo_host) + "\x81"},
                     "mk-b": {"photos": [photo("mk2.jpg", 5), photo("mk3.jpg", 6, cut=True),
                                         photo("mk4.jpg", 7)],
                              "tail": "\xa1"}},
            files={"mk-a_1.jpg": picture(4), "mk-b_1.jpg": picture(5)},
            unwanted=[self.profile("mk-never"), "/photos/mk-never.jpg"]))

        # A profile with 1 000 photo links: every hundredth a photo, the rest
        # an error page, an empty answer or bytes that are no image.
        kinds = (site_mod.PHOTO_HTML_404, site_mod.PHOTO_EMPTY, site_mod.KIND_JUNK)
        many = []
        wanted_many = {}
        for k in range(1, MANY_PHOTOS + 1):
            if k % OK_EVERY == 0:
                many.append(photo("mp%04d.jpg" % k, k // OK_EVERY))
                wanted_many["mp-many_%d.jpg" % k] = picture(k // OK_EVERY)
            else:
                many.append(photo("mp%04d.jpg" % k, 1, kinds[k % len(kinds)]))
        wanted_many["mp-after_1.jpg"] = picture(11)
        cases.append(Case(
            "thousand-photo-links", pages=[["mp-many", "mp-after"]],
            members={"mp-many": {"photos": many}, "mp-after": {"photos": [photo("mp-after.jpg", 11)]}},
            files=wanted_many, wait_s=120))

        # A photo of 50 MB between two small ones.
        cases.append(Case(
            "fifty-megabyte-photo", pages=[["bg-member"]],
            members={"bg-member": {"photos": [photo("bg1.jpg", 8),
                                              {"name": "bg2.jpg", "size": BIG_PHOTO_BYTES, "kind": "ok"},
                                              photo("bg3.jpg", 9)]}},
            files={"bg-member_1.jpg": picture(8), "bg-member_2.jpg": big, "bg-member_3.jpg": picture(9)},
            wait_s=120))

        # Photo and profile links to a port where nothing listens.
        cases.append(Case(
            "refused-port", pages=[["rf-member", refused + "/u/rf-gone", "rf-after"]],
            members={"rf-member": {"photos": [photo("rf1.jpg", 10),
                                              photo("rf2.jpg", url=refused + "/photos/rf2.jpg"),
                                              photo("rf3.jpg", 11)]},
                     "rf-after": {"photos": [photo("rf4.jpg", 12)]}},
            files={"rf-member_1.jpg": picture(10), "rf-member_3.jpg": picture(11),
                   "rf-after_1.jpg": picture(12)}))

        # Connections reset in the middle of a body. A profile page cut off
        # by a reset (WinInet keeps what came), then photos: one with its
        # length announced, one whose body ends with the connection.
        cases.append(Case(
            "reset-profile", pages=[["rs-profile", "rs-after"]],
            members={"rs-profile": {"kind": site_mod.KIND_RESET,
                                    "photos": [photo("rs-p%d.jpg" % k, k) for k in range(1, 41)]},
                     "rs-after": {"photos": [photo("rs-after.jpg", 3)]}},
            files=None, wanted=["/photos/rs-after.jpg"], check=self.check_reset_profile))
        cases.append(Case(
            "reset-photo", pages=[["rp-member", "rp-after"]],
            members={"rp-member": {"photos": [photo("rp1.jpg", 1),
                                              photo("rp2.jpg", 2, site_mod.KIND_RESET),
                                              photo("rp3.jpg", 3, site_mod.KIND_RESET_CLOSE),
                                              photo("rp4.jpg", 4)]},
                     "rp-after": {"photos": [photo("rp5.jpg", 5)]}},
            files={"rp-member_1.jpg": picture(1), "rp-member_4.jpg": picture(4),
                   "rp-after_1.jpg": picture(5)},
            wait_s=20))
        cases.append(Case(
            "reset-result-page",
            pages=[{"ids": ["rr-lost"], "kind": site_mod.KIND_RESET_CLOSE}, ["rr-after"]],
            members={"rr-lost": {"photos": [photo("rr1.jpg", 6)]},
                     "rr-after": {"photos": [photo("rr2.jpg", 7)]}},
            files={"rr-after_1.jpg": picture(7)}, wait_s=20))

        # Servers that take the request and never answer: one photo, one
        # profile. Each stalls a little longer than the client should wait.
        cases.append(Case(
            "silent-photo", pages=[["sp-member"]],
            members={"sp-member": {"photos": [photo("sp1.jpg", 8),
                                              photo("sp2.jpg", 9, site_mod.KIND_SILENT,
                                                    stall=SILENT_PHOTO_STALL_S),
                                              photo("sp3.jpg", 10)]}},
            files={"sp-member_1.jpg": picture(8), "sp-member_3.jpg": picture(10)},
            wait_s=SILENT_PHOTO_STALL_S + 40, check=self.check_silent("/photos/sp2.jpg", 15)))
        cases.append(Case(
            "silent-profile", pages=[["sl-before", "sl-profile", "sl-after"]],
            members={"sl-before": {"photos": [photo("sl1.jpg", 11)]},
                     "sl-profile": {"kind": site_mod.KIND_SILENT, "stall": SILENT_PROFILE_STALL_S,
                                    "photos": [photo("sl2.jpg", 12)]},
                     "sl-after": {"photos": [photo("sl3.jpg", 1)]}},
            files={"sl-before_1.jpg": picture(11), "sl-after_1.jpg": picture(1)},
            wait_s=SILENT_PROFILE_STALL_S + 40, check=self.check_silent(self.profile("sl-profile"), 30)))

        # Redirect loops: a photo, a profile and a result page that send the
        # client back to themselves (the site gives up after LOOP_LIMIT).
        cases.append(Case(
            "redirect-loop",
            pages=[{"ids": ["rl-member", "rl-profile"]}, {"ids": ["rl-lost"], "kind": site_mod.KIND_LOOP},
                   ["rl-after"]],
            members={"rl-member": {"photos": [photo("rl1.jpg", 2), photo("rl2.jpg", 3, site_mod.KIND_LOOP),
                                              photo("rl3.jpg", 4)]},
                     "rl-profile": {"kind": site_mod.KIND_LOOP, "photos": [photo("rl4.jpg", 5)]},
                     "rl-lost": {"photos": [photo("rl5.jpg", 6)]},
                     "rl-after": {"photos": [photo("rl6.jpg", 7)]}},
            files={"rl-member_1.jpg": picture(2), "rl-member_3.jpg": picture(4),
                   "rl-after_1.jpg": picture(7)}))

        cases += self.ids_case()
        cases += self.folder_cases()
        return cases

    def ids_case(self):
        """Member ids that are no plain file names, and ids whose file name
        lies near or past MAX_PATH."""
        folder = self.folder("member-ids")
        base = len(winhost.windows_path(folder)) + 1  # the folder and its backslash
        tail = len("_1.jpg")
        fits = "L" * (MAX_PATH - 30 - base - tail)    # room left for the temporary name
        near_base = len(winhost.windows_path(self.folder("id-near-max-path"))) + 1
        barely = "B" * (MAX_PATH - 5 - near_base - tail)  # the final name fits, little room
        over = "O" * (MAX_PATH + 10 - base - tail)    # past MAX_PATH
        cases = [
            # id in the link, file name the program must make of it
            ("id1/../../up", "id1_.._.._up_1.jpg"),
            ("..", "_1.jpg"),
            ("id2\\..\\..", "id2_..__1.jpg"),
            ("CON.txt", "CON_.txt_1.jpg"),
            ("nul", "nul_1.jpg"),
            ("id3 . ", "id3_1.jpg"),
            ("id4:*?\"<>|", "id4" + "_" * 7 + "_1.jpg"),
            ("id5" + GBK_TRAIL_5C + "x", "id5" + GBK_TRAIL_5C + "x_1.jpg"),
            (GBK_TRAIL_5C + GBK_TRAIL_5C, GBK_TRAIL_5C + GBK_TRAIL_5C + "_1.jpg"),
            (fits, fits + "_1.jpg"),
            (over, None),
        ]
        members = {}
        files = {}
        ids = []
        for n, (member_id, file_name) in enumerate(cases, 1):
            key = "id-%02d" % n
            # The site finds the member by the key before "/u/", whatever
            # WinInet makes of the id after it.
            members[key] = {"photos": [photo("id%02d.jpg" % n, n)], "match": "^/k/%s/" % key}
            ids.append("http://%s/k/%s/u/%s" % (self.search_host, key, member_id))
            if file_name:
                files[file_name] = picture(n)
        members["id-after"] = {"photos": [photo("id-after.jpg", 1)]}
        ids.append("id-after")
        files["id-after_1.jpg"] = picture(1)
        near = [Case(
            "id-near-max-path", pages=[["http://%s/k/id-near/u/%s" % (self.search_host, barely), "id-after"]],
            members={"id-near": {"photos": [photo("id-near.jpg", 2)], "match": "^/k/id-near/"}},
            files={barely + "_1.jpg": picture(2), "id-after_1.jpg": picture(1)},
            folder=self.folder("id-near-max-path"))]
        return [Case("member-ids", pages=[ids], members=members, files=files, folder=folder,
                     check=self.check_nothing_escaped)] + near

    def folder_cases(self):
        plain = {"fd-member": {"photos": [photo("fd1.jpg", 3), photo("fd2.jpg", 4)]}}
        cases = []
        # The folder is an existing file: nothing can be written into it.
        cases.append(Case(
            "folder-is-a-file", pages=[["fd-member"]], members=plain, files=None,
            folder=os.path.join(self.folder("folder-is-a-file"), "taken"),
            check=self.check_unwritable))
        # The folder lies below an existing file: it cannot be made.
        cases.append(Case(
            "folder-below-a-file", pages=[["fd-member"]], members=plain, files=None,
            folder=os.path.join(self.folder("folder-below-a-file"), "taken", "sub", "deeper"),
            check=self.check_unwritable))
        # A folder path past MAX_PATH, in parts of 50 characters.
        long_folder = self.folder("folder-too-long")
        while len(winhost.windows_path(long_folder)) < MAX_PATH + 40:
            long_folder = os.path.join(long_folder, "p" * 50)
        cases.append(Case(
            "folder-too-long", pages=[["fd-member"]], members=plain, files=None, folder=long_folder,
            check=self.check_unwritable))
        # A folder to be made whose name holds a character with the byte of
        # "\" as its second byte: exactly that folder is made, nothing beside it.
        cases.append(Case(
            "folder-gbk-5c", pages=[["fd-member"]], members=plain,
            files={"fd-member_1.jpg": picture(3), "fd-member_2.jpg": picture(4)},
            folder=os.path.join(self.folder("folder-gbk-5c"), GBK_TRAIL_5C + "图", "sub"),
            check=self.check_gbk_folder))
        return cases

    # -- running ------------------------------------------------------------------

    def catalogue(self):
        queries = []
        members = {}
        for n, case in enumerate(self.cases):
            case.ages = (str(40 + 2 * n), str(41 + 2 * n))
            queries.append({"gender": "0", "agebegin": case.ages[0], "ageend": case.ages[1],
                            "pages": case.pages})
            members.update(case.members)
        return {"queries": queries, "members": members}

    def case_folder(self, case):
        return case.folder or self.folder(case.name)

    def prepare(self):
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.folders)
        for case in self.cases:
            os.makedirs(self.folder(case.name), exist_ok=True)
        taken = [os.path.join(self.folder(n), "taken") for n in ("folder-is-a-file", "folder-below-a-file")]
        for path in taken:
            if os.path.isdir(os.path.dirname(path)):
                with open(path, "wb") as f:
                    f.write(b"a file where the folder should be\n")

    def script(self, case):
        win = winhost.windows_path
        return "\r\n".join([
            "launch " + win(os.path.join(self.build_dir, PROGRAM)),
            "pick gender 0", "type agefrom " + case.ages[0], "type ageto " + case.ages[1],
            "type pages %d" % case.page_count, "type folder " + win(self.case_folder(case)),
            "click start",
            "waitlabel %d %s" % (case.wait_s * 1000, FINAL_LABEL),
            "close %d" % CLOSE_WAIT_MS,
        ]) + "\r\n"

    def run_driver(self, case, display):
        """One driver run; the whole process group ends with it, so a program
        that crashed into the debugger does not outlive its case."""
        script_path = os.path.join(self.work, case.name + ".script")
        with open(script_path, "wb") as f:
            f.write(self.script(case).encode("gbk"))
        limit_s = case.wait_s + DRIVER_SLACK_S
        env = dict(os.environ, DISPLAY=display)
        command = [winhost.WINE_RUN, os.path.join(self.build_dir, DRIVER),
                   winhost.windows_path(script_path), str(limit_s * 1000)]
        process = subprocess.Popen(command, env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, start_new_session=True)
        lines = []
        crashed = threading.Event()

        def read():
            for line in process.stdout:
                lines.append(line)
                if CRASH_LINE in line:
                    crashed.set()
        reader = threading.Thread(target=read, daemon=True)
        reader.start()
        deadline = time.monotonic() + limit_s + DRIVER_SLACK_S
        # A crash starts Wine's debugger, which waits for a person: the
        # case ends there.
        while process.poll() is None and time.monotonic() < deadline and not crashed.is_set():
            time.sleep(0.1)
        if process.poll() is None:
            time.sleep(0.5)
            lines.append(b"error\tdriver run %s\n" % (b"ended: the program crashed" if crashed.is_set()
                                                        else b"timed out"))
        # Whatever is left of the session (the program, Wine's debugger) ends
        # with the case; wine-run cleans up on the first signal.
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(process.pid, sig)
            except ProcessLookupError:
                break
            time.sleep(1)
        process.wait()
        reader.join(5)
        out = b"".join(lines)
        text = out.decode(winhost.DRIVER_ENCODING, errors="replace")
        with open(os.path.join(self.work, case.name + ".log"), "w", encoding="utf-8") as f:
            f.write(text)
        return text

    def run(self):
        self.prepare()
        cat = self.catalogue()
        limit = sum(c.wait_s + 2 * DRIVER_SLACK_S for c in self.cases) + SITE_SLACK_S
        site = site_mod.Site(cat, self.search_port, self.photo_port, PICTURES, deadline_s=limit)
        self.site = site
        spans = []
        with winhost.Xvfb() as display:
            for case in self.cases:
                first = len(site.requests())
                started = time.monotonic()
                output = self.run_driver(case, display)
                took = time.monotonic() - started
                entries = site.requests()[first:]
                spans.append((case.name, first, len(entries)))
                print("hostile: %-22s %6.1f s, %5d requests" % (case.name, took, len(entries)), flush=True)
                self.check_case(case, output, entries)
        site.stop()
        log = site.requests()
        for name, first, count in spans:
            for entry in log[first:first + count]:
                entry["case"] = name
        with open(os.path.join(self.work, "requests.json"), "w", encoding="utf-8") as f:
            json.dump(log, f, ensure_ascii=False)
        self.port_holder.close()
        return self.checks

    # -- checks -------------------------------------------------------------------

    def check_case(self, case, output, entries):
        c = self.checks
        c.case = case
        lines = [line.split("\t") for line in output.splitlines()]
        errors = [line for line in lines if line and line[0] == "error"]
        crash = [line for line in output.splitlines() if "Unhandled" in line]
        c.equal(crash, [], "the program did not crash")
        c.equal(errors, [], "driver errors")
        labels = [line[1] if len(line) > 1 else "" for line in lines if line and line[0] == "label"]
        c.expect(labels and labels[-1] == FINAL_LABEL, "the label ends in the final text (saw %r)"
                 % labels[-3:])
        c.expect(all(t in ("", FINAL_LABEL) or t.startswith(PROGRESS_START) for t in labels),
                 "the label shows only progress lines")
        c.expect(any(line[:1] == ["closed"] for line in lines), "the window closed")
        targets = [e["target"] for e in entries]
        for target in case.wanted:
            c.expect(target in targets, "%s was requested" % target)
        for target in case.unwanted:
            c.expect(target not in targets, "%s was not requested" % target)
        folder = self.case_folder(case)
        if case.files is not None:
            self.check_folder(folder, case.files)
        self.check_no_junk(self.folder(case.name))
        if os.path.isdir(folder) and not folder.startswith(self.folder(case.name)):
            self.check_no_junk(folder)
        if case.check:
            case.check(case, entries)
        if case.known and not any(k.startswith(case.name + ":") for k in c.known):
            print("hostile: %s passes now: drop its known-fault note" % case.name)

    def check_folder(self, folder, wanted):
        c = self.checks
        if not c.expect(os.path.isdir(folder), "folder %s exists" % folder):
            return
        got = sorted(os.listdir(folder))
        c.equal(got, sorted(wanted), "files in the folder")
        for name, data in wanted.items():
            path = os.path.join(folder, name)
            if os.path.isfile(path):
                c.expect(digest(path) == hashlib.sha256(data).hexdigest(),
                         "%s holds the photo byte for byte" % name)

    def check_no_junk(self, top):
        """No temporary file, no empty file and no .jpg that is no image, anywhere below top."""
        c = self.checks
        junk = []
        for root, _, names in os.walk(top):
            for name in names:
                path = os.path.join(root, name)
                if name.endswith(".part") or os.path.getsize(path) == 0:
                    junk.append(path)
                elif name.endswith(".jpg"):
                    with open(path, "rb") as f:
                        if not f.read(4).startswith(IMAGE_SIGNATURES):
                            junk.append(path)
        c.equal(junk, [], "no temporary, empty or non-image file below %s" % os.path.relpath(top, self.work))

    def check_big_page(self, case, entries):
        c = self.checks
        targets = [e["target"] for e in entries]
        profiles = [t for t in targets if t.startswith(site_mod.PROFILE_PREFIX)]
        wanted = ([self.profile("bp-first")] + [self.profile(m) for m in self.big_page_defaults]
                  + [self.profile("bp-last"), self.profile("bp-next")])
        c.equal(profiles == wanted, True, "profiles served in the order of the links (%d of %d)"
                % (len(profiles), len(wanted)))
        photos = [t for t in targets if t.startswith(site_mod.PHOTO_PREFIX)]
        c.equal(photos, ["/photos/bp1.jpg", "/photos/bp2.jpg", "/photos/bp3.jpg"],
                "photos fetched (none for the default-picture members)")
        pages = [e for e in entries if e["target"].startswith(site_mod.SEARCH_PATH)]
        c.equal(len(pages), 2, "both result pages fetched")
        if pages:
            print("hostile: %s: %.1f s from the page request to the first profile, %.1f s for the %d links"
                  % (case.name, entries[1]["time"] - pages[0]["time"],
                     pages[-1]["time"] - entries[1]["time"], BIG_PAGE_LINKS))

    def check_reset_profile(self, case, entries):
        # Whatever the half page held is fetched; every file is a whole photo
        # of that member.
        c = self.checks
        folder = self.case_folder(case)
        names = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        c.expect("rs-after_1.jpg" in names, "the member after the cut-off profile has its photo")
        for name in names:
            if name.startswith("rs-profile_"):
                k = int(name[len("rs-profile_"):-len(".jpg")])
                c.expect(digest(os.path.join(folder, name)) == hashlib.sha256(picture(k)).hexdigest(),
                         "%s holds the photo byte for byte" % name)
        c.expect(len(names) < 41, "the cut-off profile did not yield all its 40 photos")

    def check_silent(self, target, client_limit_s):
        def check(case, entries):
            c = self.checks
            seqs = [i for i, e in enumerate(entries) if e["target"] == target]
            if not c.expect(seqs and seqs[-1] + 1 < len(entries), "a request followed %s" % target):
                return
            i = seqs[-1]
            waited = entries[i + 1]["time"] - entries[i]["time"]
            print("hostile: %s: the client waited %.1f s for the silent server" % (case.name, waited))
            # Not counted: under Wine 8 neither client's time-out ends a wait
            # for the first byte of an answer (see the report in README).
            if waited > client_limit_s + CLIENT_TIMEOUT_SLACK_S:
                print("hostile: note: %s: the client did not give up after %d s; the crawl went on "
                      "only once the server closed" % (case.name, client_limit_s))
        return check

    def check_nothing_escaped(self, case, entries):
        c = self.checks
        for up in (self.folders, self.work):
            strays = [n for n in os.listdir(up) if n.startswith(("up", "_1")) or n.endswith(".jpg")]
            c.equal(strays, [], "no photo escaped into %s" % os.path.relpath(up, self.build_dir))

    def check_unwritable(self, case, entries):
        c = self.checks
        home = self.folder(case.name)
        found = []
        for root, dirs, names in os.walk(home):
            found += [os.path.relpath(os.path.join(root, n), home) for n in names]
        wanted = ["taken"] if os.path.exists(os.path.join(home, "taken")) else []
        c.equal(sorted(found), wanted, "no file was written anywhere")
        taken = os.path.join(home, "taken")
        if os.path.isfile(taken):
            c.equal(os.path.getsize(taken), 34, "the file where the folder should be is untouched")
        photos = [e for e in entries if e["port"] == self.photo_port]
        print("hostile: %s: %d photos fetched, folders made: %s" % (
            case.name, len(photos),
            [os.path.relpath(r, home) for r, _, _ in os.walk(home) if r != home][:3]))

    def check_gbk_folder(self, case, entries):
        c = self.checks
        home = self.folder(case.name)
        c.equal(sorted(os.listdir(home)), [GBK_TRAIL_5C + "图"], "only the named folder was made")


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--search-host", required=True)
    parser.add_argument("--photo-host", required=True)
    parser.add_argument("--only", nargs="*", help="run only the cases of these names")
    args = parser.parse_args()
    started = time.monotonic()
    checks = Run(args).run()
    print("hostile: %d checks passed, %d failed, %d known faults, %.1f s in all"
          % (checks.passed, len(checks.failures), len(checks.known), time.monotonic() - started))
    for line in checks.known:
        print("hostile: known fault: " + line)
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
