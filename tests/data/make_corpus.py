#!/usr/bin/env python3
"""Writes tests/data/settings/: settings files that are damaged or in a foreign encoding,
one per case and named for what is wrong with it. Most are the file a new start creates,
changed in one way. The files are committed; the core tests read them as they are."""

import os

FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "settings")
MAX_FILE_SIZE = 1 << 20  # the largest settings file read

SHANGHAI = ("0.0035 10 0.004 0.001 1 0 0.002 5 0 0 0.0035 10 0 0.001 1 0 0.0025 5 0 0 "
            "0.0043 0 0.003 0.0005 0.000255 0.000045 0").split()
SHENZHEN = ("0.0035 5 0.004 0 0 0 0.002 5 0 0 0.003 5 0 0 0 0 0.0025 5 0 0 "
            "0.0043 0 0.003 0.0005 0.0003 0.000046 0 500").split()
COLOURS = ("&HFF8080 &H80000012 &H8000000E &H8080FF &HFFFF& &H80FF80 &H80C0FF &HFFFF00 "
           "&HFF& &HFF8080").split()


def default_text():
    lines = ["[上海]"] + [f"A{i}={v}" for i, v in enumerate(SHANGHAI, 1)]
    lines += ["[深圳]"] + [f"B{i}={v}" for i, v in enumerate(SHENZHEN, 1)]
    lines += ["[Select]", "Select1=2", "Select2=1", "[SHOWCOLOR]", "Color= 0"]
    lines += [f"SColor{i}={v}" for i, v in enumerate(COLOURS, 1)]
    return "".join(line + "\r\n" for line in lines)


def default(encoding="gbk"):
    return default_text().encode(encoding)


def changed(pairs, data=None):
    data = default() if data is None else data
    for old, new in pairs:
        assert old in data, old
        data = data.replace(old, new, 1)
    return data


def padded_a1(size):
    """A1's line made long enough for the file to have `size` bytes."""
    data = default()
    pad = size - len(data) - len(b"0.0045") + len(b"0.0035")
    return changed([(b"A1=0.0035\r\n", b"A1=0.0045" + b"x" * pad + b"\r\n")])


SHENZHEN_HEADER = "[深圳]".encode("gbk")

CASES = {
    "empty.ini": b"",
    "cut_inside_a_gbk_character.ini": default()[: default().index(SHENZHEN_HEADER) + 4],
    "nul_bytes.ini": changed([
        (b"A2=10\r\n", b"A2=1\x000\r\n"),
        (b"A3=0.004\r\n", b"A3\x00=0.004\r\n"),
        (b"[Select]\r\n", b"[Select]\x00\r\n\x00\x00\x00\r\n"),
    ]),
    "line_of_1_mib_at_the_size_limit.ini": padded_a1(MAX_FILE_SIZE),
    "line_of_1_mib_one_byte_over_the_size_limit.ini": padded_a1(MAX_FILE_SIZE + 1),
    "header_without_closing_bracket.ini": changed([(SHENZHEN_HEADER, SHENZHEN_HEADER[:-1])]),
    "duplicate_sections_and_keys.ini": (
        SHENZHEN_HEADER + b"\r\nB1=0.001\r\nB1=0.002\r\n"
        + changed([(b"A5=1\r\n", b"A5=1\r\nA5=7\r\n")])
        + "[上海]\r\nA1=9\r\n".encode("gbk")),
    "utf8_without_bom.ini": default("utf-8"),
    "utf8_with_bom.ini": b"\xEF\xBB\xBF" + default("utf-8"),
    "utf16le_with_bom.ini": b"\xFF\xFE" + default("utf-16-le"),
    "utf16be_with_bom.ini": b"\xFE\xFF" + default("utf-16-be"),
    "utf16le_with_an_odd_last_byte.ini": b"\xFF\xFE" + default("utf-16-le") + b"x",
    "utf16le_without_bom.ini": default("utf-16-le"),
    "cr_line_ends.ini": default().replace(b"\r\n", b"\r"),
    "hex_with_20_digits.ini": changed([
        (b"A3=0.004\r\n", b"A3=&HFFFFFFFFFFFFFFFFFFFF\r\n"),
        (b"B3=0.004\r\n", b"B3=&H00000000000000000010\r\n"),
    ]),
    "exponent_beyond_double.ini": changed([
        (b"A4=0.001\r\n", b"A4=1e400\r\n"),
        (b"B4=0\r\n", b"B4=-1D400\r\n"),
        (b"Select1=2\r\n", b"Select1=1e400\r\n"),
    ]),
    "negative_zero.ini": changed([
        (b"A6=0\r\n", b"A6=-0\r\n"),
        (b"B6=0\r\n", b"B6=-0.0E-0\r\n"),
        (b"Color= 0\r\n", b"Color=-0\r\n"),
    ]),
    "values_outside_every_range.ini": changed([
        (b"A1=0.0035\r\n", b"A1=-5\r\n"),
        (b"B28=500\r\n", b"B28=1.7E+308\r\n"),
        (b"Select1=2\r\n", b"Select1=99999\r\n"),
        (b"Select2=1\r\n", b"Select2=-40000\r\n"),
        (b"Color= 0\r\n", b"Color=4\r\n"),
        (b"SColor1=&HFF8080\r\n", b"SColor1=-1\r\n"),
        (b"SColor2=&H80000012\r\n", b"SColor2=&H1000000\r\n"),
    ]),
}


def main():
    os.makedirs(FOLDER, exist_ok=True)
    for name, data in CASES.items():
        with open(os.path.join(FOLDER, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
