#!/usr/bin/env python3
"""A scripted stand-in for the member site, served on 127.0.0.1.

Two listeners: the search host answers the member search and the profile
pages, the photo host answers the photos and the default picture. What they
serve comes from a catalogue (a dict, or a JSON file for the demo):

    {"queries": [{"gender": "1", "agebegin": "22", "ageend": "23",
                  "pages": [[member id, ...], ...],
                  "cookies": {"1": "name=value; path=/"}}],
     "any_query": {"pages": [...]},              # optional: answers every other query
     "members": {"<id>": {"default": false,
                          "photos": [{"name": "a.jpg", "file": "photo01.jpg",
                                      "kind": "ok"}],
                          "cookie": "name=value; domain=0.1; path=/",
                          "match": "regex on the request path"}}}

Photo kinds: "ok" (the file's bytes), "html404" (an HTML error page with
status 404), "empty" (status 200 and no body), "short" (a Content-Length
larger than what is sent, then the connection closes) and "slow" (half the
bytes, then the answer stalls until the site stops or a time-out passes).

Hostile kinds, for photos and (as "kind" of a member or of a result page)
for the pages too: "junk" (status 200, image/jpeg, bytes that are no image),
"reset" (the whole Content-Length announced, half the body, then a TCP
reset), "resetclose" (no Content-Length, the body ends with the connection,
half of it, then a reset), "silent" (the request is read and never answered
until the site stops or SILENT_STALL_S passes) and "loop" (a 302 back to the
same address, until LOOP_LIMIT answers for that address, then a 404).

A "stall" (seconds) on the item shortens a silent answer. A photo with
"cut" is listed without the marker that ends its link.
A photo may hold "size" instead of "file": that many bytes of a generated
JPEG-like body (see generated_photo). A photo's "url" replaces its address
on the profile page, for links to other hosts or to a port nobody serves.
A result page is a list of member ids, or {"ids": [...], "kind": ...,
"pad": bytes of filler spread between the rows, "tail": bytes (as a
latin-1 string) appended raw after the page}. A member's "tail" is appended
raw after its profile page the same way.

Every request is logged in arrival order with its raw header lines, so a test
can check crawl order, headers and cookies. The site stops by itself after
its deadline, and whenever its owner calls stop().
"""

import argparse
import json
import os
import re
import socket
import struct
import sys
import threading
import time
import urllib.parse

SEARCH_PATH = "/search/getfastmdata.jsps"
PROFILE_PREFIX = "/u/"
PHOTO_PREFIX = "/photos/"
DEFAULT_PICTURE_PATH = "/images/personal/default12.jpg"
PROFILE_LEFT = 'search_user_pic">\r\n        <a href="'
PROFILE_RIGHT = '" target="_blank">'
PHOTO_LEFT = '<img data-big-img="'
PHOTO_RIGHT = '" data-mid-img="'
SITE_ENCODING = "gbk"
REQUEST_TIMEOUT_S = 10
SLOW_STALL_S = 30
SLOW_MARKER = "slow-photo-started"
SILENT_STALL_S = 120
LOOP_LIMIT = 60
FILLER = "会员资料 最近登录 "

PHOTO_OK = "ok"
PHOTO_HTML_404 = "html404"
PHOTO_EMPTY = "empty"
PHOTO_SHORT = "short"
PHOTO_SLOW = "slow"
KIND_JUNK = "junk"
KIND_RESET = "reset"
KIND_RESET_CLOSE = "resetclose"
KIND_SILENT = "silent"
KIND_LOOP = "loop"
JUNK_BODY = b"GIF7a is no image signature; this body is plain text.\r\n" * 4

ERROR_PAGE = ("<html><head><title>404 Not Found</title></head>"
              "<body><h1>404 Not Found</h1><p>没有这张照片</p></body></html>")


def profile_url(search_host, member_id):
    return "http://" + search_host + PROFILE_PREFIX + member_id


def photo_url(photo_host, name):
    return "http://" + photo_host + PHOTO_PREFIX + name


def default_picture_url(photo_host):
    return "http://" + photo_host + DEFAULT_PICTURE_PATH


def generated_photo(size):
    """size bytes that start like a JPEG file and differ from one offset to
    the next, so a shifted or cut copy never compares equal."""
    head = b"\xff\xd8\xff\xe0\x00\x10JFIF\x00"
    block = bytes(range(256)) * 4096
    body = bytearray(head)
    counter = 0
    while len(body) < size:
        body += counter.to_bytes(4, "big") + block[: 65532]
        counter += 1
    return bytes(body[:size])


