#!/usr/bin/python3
"""Renders the picture sources in svg/ into the PNG files that the build packs into festivo.zrs.

Needs rsvg-convert (Debian: librsvg2-bin) and Pillow (python3-pil); the normal build does not
run this script, it only packs the committed PNG files. Run it after changing a source:

    art/render.py            # png/*.png, festivo.manifest, festivo.ico, ../docs/contact-sheet.png

Every tile is drawn anew for each size so that its border falls on whole pixels, and the glyph
strokes are widened at the small sizes to stay legible. Small pictures get a hard-edged alpha
(fully opaque or fully transparent) so that drawing through the 1-bit mask leaves no fringe on
any background; the mask is black where the picture is opaque and white elsewhere.
"""
import io
import os
import re
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
SVG = os.path.join(HERE, "svg")
PNG = os.path.join(HERE, "png")
DOCS = os.path.join(os.path.dirname(HERE), "docs")

# Package groups in key order: group g takes keys 6g .. 6g + 5.
GROUPS = ["header", "anniversary", "aquarius", "aries", "cancer", "capricorn", "gemini", "libra",
          "lion", "pisces", "sagittarius", "scorpio", "taurus", "virgin"]
SIZES = [16, 20, 32]
CONTACT_KEY, CONTACT_SIZE = 84, 96
OPTIONS = [(88, "template"), (91, "general")]  # small, medium, large at key, key + 1, key + 2
ICON = ("header", [16, 32, 48])

# Per pixel size: tile border width, corner radius and glyph stroke width, all in pixels.
STYLE = {16: (1, 3, 2.0), 20: (1, 4, 2.1), 32: (1, 6, 2.6), 48: (2, 9, 3.6)}


def tile_svg(name, size):
    """The source with its tile and strokes set for a size in whole pixels."""
    with open(os.path.join(SVG, name + ".svg"), encoding="utf-8") as source:
        text = source.read()
    border, radius, stroke = STYLE[size]
    unit = 32.0 / size
    inset = border * unit / 2
    tile = 'x="{0:.4f}" y="{0:.4f}" width="{1:.4f}" height="{1:.4f}" rx="{2:.4f}"'.format(
        inset, 32 - 2 * inset, radius * unit)
    text = re.sub(r'(<rect class="tile") x="[^"]*" y="[^"]*" width="[^"]*" height="[^"]*" rx="[^"]*"',
                  r"\1 " + tile, text)
    text = re.sub(r'(<rect class="tile"[^>]*stroke-width=")[^"]*"',
                  lambda m: '%s%.4f"' % (m.group(1), border * unit), text)
    text = re.sub(r'(<g class="glyph"[^>]*stroke-width=")[^"]*"',
                  lambda m: '%s%.4f"' % (m.group(1), stroke * unit), text)
    return text


def rasterise(svg_text, size):
    png = subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size)], input=svg_text.encode("utf-8"),
                         capture_output=True, check=True).stdout
    return Image.open(io.BytesIO(png)).convert("RGBA")


def harden(image):
    """Fully opaque or fully transparent pixels, and the matching mask."""
    pixels = image.load()
    mask = Image.new("L", image.size, 255)
    dots = mask.load()
    for y in range(image.size[1]):
        for x in range(image.size[0]):
            r, g, b, a = pixels[x, y]
            if a >= 128:
                pixels[x, y] = (r, g, b, 255)
                dots[x, y] = 0
            else:
                pixels[x, y] = (0, 0, 0, 0)
    return image, mask


def save(image, name):
    image.save(os.path.join(PNG, name), optimize=True)
    return "png/" + name


