#!/usr/bin/python3
# The birthdays calendar end to end: written from an address book under Wine, read by python3-icalendar, put on a
# Radicale server by vdirsyncer with the README's configuration and served back with every event and alarm.
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run  # noqa: E402  (the server, the check lines and the clean-up of the address book round trip)

from icalendar import Calendar  # noqa: E402

CALENDAR = "/%s/birthdays/" % run.USER
MKCALENDAR = (b'<?xml version="1.0" encoding="utf-8"?><C:mkcalendar xmlns:D="DAV:" '
              b'xmlns:C="urn:ietf:params:xml:ns:caldav"><D:set><D:prop><D:displayname>Birthdays</D:displayname>'
              b"</D:prop></D:set></C:mkcalendar>")
CARD = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%s\r\nFN:%s\r\n%sEND:VCARD\r\n"
# UID, name, further lines; what the calendar holds of each: (SUMMARY, DTSTART, RRULE's BYMONTHDAY or None).
BOOK = [
    ("maja", "Maja Lindqvist", "BDAY:1984-03-11\r\nANNIVERSARY:2012-08-04\r\n"),
    ("lena", "Lena, Leap; Day", "BDAY:1988-02-29\r\n"),
    ("yui", "田中 結衣", "BDAY:--1231\r\n"),
]
EXPECTED = {
    ("Maja Lindqvist (birthday)", "19840311", None),
    ("Maja Lindqvist (anniversary)", "20120804", None),
    ("Lena, Leap; Day (birthday)", "19880229", (-1,)),
    ("田中 結衣 (birthday)", "20001231", None),
}
TRIGGERS = ["PT9H", "-P6DT15H"]  # on the day at 09:00 and seven days ahead


def readme_config():
    text = open(os.path.join(run.ROOT, "README.md"), encoding="utf-8").read()
    section = text.split("## Reminders", 1)[1]
    return re.search(r"```ini\n(.*?)```", section, re.S).group(1)


def write_book(path, cards):
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("".join(CARD % card for card in cards))


def write_calendar(book, ics):
    env = dict(os.environ, WINEDEBUG="-all")
    env.setdefault("WINEPREFIX", os.path.join(run.BUILD, "wine-test"))
    p = subprocess.run(["wine", os.path.join(run.BUILD, "bin", "calendar_writer.exe"), run.Windows.path(book),
                        run.Windows.path(ics)], env=env, capture_output=True, text=True, timeout=120,
                       stdin=subprocess.DEVNULL)
    return p.stdout.strip() + p.stderr.strip()


def events(data):
    """Every VEVENT of a calendar: UID to (SUMMARY, DTSTART, BYMONTHDAY, alarm triggers)."""
    found = {}
    for event in Calendar.from_ical(data).walk("VEVENT"):
        rule = event.get("RRULE")
        if rule is None or rule.get("FREQ") != ["YEARLY"]:
            continue
        triggers = [alarm.get("TRIGGER").to_ical().decode() for alarm in event.walk("VALARM")]
        bymonthday = tuple(rule["BYMONTHDAY"]) if "BYMONTHDAY" in rule else None
        found[str(event["UID"])] = (str(event["SUMMARY"]), event.decoded("DTSTART").strftime("%Y%m%d"), bymonthday,
                                    triggers)
    return found


def shapes(found):
    return {(summary, start, bymonthday) for summary, start, bymonthday, _ in found.values()}


def served(server):
    status, body, _ = server.request("GET", CALENDAR)
    return events(body) if status == 200 else {}


def scenario(tmp):
    for folder in ("server", "home", "book"):
        os.makedirs(os.path.join(tmp, folder))
    book = os.path.join(tmp, "book", "contacts.vcf")
    ics = os.path.join(tmp, "book", "birthdays.ics")
    write_book(book, BOOK)
    said = write_calendar(book, ics)
    if not run.check("the calendar is written from the address book", said == "written" and os.path.exists(ics), said):
        return
    data = open(ics, "rb").read()
    mine = events(data)
    run.check("python3-icalendar reads one yearly all-day event per date", shapes(mine) == EXPECTED, mine)
    run.check("each event has an alarm on the day and one a week ahead",
              all(triggers == TRIGGERS for *_, triggers in mine.values()), mine)
    run.check("no line is longer than 75 octets", all(len(line) <= 75 for line in data.split(b"\r\n")))
    run.check("a second run leaves the file as it is", write_calendar(book, ics) == "unchanged" and
              open(ics, "rb").read() == data)

    server = run.Radicale(os.path.join(tmp, "server"))
    home = os.path.join(tmp, "home")
    config = readme_config()
    for old, new in (('"https://dav.example.com/you/birthdays/"', '"%s"' % (server.url().rstrip("/") + CALENDAR)),
                     ('"you"', '"%s"' % run.USER), ('"your password"', '"%s"' % run.PASSWORD),
                     ('"~/.wine/drive_c/users/you/AppData/Local/Festivo/birthdays.ics"', '"%s"' % ics)):
        if old not in config:
            raise RuntimeError("the README's calendar configuration no longer has " + old)
        config = config.replace(old, new)
    os.makedirs(os.path.join(home, ".config", "vdirsyncer"))
    path = os.path.join(home, ".config", "vdirsyncer", "config")
    with open(path, "w") as f:
        f.write(config)
    env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
    env.update(HOME=home, VDIRSYNCER_CONFIG=path)

    def vdirsyncer(*args):
        p = subprocess.run(["vdirsyncer"] + list(args), capture_output=True, text=True, env=env, timeout=60,
                           stdin=subprocess.DEVNULL)
        return p.returncode, p.stdout + p.stderr

    try:
        server.start()
        status = server.request("MKCALENDAR", CALENDAR, MKCALENDAR, {"Content-Type": "application/xml"})[0]
        run.check("the server has a birthdays calendar", status == 201, status)
        code, out = vdirsyncer("discover", "birthdays")
        if code == 0:
            code, out = vdirsyncer("sync")
        run.check("vdirsyncer puts the calendar on the server", code == 0, out)
        on_server = served(server)
        run.check("the server serves every event with its alarms", on_server == mine, on_server)

        # A contact edited elsewhere than its dates keeps its event; one removed takes its event along.
        write_book(book, [(BOOK[0][0], BOOK[0][1], BOOK[0][2] + "TEL:+46 8 123 45\r\n"), BOOK[1]])
        said = write_calendar(book, ics)
        after = events(open(ics, "rb").read())
        run.check("removing a contact rewrites the calendar without it, the others' UIDs kept",
                  said == "written" and len(after) == 3 and all(mine.get(uid) == event for uid, event in after.items()),
                  (said, after))
        code, out = vdirsyncer("sync")
        run.check("the next sync removes that event from the server", code == 0 and served(server) == after, out)
        code, out = vdirsyncer("sync")
        run.check("a further sync has nothing to do", code == 0 and "Copying" not in out and "Deleting" not in out,
                  out)
    finally:
        server.stop()


def main():
    for tool in ("radicale", "vdirsyncer", "wine"):
        if not shutil.which(tool):
            print("birthdays calendar: %s is missing (tools/deps.sh installs it)" % tool)
            return 1
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    tmp = tempfile.mkdtemp(prefix="festivo-calendar-")
    try:
        scenario(tmp)
    except Exception as e:  # a broken step still ends with the summary and the clean-up
        run.check("the calendar round trip ran to its end", False, "".join(traceback.format_exception(e)))
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    failed = run.results.count(False)
    print("birthdays calendar: %d passed, %d failed" % (len(run.results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
