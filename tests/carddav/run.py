#!/usr/bin/env python3
# The address book from a server end to end: Radicale, vdirsyncer with the README's configuration, store, editor, list.
import base64
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.error
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cards  # noqa: E402
import qpcard  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("FESTIVO_BUILD", os.path.join(ROOT, "build"))
USER, PASSWORD = "anna", "tulips"
BOOK = "/%s/contacts/" % USER
MKCOL = (b'<?xml version="1.0" encoding="utf-8"?><D:mkcol xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav">'
         b"<D:set><D:prop><D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
         b"<D:displayname>Contacts</D:displayname></D:prop></D:set></D:mkcol>")

results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(("ok     " if ok else "FAILED ") + name + ("" if ok or not detail else "\n       " + str(detail)))
    return ok


def note(text):
    print("note   " + text)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def stop_process(p):
    """Ends one process this suite started, by its id: asked first, forced after 10 s."""
    if p.poll() is not None:
        return
    os.kill(p.pid, signal.SIGTERM)
    try:
        p.wait(10)
    except subprocess.TimeoutExpired:
        os.kill(p.pid, signal.SIGKILL)
        p.wait()


class Radicale:
    """A Radicale server of our own: its own configuration (never the system's), storage and users in a temp folder."""

    def __init__(self, folder):
        self.folder = folder
        self.port = free_port()
        self.process = None
        with open(os.path.join(folder, "users"), "w") as f:
            f.write("%s:%s\n" % (USER, PASSWORD))
        with open(os.path.join(folder, "config"), "w") as f:
            f.write("[server]\nhosts = 127.0.0.1:%d\n[auth]\ntype = htpasswd\nhtpasswd_filename = %s/users\n"
                    "htpasswd_encryption = plain\n[rights]\ntype = owner_only\n[storage]\n"
                    "filesystem_folder = %s/collections\n[web]\ntype = none\n[logging]\nlevel = warning\n"
                    % (self.port, folder, folder))

    def start(self):
        log = open(os.path.join(self.folder, "radicale.log"), "wb")
        self.process = subprocess.Popen(["radicale", "-C", os.path.join(self.folder, "config")], stdout=log,
                                        stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        deadline = time.time() + 20
        while time.time() < deadline and self.process.poll() is None:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.5).close()
                return
            except OSError:
                time.sleep(0.1)
        raise RuntimeError("Radicale did not start; see its log:\n" + open(log.name, errors="replace").read())

    def stop(self):
        if self.process:
            stop_process(self.process)

    def url(self):
        return "http://127.0.0.1:%d/" % self.port

    def request(self, method, path, body=None, headers=None):
        r = urllib.request.Request(self.url().rstrip("/") + path, data=body, method=method)
        r.add_header("Authorization", "Basic " + base64.b64encode(("%s:%s" % (USER, PASSWORD)).encode()).decode())
        for key, value in (headers or {}).items():
            r.add_header(key, value)
        try:
            with urllib.request.urlopen(r, timeout=20) as response:
                return response.status, response.read(), response.headers
        except urllib.error.HTTPError as e:
            return e.code, e.read(), e.headers

    def put(self, uid, data, etag=None):
        headers = {"Content-Type": "text/vcard; charset=utf-8"}
        headers.update({"If-Match": etag} if etag else {"If-None-Match": "*"})
        return self.request("PUT", BOOK + uid + ".vcf", data, headers)[0]

    def get(self, uid):
        status, body, headers = self.request("GET", BOOK + uid + ".vcf")
        return (body, headers.get("ETag")) if status == 200 else (None, None)

    def all(self, uids):
        return {uid: self.get(uid)[0] for uid in uids}


