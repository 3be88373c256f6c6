#!/usr/bin/env python3
"""Mirrors the portable sources into a folder with their text in GBK.

clang copies the bytes of a string literal as they stand but has no GBK
execution character set, so the fuzz build compiles these copies: its
program texts then hold the same bytes as the product's. A file is rewritten
only when its GBK form changed, so an unchanged source is not compiled again.

usage: to_gbk.py <source root> <output root> <folder>...
"""
import os
import sys


def convert(text, name):
    out = bytearray()
    for ch in text:
        encoded = ch.encode("gbk")
        # A trail byte 5C would read as a backslash escape inside a literal.
        if len(encoded) == 2 and encoded[1] == 0x5C:
            sys.exit(f"to_gbk: {name}: the GBK form of {ch!r} ends in 5C")
        out += encoded
    return bytes(out)


def main():
    source_root, output_root, folders = sys.argv[1], sys.argv[2], sys.argv[3:]
    for folder in folders:
        for directory, _, files in os.walk(os.path.join(source_root, folder)):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(directory, name)
                with open(path, encoding="utf-8") as f:
                    data = convert(f.read(), path)
                target = os.path.join(output_root, os.path.relpath(path, source_root))
                try:
                    with open(target, "rb") as f:
                        if f.read() == data:
                            continue
                except FileNotFoundError:
                    pass
                os.makedirs(os.path.dirname(target), exist_ok=True)
                with open(target, "wb") as f:
                    f.write(data)


main()
