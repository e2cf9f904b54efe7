#!/usr/bin/env python3
"""Writes demo/contacts.vcf, the fictional address book used when the user has none configured.

The cards are written the way real exporters write them: vCard 2.1, 3.0 and 4.0, folded lines,
quoted-printable names, typed telephone numbers, inline portraits and the several spellings of
birthdays and wedding anniversaries. All people, numbers and addresses are invented; telephone
numbers come from the ranges reserved for fiction and e-mail domains are example.com/org/net.

Usage: python3 demo/make_demo.py [output.vcf]
The portraits are drawn by avatars.py; JPEG versions are made with ImageMagick's `convert`.
"""

import base64
import os
import shutil
import subprocess
import sys
import uuid

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import avatars  # noqa: E402

UID_SPACE = uuid.UUID("6f1c2b0e-5a43-4b8e-9d0e-3c5f0d1e7a21")
CRLF = "\r\n"

# Portraits: skin, hair colour and style, shirt, background and extras.
LOOKS = {
    "lucja": dict(skin="#f3d3bd", hair="#7a4a2a", style="long", shirt="#3f7fbf", bg="#9fd3c7"),
    "haruto": dict(skin="#ecc9a4", hair="#1d1a1a", style="spiky", shirt="#e07a5f", bg="#f2cc8f"),
    "noa": dict(skin="#f6d9c4", hair="#e3b04b", style="bob", shirt="#f28482", bg="#b8e0d2",
                child=True),
    "emmanuel": dict(skin="#6b4128", hair="#9a9590", style="bald", shirt="#2a9d8f", bg="#e9c46a",
                     beard=True, glasses=True),
    "dagmar": dict(skin="#f2d4c2", hair="#8f8780", style="bob", shirt="#6d597a", bg="#ffcdb2",
                   glasses=True, frame="#8b2e3c"),
    "ingrid": dict(skin="#f5d6c6", hair="#eeeae6", style="bun", shirt="#b56576", bg="#cdb4db",
                   glasses=True),
    "olusegun": dict(skin="#5a3522", hair="#151010", style="short", shirt="#f4a259", bg="#90be6d"),
    "anastasia": dict(skin="#f4d7c5", hair="#c0803a", style="long", shirt="#264653", bg="#a8dadc"),
    "priya": dict(skin="#b97d55", hair="#1b1414", style="long", shirt="#e76f51", bg="#ffe8a3"),
    "eleni": dict(skin="#dfb08a", hair="#3b2417", style="curly", shirt="#457b9d", bg="#f1c0e8"),
    "marguerite": dict(skin="#f1cdb8", hair="#f4f1ee", style="curly", shirt="#5e60ce",
                       bg="#fde4cf", glasses=True, frame="#b08d57"),
    "leilani": dict(skin="#a86f48", hair="#2b1d14", style="curly", shirt="#ffb703", bg="#8ecae6",
                    child=True),
    "hamid": dict(skin="#cf9f78", hair="#2d2420", style="short", shirt="#588157", bg="#a3c4f3",
                  beard=True),
    "amina": dict(skin="#c98e63", style="scarf", scarf="#6d597a", shirt="#355070", bg="#eaac8b"),
}


def uid(key, version):
    value = str(uuid.uuid5(UID_SPACE, key))
    return "urn:uuid:" + value if version == "4.0" else value.upper()


def qp(text):
    """Quoted-printable of one value component (every byte outside plain ASCII is escaped)."""
    out = []
    for b in text.encode("utf-8"):
        out.append(chr(b) if 32 <= b < 127 and chr(b) not in "=;" else "=%02X" % b)
    return "".join(out)


def qp_lines(name, value):
    """A quoted-printable property with soft line breaks (2.1 style: '=' at the line end)."""
    lines, line, i = [], name + ":", 0
    while i < len(value):
        token = value[i:i + 3] if value[i] == "=" else value[i]
        i += len(token)
        if len(line) + len(token) > 75:
            lines.append(line + "=")
            line = ""
        line += token
    lines.append(line)
    return lines


