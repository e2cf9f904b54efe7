"""Draws the small illustrated portraits of the demo address book (standard library only)."""

import struct
import zlib

WIDTH, HEIGHT = 96, 128
SS = 3  # supersampling factor: shapes are filled on a 3x larger grid, then averaged


def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


class Canvas:
    """An RGB raster on the supersampled grid; coordinates are in final pixels."""

    def __init__(self):
        self.w, self.h = WIDTH * SS, HEIGHT * SS
        self.px = bytearray(self.w * self.h * 3)

    def gradient(self, top, bottom):
        for y in range(self.h):
            c = bytes(mix(top, bottom, y / (self.h - 1)))
            self.px[y * self.w * 3:(y + 1) * self.w * 3] = c * self.w

    def _span(self, y, x0, x1, color, alpha):
        x0, x1 = max(0, x0), min(self.w, x1)
        if x1 <= x0:
            return
        row = y * self.w * 3
        if alpha >= 1.0:
            self.px[row + x0 * 3:row + x1 * 3] = bytes(color) * (x1 - x0)
            return
        for x in range(x0, x1):
            i = row + x * 3
            for k in range(3):
                self.px[i + k] = round(self.px[i + k] * (1 - alpha) + color[k] * alpha)

    def ellipse(self, cx, cy, rx, ry, color, alpha=1.0, ymin=-1e9, ymax=1e9, xmin=-1e9, xmax=1e9):
        """Fills an ellipse, optionally clipped to a band of rows and columns."""
        cx, cy, rx, ry = cx * SS, cy * SS, rx * SS, ry * SS
        y0 = max(0, int(cy - ry), int(ymin * SS))
        y1 = min(self.h, int(cy + ry) + 1, int(ymax * SS))
        for y in range(y0, y1):
            dy = (y + 0.5 - cy) / ry
            if dy * dy >= 1.0:
                continue
            half = rx * (1.0 - dy * dy) ** 0.5
            x0 = max(int(round(cx - half)), int(xmin * SS))
            x1 = min(int(round(cx + half)), int(xmax * SS))
            self._span(y, x0, x1, color, alpha)

    def rect(self, x0, y0, x1, y1, color, alpha=1.0):
        for y in range(max(0, int(y0 * SS)), min(self.h, int(y1 * SS))):
            self._span(y, int(x0 * SS), int(x1 * SS), color, alpha)

    def ring(self, cx, cy, r, width, color, fill):
        self.ellipse(cx, cy, r, r, color)
        self.ellipse(cx, cy, r - width, r - width, fill)

    def downsample(self):
        out = bytearray(WIDTH * HEIGHT * 3)
        n = SS * SS
        for y in range(HEIGHT):
            for x in range(WIDTH):
                s = [0, 0, 0]
                for dy in range(SS):
                    i = ((y * SS + dy) * self.w + x * SS) * 3
                    for dx in range(SS):
                        s[0] += self.px[i]
                        s[1] += self.px[i + 1]
                        s[2] += self.px[i + 2]
                        i += 3
                o = (y * WIDTH + x) * 3
                out[o:o + 3] = bytes(v // n for v in s)
        return out


def png_bytes(rgb, width=WIDTH, height=HEIGHT):
    """Encodes raw RGB rows as a PNG file."""
    raw = b"".join(b"\x00" + bytes(rgb[y * width * 3:(y + 1) * width * 3]) for y in range(height))

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def draw(look):
    """Draws one head-and-shoulders portrait; look is a dict of colours and features."""
    skin = hex_rgb(look["skin"])
    hair = hex_rgb(look.get("hair", "#000000"))
    shirt = hex_rgb(look["shirt"])
    bg = hex_rgb(look["bg"])
    style = look.get("style", "short")
    child = look.get("child", False)
    shade = mix(skin, (60, 30, 20), 0.18)
    dark = (52, 40, 40)

    c = Canvas()
    c.gradient(mix(bg, (255, 255, 255), 0.35), bg)
    c.ellipse(48, 56, 40, 40, mix(bg, (255, 255, 255), 0.18))

    hx, hy = 48, (60 if child else 54)
    hrx, hry = (23, 24) if child else (20, 25)
    top = hy - hry

    if style == "scarf":
        scarf = hex_rgb(look["scarf"])
        c.ellipse(48, 131, 46, 38, shirt)
        c.ellipse(hx, hy + 6, hrx + 9, hry + 12, scarf)
        c.ellipse(hx, hy + 30, hrx + 13, 22, scarf, ymin=hy + 20)
    else:
        if style in ("long", "bob"):
            drop = 34 if style == "long" else 16
            c.ellipse(hx, hy + drop / 2, hrx + 8, hry + drop / 2 + 4, hair)
        if style == "curly":
            for dx, dy, r in ((-17, -12, 11), (17, -12, 11), (-10, -23, 12), (10, -23, 12),
                              (0, -27, 12), (-21, 0, 9), (21, 0, 9)):
                c.ellipse(hx + dx, hy + dy, r, r, hair)
        if style == "bun":
            c.ellipse(hx, top - 4, 10, 9, hair)
        c.ellipse(48, 133, 46, 40, shirt)
        c.ellipse(48, 95, 14, 6, mix(shirt, (0, 0, 0), 0.15), ymin=93)
        c.rect(hx - 7, hy + 12, hx + 7, hy + 38, shade)
        c.ellipse(hx, hy + 37, 8, 5, shade)
        # ears
        c.ellipse(hx - hrx, hy + 2, 4, 6, shade)
        c.ellipse(hx + hrx, hy + 2, 4, 6, shade)

    c.ellipse(hx, hy, hrx, hry, skin)

    if style in ("short", "long", "bun", "bob", "curly", "spiky"):
        c.ellipse(hx, hy - 3, hrx + 2, hry + 1, hair, ymax=hy - 10)
        if style != "spiky":
            # a side parting: a sweep of hair down one temple
            c.ellipse(hx - hrx + 5, hy - 10, 7, 10, hair, xmax=hx)
        if style in ("long", "bob", "bun"):
            c.ellipse(hx + hrx - 5, hy - 10, 7, 10, hair, xmin=hx)
        if style == "spiky":
            for dx in (-12, -4, 4, 12):
                c.ellipse(hx + dx, top, 5, 8, hair)
    elif style == "bald":
        c.ellipse(hx - hrx + 1, hy - 4, 3, 6, hair)
        c.ellipse(hx + hrx - 1, hy - 4, 3, 6, hair)

    if look.get("beard"):
        c.ellipse(hx, hy + 4, hrx, hry - 1, hair, ymin=hy + 9)
        c.ellipse(hx, hy + 11, 9, 4, skin, ymin=hy + 9)

    # eyes, brows, cheeks and smile
    ey = hy + 1
    for ex in (hx - 8, hx + 8):
        c.ellipse(ex, ey, 2.4, 2.8, dark)
        c.ellipse(ex + 0.8, ey - 1, 0.8, 0.8, (255, 255, 255))
        c.ellipse(ex, ey - 6, 4.5, 1.3, mix(hair, dark, 0.3) if style != "bald" else shade,
                  ymax=ey - 5.8)
    c.ellipse(hx - 12, hy + 8, 4, 2.6, (240, 120, 120), alpha=0.35)
    c.ellipse(hx + 12, hy + 8, 4, 2.6, (240, 120, 120), alpha=0.35)
    mouth = (150, 60, 60)
    c.ellipse(hx, hy + 10, 7, 5, mouth, ymin=hy + 11)
    c.ellipse(hx, hy + 9, 7, 3.5, skin if not look.get("beard") else hair, ymin=hy + 11)

    if look.get("glasses"):
        frame = hex_rgb(look.get("frame", "#3a3030"))
        for ex in (hx - 8, hx + 8):
            c.ring(ex, ey, 6, 1.3, frame, skin)
            c.ellipse(ex, ey, 2.4, 2.8, dark)
            c.ellipse(ex + 0.8, ey - 1, 0.8, 0.8, (255, 255, 255))
        c.rect(hx - 2.5, ey - 1, hx + 2.5, ey + 0.3, frame)

    return c.downsample()
