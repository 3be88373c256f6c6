#!/usr/bin/env python3
"""End-to-end run of the downloader under Wine.

Serves the scripted site (velmora_site.py) on the build's two hosts, starts
one Xvfb, and runs the driver (velmora-e2e-driver.exe) once over a script
that operates the real program: the start-up state, the folder proposals per
keystroke, a crawl over three result pages, a page of faulty photos and
unsafe member ids, both notices, two workers at once, and a close while a
photo is still arriving. Then it checks the files byte for byte and the
site's request log: crawl order, headers and cookies.

The driver's output goes to <build>/e2e/driver.log, the site's request log
to <build>/e2e/requests.json and PNG screenshots of the window after
start-up and after the crawl to <build>/e2e/screenshots/.

Each part of the run searches its own age range, so one site answers them
all and every request belongs to exactly one part.

    run_e2e.py --build-dir build/wintest-x86_64 \
        --search-host 127.0.0.1:18431 --photo-host 127.0.0.1:18432
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import velmora_site as site_mod  # noqa: E402
import winhost  # noqa: E402

SOURCE_DIR = os.path.dirname(os.path.dirname(HERE))
PICTURES = os.path.join(SOURCE_DIR, "demo", "pictures")
PROGRAM = "velmora-downloader.exe"
DRIVER = "velmora-e2e-driver.exe"

RUN_LIMIT_S = 180
SITE_DEADLINE_S = RUN_LIMIT_S + 30
CRAWL_WAIT_MS = 30000
NOTICE_WAIT_MS = 10000
QUIET_MS = 1500
CLOSE_WAIT_MS = 15000
CLOSE_SOON_MS = 5000

FINAL_LABEL = "全部下载完毕"
NOTICE_TITLE = "友情提醒"
NO_GENDER = "未选择性别"
NO_PAGE_COUNT = "未填要搜索多少页"
WINDOW_TITLE = "Velmora高清头像下载器"
MALE = "男"
FEMALE = "女"
START_FOLDER_TAIL = "\\男\\18-19"
PROGRESS = "正在进行第%d页   第%d个会员的   第%d张图"

AUTOMATION_HEADERS = [
    ("Accept", "*/*"),
    ("Accept-Language", "zh-cn"),
    ("User-Agent", "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)"),
    ("Content-Type", "application/x-www-form-urlencoded"),
]
WININET_HEADERS = [
    ("Accept", "*/*"),
    ("Accept-Language", "zh-cn"),
    ("User-Agent", "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"),
    ("Content-Type", "application/x-www-form-urlencoded"),
]

# The client-side rectangle of every control: left, top, width, height.
LAYOUT = {
    1001: (8, 8, 32, 20), 1002: (40, 8, 48, 20), 1003: (104, 8, 48, 20),
    1004: (144, 8, 48, 20), 1005: (199, 9, 9, 16), 1006: (208, 8, 48, 20),
    1007: (264, 6, 56, 24), 1008: (328, 7, 40, 24), 1009: (8, 40, 48, 24),
    1010: (56, 40, 240, 24), 1011: (296, 40, 72, 24), 1012: (8, 80, 352, 32),
    1013: (136, 128, 112, 40),
}
# A drop-down box's height follows its font (the system sizes the edit
# field to fit a line of text), so only its left, top and width are exact.
COMBO_IDS = (1002, 1004, 1006)
COMBO_HEIGHTS = (20, 24)
LAYOUT_TEXTS = {1001: "性别：", 1003: "年龄：", 1005: "-", 1007: "下载几页：",
                1009: "保存到：", 1011: "选择文件夹", 1013: "开始下载"}

# Cookies the site sets. One on a result page, which the automation client
# harvests and writes to the store under "http://0.1" (the main domain of
# 127.0.0.1); WinInet then sends it to 127.0.0.1 as well, since the store
# offers a domain's cookies to its sub-domains. One on a profile page: WinInet
# keeps a cookie without a domain attribute for 127.0.0.1 only, which the
# automation client's reads of "http://0.1" never see, so the site names the
# domain 0.1 for it to travel the other way.
PAGE_COOKIE = ("vsearch", "p1")
PROFILE_COOKIE = ("vprofile", "m1")


def picture(file_name):
    with open(os.path.join(PICTURES, file_name), "rb") as f:
        return f.read()


def photo(name, number, kind=site_mod.PHOTO_OK):
    return {"name": name, "file": "photo%02d.jpg" % number, "kind": kind}


def catalogue():
    """Who is listed where, for every part of the run."""
    members = {
        # crawl: three pages, a default-picture member, cookies
        "20001": {"photos": [photo("c1a.jpg", 1), photo("c1b.jpg", 2)],
                  "cookie": "%s=%s; domain=0.1; path=/" % PROFILE_COOKIE},
        "20002": {"default": True, "photos": [photo("c2a.jpg", 3)]},
        "20003": {"photos": [photo("c3a.jpg", 4)]},
        "20004": {"photos": [photo("c4a.jpg", 5), photo("c4b.jpg", 6), photo("c4c.jpg", 7)]},
        "20005": {"photos": []},
        # faults: bodies that are not photos, ids that are not file names
        "30001": {"photos": [photo("f1a.jpg", 8), photo("f1b.jpg", 9, site_mod.PHOTO_HTML_404),
                             photo("f1c.jpg", 10, site_mod.PHOTO_EMPTY),
                             photo("f1d.jpg", 11, site_mod.PHOTO_SHORT), photo("f1e.jpg", 12)]},
        "h1\\..\\..\\escaped": {"photos": [photo("f2a.jpg", 1)], "match": "escaped$"},
        "h2:*?\"<>|\x01\x1f": {"photos": [photo("f3a.jpg", 2)], "match": "/u/h2"},
        "30004": {"default": True, "photos": [photo("f4a.jpg", 3)]},
        # notices: the crawl after a notice
        "40001": {"photos": [photo("n1a.jpg", 4)]},
        # two workers
        "50001": {"photos": [photo("t1a.jpg", 5), photo("t1b.jpg", 6)]},
        # slow photo while the window closes
        "60001": {"photos": [photo("s1a.jpg", 7), photo("s1b.jpg", 8, site_mod.PHOTO_SLOW)]},
    }
    queries = [
        {"gender": "1", "agebegin": "22", "ageend": "23",
         "pages": [["20001", "20002", "20003"], ["20004", "20005"], []],
         "cookies": {"1": "%s=%s; path=/" % PAGE_COOKIE}},
        {"gender": "1", "agebegin": "24", "ageend": "25",
         "pages": [["30001", "h1\\..\\..\\escaped", "h2:*?\"<>|\x01\x1f", "30004"]]},
        {"gender": "1", "agebegin": "26", "ageend": "27", "pages": [["40001"]]},
        {"gender": "0", "agebegin": "28", "ageend": "29", "pages": [["50001"]]},
        {"gender": "0", "agebegin": "30", "ageend": "31", "pages": [["60001"]]},
    ]
    return {"queries": queries, "members": members}


class Checks:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def expect(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failures.append(what)
            print("FAIL: " + what, flush=True)
        return ok

    def equal(self, got, wanted, what):
        return self.expect(got == wanted, "%s: got %r, wanted %r" % (what, got, wanted))


def search_target(gender, age_from, age_to, page):
    return ("%s?gender=%s&agebegin=%s&ageend=%s&condition=3&&currentpage=%d"
            % (site_mod.SEARCH_PATH, gender, age_from, age_to, page))


class Run:
    def __init__(self, args):
        self.build_dir = os.path.abspath(args.build_dir)
        self.search_host = args.search_host
        self.photo_host = args.photo_host
        self.work = os.path.join(self.build_dir, "e2e")
        self.folders = os.path.join(self.work, "folders")
        self.markers = os.path.join(self.work, "markers")
        self.shots = os.path.join(self.work, "screenshots")
        self.program_dir = winhost.windows_path(self.build_dir)
        self.checks = Checks()
        self.cat = catalogue()

    def folder(self, name):
        return os.path.join(self.folders, name)

    # -- the script ---------------------------------------------------------

    def script(self):
        win = winhost.windows_path
        lines = [
            "launch " + win(os.path.join(self.build_dir, PROGRAM)),
            "shot " + win(os.path.join(self.shots, "startup.bmp")),
            "state", "layout",
            # folder proposals: one per pick and per keystroke
            "pick gender 1", "type ageto 30", "pick gender 0",
            "type agefrom 22", "type ageto 23", "pick gender 1",
            # crawl into the proposed folder (under the program directory)
            "type pages 3", "click start",
            "waitlabel %d %s" % (CRAWL_WAIT_MS, FINAL_LABEL),
            "shot " + win(os.path.join(self.shots, "after-crawl.bmp")),
            "state",
            # faults
            "type agefrom 24", "type ageto 25", "type pages 1",
            "type folder " + win(self.folder("faults")), "click start",
            "waitfile %d %s" % (CRAWL_WAIT_MS, win(os.path.join(self.markers, "f3a.jpg.1"))),
            "waitlabel %d %s" % (CRAWL_WAIT_MS, FINAL_LABEL),
            # both notices: no gender picked, no page count; the job goes on
            "type agefrom 26", "type ageto 27", "type gender x", "clear pages",
            "type folder " + win(self.folder("notices")), "click start",
            "notice %d" % NOTICE_WAIT_MS, "notice %d" % NOTICE_WAIT_MS,
            "nonotice %d" % QUIET_MS,
            "waitlabel %d %s" % (CRAWL_WAIT_MS, FINAL_LABEL),
            # the gender notice alone, then the crawl with the last gender code
            "type pages 1", "click start", "notice %d" % NOTICE_WAIT_MS,
            "waitfile %d %s" % (CRAWL_WAIT_MS, win(os.path.join(self.folder("notices"), "40001_1.jpg"))),
            "waitlabel %d %s" % (CRAWL_WAIT_MS, FINAL_LABEL),
            # two clicks, two workers
            "pick gender 0", "type agefrom 28", "type ageto 29",
            "type folder " + win(self.folder("twice")), "click start", "click start",
            "waitfile %d %s" % (CRAWL_WAIT_MS, win(os.path.join(self.markers, "t1b.jpg.2"))),
            "waitlabel %d %s" % (CRAWL_WAIT_MS, FINAL_LABEL),
            # close while a photo is on its way
            "type agefrom 30", "type ageto 31",
            "type folder " + win(self.folder("slow")), "click start",
            "waitfile %d %s" % (CRAWL_WAIT_MS, win(os.path.join(self.markers, site_mod.SLOW_MARKER))),
            "close %d" % CLOSE_WAIT_MS,
        ]
        return "\r\n".join(lines) + "\r\n"

    # -- running --------------------------------------------------------------

    def prepare(self):
        shutil.rmtree(self.work, ignore_errors=True)
        for path in (self.folders, self.markers, self.shots):
            os.makedirs(path)
        # the crawl goes into the folder the window proposes, under the program
        shutil.rmtree(os.path.join(self.build_dir, FEMALE), ignore_errors=True)
        for name in ("faults", "notices", "twice", "slow"):
            os.makedirs(self.folder(name))

    def run(self):
        self.prepare()
        script_path = os.path.join(self.work, "script.txt")
        with open(script_path, "wb") as f:
            f.write(self.script().encode("gbk"))
        search_port = int(self.search_host.split(":")[1])
        photo_port = int(self.photo_host.split(":")[1])
        site = site_mod.Site(self.cat, search_port, photo_port, PICTURES,
                             deadline_s=SITE_DEADLINE_S, marker_dir=self.markers)
        started = time.monotonic()
        with winhost.Xvfb() as display:
            output = winhost.run_driver(self.build_dir, DRIVER, script_path, display,
                                        RUN_LIMIT_S)
        site.stop()
        print("e2e: driver ran %.1f s" % (time.monotonic() - started), flush=True)
        with open(os.path.join(self.work, "driver.log"), "w", encoding="utf-8") as f:
            f.write(output)
        self.lines = [line.split("\t") for line in output.splitlines()]
        self.log = site.requests()
        with open(os.path.join(self.work, "requests.json"), "w", encoding="utf-8") as f:
            json.dump(self.log, f, ensure_ascii=False, indent=1)
        winhost.convert_shots(self.shots)
        self.check_all()
        return self.checks

    # -- what the driver saw -------------------------------------------------------

    def seen(self, kind):
        return [line[1:] for line in self.lines if line and line[0] == kind]

    def check_all(self):
        c = self.checks
        errors = self.seen("error")
        c.equal(errors, [], "driver errors")
        c.expect(["ok"] in self.seen("end"), "driver finished its script")
        self.check_start_state()
        self.check_layout()
        self.check_proposals()
        self.check_crawl()
        self.check_faults()
        self.check_notices()
        self.check_two_workers()
        self.check_close()

    def check_start_state(self):
        c = self.checks
        texts = {}
        selections = {}
        for row in self.seen("text"):
            texts.setdefault(row[0], row[1] if len(row) > 1 else "")
        for row in self.seen("selection"):
            selections.setdefault(row[0], row[1:])
        c.equal(texts.get("title"), WINDOW_TITLE, "window title")
        c.equal(texts.get("gender"), MALE, "gender box at start")
        c.equal(texts.get("agefrom"), "1", "lower age at start")
        c.equal(texts.get("ageto"), "2", "upper age at start")
        c.equal(texts.get("pages"), "1", "page count at start")
        c.equal(texts.get("folder"), self.program_dir + START_FOLDER_TAIL, "folder at start")
        c.equal(texts.get("label"), "", "label at start")
        c.equal(selections.get("gender"), ["0", "2"], "gender selection and items")
        c.equal(selections.get("agefrom"), ["0", "120"], "lower age selection and items")
        c.equal(selections.get("ageto"), ["1", "120"], "upper age selection and items")

    def check_layout(self):
        c = self.checks
        windows = self.seen("window")
        if c.expect(windows, "window geometry printed"):
            left, top, width, height = (int(v) for v in windows[0][:4])
            c.equal((left, top, width, height), (50, 50, 380, 216), "window place and outer size")
        places = {}
        for row in self.seen("control"):
            places[int(row[0])] = (tuple(int(v) for v in row[2:6]), row[6] if len(row) > 6 else "")
        for control_id, rect in LAYOUT.items():
            got = places.get(control_id)
            place = got[0] if got else None
            if place and control_id in COMBO_IDS and COMBO_HEIGHTS[0] <= place[3] <= COMBO_HEIGHTS[1]:
                place = place[:3] + (rect[3],)
            c.equal(place, rect, "place of control %d" % control_id)
            if control_id in LAYOUT_TEXTS and got:
                c.equal(got[1], LAYOUT_TEXTS[control_id], "text of control %d" % control_id)

    def check_proposals(self):
        c = self.checks
        base = self.program_dir + "\\"
        picks = [row[3] for row in self.seen("picked")]
        keys = [row[2] for row in self.seen("key") if row[0] in ("agefrom", "ageto")]
        c.equal(picks[:3], [base + "女\\1-2", base + "男\\1-30", base + "女\\22-23"],
                "proposals after picking a gender")
        c.equal(keys[:6], [base + "女\\1-3", base + "女\\1-30", base + "男\\2-30",
                           base + "男\\22-30", base + "男\\22-2", base + "男\\22-23"],
                "proposals per keystroke in the age boxes")
        gender_keys = [row for row in self.seen("key") if row[0] == "gender"]
        if c.expect(gender_keys, "typed into the gender box"):
            c.equal(gender_keys[0][2], base + "女\\26-27",
                    "typing a word into the gender box changes no proposal")

    # -- requests -------------------------------------------------------------------

    def entries_for(self, query_index):
        """The requests of one part: its result pages, profiles and photos."""
        query = self.cat["queries"][query_index]
        ids = {m for page in query["pages"] for m in page}
        photos = {p["name"] for m in ids for p in self.cat["members"][m]["photos"]}
        mine = []
        for entry in self.log:
            target = entry["target"]
            if target.startswith(site_mod.SEARCH_PATH):
                if ("agebegin=%s&ageend=%s&" % (query["agebegin"], query["ageend"])) in target:
                    mine.append(entry)
            elif entry["port"] == int(self.photo_host.split(":")[1]):
                if target[len(site_mod.PHOTO_PREFIX):] in photos:
                    mine.append(entry)
            elif any(self.member_matches(m, target) for m in ids):
                mine.append(entry)
        return mine

    def member_matches(self, member_id, target):
        member = self.cat["members"][member_id]
        if urllib.parse.unquote(target) == site_mod.PROFILE_PREFIX + member_id:
            return True
        return bool(member.get("match") and re.search(member["match"], urllib.parse.unquote(target)))

    def expected_crawl(self, query_index, pages):
        """(port, target) of every request one job makes, in order."""
        query = self.cat["queries"][query_index]
        search_port = int(self.search_host.split(":")[1])
        photo_port = int(self.photo_host.split(":")[1])
        wanted = []
        for p in range(1, pages + 1):
            wanted.append((search_port, search_target(query["gender"], query["agebegin"],
                                                      query["ageend"], p)))
            listed = query["pages"][p - 1] if p <= len(query["pages"]) else []
            for member_id in listed:
                member = self.cat["members"][member_id]
                wanted.append((search_port, site_mod.PROFILE_PREFIX + member_id))
                if member.get("default"):
                    continue
                for ph in member["photos"]:
                    wanted.append((photo_port, site_mod.PHOTO_PREFIX + ph["name"]))
        return wanted

    def expected_files(self, query_index):
        """file name -> bytes of every photo that arrives whole."""
        query = self.cat["queries"][query_index]
        files = {}
        for page in query["pages"]:
            for member_id in page:
                member = self.cat["members"][member_id]
                if member.get("default"):
                    continue
                for k, ph in enumerate(member["photos"], 1):
                    if ph["kind"] == site_mod.PHOTO_OK:
                        files["%s_%d.jpg" % (member_id, k)] = picture(ph["file"])
        return files

    def check_folder(self, folder, wanted, what):
        c = self.checks
        if not c.expect(os.path.isdir(folder), "%s: folder %s exists" % (what, folder)):
            return
        got = {}
        for name in os.listdir(folder):
            with open(os.path.join(folder, name), "rb") as f:
                got[name] = f.read()
        c.equal(sorted(got), sorted(wanted), "%s: files in the folder" % what)
        for name, data in wanted.items():
            if name in got:
                c.expect(got[name] == data, "%s: %s holds the photo byte for byte" % (what, name))

    @staticmethod
    def headers(entry):
        return {name.lower(): value for name, value in entry["headers"]}

    @staticmethod
    def cookies(entry):
        jar = {}
        for pair in Run.headers(entry).get("cookie", "").split(";"):
            name, sep, value = pair.strip().partition("=")
            if sep:
                jar[name] = value
        return jar

    def check_crawl(self):
        c = self.checks
        entries = self.entries_for(0)
        got = [(e["port"], e["target"]) for e in entries]
        c.equal(got, self.expected_crawl(0, 3), "crawl: requests in crawl order")

        wanted = self.expected_files(0)
        self.check_folder(os.path.join(self.build_dir, FEMALE, "22-23"), wanted, "crawl")

        photo_port = int(self.photo_host.split(":")[1])
        for e in entries:
            h = self.headers(e)
            host = self.search_host if e["port"] != photo_port else self.photo_host
            url = "http://" + host + e["target"]
            is_profile = e["target"].startswith(site_mod.PROFILE_PREFIX)
            block = WININET_HEADERS if is_profile else AUTOMATION_HEADERS
            for name, value in block + [("Referer", url)]:
                c.equal(h.get(name.lower()), value, "crawl: %s header of %s" % (name, e["target"]))

        # cookies: the page cookie on everything after page 1, the profile
        # cookie on everything after the first profile, through both clients
        first_page = entries[0]["seq"] if entries else -1
        first_profile = next((e["seq"] for e in entries
                              if e["target"].startswith(site_mod.PROFILE_PREFIX)), None)
        c.equal(self.cookies(entries[0]) if entries else None, {}, "crawl: no cookie before the first page")
        for e in entries:
            jar = self.cookies(e)
            if e["seq"] > first_page:
                c.equal(jar.get(PAGE_COOKIE[0]), PAGE_COOKIE[1],
                        "crawl: page cookie sent with %s" % e["target"])
            if first_profile is not None and e["seq"] > first_profile:
                c.equal(jar.get(PROFILE_COOKIE[0]), PROFILE_COOKIE[1],
                        "crawl: profile cookie sent with %s" % e["target"])

        labels = [row[0] for row in self.seen("label")]
        progress = {PROGRESS % (p, m, k) for p in (1, 2) for m in (1, 2, 3) for k in (1, 2, 3)}
        crawl_labels = labels[:labels.index(FINAL_LABEL) + 1] if FINAL_LABEL in labels else labels
        c.expect(crawl_labels and crawl_labels[-1] == FINAL_LABEL, "crawl: label ends in the final text")
        c.expect(all(t in progress or t in ("", FINAL_LABEL) for t in crawl_labels),
                 "crawl: label shows only progress lines: %r" % crawl_labels)

    def check_faults(self):
        c = self.checks
        entries = self.entries_for(1)
        got = [e["target"] for e in entries]
        search_port = int(self.search_host.split(":")[1])
        # profiles of unsafe ids reach the site under whatever path Wine makes of them
        wanted = [t for port, t in self.expected_crawl(1, 1)
                  if not (t.startswith(site_mod.PROFILE_PREFIX + "h"))]
        c.equal([t for t in got if not any(self.member_matches(m, t) for m in
                                           ("h1\\..\\..\\escaped", "h2:*?\"<>|\x01\x1f"))],
                wanted, "faults: requests in crawl order")
        c.expect(all(e["port"] == search_port or not e["target"].endswith("f4a.jpg") for e in entries),
                 "faults: nothing fetched for the default-picture member")
        folder = self.folder("faults")
        wanted_files = {
            "30001_1.jpg": picture("photo08.jpg"),
            "30001_5.jpg": picture("photo12.jpg"),
            "h1_.._.._escaped_1.jpg": picture("photo01.jpg"),
            "h2" + "_" * 9 + "_1.jpg": picture("photo02.jpg"),
        }
        self.check_folder(folder, wanted_files, "faults (error page, empty and cut-short bodies, unsafe ids)")
        for up in (os.path.dirname(folder), os.path.dirname(os.path.dirname(folder))):
            c.expect(not any(n.startswith("escaped") for n in os.listdir(up)),
                     "faults: no photo escaped the folder into %s" % up)

    def check_notices(self):
        c = self.checks
        notices = self.seen("notice")
        c.equal([n[2] for n in notices], [NO_GENDER, NO_PAGE_COUNT, NO_GENDER], "notices and their order")
        for n in notices:
            c.equal(n[0], NOTICE_TITLE, "notice title")
            c.equal(n[1], "main", "notice owner")
            c.equal(n[3], "0", "main window takes no input while a notice shows")
        c.equal(self.seen("nonotice"), [[]], "no third notice")
        entries = self.entries_for(2)
        c.equal([e["target"] for e in entries], [t for _, t in self.expected_crawl(2, 1)],
                "notices: no page without a page count, then one page with the last gender code")
        self.check_folder(self.folder("notices"), self.expected_files(2), "notices")

    def check_two_workers(self):
        c = self.checks
        entries = self.entries_for(3)
        wanted = sorted(t for _, t in self.expected_crawl(3, 1)) * 2
        c.equal(sorted(e["target"] for e in entries), sorted(wanted), "two clicks: each worker crawls the page")
        self.check_folder(self.folder("twice"), self.expected_files(3), "two clicks")

    def check_close(self):
        c = self.checks
        closed = self.seen("closed")
        if c.expect(closed, "window closed"):
            ms = int(closed[0][0])
            print("e2e: the program ended %d ms after the close request" % ms, flush=True)
            c.expect(ms <= CLOSE_SOON_MS, "close ends the program within %d ms (took %d)"
                     % (CLOSE_SOON_MS, ms))
        folder = self.folder("slow")
        names = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        c.equal(names, ["60001_1.jpg"], "close: only the whole photo, no partial or temporary file")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--search-host", required=True)
    parser.add_argument("--photo-host", required=True)
    args = parser.parse_args()
    started = time.monotonic()
    checks = Run(args).run()
    print("e2e: %d checks passed, %d failed, %.1f s in all"
          % (checks.passed, len(checks.failures), time.monotonic() - started))
    print("e2e: screenshots in %s" % os.path.join(os.path.abspath(args.build_dir), "e2e", "screenshots"))
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