def fold(line):
    """Folds a content line at 75 octets without splitting a UTF-8 sequence."""
    data = line.encode("utf-8")
    if len(data) <= 75:
        return [line]
    parts, start, limit = [], 0, 75
    while start < len(data):
        end = min(len(data), start + limit)
        while end < len(data) and (data[end] & 0xC0) == 0x80:
            end -= 1
        parts.append(data[start:end].decode("utf-8"))
        start, limit = end, 74
    return [parts[0]] + [" " + p for p in parts[1:]]


def jpeg(png):
    """Converts the portrait to JPEG with ImageMagick; falls back to None when it is missing."""
    tool = shutil.which("convert")
    if not tool:
        return None
    result = subprocess.run([tool, "png:-", "-strip", "-quality", "86", "-sampling-factor",
                             "4:2:0", "jpg:-"], input=png, capture_output=True, check=True)
    return result.stdout


def photo_lines(key, version, style=0):
    """The PHOTO property of one card in the form the card's exporter writes."""
    png = avatars.png_bytes(avatars.draw(LOOKS[key]))
    if version == "4.0":
        return fold("PHOTO:data:image/png;base64," + base64.b64encode(png).decode())
    data, kind = jpeg(png), "JPEG"
    if data is None:
        data, kind = png, "PNG"
    b64 = base64.b64encode(data).decode()
    if version == "3.0":
        return fold("PHOTO;ENCODING=b;TYPE=%s:%s" % (kind, b64))
    # 2.1: base64 over indented lines, ended by an empty line
    if style == 0:
        head, rest = "PHOTO;ENCODING=BASE64;TYPE=%s:" % kind, b64
    else:
        head, rest = "PHOTO;TYPE=%s;ENCODING=BASE64:%s" % (kind, b64[:40]), b64[40:]
    return [head] + ["  " + rest[i:i + 72] for i in range(0, len(rest), 72)] + [""]


