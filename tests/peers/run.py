#!/usr/bin/python3
# Other programs read what the card editor writes: each card of the fuzz corpus, the demo book, the store tests'
# exporter cards and the cards the store's edit tests write gets a new given name, then Debian's python3-vobject (as
# Radicale and khard call it: no quoted-printable soft breaks) and khard must still read every card they read before,
# with the new name and every other property unchanged. Every card an edit test wrote is also read as it is, beside
# the card it started from.
import glob
import os
import shutil
import subprocess
import sys
import tempfile

import vobject

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("FESTIVO_BUILD", os.path.join(ROOT, "build"))
# Long and accented, so that a quoted-printable name would need more than one line.
GIVEN = "\u00c9dith-Marguerite Anne-Sophie \u00c9l\u00e9onore"
passed = failed = 0


def check(name, ok, detail=""):
    global passed, failed
    passed += ok
    failed += not ok
    if not ok:
        print("FAILED " + name + ("\n       " + detail if detail else ""))


def read_card(path):
    """The card as vobject reads it for Radicale and khard, or None when it refuses it."""
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        text = f.read()
    try:
        return vobject.readOne(text)
    except Exception:
        return None


def properties(card):
    """Every property but the name and the version, as (name, parameters, value) in order."""
    out = []
    for line in card.lines():
        if line.name in ("N", "VERSION"):
            continue
        params = sorted((k, tuple(v)) for k, v in line.params.items() if k not in ("CHARSET", "ENCODING"))
        out.append((line.group, line.name, tuple(params), str(line.value)))
    return out


def khard_reads(folder, work):
    """The card files of a folder that khard reads (skipping those it cannot)."""
    config = os.path.join(work, "khard.conf")
    with open(config, "w") as f:
        f.write("[addressbooks]\n[[book]]\npath = %s\n[general]\neditor = true\nmerge_editor = true\n"
                "[contact table]\ndisplay = first_name\n" % folder)
    run = subprocess.run(["khard", "-c", config, "--skip-unparsable", "filename"], capture_output=True, text=True,
                         env=dict(os.environ, HOME=work), timeout=300)
    return {os.path.basename(line.strip()) for line in run.stdout.splitlines() if line.strip().endswith(".vcf")}


def store_test_cards(work):
    """The folder of the cards the store's exporter and edit tests read and write, as the tests keep them."""
    folder = os.path.join(work, "store-tests")
    os.makedirs(folder)
    env = dict(os.environ, FESTIVO_PEER_CARDS="Z:" + folder.replace("/", "\\"), WINEDEBUG="-all")
    env.setdefault("WINEPREFIX", os.path.join(BUILD, "wine-test"))
    subprocess.run(["wine", os.path.join(BUILD, "bin", "store_tests.exe"),
                    "--gtest_filter=ExporterForms.*:CardEdit.*:CardTest.*"], env=env, check=True, capture_output=True,
                   stdin=subprocess.DEVNULL, timeout=900)
    return folder


def check_written(folder, work):
    """Each card an edit test wrote is read by vobject and khard when the card it started from is; returns how many."""
    before_dir, after_dir = os.path.join(work, "written-before"), os.path.join(work, "written-after")
    os.makedirs(before_dir)
    os.makedirs(after_dir)
    pairs = 0
    for before in sorted(glob.glob(os.path.join(folder, "*.before.vcf"))):
        stem = os.path.basename(before)[:-len(".before.vcf")]
        after = os.path.join(folder, stem + ".after.vcf")
        shutil.copy(before, os.path.join(before_dir, stem + ".vcf"))
        shutil.copy(after, os.path.join(after_dir, stem + ".vcf"))
        if read_card(before) is None:
            continue
        pairs += 1
        check(stem + ": vobject reads the card the test wrote", read_card(after) is not None)
    lost = khard_reads(before_dir, work) - khard_reads(after_dir, work)
    check("khard reads every card the edit tests wrote that it read before", not lost, " ".join(sorted(lost)))
    return pairs


def main():
    out = os.path.join(BUILD, "peers")
    os.makedirs(out, exist_ok=True)
    tool = os.path.join(out, "card_edit")
    sources = glob.glob(os.path.join(ROOT, "platform", "store", "vcard", "*.cpp"))
    subprocess.run(["c++", "-std=c++17", "-O1", "-I" + ROOT, os.path.join(ROOT, "tests", "peers", "card_edit.cpp")]
                   + sources + ["-o", tool], check=True)
    books = sorted(glob.glob(os.path.join(ROOT, "tests", "fuzz", "corpus", "*.vcf"))) + [
        os.path.join(ROOT, "demo", "contacts.vcf")]
    work = tempfile.mkdtemp(prefix="festivo-peers-")
    try:
        kept = store_test_cards(work)
        written = check_written(kept, work)
        books += sorted(glob.glob(os.path.join(kept, "*.book.vcf")) + glob.glob(os.path.join(kept, "*.after.vcf")))
        read_before = read_by_khard = 0
        for book in books:
            base = os.path.splitext(os.path.basename(book))[0]
            edited = os.path.join(work, base)
            os.makedirs(edited)
            subprocess.run([tool, book, GIVEN, os.path.join(edited, "c")], check=True, capture_output=True)
            before_dir, after_dir = os.path.join(work, base + "-before"), os.path.join(work, base + "-after")
            os.makedirs(before_dir)
            os.makedirs(after_dir)
            for before in sorted(glob.glob(os.path.join(edited, "*.before.vcf"))):
                stem = os.path.basename(before)[:-len(".before.vcf")]
                after = os.path.join(edited, stem + ".after.vcf")
                shutil.copy(before, os.path.join(before_dir, stem + ".vcf"))
                shutil.copy(after, os.path.join(after_dir, stem + ".vcf"))
                old = read_card(before)
                if old is None:
                    continue
                read_before += 1
                new = read_card(after)
                name = "%s card %s" % (base, stem)
                if not check(name + ": vobject reads it after the edit", new is not None):
                    continue
                check(name + ": the given name is the new one", new.n.value.given == GIVEN, repr(new.n.value.given))
                check(name + ": the family name stays", new.n.value.family == old.n.value.family,
                      "%r -> %r" % (old.n.value.family, new.n.value.family))
                check(name + ": every other property stays", properties(old) == properties(new),
                      "%r\n       %r" % (properties(old), properties(new)))
            khard_before = khard_reads(before_dir, work)
            lost = khard_before - khard_reads(after_dir, work)
            read_by_khard += len(khard_before)
            check(base + ": khard reads every card after the edit that it read before", not lost, " ".join(sorted(lost)))
        check("vobject and khard read cards to edit", read_before > 0 and read_by_khard > 0 and written > 0)
        print("peers: vobject read %d cards before their edit, khard %d; %d cards the store tests wrote read as written"
              % (read_before, read_by_khard, written))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("peers: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
