#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the sample TELV installation "TELV 2" with its map "Demo" beside this script.

The output is deterministic: the same bytes on every run, so the committed sample can be
regenerated and compared with `git diff`. The folder "TELV 2" is replaced as a whole.

Every tile is written in its own encoding and line-break style, because telling those apart
is what a map checker has to get right:

    tile_0_0.map  Windows-1252, CR LF      (a reference holding the byte E4, "ä")
    tile_0_1.map  UTF-16 LE with mark, LF
    tile_1_0.map  UTF-16 BE with mark, CR LF
    tile_1_1.map  UTF-8 with mark, CR only
    tile_2_0.map  plain ASCII, LF

README.md next to this script lists what a scan of the map must report.
"""

import shutil
import sys
from pathlib import Path

INSTALLATION = "TELV 2"

# Files of the installation, relative to its folder, with "/" as on disk. The letter case on
# disk differs on purpose from some tiles (Trees/Oak.sco is named trees\oak.sco in the tiles,
# Splines/Paths/Footpath.sli is named Splines\paths\footpath.sli).
SCENERY_FILES = {
    "Sceneryobjects/bench.sco": "park bench, wood",
    "Sceneryobjects/Houses/h1.sco": "terraced house, two floors",
    "Sceneryobjects/Houses/h2.sco": "terraced house, three floors",
    "Sceneryobjects/Houses/texture/h1_wall.txt": None,
    "Sceneryobjects/Houses/texture/h1_roof.txt": None,
    "Sceneryobjects/Houses/Old/barn.sco": "old barn with hay loft",
    "Sceneryobjects/Houses/Old/texture/barn.txt": None,
    "Sceneryobjects/Häuser/altbau.sco": "Altbau, vier Geschosse",
    "Sceneryobjects/Häuser/texture/altbau.txt": None,
    "Sceneryobjects/Trees/Oak.sco": "oak, mature",
    "Sceneryobjects/Trees/Birch.sco": "birch, young",
    "Sceneryobjects/Trees/texture/leaves.txt": None,
    "Sceneryobjects/Signs/busstop.sco": "bus stop pole with timetable",
    "Sceneryobjects/Signs/stop.sco": "stop sign",
    "Sceneryobjects/Signs/texture/signs.txt": None,
}

SPLINE_FILES = {
    "Splines/Roads/road_2lane.sli": "road, two lanes, 7.5 m",
    "Splines/Roads/road_4lane.sli": "road, four lanes, 14 m",
    "Splines/Roads/texture/asphalt.txt": None,
    "Splines/Rails/rail_single.sli": "single track on ballast",
    "Splines/Rails/texture/ballast.txt": None,
    "Splines/Paths/Footpath.sli": "footpath, gravel, 2 m",
}


def object_text(description):
    """A made-up object description, in the style of the installation's own files."""
    return (
        "[description]\r\n"
        f"{description}\r\n"
        "\r\n"
        "[mesh]\r\n"
        "model\\main.mesh\r\n"
        "\r\n"
        "[collision_mesh]\r\n"
        "model\\collision.mesh\r\n"
    )


def spline_text(description):
    """A made-up spline profile: a name, a width and the texture strips across it."""
    return (
        "[description]\r\n"
        f"{description}\r\n"
        "\r\n"
        "[width]\r\n"
        "7.5\r\n"
        "\r\n"
        "[strip]\r\n"
        "texture\\asphalt.bmp\r\n"
        "-3.75\r\n"
        "3.75\r\n"
    )


def texture_text(name):
    return f"placeholder for the bitmap {name}.bmp\r\n"


# ---- Tiles --------------------------------------------------------------------------------
#
# A tile is a placement file: a short header, then one block per placed object or spline.
# Each block is a header line ("[object]" or "[spline]"), a numeric id, the reference line,
# and the numbers of the placement (position x, y, z, rotation, scale or length).

TILE_HEADER = ["[version]", "3", "", "[terrain]", "1", ""]


def placement_numbers(serial):
    """Nine made-up placement numbers; deterministic, varied, never ending in an extension."""
    x = (serial * 37) % 300 - 150 + 0.25 * (serial % 4)
    y = (serial * 53) % 300 - 150 + 0.5 * (serial % 2)
    z = (serial * 7) % 12 * 0.125
    heading = (serial * 45) % 360
    return [
        f"{x:.3f}",
        f"{y:.3f}",
        f"{z:.3f}",
        f"{heading}.000",
        "0.000",
        "0.000",
        "1.000",
        "1",
        "0",
    ]


def block(kind, reference, serial):
    return [f"[{kind}]", str(1000 + serial), reference, *placement_numbers(serial)]


def tile_lines(entries):
    """Lines of a tile; entries are (kind, text) where kind is "object", "spline" or "line"."""
    lines = list(TILE_HEADER)
    for serial, (kind, text) in enumerate(entries, start=1):
        if kind == "line":
            lines.append(text)
        else:
            lines.extend(block(kind, text, serial))
    return lines


