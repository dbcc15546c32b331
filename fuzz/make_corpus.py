#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The seeds are committed; rerun this only to change them.
"""
import os
import random
import shutil
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
rng = random.Random(2003)


def frame(fid, data, layout="A"):
    data = bytes(data)
    assert len(data) == 8
    if layout == "A":
        return b"HP" + bytes([fid]) + data + b"F"
    if layout == "B":
        return b"P" + bytes([fid]) + data + b"F "
    return bytes([fid]) + data + b"F  "


def rand8():
    return [rng.randrange(256) for _ in range(8)]


def download(layout="A", data=None):
    out = b""
    for fid in range(1, 27):
        out += frame(fid, data(fid) if data else rand8(), layout)
    return out


def scanner_set(layout="A"):
    return (frame(29, [90, 3, 40, 45, 0, 2, 3, 20], layout)
            + frame(30, [15, 14, 0x18, 0x01, 9, 0xB0, 0x04, 1], layout)
            + frame(31, [0xFE, 2, 5, 0, 0xFF, 1, 0, 0], layout)
            + frame(32, rand8(), layout) + frame(33, rand8(), layout)
            + frame(34, rand8(), layout))


def receiver_seeds():
    # Header: state, three notification sizes, milliseconds per notification, clicks.
    defaults = {
        1: [10, 10, 6, 6, 6, 6, 6, 6], 10: [35, 52, 58, 68, 74, 78, 80, 81],
        19: [45, 35, 25, 15, 5, 0, 0, 0], 20: [5, 4, 3, 2, 1, 0, 0, 0xFE],
        22: [0, 0, 0, 0, 5, 30, 3, 3], 23: [5, 0, 5, 30, 55, 70, 86, 5],
        24: [22, 15, 87, 80, 2, 20, 10, 70], 25: [4, 0, 60, 5, 15, 130, 230, 0],
    }
    streams = {
        "download-defaults": download(data=lambda i: defaults.get(i, [i] * 8)),
        "download-random": download(),
        "download-layout-b": download("B"),
        "download-layout-c": download("C"),
        "download-lost-byte": download()[:40] + download()[41:],
        "download-extra-byte": download()[:30] + b"\x00" + download()[30:],
        "scanner": scanner_set() * 3,
        "scanner-layout-b": scanner_set("B") * 2,
        "scanner-negative-positions": frame(29, [0, 0, 0, 0, 0xFF, 0xFF, 0, 255])
        + frame(30, [0, 0x80, 0xFF, 0xFF, 255, 1, 0, 0]),
        "tps-edges": frame(25, [0, 0xFF, 0, 7, 0, 200, 40, 0])
        + frame(25, [6, 10, 255, 10, 255, 130, 251, 0])
        + frame(29, [0, 0, 0, 0, 0xFF, 0x03, 0, 0]) * 8,
        "zeros": bytes(48),
        "garbage-then-frames": bytes(rng.randrange(256) for _ in range(17)) + scanner_set(),
        "hp-noise": b"HPHPHHHPPF  " + frame(24, rand8()) + b"H",
    }
    seeds = {}
    for state in range(5):
        for name, stream in streams.items():
            sizes = [rng.choice([1, 5, 11, 12, 13, 24, 39]) for _ in range(3)]
            tick = rng.choice([0, 10, 50, 120, 255])
            clicks = rng.choice([0, 0, 3, 17, 42, 200])
            seeds[f"{state}-{name}"] = bytes([state] + sizes + [tick, clicks]) + stream
    return seeds


DEFAULT_LINE = (
    "TPS X RPM;Injetado;6000;128;1;70;1500;2200;10;10;6;6;6;6;6;6;10;10;12;12;12;12;12;12;11;18;"
    "18;19;20;20;21;22;32;32;31;30;29;28;27;25;33;33;32;31;30;29;28;26;33;33;32;32;30;29;28;26;"
    "34;34;33;33;31;30;29;27;34;34;33;33;31;30;29;27;34;34;33;33;31;30;29;27;3,5;5,2;5,8;6,8;7,4;"
    "7,8;8;8,1;3,1;4,3;5,3;6,5;7,3;7,6;7,8;8,1;2,8;4;5;6,2;7,2;7,6;7,8;8,1;2,5;3,8;4,4;6,2;7,2;"
    "7,6;8;8,2;2,4;3,3;4,2;6;7,4;8,2;8,2;8,3;2,4;3,1;4,2;5,8;7,6;8,7;8,6;8,6;2,3;2,9;4;5,7;7,4;"
    "8,2;8,3;8,5;2,3;2,8;3,9;5,6;7,3;7,8;8,3;8,3;2,2;2,8;3,8;5,5;7,2;7,8;8,1;8,1;Normal;550;700;"
    "860;TPS;30;Ativada;0;0;0;0;TPS;3;3;3;45;35;25;15;5;0;0;0;5;4;3;2;1;0;0;-2;70;50;40;30;20;15;"
    "0;0;87;80;4;6;0,2;20;130;230"
).encode("ascii")


def map_file_seeds():
    values = DEFAULT_LINE.split(b";")
    return {
        "default-crlf": DEFAULT_LINE + b"\r\n",
        "default-lf": DEFAULT_LINE + b"\n",
        "default-no-line-end": DEFAULT_LINE,
        "197-values": b";".join(values[:197]) + b"\r\n",
        "extra-values": DEFAULT_LINE + b";1" * 70 + b"\r\n",
        "over-256-slots": b";" * 300 + b"\r\n",
        "second-line-ignored": DEFAULT_LINE + b"\r\nTPS;1;2\r\n",
        "cr-inside": DEFAULT_LINE.replace(b"6000", b"60\r00") + b"\r\n",
        "eof-character": DEFAULT_LINE[:100] + b"\x1a" + DEFAULT_LINE[100:],
        "windows-1252": b";".join(values[:5] + [b"Inje\xe7\xe3o \x80 \x81\x8d"] + values[6:]),
        "hostile-numbers": b";".join(values[:197] + [b"9999999999999999999", b"-0"]),
        "tps-negative": b";".join(values[:197] + [b"-130", b" 2147483647 "]),
        "tps-empty": b";".join(values[:197] + [b"", b""]),
        "empty": b"",
        "letters": b";".join([b"abc"] * 199),
    }


def number_text_seeds():
    texts = ["12", "-3", " 3,5 ", "1e308", "1E309", "1,5E-5", "-0", "NaN", "nan", "INF", "-INF",
             "9999999999999999999", "2147483647", "2147483648", "-2147483648", "-2147483649",
             "0,00005", "1.5", "1,", ",5", "+7", "1e", "1E+3", "0,04", "-2,46", "12,25",
             "  ", "", "1,79769313486232E308", "4,94065645841247E-324", "2,5e-310", "00012",
             "1e-400", "0,000000000000000000001e20"]
    seeds = {f"text-{i:02}": t.encode("latin-1") for i, t in enumerate(texts)}
    doubles = [0.0, -0.0, 12.25, -2.46, 0.04, 2.25, 0.05, 0.00005, 1e15, 1e-4, 123456789012345.6,
               1.7976931348623157e308, 5e-324, 2.5, -0.5, 0.95, 99.95, 81 / 10.0]
    for i, d in enumerate(doubles):
        seeds[f"double-{i:02}"] = struct.pack("<d", d)
    seeds["nan"] = struct.pack("<d", float("nan"))
    seeds["infinity"] = struct.pack("<d", float("inf"))
    seeds["int-min"] = struct.pack("<i", -2 ** 31)
    return seeds


def write(target, seeds):
    folder = os.path.join(ROOT, target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("receiver", receiver_seeds())
    write("map_file", map_file_seeds())
    write("number_text", number_text_seeds())