def render_all():
    os.makedirs(PNG, exist_ok=True)
    manifest = ["# festivo.zrs: key and picture file, packed by tools/zrspack/zrspack.py. Written by render.py.",
                "# Group g (0 header, 1 anniversary, 2-13 the signs by name) takes keys 6g..6g+5:",
                "# small picture, small mask, medium picture, medium mask, large picture, large mask."]
    pictures = {}
    for group, name in enumerate(GROUPS):
        manifest.append("")
        manifest.append("# %s" % name)
        for step, size in enumerate(SIZES):
            picture, mask = harden(rasterise(tile_svg(name, size), size))
            pictures[(name, size)] = (picture, mask)
            key = group * 6 + step * 2
            manifest.append("%d %s" % (key, save(picture, "%s-%d.png" % (name, size))))
            manifest.append("%d %s" % (key + 1, save(mask, "%s-%d-mask.png" % (name, size))))

    manifest.append("")
    manifest.append("# default contact picture, drawn scaled into the list rows")
    with open(os.path.join(SVG, "contact.svg"), encoding="utf-8") as source:
        contact = rasterise(source.read(), CONTACT_SIZE)
    manifest.append("%d %s" % (CONTACT_KEY, save(contact, "contact-%d.png" % CONTACT_SIZE)))

    for first, name in OPTIONS:
        manifest.append("")
        manifest.append("# options dialog: %s, small, medium, large" % name)
        for step, size in enumerate(SIZES):
            picture, _ = harden(rasterise(tile_svg(name, size), size))
            pictures[(name, size)] = (picture, None)
            manifest.append("%d %s" % (first + step, save(picture, "%s-%d.png" % (name, size))))

    with open(os.path.join(HERE, "festivo.manifest"), "w", encoding="utf-8") as out:
        out.write("\n".join(manifest) + "\n")

    name, sizes = ICON
    images = [rasterise(tile_svg(name, size), size) for size in sizes]
    images[-1].save(os.path.join(HERE, "festivo.ico"), format="ICO", sizes=[(s, s) for s in sizes],
                    append_images=images[:-1])
    contact_sheet(pictures, contact)


def contact_sheet(pictures, contact):
    """All pictures at their three sizes drawn through their masks on white and on a highlight."""
    backgrounds = [("white", (255, 255, 255)), ("highlight", (49, 106, 197))]
    names = GROUPS + [name for _, name in OPTIONS]
    zoom = 2
    label_width = 110
    cell = max(SIZES) * zoom + 16
    row = max(SIZES) * zoom + 10
    top = 60
    columns = len(backgrounds) * len(SIZES)
    contact_sizes = (24, 32, 48, 96)
    width = max(label_width + columns * cell, label_width + sum(2 * (s + 22) for s in contact_sizes)) + 10
    height = top + len(names) * row + 30 + max(contact_sizes) + 30
    sheet = Image.new("RGB", (width, height), (236, 236, 236))
    draw = ImageDraw.Draw(sheet)
    font = ImageFont.load_default()
    draw.text((8, 8), "Festivo pictures drawn through their masks, shown at twice their size", fill=(0, 0, 0),
              font=font)
    for b, (label, colour) in enumerate(backgrounds):
        x0 = label_width + b * len(SIZES) * cell
        draw.rectangle([x0, 28, x0 + len(SIZES) * cell - 1, top + len(names) * row], fill=colour)
        ink = (0, 0, 0) if b == 0 else (255, 255, 255)
        for s, size in enumerate(SIZES):
            draw.text((x0 + s * cell + cell // 2 - 14, 36), "%d px" % size, fill=ink, font=font)
    for r, name in enumerate(names):
        y = top + r * row
        key = GROUPS.index(name) * 6 if name in GROUPS else dict((n, k) for k, n in OPTIONS)[name]
        draw.text((8, y + row // 2 - 6), "%s (%d)" % (name, key), fill=(0, 0, 0), font=font)
        for b, (_, colour) in enumerate(backgrounds):
            for s, size in enumerate(SIZES):
                picture, mask = pictures[(name, size)]
                tile = Image.new("RGB", (size, size), colour)
                stencil = Image.eval(mask, lambda v: 255 - v) if mask is not None else picture
                tile.paste(picture.convert("RGB"), (0, 0), stencil)
                tile = tile.resize((size * zoom, size * zoom), Image.NEAREST)
                x = label_width + (b * len(SIZES) + s) * cell + (cell - size * zoom) // 2
                sheet.paste(tile, (x, y + (row - size * zoom) // 2))
    y = top + len(names) * row + 20
    draw.text((8, y + 40), "contact (84)", fill=(0, 0, 0), font=font)
    draw.text((8, y + 54), "24, 32, 48, 96 px", fill=(0, 0, 0), font=font)
    x = label_width
    for size in contact_sizes:
        scaled = contact.resize((size, size), Image.LANCZOS)
        for colour in ((255, 255, 255), (49, 106, 197)):
            back = Image.new("RGB", (size + 8, size + 8), colour)
            back.paste(scaled, (4, 4), scaled)
            sheet.paste(back, (x, y))
            x += size + 14
    os.makedirs(DOCS, exist_ok=True)
    sheet.save(os.path.join(DOCS, "contact-sheet.png"), optimize=True)


if __name__ == "__main__":
    render_all()
    sys.exit(0)
