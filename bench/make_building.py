#!/usr/bin/python3
"""Writes the drawing of a whole building for the DXF benchmarks, the same for the same
seed: 40 % lines, 30 % texts with extended data of two applications, 20 % circles and
10 % references of a few blocks, on 200 layers named as the product names them.

    make_building.py ENTITIES OUT.dxf [SEED]

Needs ezdxf (Debian's python3-ezdxf, seen by /usr/bin/python3)."""
import random
import sys

import ezdxf


def main(count, path, seed=1):
    rng = random.Random(seed)
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    sections, constructions, floors = "ATS", ["SK1", "SK2", "VK1", "OK0", "PO_"], ["_1", "_2", "_3", "S1"]
    layers = []
    while len(layers) < 200:
        name = f"{rng.choice(sections)}{rng.choice('AKV')}{rng.choice(constructions)}{rng.choice(floors)}{len(layers) % 10}"
        if name not in layers:
            layers.append(name)
            doc.layers.add(name, color=1 + len(layers) % 250)
    for app in ("QD_LABEL", "QD_PART"):
        doc.appids.add(app)
    blocks = []
    for b in range(5):
        block = doc.blocks.new(f"DOOR{b}")
        block.add_line((0, 0), (900, 0))
        block.add_arc((0, 0), 900, 0, 90)
        blocks.append(block.name)
    for i in range(count):
        x, y = rng.uniform(0, 100000), rng.uniform(0, 60000)
        attribs = {"layer": rng.choice(layers)}
        kind = i % 10
        if kind < 4:
            msp.add_line((x, y), (x + rng.uniform(-3000, 3000), y + rng.uniform(-3000, 3000)), dxfattribs=attribs)
        elif kind < 7:
            text = msp.add_text(f"Místnost {i}", dxfattribs={**attribs, "height": 250, "insert": (x, y)})
            text.set_xdata("QD_LABEL", [(1000, "room"), (1070, i % 30000), (1040, rng.uniform(0, 100))])
            text.set_xdata("QD_PART", [(1005, "0"), (1000, f"P{i % 97}")])
        elif kind < 9:
            msp.add_circle((x, y), rng.uniform(50, 500), dxfattribs=attribs)
        else:
            msp.add_blockref(rng.choice(blocks), (x, y), dxfattribs={**attribs, "rotation": rng.choice((0, 90, 180, 270))})
    doc.saveas(path)


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    main(int(sys.argv[1]), sys.argv[2], int(sys.argv[3]) if len(sys.argv) == 4 else 1)