class Vdirsyncer:
    """vdirsyncer with the README's configuration; its home (status, folder, set-aside copies) is a temp folder."""

    def __init__(self, home, server_url):
        self.home = home
        config = readme_config()
        for old, new in (('"https://dav.example.com/"', '"%s"' % server_url), ('"you"', '"%s"' % USER),
                         ('"your password"', '"%s"' % PASSWORD)):
            if old not in config:
                raise RuntimeError("the README's vdirsyncer configuration no longer has " + old)
            config = config.replace(old, new)
        self.config = os.path.join(home, ".config", "vdirsyncer", "config")
        os.makedirs(os.path.dirname(self.config))
        with open(self.config, "w") as f:
            f.write(config)
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
        self.env.update(HOME=home, VDIRSYNCER_CONFIG=self.config)

    def run(self, *args, answers=""):
        p = subprocess.run(["vdirsyncer"] + list(args), input=answers, capture_output=True, text=True,
                           env=self.env, timeout=60)
        return p.returncode, p.stdout + p.stderr

    def folder(self):
        return os.path.join(self.home, ".contacts", "contacts")

    def conflicts(self):
        folder = os.path.join(self.home, ".contacts-conflicts")
        return sorted(os.path.join(folder, f) for f in os.listdir(folder)) if os.path.isdir(folder) else []


def readme_config():
    text = open(os.path.join(ROOT, "README.md"), encoding="utf-8").read()
    section = text.split("## Address book from a server", 1)[1]
    return re.search(r"```ini\n(.*?)```", section, re.S).group(1)


class Windows:
    """Runs steps of carddav_tests.exe under Wine with the exchange folder and the synced folder."""

    def __init__(self, exchange, book):
        self.env = dict(os.environ, WINEDEBUG="-all", FESTIVO_CARDDAV_DIR=self.path(exchange),
                        FESTIVO_CARDDAV_BOOK=self.path(book))
        self.env.setdefault("WINEPREFIX", os.path.join(BUILD, "wine-test"))
        self.exe = os.path.join(BUILD, "bin", "carddav_tests.exe")
        self.exchange = exchange
        self.processes = []

    @staticmethod
    def path(unix):
        return "Z:" + unix.replace("/", "\\")

    def start(self, step, **env):
        extra = {"FESTIVO_CARDDAV_" + k.upper(): v for k, v in env.items()}
        p = subprocess.Popen(["wine", self.exe, "--gtest_filter=CardDav.DISABLED_" + step,
                              "--gtest_also_run_disabled_tests", "--gtest_color=no"],
                             env=dict(self.env, **extra), stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             stdin=subprocess.DEVNULL, text=True, errors="replace")
        self.processes.append(p)
        return p

    def start_paused(self, step, **env):
        """Starts a step that says ready.txt and waits for go.txt; None (and its output shown) when it never gets ready."""
        for name in ("ready.txt", "go.txt"):
            if os.path.exists(os.path.join(self.exchange, name)):
                os.remove(os.path.join(self.exchange, name))
        p = self.start(step, **env)
        deadline = time.time() + 60
        while not os.path.exists(os.path.join(self.exchange, "ready.txt")) and p.poll() is None and time.time() < deadline:
            time.sleep(0.05)
        if os.path.exists(os.path.join(self.exchange, "ready.txt")):
            return p
        print(self.finish(p, 5)[1] if p.poll() is not None else "no ready signal in 60 s")
        return None

    def go(self, p):
        write(os.path.join(self.exchange, "go.txt"), ["go"])
        return self.finish(p)

    def finish(self, p, timeout=120):
        out = p.communicate(timeout=timeout)[0]
        ok = p.returncode == 0 and "[  PASSED  ] 1 test" in out
        return ok, out

    def run(self, step, **env):
        return self.finish(self.start(step, **env))

    def stop(self):
        for p in self.processes:
            stop_process(p)


def date_text(date):
    return "%04d-%02d-%02d" % date if date else "-"


def store_rows(book):
    return ["%s\t%s\t%s" % (c.name, date_text(c.birthday), date_text(c.anniversary)) for c in book]