def result_page(search_host, member_ids, page, pad=0):
    rows = []
    filler = ""
    if pad and member_ids:
        each = pad // len(member_ids)
        unit = FILLER.encode(SITE_ENCODING)
        filler = "<p>" + FILLER * (each // len(unit) + 1) + "</p>"
    for member_id in member_ids:
        rows.append('  <li>\r\n    <div class="search_user_pic">\r\n        <a href="'
                    + (member_id if member_id.startswith("http://") else profile_url(search_host, member_id))
                    + PROFILE_RIGHT
                    + '<img src="/pic/small.gif"></a>\r\n    </div>' + filler + '\r\n  </li>')
    if not rows:
        rows.append("  <li>没有更多的会员了</li>")
    return ('<html><head><meta charset="gbk"><title>搜索结果 第%d页</title></head>\r\n'
            '<body><ul class="search_list">\r\n%s\r\n</ul></body></html>\r\n'
            % (page, "\r\n".join(rows)))


def profile_page(photo_host, member_id, member):
    parts = ['<html><head><meta charset="gbk"><title>会员 %s</title></head><body>'
             % member_id]
    if member.get("default"):
        parts.append('<div class="head"><img src="%s"></div>'
                     % default_picture_url(photo_host))
    for photo in member.get("photos", []):
        url = photo.get("url") or photo_url(photo_host, photo["name"])
        if photo.get("cut"):  # the large-photo link without the marker that ends it
            parts.append('<li>\r\n  <img data-big-img="%s" src="%s">\r\n</li>' % (url, url))
            continue
        parts.append('<li>\r\n  <img data-big-img="%s" data-mid-img="%s" src="%s">\r\n</li>'
                     % (url, url, url))
    parts.append("</body></html>\r\n")
    return "\r\n".join(parts)


class Site:
    def __init__(self, catalogue, search_port, photo_port, picture_dir,
                 deadline_s=300, marker_dir=None):
        self.catalogue = catalogue
        self.search_host = "127.0.0.1:%d" % search_port
        self.photo_host = "127.0.0.1:%d" % photo_port
        self.picture_dir = picture_dir
        self.marker_dir = marker_dir
        self.deadline = time.monotonic() + deadline_s
        self.stopping = threading.Event()
        self.lock = threading.Lock()
        self.log = []
        self.served = {}
        self.loops = {}
        self.generated = {}
        self.photos = {}
        for member in catalogue.get("members", {}).values():
            for photo in member.get("photos", []):
                self.photos.setdefault(photo["name"], photo)
        self.listeners = [self._listen(search_port, self._serve_search),
                          self._listen(photo_port, self._serve_photo)]

    # -- life cycle -------------------------------------------------------

    def _listen(self, port, handler):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind(("127.0.0.1", port))
        sock.listen(16)
        sock.settimeout(0.2)
        thread = threading.Thread(target=self._accept_loop, args=(sock, handler), daemon=True)
        thread.start()
        return sock

    def _accept_loop(self, sock, handler):
        while not self.stopping.is_set() and time.monotonic() < self.deadline:
            try:
                conn, _ = sock.accept()
            except socket.timeout:
                continue
            except OSError:
                break
            threading.Thread(target=self._connection, args=(conn, handler), daemon=True).start()
        self.stopping.set()
        sock.close()

    def stop(self):
        self.stopping.set()

    def requests(self):
        with self.lock:
            return list(self.log)

    def clear_log(self):
        with self.lock:
            self.log.clear()

    # -- one connection ----------------------------------------------------

    def _connection(self, conn, handler):
        conn.settimeout(REQUEST_TIMEOUT_S)
        buffered = b""
        try:
            while not self.stopping.is_set():
                while b"\r\n\r\n" not in buffered:
                    chunk = conn.recv(65536)
                    if not chunk:
                        return
                    buffered += chunk
                head, buffered = buffered.split(b"\r\n\r\n", 1)
                lines = head.decode("latin-1").split("\r\n")
                method, target, _ = (lines[0].split(" ", 2) + ["", ""])[:3]
                headers = []
                for line in lines[1:]:
                    name, _, value = line.partition(":")
                    headers.append((name, value.strip()))
                length = int(dict((n.lower(), v) for n, v in headers).get("content-length", "0") or 0)
                while len(buffered) < length:
                    chunk = conn.recv(65536)
                    if not chunk:
                        return
                    buffered += chunk
                buffered = buffered[length:]
                entry = {"port": conn.getsockname()[1], "method": method, "target": target,
                         "headers": headers, "time": time.monotonic()}
                with self.lock:
                    entry["seq"] = len(self.log)
                    self.log.append(entry)
                keep = handler(conn, entry)
                entry["done"] = time.monotonic()  # the answer is handed to the kernel
                if not keep:
                    return
        except OSError:
            pass
        finally:
            conn.close()

    def _answer(self, conn, status, body, content_type, extra=(), keep_alive=True):
        lines = ["HTTP/1.1 %s" % status, "Content-Type: " + content_type,
                 "Content-Length: %d" % len(body)]
        lines += list(extra)
        lines.append("Connection: " + ("keep-alive" if keep_alive else "close"))
        conn.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body)
        return keep_alive

    def _html(self, conn, text, cookie=None, status="200 OK", tail=""):
        extra = ["Set-Cookie: " + cookie] if cookie else []
        return self._answer(conn, status, text.encode(SITE_ENCODING) + tail.encode("latin-1"),
                            "text/html; charset=gbk", extra)

    # -- hostile answers ----------------------------------------------------

    def _hostile(self, conn, entry, kind, body, content_type, stall=SILENT_STALL_S):
        """Answers with one of the hostile kinds; None when kind is none of them.
        A silent answer stalls for `stall` seconds, then the connection closes."""
        if kind == KIND_JUNK:
            return self._answer(conn, "200 OK", JUNK_BODY, content_type)
        if kind in (KIND_RESET, KIND_RESET_CLOSE):
            head = "HTTP/1.1 200 OK\r\nContent-Type: %s\r\n" % content_type
            if kind == KIND_RESET:
                head += "Content-Length: %d\r\n" % len(body)
            head += "Connection: close\r\n\r\n"
            conn.sendall(head.encode("latin-1") + body[: len(body) // 2])
            time.sleep(0.2)  # let the half body leave before the reset
            # SO_LINGER with a zero time-out turns the close into a reset.
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            return False
        if kind == KIND_SILENT:
            self.stopping.wait(stall)
            return False
        if kind == KIND_LOOP:
            target = entry["target"]
            with self.lock:
                self.loops[target] = self.loops.get(target, 0) + 1
                count = self.loops[target]
            if count > LOOP_LIMIT:
                return self._html(conn, ERROR_PAGE, status="404 Not Found")
            host = self.search_host if entry["port"] == int(self.search_host.split(":")[1]) else self.photo_host
            return self._answer(conn, "302 Found", b"", "text/html",
                                ["Location: http://%s%s" % (host, target)])
        return None

    def loop_count(self, target):
        with self.lock:
            return self.loops.get(target, 0)

    # -- search host: result pages and profiles ----------------------------

    def _query(self, params):
        for query in self.catalogue.get("queries", []):
            if all(params.get(key, [""])[0] == query[key]
                   for key in ("gender", "agebegin", "ageend")):
                return query
        return self.catalogue.get("any_query")

    def _member_for(self, path):
        members = self.catalogue.get("members", {})
        wanted = urllib.parse.unquote(path[len(PROFILE_PREFIX):]) if path.startswith(PROFILE_PREFIX) else None
        if wanted in members:
            return wanted, members[wanted]
        for member_id, member in members.items():
            if member.get("match") and re.search(member["match"], urllib.parse.unquote(path)):
                return member_id, member
        return None, None

    def _serve_search(self, conn, entry):
        target = entry["target"]
        path, _, query = target.partition("?")
        if path == SEARCH_PATH:
            params = urllib.parse.parse_qs(query, keep_blank_values=True)
            page = int((params.get("currentpage") or ["1"])[0] or 1)
            found = self._query(params)
            pages = found["pages"] if found else []
            listed = pages[page - 1] if 1 <= page <= len(pages) else []
            shape = listed if isinstance(listed, dict) else {"ids": listed}
            cookie = (found or {}).get("cookies", {}).get(str(page))
            text = result_page(self.search_host, shape.get("ids", []), page, shape.get("pad", 0))
            answered = self._hostile(conn, entry, shape.get("kind"), text.encode(SITE_ENCODING),
                                     "text/html; charset=gbk", shape.get("stall", SILENT_STALL_S))
            if answered is not None:
                return answered
            return self._html(conn, text, cookie, tail=shape.get("tail", ""))
        member_id, member = self._member_for(target)
        if member is None:
            return self._html(conn, ERROR_PAGE, status="404 Not Found")
        text = profile_page(self.photo_host, member_id, member)
        answered = self._hostile(conn, entry, member.get("kind"), text.encode(SITE_ENCODING),
                                 "text/html; charset=gbk", member.get("stall", SILENT_STALL_S))
        if answered is not None:
            return answered
        return self._html(conn, text, member.get("cookie"), tail=member.get("tail", ""))

    # -- photo host --------------------------------------------------------

    def _photo(self, name):
        return self.photos.get(name)

    def photo_bytes(self, photo):
        if "size" in photo:
            size = photo["size"]
            with self.lock:
                if size not in self.generated:
                    self.generated[size] = generated_photo(size)
                return self.generated[size]
        if "file" not in photo:
            return b""
        with open(os.path.join(self.picture_dir, photo["file"]), "rb") as f:
            return f.read()

    def _serve_photo(self, conn, entry):
        path = entry["target"].partition("?")[0]
        if path == DEFAULT_PICTURE_PATH:
            return self._answer(conn, "200 OK", self.photo_bytes({"file": "photo01.jpg"}), "image/jpeg")
        photo = self._photo(urllib.parse.unquote(path[len(PHOTO_PREFIX):])) if path.startswith(PHOTO_PREFIX) else None
        if photo is None:
            return self._html(conn, ERROR_PAGE, status="404 Not Found")
        kind = photo.get("kind", PHOTO_OK)
        if kind == PHOTO_HTML_404:
            return self._html(conn, ERROR_PAGE, status="404 Not Found")
        if kind == PHOTO_EMPTY:
            return self._answer(conn, "200 OK", b"", "image/jpeg")
        data = self.photo_bytes(photo) if kind != KIND_JUNK else b""
        answered = self._hostile(conn, entry, kind, data, "image/jpeg", photo.get("stall", SILENT_STALL_S))
        if answered is not None:
            return answered
        if kind == PHOTO_SHORT:
            head = ("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: %d\r\n"
                    "Connection: close\r\n\r\n" % (len(data) + 5000))
            conn.sendall(head.encode("latin-1") + data[: len(data) // 2])
            return False
        if kind == PHOTO_SLOW:
            head = ("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: %d\r\n"
                    "Connection: close\r\n\r\n" % len(data))
            conn.sendall(head.encode("latin-1") + data[: len(data) // 2])
            if self.marker_dir:
                open(os.path.join(self.marker_dir, SLOW_MARKER), "w").close()
            self.stopping.wait(SLOW_STALL_S)
            return False
        keep = self._answer(conn, "200 OK", data, "image/jpeg")
        self._mark_served(photo["name"])
        return keep

    def _mark_served(self, name):
        """Leaves <name>.<n> in the marker folder once the photo went out n times."""
        if not self.marker_dir:
            return
        with self.lock:
            self.served[name] = self.served.get(name, 0) + 1
            count = self.served[name]
        open(os.path.join(self.marker_dir, "%s.%d" % (name, count)), "w").close()


def main():
    parser = argparse.ArgumentParser(description="Serves a sample member site on 127.0.0.1.")
    parser.add_argument("catalogue", help="JSON catalogue of queries and members")
    parser.add_argument("--search-port", type=int, required=True)
    parser.add_argument("--photo-port", type=int, required=True)
    parser.add_argument("--pictures", required=True, help="folder of the photo files")
    parser.add_argument("--deadline", type=int, default=900, help="seconds before the site stops")
    parser.add_argument("--log", help="append one JSON line per request to this file")
    args = parser.parse_args()
    with open(args.catalogue, encoding="utf-8") as f:
        catalogue = json.load(f)
    site = Site(catalogue, args.search_port, args.photo_port, args.pictures, args.deadline)
    print("site: serving on http://%s and http://%s" % (site.search_host, site.photo_host), flush=True)
    written = 0
    try:
        while not site.stopping.is_set():
            time.sleep(0.2)
            if args.log:
                entries = site.requests()
                with open(args.log, "a", encoding="utf-8") as f:
                    for entry in entries[written:]:
                        f.write(json.dumps(entry) + "\n")
                written = len(entries)
    except KeyboardInterrupt:
        pass
    site.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
