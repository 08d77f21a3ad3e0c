#!/usr/bin/env python3
"""Builds the sample project "Plant": a small boiler plant on a floor plan.

    python3 examples/make_sample.py TARGET [--as FOLDER] [--screen WxH]

TARGET is the folder to write (created when missing; files of the same names
are replaced). FOLDER is the absolute path the project's settings file stores
in the window caption; it defaults to TARGET made absolute. A copy opened from
another folder takes that folder instead. The background picture is named
without a folder, so the program finds it in whatever folder the project is
opened from. The objects stand on their spots of the floor plan on the board
of a screen of WxH pixels (default 1920x1080), whose size the settings file
stores, so that the program stretches the plan over that board on any screen.

The copy kept in examples/Plant is built with

    python3 examples/make_sample.py examples/Plant --as /tmp/Plant

Every file is written in the bytes the program itself writes (and the earlier
Windows version read): settings and text files in Windows-1252 with CR LF line
ends, the board files in the component stream format, notes in RTF as the
program's rich-text editor saves them, so that opening the sample and closing
it again rewrites the same bytes.
"""

import argparse
import os
import struct
import sys

FORM_NAME = "Plant"
BACKGROUND = "plan.bmp"

# ---------------------------------------------------------------------------
# Colours are 0x00BBGGRR values, red in the lowest byte.


def rgb(r, g, b):
    return r | (g << 8) | (b << 16)


# Named colours of the component stream (a named colour is written by name).
NAMED_COLOURS = {
    0x000000: "clBlack", 0x000080: "clMaroon", 0x008000: "clGreen",
    0x008080: "clOlive", 0x800000: "clNavy", 0x800080: "clPurple",
    0x808000: "clTeal", 0x808080: "clGray", 0xC0C0C0: "clSilver",
    0x0000FF: "clRed", 0x00FF00: "clLime", 0x00FFFF: "clYellow",
    0xFF0000: "clBlue", 0xFF00FF: "clFuchsia", 0xFFFF00: "clAqua",
    0xFFFFFF: "clWhite", 0xC0DCC0: "clMoneyGreen", 0xF0CAA6: "clSkyBlue",
    0xF0FBFF: "clCream", 0xA4A0A0: "clMedGray",
}

# The project's statuses (the status buttons of the note window).
STATUSES = [
    ("Running", rgb(0, 150, 0)),
    ("Maintenance", rgb(255, 140, 0)),
    ("Fault", rgb(255, 0, 0)),
    ("Stopped", rgb(128, 128, 128)),
]
STATUS_COLOUR = dict(STATUSES)
NAMED_GREEN = 0x008000  # the fill of a freshly named object
BLACK = 0x000000

# The objects: name, kind, centre on the floor plan (in the plan's pixels),
# width, height, fill, shape hint, and the caption element's width and height
# (the program sizes a caption to its text: the name in Tahoma 8 points bold,
# as measured with the font that stands in for Tahoma on Debian).
OBJECTS = [
    ("Boiler", "stRectangle", (136, 120), 80, 56, STATUS_COLOUR["Running"],
     "Steam boiler B1, 2 MW", 36, 13),
    ("Pump 1", "stCircle", (361, 120), 40, 40, STATUS_COLOUR["Fault"],
     "Feed water pump P1", 47, 13),
    ("Pump 2", "stCircle", (449, 120), 40, 40, STATUS_COLOUR["Maintenance"],
     "Feed water pump P2", 47, 13),
    ("Tank A", "stEllipse", (647, 177), 100, 64, STATUS_COLOUR["Stopped"],
     "Feed water tank, 40 m3", 41, 13),
    ("Gate", "stRectangle", (257, 345), 48, 24, NAMED_GREEN,
     "Main gate", 29, 13),
]
FONT_SIZE = 8          # caption size in points
DOTS_PER_INCH = 96


def board_size(screen):
    # The board is the main window's client area below the menu bar: the
    # window is the screen less 100 pixels each way, less its frame.
    width, height = screen
    return width - 102, height - 144