def list_rows(book):
    rows = []
    for c in book:
        rows += ["%s\t%s\tbirthday" % (c.name, date_text(c.birthday))] if c.birthday else []
        rows += ["%s\t%s\tanniversary" % (c.name, date_text(c.anniversary))] if c.anniversary else []
    return rows


def write(path, lines):
    with open(path, "w", encoding="utf-8") as f:
        f.write("".join(line + "\n" for line in lines))


def local_cards(folder):
    """The synced folder's cards by UID."""
    found = {}
    for name in os.listdir(folder):
        data = open(os.path.join(folder, name), "rb").read()
        uid = re.search(rb"\nUID:([^\r\n]*)", data)
        found[uid.group(1).decode() if uid else name] = data
    return found


def lines_of(data):
    return data.decode("utf-8").replace("\r\n", "\n").split("\n")


def differing_lines(before, after):
    """The lines of after that are not in before, and those of before that are gone."""
    a, b = lines_of(before), lines_of(after)
    return [line for line in b if line not in a], [line for line in a if line not in b]


def scenario(tmp):
    exchange = os.path.join(tmp, "exchange")
    for folder in ("server", "exchange", "home"):
        os.makedirs(os.path.join(tmp, folder))
    server = Radicale(os.path.join(tmp, "server"))
    started = time.time()
    sync = Vdirsyncer(os.path.join(tmp, "home"), server.url())
    windows = Windows(exchange, sync.folder())
    try:
        server.start()
        steps(server, sync, windows, exchange)
    finally:
        windows.stop()
        server.stop()
        print("carddav: suite took %.1f s" % (time.time() - started))


def steps(server, sync, windows, exchange):
    book = cards.address_book()
    by_uid = {c.uid: c for c in book}
    status = server.request("MKCOL", BOOK, MKCOL, {"Content-Type": "application/xml"})[0]
    if not check("the server creates the address book (MKCOL)", status == 201, status):
        return
    refused = {c.uid: s for c in book for s in [server.put(c.uid, c.bytes())] if s != 201}
    check("the server takes all %d cards" % len(book), not refused, refused)
    book = [c for c in book if c.uid not in refused]
    stored = server.all(by_uid)
    rewritten = [uid for uid, data in stored.items() if data and data != by_uid[uid].bytes()]
    note("the server stores %d of %d cards rewritten (property order, parameters, folding)"
         % (len(rewritten), len(book)))
    for uid, data in stored.items():
        if data and b"PHOTO" in by_uid[uid].bytes() and cards.PNG.encode() not in data.replace(b"\r\n ", b""):
            note("the server lost the picture data of %s: %s" % (uid, re.search(rb"PHOTO[^\r\n]*", data).group(0)))

    code, out = sync.run("discover", "contacts", answers="y\n" * 4)
    check("vdirsyncer discover", code == 0, out)
    code, out = sync.run("sync")
    check("vdirsyncer sync brings the address book into a folder", code == 0, out)
    local = local_cards(sync.folder()) if os.path.isdir(sync.folder()) else {}
    mismatched = [uid for uid in set(local) | set(stored)
                  if uid not in local or uid not in stored or lines_of(local[uid]) != lines_of(stored[uid])]
    check("the folder holds the server's cards line for line", not mismatched, sorted(mismatched))
    if any(b"\r\n" not in data for data in local.values()):
        note("vdirsyncer writes the cards with LF line ends (the server sends CRLF inside its XML report)")

    write(os.path.join(exchange, "contacts.txt"), store_rows(book))
    ok, out = windows.run("StoreListsTheContacts")
    check("the store lists exactly the server's contacts with their dates", ok, out)

    # Festivo's editor changes one birthday; the sync carries it to the server and nothing else.
    anna = by_uid["anna-lind-1"]
    before = local.get(anna.uid, b"")
    ok, out = windows.run("EditorChangesABirthday", name=anna.name, date="1980-03-05")
    check("the contact editor saves a new birthday into the synced folder", ok, out)
    check("the folder's card changes in that one line, byte for byte",
          local_cards(sync.folder()).get(anna.uid) == before.replace(b"date:1980-03-15", b"date:1980-03-05"))
    ada = by_uid["ada-3"]
    ok, out = windows.run("EditorChangesABirthday", name=ada.name, date="2000-12-11")
    check("the contact editor saves a year-less birthday", ok, out)
    code, out = sync.run("sync")
    check("vdirsyncer sync uploads the edited cards", code == 0 and out.count("Copying (updating)") == 2, out)
    after = server.all(by_uid)
    for uid, old, new in (("anna-lind-1", "BDAY;VALUE=date:1980-03-15", "BDAY;VALUE=date:1980-03-05"),
                          ("ada-3", "BDAY:--1210", "BDAY:--1211")):
        added, gone = differing_lines(stored[uid], after[uid] or b"")
        check("the server's card %s has the new birthday and every other line unchanged" % uid,
              added == [new] and gone == [old], (added, gone))
    others = [uid for uid in by_uid if uid not in ("anna-lind-1", "ada-3") and after[uid] != stored[uid]]
    check("every other card on the server is byte for byte unchanged", not others, others)
    anna.birthday, ada.birthday = (1980, 3, 5), (cards.YEARLESS, 12, 11)

    follow(server, sync, windows, exchange, book, by_uid)
    merge_during_edit(server, sync, windows, exchange, by_uid)
    conflict(server, sync, windows, exchange, book, by_uid)
    qpcard.edited_qp_card(server, sync, windows, check)


