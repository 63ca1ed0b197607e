#!/usr/bin/env python3
"""Writes the gamelist of a list file with Python's xml.etree.ElementTree:
the same games, texts and layout (CR LF, two-blank indent) as gamelist-cli,
in GB2312 with references for what it lacks. The yardstick scripts/bench
times the native gamelist-cli against.

Usage: elementtree_gamelist.py LIST OUT
"""
import sys
import xml.etree.ElementTree as ET


def main(list_path, out_path):
    with open(list_path, encoding="utf-8-sig") as f:
        lines = [line.rstrip("\r\n") for line in f]
    lines = [line for line in lines if line]

    root = ET.Element("gameList")
    game = None
    for line in lines:
        game = ET.SubElement(root, "game")
        game.text = "\r\n    "
        game.tail = "\r\n  "
        fields = (
            ("path", "./" + line),
            ("name", line.replace(".zip", "")),
            ("image", "./images/" + line.replace(".zip", ".png")),
            ("video", "./videos/" + line.replace(".zip", ".mp4")),
        )
        field = None
        for tag, text in fields:
            field = ET.SubElement(game, tag)
            field.text = text
            field.tail = "\r\n    "
        field.tail = "\r\n  "
    if game is not None:
        root.text = "\r\n  "
        game.tail = "\r\n"
    ET.ElementTree(root).write(out_path, encoding="GB2312", xml_declaration=True)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