def caption_gap(screen_height):
    # How far a caption stands above its shape: LabelOffset(S, 1) as New
    # Object computes it, rounding down, D = desktop height / 100.
    d = screen_height // 100
    return 6 + (FONT_SIZE * (FONT_SIZE + 1)) // d


# ---------------------------------------------------------------------------
# Component stream (fStreamShape.txt, fStreamLabel.txt).


def short_text(text):
    data = text.encode("cp1252")
    assert len(data) < 256
    return bytes([len(data)]) + data


def value_integer(n):
    if -128 <= n <= 127:
        return b"\x02" + struct.pack("<b", n)
    if -32768 <= n <= 32767:
        return b"\x03" + struct.pack("<h", n)
    return b"\x04" + struct.pack("<i", n)


def value_string(text):
    data = text.encode("cp1252")
    if len(data) <= 255:
        return b"\x06" + bytes([len(data)]) + data
    return b"\x0C" + struct.pack("<I", len(data)) + data


def value_identifier(name):
    return b"\x07" + short_text(name)


def value_colour(colour):
    if colour in NAMED_COLOURS:
        return value_identifier(NAMED_COLOURS[colour])
    return value_integer(colour)


def value_set(names):
    return b"\x0B" + b"".join(short_text(n) for n in names) + b"\x00"


FALSE = b"\x08"
TRUE = b"\x09"


def record(class_name, name, properties):
    out = b"TPF0" + short_text(class_name) + short_text(name)
    for prop, value in properties:
        out += short_text(prop) + value
    return out + b"\x00\x00"


def font_height(points):
    # Minus the character height in pixels, halves away from zero.
    return -int(points * DOTS_PER_INCH / 72 + 0.5)


def board_files(screen):
    board_width, board_height = board_size(screen)
    gap = caption_gap(screen[1])
    shapes = b""
    labels = b""
    for n, (name, kind, (cx, cy), width, height, fill, hint,
            caption_width, caption_height) in enumerate(OBJECTS, start=1):
        # The background is stretched over the board: place the shape on its
        # spot of the plan.
        left = round(cx * board_width / PLAN_W - width / 2)
        top = round(cy * board_height / PLAN_H - height / 2)
        props = [("Tag", value_integer(n)), ("Left", value_integer(left)),
                 ("Top", value_integer(top)), ("Width", value_integer(width)),
                 ("Height", value_integer(height)), ("Hint", value_string(hint))]
        if fill != 0xFFFFFF:
            props.append(("Brush.Color", value_colour(fill)))
        props.append(("ParentShowHint", FALSE))
        if kind != "stRectangle":
            props.append(("Shape", value_identifier(kind)))
        props.append(("ShowHint", TRUE))
        shapes += record("TShape", "Shape%d" % n, props)

        props = [("Tag", value_integer(n)), ("Left", value_integer(left)),
                 ("Top", value_integer(top - gap)),
                 ("Width", value_integer(caption_width)),
                 ("Height", value_integer(caption_height)),
                 ("Hint", value_string("Label%d" % n)),
                 ("Caption", value_string(name)),
                 ("Font.Charset", value_identifier("DEFAULT_CHARSET")),
                 ("Font.Color", value_colour(0x000000)),
                 ("Font.Height", value_integer(font_height(FONT_SIZE))),
                 ("Font.Name", value_string("Tahoma")),
                 ("Font.Style", value_set(["fsBold"])),
                 ("ParentFont", FALSE), ("ParentShowHint", FALSE),
                 ("ShowHint", TRUE), ("Transparent", TRUE)]
        labels += record("TLabel", "Label%d" % n, props)
    return shapes, labels


# ---------------------------------------------------------------------------
# Settings files (Windows profile files: CR LF, Windows-1252).


def ini(sections):
    lines = []
    for section, keys in sections:
        lines.append("[%s]" % section)
        lines.extend("%s=%s" % kv for kv in keys)
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def caption(folder):
    return ('Vexorin " %s "' % FORM_NAME) + " " * 16 + "Arhive is located in: " + folder


