#!/usr/bin/env python3
"""Writes a project of N objects for the board benchmarks.

    python3 bench/make_board.py N FOLDER [--alarms K] [--program DIR] [--plan]

The objects are spread over a 1820 x 900 board in rows, each a 30 x 20 shape
with its caption "Object N" above it, as the program itself writes them. With
--alarms, Alarm.dat holds K switched-on alarms, none of them due. With
--program, DIR/pathforini.ini names FOLDER, so a program file in DIR opens the
project at its start. With --plan, a floor-plan picture lies under the board.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples"))
from make_sample import (FALSE, TRUE, floor_plan, font_height, ini, record,  # noqa: E402
                         value_colour, value_identifier, value_integer, value_set, value_string)

BOARD_WIDTH, BOARD_HEIGHT = 1820, 900
FORM_NAME = "Bench"


def board_files(count):
    shapes, labels = [], []
    columns = BOARD_WIDTH // 40
    for n in range(1, count + 1):
        left = (n - 1) % columns * 40 + 5
        top = ((n - 1) // columns * 37) % (BOARD_HEIGHT - 40) + 20
        shapes.append(record("TShape", "Shape%d" % n, [
            ("Tag", value_integer(n)), ("Left", value_integer(left)), ("Top", value_integer(top)),
            ("Width", value_integer(30)), ("Height", value_integer(20)),
            ("Hint", value_string("Shape%d" % n)), ("Brush.Color", value_colour(0x008000)),
            ("ParentShowHint", FALSE), ("ShowHint", TRUE)]))
        labels.append(record("TLabel", "Label%d" % n, [
            ("Tag", value_integer(n)), ("Left", value_integer(left)),
            ("Top", value_integer(top - 14)), ("Width", value_integer(40)),
            ("Height", value_integer(13)), ("Hint", value_string("Label%d" % n)),
            ("Caption", value_string("Object %d" % n)),
            ("Font.Charset", value_identifier("DEFAULT_CHARSET")),
            ("Font.Color", value_colour(0x000000)), ("Font.Height", value_integer(font_height(8))),
            ("Font.Name", value_string("Tahoma")), ("Font.Style", value_set([])),
            ("ParentFont", FALSE), ("ParentShowHint", FALSE), ("ShowHint", TRUE),
            ("Transparent", TRUE)]))
    return b"".join(shapes), b"".join(labels)


def alarm_file(count):
    # Switched on, a year from now, so the check examines them and none is due.
    rows = ["1-Object+%d-01.01.209900:00:00-1-Days-Off-False-" % n for n in range(1, count + 1)]
    return "".join(row + "\r\n" for row in rows).encode("cp1252")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("count", type=int)
    parser.add_argument("folder")
    parser.add_argument("--alarms", type=int, default=0)
    parser.add_argument("--program")
    parser.add_argument("--plan", action="store_true")
    args = parser.parse_args()
    folder = os.path.abspath(args.folder)
    os.makedirs(folder, exist_ok=True)

    def write(name, data):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)

    caption = ('Vexorin " %s "' % FORM_NAME) + " " * 16 + "Arhive is located in: " + folder
    background = os.path.join(folder, "plan.bmp") if args.plan else ""
    if args.plan:
        write("plan.bmp", floor_plan())
    write("iniformsettings.ini", ini([
        ("Form1", [("formname and archive location", caption)]),
        ("_global_", [("bitmapfile", background)]),
        ("formname", [("formname", FORM_NAME)])]))
    shapes, labels = board_files(args.count)
    write("fStreamShape.txt", shapes)
    write("fStreamLabel.txt", labels)
    if args.alarms:
        write("Alarm.dat", alarm_file(args.alarms))
    if args.program:
        with open(os.path.join(args.program, "pathforini.ini"), "wb") as f:
            f.write(ini([("Form1", [("Pathforini", folder)])]))


if __name__ == "__main__":
    main()
