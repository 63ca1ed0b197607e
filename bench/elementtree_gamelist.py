#!/usr/bin/env python3
"""Writes the gamelist of a list file with Python's xml.etree.ElementTree,
the yardstick scripts/bench times gamelist-cli against.

It is written as a Python programmer would write it: SubElement for each
field, ElementTree's own indent, and a text file that turns line breaks into
CR LF and characters GB2312 lacks into references. For the benchmark's list
it writes the very bytes gamelist-cli writes (scripts/bench checks that), so
the two do the same work. Only the empty-text corner differs: ElementTree
writes an empty element as <x />.

Usage: elementtree_gamelist.py LIST OUT
"""
import sys
import xml.etree.ElementTree as ET


def main(list_path, out_path):
    with open(list_path, encoding="utf-8-sig", newline="") as f:
        lines = [line for line in f.read().replace("\r\n", "\n").split("\n") if line]

    root = ET.Element("gameList")
    for line in lines:
        game = ET.SubElement(root, "game")
        ET.SubElement(game, "path").text = "./" + line
        ET.SubElement(game, "name").text = line.replace(".zip", "")
        ET.SubElement(game, "image").text = "./images/" + line.replace(".zip", ".png")
        ET.SubElement(game, "video").text = "./videos/" + line.replace(".zip", ".mp4")
    ET.indent(root, space="  ")

    with open(out_path, "w", encoding="gb2312", errors="xmlcharrefreplace", newline="\r\n") as out:
        out.write('<?xml version="1.0" encoding="GB2312"?>\n')
        ET.ElementTree(root).write(out, encoding="unicode")
        out.write("\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