def form_settings(folder, screen):
    return ini([
        # The board's size: the plan is stretched over it on any screen.
        ("Form1", [("formname and archive location", caption(folder)),
                   ("boardsize", "%dx%d" % board_size(screen))]),
        # No folder: the program takes the picture from the project folder.
        ("_global_", [("bitmapfile", BACKGROUND)]),
        ("formname", [("formname", FORM_NAME)]),
    ])


def status_file():
    sections = [("SpeedButton Count", [("SpeedButton Count", str(len(STATUSES)))])]
    for k, (name, colour) in enumerate(STATUSES, start=1):
        sections.append(("SpeedButton%d" % k, [
            ("Tag", str(k)), ("Caption", name), ("Width", "168"), ("Height", "23"),
            ("Top", str(28 * k)), ("Left", "5"), ("Color", str(colour))]))
    return ini(sections)


# ---------------------------------------------------------------------------
# Tables: column count, row count, then the cells column by column.

DEFAULT_TABLE = [
    ["Item", "Serial no.", "Maker", "Installed", "Last service"],
    ["Value", "", "", "", ""],
    ["Remark", "", "", "", ""],
]

TABLES = {
    "Boiler": [
        ["Item", "Serial no.", "Maker", "Installed", "Last service"],
        ["Value", "B1-0417", "Kessel & Co.", "2009", "14.03.2026"],
        ["Remark", "", "2 MW, 12 bar", "", "Burner nozzle changed"],
    ],
    "Pump 1": [
        ["Item", "Serial no.", "Maker", "Installed", "Last service"],
        ["Value", "P-22871", "Aquaflux", "2015", "02.09.2026"],
        ["Remark", "", "15 kW, 2900 rpm", "", "Bearing noise since 03.12.2026"],
    ],
    "Pump 2": [
        ["Item", "Serial no.", "Maker", "Installed", "Last service"],
        ["Value", "P-22872", "Aquaflux", "2015", "07.12.2026"],
        ["Remark", "", "15 kW, 2900 rpm", "", "Seal kit ordered"],
    ],
    "Tank A": [
        ["Item", "Serial no.", "Maker", "Installed", "Volume", "Last service"],
        ["Value", "T-0031", "Steelworks Nord", "2009", "40 m\u00b3", "20.05.2026"],
        ["Remark", "", "", "", "", "Inspection due 2030"],
    ],
    "Gate": DEFAULT_TABLE,
}


def table_file(columns):
    rows = len(columns[0])
    assert all(len(c) == rows for c in columns)
    lines = [str(len(columns)), str(rows)] + [cell for column in columns for cell in column]
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


# ---------------------------------------------------------------------------
# Alarm file: seven fields each followed by "-", blanks of the name as "+",
# the blank between date and time left out.

ALARMS = [
    # enabled, name, start, duration, unit, sound, active
    (True, "Pump 1", "03.12.2026 06:15:00", 10, "Years", "Off", "True"),
    (True, "Tank A", "15.06.2030 09:00:00", 2, "Hours", "On", "False"),
]


def alarm_file():
    lines = []
    for enabled, name, start, duration, unit, sound, active in ALARMS:
        fields = ["1" if enabled else "0", name.replace(" ", "+"),
                  start[:10] + start[11:], str(duration), unit, sound, active]
        lines.append("".join(f + "-" for f in fields))
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


# ---------------------------------------------------------------------------
# Notes in RTF, as the program's rich-text editor writes them: each paragraph
# ends with \par; a status stamp is a line of three blanks and a line with the
# date and time in the status colour.

