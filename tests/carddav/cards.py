# The address book the server starts with: vCard 3.0 and 4.0 cards as phones and desktop programs write them.
PNG = ("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==")

YEARLESS = 1604  # the year the store reports for a date without one


class Card:
    """One card: its text and what the store should make of it (name, birthday, anniversary as (y, m, d))."""

    def __init__(self, uid, version, lines, name, birthday=None, anniversary=None):
        self.uid = uid
        self.name = name
        self.birthday = birthday
        self.anniversary = anniversary
        self.text = "BEGIN:VCARD\r\nVERSION:%s\r\n%sUID:%s\r\nEND:VCARD\r\n" % (
            version, "".join(line + "\r\n" for line in lines), uid)

    def bytes(self):
        return self.text.encode("utf-8")


def v3(uid, name, family, given, extra, birthday=None, anniversary=None):
    lines = ["PRODID:-//Phone vendor//Contacts 7.1//EN", "N:%s;%s;;;" % (family, given), "FN:" + name] + extra
    return Card(uid, "3.0", lines, name, birthday, anniversary)


def v4(uid, name, family, given, extra, birthday=None, anniversary=None):
    lines = ["PRODID:-//Mail provider//Webmail 2.4//EN", "N:%s;%s;;;" % (family, given), "FN:" + name,
             "KIND:individual"] + extra
    return Card(uid, "4.0", lines, name, birthday, anniversary)


def address_book():
    return [
        v3("anna-lind-1", "Anna Lind", "Lind", "Anna",
           ["item1.TEL;type=CELL;type=pref:+46 70 123 45 67", "item1.X-ABLABEL:mobile", "BDAY;VALUE=date:1980-03-15",
            "PHOTO;ENCODING=b;TYPE=PNG:" + PNG[:60], " " + PNG[60:],
            "NOTE:Likes tulips\\, not roses"], (1980, 3, 15)),
        v3("olof-berg-2", "Olof Berg", "Berg", "Olof", ["BDAY:19700101", "EMAIL;TYPE=INTERNET:olof@example.org"],
           (1970, 1, 1)),
        v4("ada-3", "Ada Lovelace", "Lovelace", "Ada", ["BDAY:--1210", "TEL;TYPE=cell:+44 20 7946 0000"],
           (YEARLESS, 12, 10)),
        v3("bjorn-4", "Björn Ström", "Ström", "Björn", ["BDAY;X-APPLE-OMIT-YEAR=1604:1604-07-09"], (YEARLESS, 7, 9)),
        v3("carla-5", "Carla Rossi", "Rossi", "Carla",
           ["BDAY:1975-05-20", "X-ANNIVERSARY:2001-06-09", "TEL;TYPE=HOME,VOICE:+39 06 555 0101"],
           (1975, 5, 20), (2001, 6, 9)),
        v4("marco-6", "Marco Rossi", "Rossi", "Marco", ["BDAY:19730811", "ANNIVERSARY:20010609"],
           (1973, 8, 11), (2001, 6, 9)),
        v4("wang-7", "王小明", "王", "小明", ["BDAY:1990-02-14", "TEL;VALUE=uri;TYPE=cell:tel:+86-10-5555-0100"],
           (1990, 2, 14)),
        v3("eleni-8", "Ελένη Παπαδοπούλου", "Παπαδοπούλου", "Ελένη", ["BDAY:1988-09-30"], (1988, 9, 30)),
        v4("ivan-9", "Иван Петров", "Петров", "Иван",
           ["BDAY:19850412", "PHOTO:data:image/png;base64," + PNG, "ANNIVERSARY:--0704"],
           (1985, 4, 12), (YEARLESS, 7, 4)),
        v3("hana-10", "佐藤 花子", "佐藤", "花子", ["BDAY:1992-11-03", "X-PHONETIC-LAST-NAME:サトウ"], (1992, 11, 3)),
        v4("minjun-11", "김민준", "김", "민준", ["BDAY:2000-02-29"], (2000, 2, 29)),
        v3("omar-12", "عمر الفاروق", "الفاروق", "عمر", ["BDAY:1979-06-01"], (1979, 6, 1)),
        v3("noemi-13", "Noémi Kovács", "Kovács", "Noémi", ["ORG:Kovács és Társa Kft.", "TITLE:Igazgató"]),
        v4("liam-14", "Liam O'Neill", "O'Neill", "Liam", ["BDAY:1966-01-31", "EMAIL:liam@example.ie"],
           (1966, 1, 31)),
        v3("grete-15", "Grete Müller", "Müller", "Grete",
           ["BDAY:1950-10-10", "X-EVOLUTION-ANNIVERSARY:1972-05-05", "CATEGORIES:Family"],
           (1950, 10, 10), (1972, 5, 5)),
        v4("sven-16", "Sven Åberg", "Åberg", "Sven", ["BDAY:--0101"], (YEARLESS, 1, 1)),
        v3("pedro-17", "Pedro Gómez", "Gómez", "Pedro",
           ["BDAY:1983-04-25", "ADR;TYPE=HOME:;;Calle Mayor 1;Madrid;;28013;España"], (1983, 4, 25)),
        v4("amara-18", "Amara Nwosu", "Nwosu", "Amara", ["BDAY:1995-12-24T00:00:00Z"], (1995, 12, 24)),
        v3("yuki-19", "Yuki Tanaka", "Tanaka", "Yuki", ["BDAY:1998-07-07", "NICKNAME:Tanabata"], (1998, 7, 7)),
        v4("priya-20", "प्रिया शर्मा", "शर्मा", "प्रिया", ["BDAY:1991-08-15", "LANG:hi"], (1991, 8, 15)),
    ]