# Each card: (version, uid key or None, list of lines). A line that is a tuple is a
# special: ("photo", key[, style]) or ("qp", property name, value text with ';' separators).
CARDS = [
    ("2.1", "lucja", [
        ("qp", "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE", "Wiśniewska;Łucja;;;"),
        ("qp", "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE", "Łucja Wiśniewska"),
        "ORG:Northgate Library",
        "TEL;CELL;VOICE:+44 7700 900123",
        "TEL;HOME;VOICE:+44 20 7946 0321",
        "TEL;WORK;FAX:+44 20 7946 0322",
        "EMAIL;PREF;INTERNET:lucja.wisniewska@example.com",
        "BDAY:19791207",
        "X-ANNIVERSARY:20121229",
        ("photo", "lucja", 0),
    ]),
    ("3.0", "haruto", [
        "N:黒木;陽翔;;;",
        "FN:黒木 陽翔",
        "X-PHONETIC-FIRST-NAME:Haruto",
        "X-PHONETIC-LAST-NAME:Kuroki",
        "TEL;TYPE=CELL:+1 (415) 555-0134",
        "EMAIL;TYPE=INTERNET,HOME:haruto.kuroki@example.net",
        "BDAY:1990-12-09",
        ("photo", "haruto"),
    ]),
    ("3.0", "siobhan", [
        "N:Ní Bhriain;Siobhán;;;",
        "FN:Siobhán Ní Bhriain",
        "TEL;TYPE=CELL:+44 7700 900417",
        "TEL;TYPE=WORK,VOICE:+44 20 7946 0417",
        "EMAIL;TYPE=INTERNET:siobhan.nibhriain@example.org",
        "BDAY:--1214",
    ]),
    ("4.0", "noa", [
        "N:Lindqvist;Noa;;;",
        "FN:Noa Lindqvist",
        "BDAY:20191220",
        "NOTE:Lindqvist family - Noa loves dinosaurs and anything purple.",
        ("photo", "noa"),
    ]),
    ("3.0", "emmanuel", [
        "N:Asante;Emmanuel;Kwame;;",
        "FN:Emmanuel Kwame Asante",
        "ORG:Asante & Boateng Architects",
        "TITLE:Senior Partner",
        "TEL;TYPE=CELL;TYPE=VOICE;TYPE=pref:+1 (312) 555-0162",
        "TEL;TYPE=WORK;TYPE=VOICE:+1 (312) 555-0163",
        "TEL;TYPE=HOME;TYPE=VOICE:+1 (312) 555-0164",
        "TEL;TYPE=WORK;TYPE=FAX:+1 (312) 555-0165",
        "EMAIL;TYPE=INTERNET;TYPE=WORK;TYPE=pref:e.asante@example.com",
        "EMAIL;TYPE=INTERNET;TYPE=HOME:kwame.asante@example.net",
        "BDAY:1962-12-24",
        "item1.X-ABDATE:1988-08-06",
        "item1.X-ABLabel:_$!<Anniversary>!$_",
        ("photo", "emmanuel"),
    ]),
    ("2.1", "dagmar", [
        "N;CHARSET=UTF-8:Weißhaupt;Dagmar;;;",
        "FN;CHARSET=UTF-8:Dagmar Weißhaupt",
        "TEL;HOME;VOICE:+44 113 496 0217",
        "TEL;CELL;VOICE:+44 7700 900588",
        "BDAY:1958-12-31",
        ("qp", "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE",
         "Met at the choir in Großhartmannsdorf, prefers a phone call to e-mail and "
         "always sends a card for New Year."),
        ("photo", "dagmar", 1),
    ]),
    ("4.0", "mateus", [
        "N:Carvalho Nogueira;Mateus;;;",
        "FN:Mateus Carvalho Nogueira",
        'TEL;TYPE="cell,voice";VALUE=uri:tel:+1-202-555-0147',
        "EMAIL;TYPE=home:mateus.nogueira@example.com",
        "EMAIL;TYPE=work:m.nogueira@example.org",
        "BDAY:1996-01-03",
    ]),
    ("3.0", "ingrid", [
        "N:Solberg;Ingrid;;;",
        "FN:Ingrid Solberg",
        "TEL;TYPE=HOME:+44 131 496 0852",
        "BDAY:1934-01-10",
        "X-ANNIVERSARY:1957-06-22",
        "NOTE:Grandma Ingrid. Sunday afternoon calls\\, she does not read e-mail. Bring the "
        "photo album with the pictures from the summer house on the next visit.",
        ("photo", "ingrid"),
    ]),
    ("3.0", "rahul", [
        "N:Venkataraman;Rahul;;;",
        "FN:Rahul Venkataraman",
        "ORG:Brightwater Analytics",
        "TEL;TYPE=CELL:+1 (646) 555-0181",
        "TEL;TYPE=WORK:+1 (646) 555-0182",
        "TEL;TYPE=PAGER:+1 (646) 555-0183",
        "EMAIL;TYPE=INTERNET;TYPE=WORK:rahul.v@example.com",
        "BDAY;VALUE=date:1983-01-22",
        "X-EVOLUTION-ANNIVERSARY:2010-12-18",
    ]),
    ("2.1", "thu", [
        ("qp", "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE", "Trần;Thị Minh Thư;;;"),
        ("qp", "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE", "Trần Thị Minh Thư"),
        "TEL;CELL:+61 491 570 156",
        "EMAIL;INTERNET:minhthu.tran@example.net",
        "BDAY:1992-01-29",
    ]),
    ("3.0", "anouk", [
        "N:Verhoeven;Anouk;;;",
        "FN:Anouk Verhoeven",
        "TEL;TYPE=CELL:+44 7700 900229",
        "EMAIL;TYPE=INTERNET:anouk@example.org",
        "BDAY:1988-02-29",
        "NOTE:Leap-day birthday - celebrates on 28 February in ordinary years.",
    ]),
    ("4.0", "olusegun", [
        "N:Adeyemi;Olusegun;;;",
        "FN:Olusegun Adeyemi",
        'TEL;TYPE="cell,voice";VALUE=uri:tel:+1-404-555-0119',
        "TEL;TYPE=work;VALUE=uri:tel:+1-404-555-0120",
        "EMAIL;PREF=1:olusegun.adeyemi@example.com",
        "BDAY:19710214",
        "ANNIVERSARY:19990911",
        ("photo", "olusegun"),
    ]),
    ("3.0", "zeynep", [
        "N:Çağlar;Zeynep;;;",
        "FN:Zeynep Çağlar",
        "TEL;TYPE=CELL:+44 7700 900315",
        "EMAIL;TYPE=INTERNET:zeynep.caglar@example.net",
        "BDAY:--0315",
    ]),
    ("3.0", "maria", [
        "N:Fernández-Villaseñor de la Cruz;María de los Ángeles Guadalupe;;;",
        "FN:María de los Ángeles Guadalupe Fernández-Villaseñor de la Cruz",
        "ORG:Escuela de Música Santa Cecilia",
        "TEL;TYPE=CELL:+1 (305) 555-0108",
        "TEL;TYPE=HOME:+1 (305) 555-0109",
        "TEL;TYPE=WORK:+1 (305) 555-0110",
        "EMAIL;TYPE=INTERNET;TYPE=HOME:mariadelosangeles@example.com",
        "EMAIL;TYPE=INTERNET;TYPE=WORK:m.fernandez@example.org",
        "EMAIL;TYPE=INTERNET:guadalupe.cruz@example.net",
        "BDAY:1965-03-08",
    ]),
    ("3.0", "rafael", [
        "N:Domínguez Ortega;Rafael;;;",
        "FN:Rafael Domínguez Ortega",
        "TEL;TYPE=CELL:+1 (505) 555-0102",
        "TEL;TYPE=CAR:+1 (505) 555-0103",
        "EMAIL;TYPE=INTERNET:rafa.dominguez@example.com",
        "BDAY:1976-04-02",
        "X-ANNIVERSARY:2001-10-20",
    ]),
    ("4.0", "kalani", [
        "N:Kahananui;Kalani;;;",
        "FN:Kalani Kahananui",
        "TEL;TYPE=cell:+1 808 555 0177",
        "BDAY:19990427",
    ]),
    ("3.0", "anastasia", [
        "N:Соколова;Анастасия;Игоревна;;",
        "FN:Анастасия Соколова",
        "TEL;TYPE=CELL;TYPE=pref;TYPE=VOICE:+44 7700 900521",
        "EMAIL;TYPE=INTERNET;TYPE=HOME:a.sokolova@example.org",
        "BDAY;X-APPLE-OMIT-YEAR=1604:1604-05-21",
        ("photo", "anastasia"),
    ]),
    ("2.1", "dagny", [
        "N:Haugland;Dagny;;;",
        "FN:Dagny Haugland",
        "TEL;HOME:+44 1632 960509",
        "BDAY:19450509",
    ]),
    ("4.0", "priya", [
        "N:Raghunathan;Priya;;;",
        "FN:Priya Raghunathan",
        'TEL;TYPE="cell,voice";VALUE=uri:tel:+1-617-555-0118',
        "EMAIL:priya.r@example.net",
        "BDAY:2002-06-18",
        ("photo", "priya"),
    ]),
    ("3.0", "tomasz", [
        "N:Zieliński;Tomasz;;;",
        "FN:Tomasz Zieliński",
        "TEL;TYPE=CELL:+44 7700 900605",
        "TEL;TYPE=HOME:+44 161 496 0605",
        "TEL;TYPE=WORK:+44 161 496 0606",
        "EMAIL;TYPE=INTERNET:tomek.zielinski@example.com",
        "BDAY:1968-06-05",
        "X-EVOLUTION-ANNIVERSARY:1994-07-16",
    ]),
    ("4.0", "jolene", [
        "N:Whitaker;Jolene;;;",
        "FN:Jolene Whitaker",
        "EMAIL:jolene.whitaker@example.com",
        "BDAY:--0704",
    ]),
    ("3.0", "leilani", [
        "N:Akana;Leilani;;;",
        "FN:Leilani Akana",
        "BDAY:2016-07-19",
        ("photo", "leilani"),
    ]),
    ("4.0", "eleni", [
        "N:Καραγιάννη;Ελένη;;;",
        "FN:Ελένη Καραγιάννη",
        'TEL;TYPE="cell,voice";VALUE=uri:tel:+44-7700-900811',
        "TEL;TYPE=home;VALUE=uri:tel:+44-20-7946-0811",
        "EMAIL;TYPE=home:eleni.karagianni@example.org",
        "BDAY:1980-08-11",
        "ANNIVERSARY:2008-09-27",
        ("photo", "eleni"),
    ]),
    ("3.0", "bjorn", [
        "N:Åkesson;Björn;;;",
        "FN:Björn Åkesson",
        "TEL;TYPE=CELL:+44 7700 900830",
        "TEL;TYPE=HOME:+44 117 496 0830",
        "EMAIL;TYPE=INTERNET:bjorn.akesson@example.net",
        "BDAY:1951-08-30",
        "item1.X-ABDATE;type=pref:1977-01-15",
        "item1.X-ABLabel:_$!<Anniversary>!$_",
    ]),
    ("4.0", "seoyeon", [
        "N:김;서연;;;",
        "FN:김서연",
        'TEL;TYPE="cell,voice";VALUE=uri:tel:+1-213-555-0192',
        "EMAIL:seoyeon.kim@example.com",
        "BDAY:1994-09-02",
    ]),
    ("3.0", "chiara", [
        "N:Bellandi;Chiara;;;",
        "FN:Chiara Bellandi",
        "TEL;TYPE=CELL:+44 7700 900923",
        "EMAIL;TYPE=INTERNET;TYPE=HOME:chiara.bellandi@example.org",
        "EMAIL;TYPE=INTERNET;TYPE=WORK:c.bellandi@example.com",
        "BDAY:1987-09-23",
        "X-ANNIVERSARY:2015-06-13",
    ]),
    ("2.1", "hamid", [
        "N:Rezaei;Hamid;;;",
        "FN:Hamid Rezaei",
        "TEL;CELL;VOICE:+1 (702) 555-0113",
        "TEL;WORK;VOICE:+1 (702) 555-0114",
        "TEL;CAR:+1 (702) 555-0115",
        "EMAIL;INTERNET:hamid.rezaei@example.net",
        "BDAY:1973-10-13",
        ("photo", "hamid", 0),
    ]),
    ("4.0", "marguerite", [
        "N:Duval-Lefèvre;Marguerite;;;",
        "FN:Marguerite Duval-Lefèvre",
        "TEL;TYPE=home;VALUE=uri:tel:+44-1632-960131",
        "BDAY:19311031",
        "ANNIVERSARY:19530418",
        ("photo", "marguerite"),
    ]),
    ("3.0", "thandiwe", [
        "N:Mokoena;Thandiwe;;;",
        "FN:Thandiwe Mokoena",
        "TEL;TYPE=CELL:+61 491 570 159",
        "TEL;TYPE=WORK:+61 2 5550 1106",
        "EMAIL;TYPE=INTERNET:thandiwe.m@example.com",
        "BDAY:1991-11-06",
    ]),
    ("4.0", "jiayi", [
        "N:陈;嘉怡;;;",
        "FN:陈嘉怡",
        'TEL;TYPE="cell,voice";VALUE=uri:tel:+61-491-570-110',
        "EMAIL;TYPE=work:jiayi.chen@example.org",
        "BDAY:1989-11-25",
    ]),
    ("3.0", "amina", [
        "N:Haddad;Amina;;;",
        "FN:Amina Haddad",
        "TEL;TYPE=CELL:+44 7700 900704",
        "TEL;TYPE=WORK:+44 20 7946 0704",
        "TEL;TYPE=FAX:+44 20 7946 0705",
        "EMAIL;TYPE=INTERNET:amina.haddad@example.com",
        "BDAY:1984-03-27",
        ("photo", "amina"),
    ]),
    ("2.1", "fergus", [
        "N:MacAllister;Fergus;;;",
        "TEL;CELL;VOICE:+44 7700 900111",
        "BDAY:19821103",
    ]),
    ("3.0", "aarav", [
        "N:Mehta;Aarav;;;",
        "EMAIL;TYPE=INTERNET:aarav.mehta@example.net",
        "BDAY:2011-04-14",
    ]),
    ("3.0", "florists", [
        "ORG:Harbourview Florists Ltd.",
        "TEL;TYPE=WORK,VOICE:+44 20 7946 0990",
        "EMAIL;TYPE=INTERNET;TYPE=WORK:orders@example.com",
        "URL:https://www.example.com/harbourview",
        "ADR;TYPE=WORK:;;12 Quayside Walk;Portsmouth;;PO1 2AB;United Kingdom",
    ]),
    ("4.0", "ines", [
        "N:Oliveira;Inês;;;",
        "FN:Inês Oliveira",
        'TEL;TYPE="cell,voice";VALUE=uri:tel:+1-503-555-0126',
        "TEL;TYPE=work;VALUE=uri:tel:+1-503-555-0127",
        "TEL;TYPE=fax;VALUE=uri:tel:+1-503-555-0128",
        "EMAIL;TYPE=home:ines.oliveira@example.com",
        "BDAY:1978-02-06",
    ]),
    ("3.0", "kofi", [
        "N:Mensah;Kofi;;;",
        "FN:Kofi Mensah",
        "BDAY:1999-05-30",
    ]),
    ("2.1", "joanna", [
        "N:Kowalczyk;Joanna;;;",
        "FN:Joanna Kowalczyk",
        "TEL;CELL;VOICE:+44 7700 900926",
        "TEL;PAGER:+44 7700 900927",
        "EMAIL;INTERNET:joanna.k@example.org",
        "BDAY:1960-09-26",
        "X-ANNIVERSARY:19860503",
    ]),
    ("3.0", None, [
        "N:Lindgren;Sven;;;",
        "FN:Sven Lindgren",
        "TEL;TYPE=CELL:+1 (612) 555-0155",
        "BDAY:1995-10-08",
    ]),
    ("4.0", "yuki", [
        "N:Morimoto;Yuki;;;",
        "FN:Yuki Morimoto",
        "EMAIL:yuki.morimoto@example.net",
        "BDAY:1970-07-27",
        "ADR;TYPE=home:;;Apartment 4B\\, 221 Cedar Hill Road;Springfield;IL;62704;United States of "
        "America",
    ]),
    ("3.0", "elif", [
        "N:Karakuş;Elif Işıl;;;",
        "FN:Elif Işıl Karakuş",
        "TEL;TYPE=CELL:+44 7700 900612",
        "TEL;TYPE=HOME:+44 121 496 0612",
        "BDAY:1993-12-27",
    ]),
    ("2.1", None, [
        "N:Okafor;Chidi;;;",
        "FN:Chidi Okafor",
        "TEL;WORK;VOICE:+1 (214) 555-0172",
        "BDAY:1986-06-29",
    ]),
]


def render(version, key, lines):
    out = ["BEGIN:VCARD", "VERSION:" + version]
    if version == "4.0":
        out.append("KIND:" + ("org" if key == "florists" else "individual"))
    for line in lines:
        if isinstance(line, tuple) and line[0] == "photo":
            out.extend(photo_lines(line[1], version, *line[2:]))
        elif isinstance(line, tuple) and line[0] == "qp":
            out.extend(qp_lines(line[1], ";".join(qp(p) for p in line[2].split(";"))))
        elif version == "2.1":
            out.append(line)
        else:
            out.extend(fold(line))
    if key:
        out.append("UID:" + uid(key, version))
    out.append("END:VCARD")
    return CRLF.join(out) + CRLF


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "contacts.vcf")
    text = "".join(render(*card) for card in CARDS)
    with open(target, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    photos = sum(1 for _, _, lines in CARDS for l in lines if isinstance(l, tuple) and l[0] == "photo")
    print("%s: %d cards, %d with photos, %d bytes" % (target, len(CARDS), photos,
                                                     len(text.encode("utf-8"))))


if __name__ == "__main__":
    main()