NOTES = {
    "Boiler": [
        "Steam boiler B1, 2 MW, natural gas.",
        ("Running", "14.03.2026 16:20:41"),
        "Annual service done, burner nozzle changed.",
    ],
    "Pump 1": [
        "Feed water pump P1.",
        ("Running", "02.09.2026 10:05:12"),
        "Back in service after overhaul.",
        ("Fault", "03.12.2026 06:12:30"),
        "Bearing noise, stopped by the night shift. Alarm set.",
    ],
    "Pump 2": [
        "Feed water pump P2, stand-by for P1.",
        ("Maintenance", "07.12.2026 08:30:00"),
        "Shaft seal leaking; seal kit ordered.",
    ],
    "Tank A": [
        "Feed water tank, 40 m3.",
        ("Running", "20.05.2026 07:45:09"),
        ("Stopped", "01.10.2026 15:00:00"),
        "Drained for the winter. Inspection planned for June 2030.",
    ],
    # Gate: just named, its note file is empty.
}


def rtf_text(text):
    out = ""
    for ch in text:
        if ch in "\\{}":
            out += "\\" + ch
        elif 0x20 <= ord(ch) < 0x7F:
            out += ch
        else:
            out += "\\'%02x" % ch.encode("cp1252")[0]
    return out


def note_file(lines):
    # Paragraphs with their text colour: a stamp in its status colour; text
    # typed after a stamp is black; text before any stamp has no colour.
    paragraphs = []
    stamped = False
    for line in lines:
        if isinstance(line, tuple):
            paragraphs.append((BLACK if stamped else None, "   "))
            paragraphs.append((STATUS_COLOUR[line[0]], line[1]))
            stamped = True
        else:
            paragraphs.append((BLACK if stamped else None, line))
    paragraphs.append((BLACK if stamped else None, ""))  # the caret's empty last line

    # The colour table lists the colours in the order they first appear.
    colours = []
    for colour, _ in paragraphs:
        if colour is not None and colour not in colours:
            colours.append(colour)
    table = "".join("\\red%d\\green%d\\blue%d;" % (c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)
                    for c in colours)

    out = ("{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033"
           "{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\r\n")
    out += "{\\colortbl ;" + table + "}\r\n"
    out += "\\viewkind4\\uc1\r\n"
    current = 0  # colour index in force
    for n, (colour, text) in enumerate(paragraphs):
        words = "\\pard\\f0\\fs16" if n == 0 else ""
        wanted = 0 if colour is None else colours.index(colour) + 1
        if wanted != current:
            words += "\\cf%d" % wanted
            current = wanted
        body = rtf_text(text)
        out += words + (" " if words and body else "") + body + "\\par\r\n"
    return (out + "}\r\n").encode("cp1252")


# ---------------------------------------------------------------------------
# The floor plan: a 4-bit Windows bitmap drawn here, with room names in a
# small block font.

PLAN_W, PLAN_H = 800, 400
PALETTE = [
    (250, 248, 240),  # 0 paper
    (60, 60, 60),     # 1 wall
    (255, 244, 214),  # 2 boiler house
    (220, 236, 250),  # 3 pump room
    (222, 242, 222),  # 4 tank farm
    (232, 232, 232),  # 5 yard
    (70, 120, 200),   # 6 pipe
    (120, 120, 120),  # 7 text
    (200, 200, 200),  # 8 road marking
]

GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    " ": ["00000"] * 7,
}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = bytearray(w * h)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            row = y * self.w
            self.px[row + max(0, x0):row + min(self.w, x1)] = bytes([c]) * (min(self.w, x1) - max(0, x0))

    def frame(self, x0, y0, x1, y1, c, t):
        self.rect(x0, y0, x1, y0 + t, c)
        self.rect(x0, y1 - t, x1, y1, c)
        self.rect(x0, y0, x0 + t, y1, c)
        self.rect(x1 - t, y0, x1, y1, c)

    def text(self, x, y, s, c, scale=2):
        for ch in s:
            for gy, bits in enumerate(GLYPHS[ch]):
                for gx, bit in enumerate(bits):
                    if bit == "1":
                        self.rect(x + gx * scale, y + gy * scale,
                                  x + (gx + 1) * scale, y + (gy + 1) * scale, c)
            x += 6 * scale

    def bmp(self, palette):
        # 4 bits a pixel, rows bottom-up, each row padded to 4 bytes.
        row_bytes = ((self.w + 1) // 2 + 3) & ~3
        pixels = bytearray()
        for y in range(self.h - 1, -1, -1):
            row = self.px[y * self.w:(y + 1) * self.w]
            packed = bytearray((row[i] << 4) | (row[i + 1] if i + 1 < self.w else 0)
                               for i in range(0, self.w, 2))
            pixels += packed + bytes(row_bytes - len(packed))
        colours = b"".join(bytes([b, g, r, 0]) for r, g, b in palette)
        colours += bytes(16 * 4 - len(colours))
        offset = 14 + 40 + len(colours)
        header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 4, 0, len(pixels),
                           2835, 2835, 16, 0)
        return header + info + colours + bytes(pixels)


