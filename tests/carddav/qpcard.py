# A 2.1 card with a quoted-printable name, as phones write them, edited in Festivo's editor and carried to the server.
import os
import re

QP_UID = "qp-sven-22"
QP_CARD = ("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=85berg;Sven\r\n"
           "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Sven =C3=85berg\r\nTEL;CELL:+46 70 555 01 22\r\n"
           "BDAY:1977-04-02\r\nUID:" + QP_UID + "\r\nEND:VCARD\r\n").encode("ascii")
# Long and accented: written as quoted-printable it needs more than one line's width.
QP_GIVEN = "\u00c5sa-Britt Marguerite-\u00c9l\u00e9onore Sven"


def quoted(text):
    """UTF-8 quoted-printable on one line, as Festivo writes a changed name component."""
    data = text.encode("utf-8")
    return b"".join(bytes([c]) if (32 < c < 127 and c != ord("=")) or (c == 32 and i + 1 < len(data)) else b"=%02X" % c
                    for i, c in enumerate(data))


def edited_qp_card(server, sync, windows, check):
    """A 2.1 card in the synced folder edited in Festivo: its new name quoted-printable on one line, and the server
    takes the card (a name with soft breaks would be refused, and every later sync with it)."""
    # Copied into the synced folder as a phone exported it: the server would rewrite it on the way in.
    with open(os.path.join(sync.folder(), QP_UID + ".vcf"), "wb") as f:
        f.write(QP_CARD)
    ok, out = windows.run("EditorChangesABirthday", name="Sven \u00c5berg", date="1977-04-03", first=QP_GIVEN)
    check("the contact editor changes its given name and birthday", ok, out)
    with open(os.path.join(sync.folder(), QP_UID + ".vcf"), "rb") as f:
        local = f.read()
    name = re.search(rb"\nN;[^\r\n]*", local)
    check("Festivo wrote the new name as quoted-printable on one line, the given name alone changed",
          name is not None and name.group(0).strip() ==
          b"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=85berg;" + quoted(QP_GIVEN), local)
    code, out = sync.run("sync")
    check("vdirsyncer sync uploads the edited 2.1 card and the server accepts it", code == 0 and "Copying" in out, out)
    after = (server.get(QP_UID)[0] or b"").decode("utf-8", "replace")
    check("the server's card has the new name and birthday and keeps the number",
          ("\u00c5berg;" + QP_GIVEN) in after and "BDAY:1977-04-03" in after and "+46 70 555 01 22" in after, after)
    code, out = sync.run("sync")
    check("the next sync has nothing left to do", code == 0 and not re.search("Copying", out), out)