def follow(server, sync, windows, exchange, book, by_uid):
    """A card changed, one added and one deleted on the server reach a running main program without a restart."""
    yuki = by_uid["yuki-19"]
    program = windows.start_paused("MainListFollowsTheFolder", name=yuki.name)
    if not check("the main program starts on the synced folder", program):
        return
    data, etag = server.get(yuki.uid)
    changed = server.put(yuki.uid, data.replace(b"BDAY:1998-07-07", b"BDAY:1998-01-02"), etag)
    zoe = cards.v4("zoe-21", "Zoë Lefèvre", "Lefèvre", "Zoë", ["BDAY:2001-03-03"], (2001, 3, 3))
    added = server.put(zoe.uid, zoe.bytes())
    deleted = server.request("DELETE", BOOK + "liam-14.vcf", headers={"If-Match": server.get("liam-14")[1]})[0]
    check("the server takes a change, a new card and a deletion", changed in (201, 204) and (added, deleted) == (201, 200),
          (changed, added, deleted))
    yuki.birthday = (1998, 1, 2)
    book.append(zoe)
    by_uid[zoe.uid] = zoe
    book.remove(by_uid.pop("liam-14"))
    code, out = sync.run("sync")
    check("vdirsyncer sync brings the three changes into the folder", code == 0, out)
    write(os.path.join(exchange, "rows.txt"), list_rows(book))
    folder = sync.folder()
    written = max([os.stat(folder).st_mtime_ns] + [os.stat(os.path.join(folder, f)).st_mtime_ns
                                                   for f in os.listdir(folder)]) // 1000000
    ok, out = windows.go(program)
    changed = re.search(r"list last changed at (\d+)", out)
    check("a running main program's list follows within 2 s and keeps the selected contact", ok, out)
    if changed:
        note("the list showed the sync's last change %d ms after it was written" % (int(changed.group(1)) - written))