def floor_plan():
    c = Canvas(PLAN_W, PLAN_H)
    c.rect(0, 0, PLAN_W, PLAN_H, 0)
    # Rooms: boiler house, pump room, yard, tank farm.
    c.rect(40, 40, 300, 200, 2)
    c.rect(300, 40, 520, 200, 3)
    c.rect(40, 200, 520, 360, 5)
    c.rect(560, 40, 760, 360, 4)
    c.frame(40, 40, 300, 200, 1, 4)
    c.frame(296, 40, 520, 200, 1, 4)
    c.frame(40, 196, 520, 360, 1, 4)
    c.frame(560, 40, 760, 360, 1, 4)
    # Doors and the gate: gaps in the walls.
    c.rect(220, 196, 260, 200, 5)
    c.rect(400, 196, 440, 200, 5)
    c.rect(230, 356, 290, 360, 0)
    # Road from the gate.
    for y in range(364, PLAN_H, 12):
        c.rect(258, y, 262, y + 6, 8)
    # Pipes: boiler to pumps to tank.
    c.rect(170, 118, 560, 122, 6)
    c.rect(520, 168, 600, 172, 6)
    c.rect(596, 168, 600, 240, 6)
    c.text(60, 56, "BOILER HOUSE", 7)
    c.text(316, 56, "PUMP ROOM", 7)
    c.text(576, 56, "TANK FARM", 7)
    c.text(60, 336, "YARD", 7)
    c.text(300, 374, "GATE", 7)
    return c.bmp(PALETTE)


# ---------------------------------------------------------------------------


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("target", help="folder to write the project into")
    parser.add_argument("--screen", default="1920x1080",
                        help="screen size the objects are laid out for (default: 1920x1080)")
    parser.add_argument("--as", dest="folder",
                        help="absolute path stored in the caption "
                             "(default: TARGET made absolute)")
    args = parser.parse_args()
    folder = args.folder or os.path.abspath(args.target)
    if not os.path.isabs(folder):
        sys.exit("--as needs an absolute path")
    folder = folder.rstrip("/") or "/"
    try:
        screen = tuple(int(v) for v in args.screen.lower().split("x"))
        if len(screen) != 2 or min(screen) < 300:
            raise ValueError
    except ValueError:
        sys.exit("--screen wants WIDTHxHEIGHT, for example 1366x768")

    os.makedirs(args.target, exist_ok=True)
    out = lambda name: os.path.join(args.target, name)

    write(out(BACKGROUND), floor_plan())
    write(out("iniformsettings.ini"), form_settings(folder, screen))
    shapes, labels = board_files(screen)
    write(out("fStreamShape.txt"), shapes)
    write(out("fStreamLabel.txt"), labels)
    write(out("defaulttable.txt"), table_file(DEFAULT_TABLE))
    write(out("youriniSB.ini"), status_file())
    write(out("Alarm.dat"), alarm_file())
    for name, *_ in OBJECTS:
        os.makedirs(out(name), exist_ok=True)
        write(os.path.join(out(name), name + ".rtf"),
              note_file(NOTES[name]) if name in NOTES else b"")
        write(os.path.join(out(name), name + "table.txt"), table_file(TABLES[name]))
    print("Sample project written to %s (to be opened as %s)" % (args.target, folder))


if __name__ == "__main__":
    main()