# Each tile: name, encoding, line break, entries. References use backslashes as the simulator
# writes them. "line" entries are ordinary lines that are not references although they look
# close to one (a trailing blank, an extension in capitals).
TILES = [
    (
        "tile_0_0.map",
        "cp1252",
        "\r\n",
        [
            ("line", "[name]"),
            ("line", "Haltestelle Gärtnerstraße"),
            ("object", "Sceneryobjects\\Houses\\h1.sco"),
            ("object", "Sceneryobjects\\Häuser\\altbau.sco"),
            ("object", "Sceneryobjects\\trees\\oak.sco"),
            ("spline", "Splines\\Roads\\road_2lane.sli"),
            ("object", "Sceneryobjects\\bench.sco"),
            ("line", "[note]"),
            ("line", "Sceneryobjects\\Houses\\h2.sco "),
        ],
    ),
    (
        "tile_0_1.map",
        "utf-16-le",
        "\n",
        [
            ("spline", "Splines\\Roads\\road_2lane.sli"),
            ("object", "Sceneryobjects\\Houses\\h1.sco"),
            ("object", "Sceneryobjects\\Häuser\\altbau.sco"),
            ("object", "Sceneryobjects\\Signs\\busstop.sco"),
            ("object", "Sceneryobjects\\Signs\\speed30.sco"),
            ("spline", "Splines\\Rails\\rail_single.sli"),
        ],
    ),
    (
        "tile_1_0.map",
        "utf-16-be",
        "\r\n",
        [
            ("object", "Sceneryobjects\\houses\\H1.sco"),
            ("object", "Sceneryobjects\\Houses\\Old\\barn.sco"),
            ("spline", "Splines\\Rails\\tram_track.sli"),
            ("object", "Sceneryobjects\\Fences\\fence_wood.sco"),
            ("spline", "Splines\\Roads\\road_4lane.sli"),
            ("line", "[note]"),
            ("line", "Sceneryobjects\\Signs\\stop.SCO"),
        ],
    ),
    (
        "tile_1_1.map",
        "utf-8-sig",
        "\r",
        [
            ("object", "Sceneryobjects\\Trees\\Birch.sco"),
            ("object", "Sceneryobjects\\trees\\oak.sco"),
            ("spline", "Splines\\paths\\footpath.sli"),
            ("object", "lamp.sco"),
            ("object", "Sceneryobjects\\Häuser\\altbau.sco"),
        ],
    ),
    (
        "tile_2_0.map",
        "ascii",
        "\n",
        [
            ("object", "Sceneryobjects\\Houses\\h2.sco"),
            ("spline", "Splines\\Roads\\road_2lane.sli"),
            ("object", "Sceneryobjects\\Signs\\stop.sco"),
            ("spline", "Splines\\Bridges\\bridge_steel.sli"),
            ("object", "Sceneryobjects\\bench.sco"),
        ],
    ),
]

GLOBAL_CFG = [
    "[name]",
    "Demo",
    "",
    "[description]",
    "A small made-up map with five tiles around a bus stop.",
    "",
    "[version]",
    "3",
    "",
    "[origin]",
    "0",
    "",
    "[map]",
    "0",
    "0",
    "tile_0_0.map",
    "",
    "[map]",
    "0",
    "1",
    "tile_0_1.map",
    "",
    "[map]",
    "1",
    "0",
    "tile_1_0.map",
    "",
    "[map]",
    "1",
    "1",
    "tile_1_1.map",
    "",
    "[map]",
    "2",
    "0",
    "tile_2_0.map",
    "",
]

AILISTS_CFG = [
    "[group]",
    "Demo city buses",
    "",
    "[vehicle]",
    "Vehicles\\Citybus\\standard.veh",
    "0.800",
    "",
    "[vehicle]",
    "Vehicles\\Citybus\\articulated.veh",
    "0.200",
    "",
    "[group]",
    "Demo cars",
    "",
    "[vehicle]",
    "Vehicles\\Cars\\hatchback.veh",
    "1.000",
    "",
]


def write(path, data):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


# Byte-order marks written before the text; "utf-8-sig" writes its own.
MARKS = {"utf-16-le": b"\xff\xfe", "utf-16-be": b"\xfe\xff"}


def encode_tile(lines, encoding, line_break):
    text = line_break.join(lines) + line_break
    return MARKS.get(encoding, b"") + text.encode(encoding)


def main():
    root = Path(__file__).resolve().parent / INSTALLATION
    if root.exists():
        shutil.rmtree(root)

    for relative, description in {**SCENERY_FILES, **SPLINE_FILES}.items():
        path = root / relative
        if description is None:
            content = texture_text(path.stem)
        elif path.suffix == ".sco":
            content = object_text(description)
        else:
            content = spline_text(description)
        write(path, content.encode("utf-8"))

    demo = root / "maps" / "Demo"
    write(demo / "global.cfg", ("\r\n".join(GLOBAL_CFG) + "\r\n").encode("ascii"))
    write(demo / "ailists.cfg", ("\r\n".join(AILISTS_CFG) + "\r\n").encode("ascii"))
    for name, encoding, line_break, entries in TILES:
        write(demo / name, encode_tile(tile_lines(entries), encoding, line_break))

    # Holds a global.cfg but no ailists.cfg, so it is not a map folder.
    not_a_map = root / "maps" / "NotAMap"
    write(not_a_map / "global.cfg", ("\r\n".join(GLOBAL_CFG[:5]) + "\r\n").encode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