def merge_during_edit(server, sync, windows, exchange, by_uid):
    """A sync that lands while Festivo's editor has the card open: saving keeps both changes, and the next sync
    brings Festivo's to the server without undoing the server's."""
    grete = by_uid["grete-15"]
    program = windows.start_paused("EditorChangesABirthday", name=grete.name, date="1950-10-11", pause="1")
    if not check("the contact editor opens a card", program):
        return
    data, etag = server.get(grete.uid)
    theirs = data.replace(b"CATEGORIES:Family", b"CATEGORIES:Family,Friends")
    check("the server takes a change of another field", server.put(grete.uid, theirs, etag) in (201, 204))
    theirs = server.get(grete.uid)[0]
    code, out = sync.run("sync")
    check("vdirsyncer sync brings it into the folder while the editor is open", code == 0, out)
    synced = local_cards(sync.folder())[grete.uid]
    ok, out = windows.go(program)
    check("saving merges the editor's change into the synced card without a warning", ok, out)
    check("the merged card is the synced one with the new birthday, byte for byte",
          local_cards(sync.folder())[grete.uid] == synced.replace(b"BDAY:1950-10-10", b"BDAY:1950-10-11"))
    code, out = sync.run("sync")
    added, gone = differing_lines(theirs, server.get(grete.uid)[0] or b"")
    check("the server's card then has both changes and every other line unchanged",
          code == 0 and added == ["BDAY:1950-10-11"] and gone == ["BDAY:1950-10-10"], (added, gone, out))
    grete.birthday = (1950, 10, 11)


def conflict(server, sync, windows, exchange, book, by_uid):
    """The same card changed in Festivo and on the server between two syncs: the server's copy wins, Festivo's is
    set aside in the conflicts folder and vdirsyncer says where; nothing is lost silently."""
    pedro = by_uid["pedro-17"]
    before = local_cards(sync.folder())[pedro.uid]
    ok, out = windows.run("EditorChangesABirthday", name=pedro.name, date="1983-04-26")
    check("the contact editor saves a birthday of a card changed on the server too", ok, out)
    ours = local_cards(sync.folder())[pedro.uid]
    check("the folder's card changes in that one line", ours == before.replace(b"BDAY:1983-04-25", b"BDAY:1983-04-26"))
    data, etag = server.get(pedro.uid)
    theirs = data.replace(b"BDAY:1983-04-25", b"BDAY:1983-05-25").replace(b"N:G", b"NICKNAME:Perico\r\nN:G")
    check("the server takes the other change", server.put(pedro.uid, theirs, etag) in (201, 204))
    theirs = server.get(pedro.uid)[0]
    code, out = sync.run("sync")
    check("vdirsyncer sync resolves the conflict and says where Festivo's copy went",
          code == 0 and "yours is in" in out, out)
    check("the server keeps its own copy", server.get(pedro.uid)[0] == theirs)
    check("the folder gets the server's copy (line ends aside)",
          lines_of(local_cards(sync.folder())[pedro.uid]) == lines_of(theirs))
    kept = sync.conflicts()
    check("Festivo's copy is set aside byte for byte", [open(k, "rb").read() for k in kept] == [ours], kept)
    pedro.birthday = (1983, 5, 25)
    write(os.path.join(exchange, "contacts.txt"), store_rows(book))
    ok, out = windows.run("StoreListsTheContacts")
    check("the store lists the server's version", ok, out)
    code, out = sync.run("sync")
    check("the next sync has nothing left to do", code == 0 and "Copying" not in out, out)


def main():
    for tool in ("radicale", "vdirsyncer", "wine"):
        if not shutil.which(tool):
            print("carddav: %s is missing (tools/deps.sh installs it)" % tool)
            return 1
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    tmp = tempfile.mkdtemp(prefix="festivo-carddav-")
    try:
        scenario(tmp)
    except Exception as e:  # a broken step still ends with the summary and the clean-up
        check("the suite ran to its end", False, "".join(traceback.format_exception(e)))
    finally:
        if os.environ.get("FESTIVO_CARDDAV_KEEP"):
            print("carddav: kept " + tmp)
        else:
            shutil.rmtree(tmp, ignore_errors=True)
    failed = results.count(False)
    print("carddav: %d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
