#!/usr/bin/python3
"""Writes the shipped workspace definition file from the product table: for each floor a
group tied to it (the whole floor, the walls only, the structure without texts, the
openings), and a free group over the whole building (every floor, all walls, axes and
dimensions, each section alone), and the settings the options start from.

    make_workspaces.py data/product.txt data/QDSTRAT.QDL [OPTIONS]

OPTIONS, when given, replaces the leading characters of the settings (positions 0 to 9:
the floor flag, the six options and the lock choice), for a file that starts from other
options than the shipped one.

The file is 68-byte records in pre-order (level, state, a 52-byte name in code page
1250, two unused bytes and three link flags), the settings record last."""
import struct
import sys

SETTINGS_LEVEL = 0xAD


def product(path):
    codes = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            kind, code, *rest = line.split("|")
            codes.setdefault(kind, []).append((code, rest[0] if rest else ""))
    return codes


class Node:
    def __init__(self, level, name, state=0):
        self.level, self.name, self.state, self.children = level, name, state, []

    def add(self, name, state=0):
        child = Node(self.level + 1, name, state)
        self.children.append(child)
        return child


def workspace(group, title, description, actions):
    w = group.add(title)
    pieces = [description[i:i + 50] for i in range(0, len(description), 50)] or [""]
    first = w.add(pieces[0])
    for piece in pieces[1:]:
        w.add(piece)
    for a in actions:
        first.add(a)


def tree(codes):
    groups = []
    for floor, text in codes["floor"]:
        g = Node(0, floor, state=1)
        workspace(g, "Celé podlaží", f"Všechny hladiny podlaží {text}.", [f"_T ?????{floor}*"])
        workspace(g, "Jen svislé konstrukce", "Stěny a příčky podlaží, ostatní zmrazeno.",
                  [f"_F ?????{floor}*", f"_T ??SK?{floor}*"])
        workspace(g, "Konstrukce bez popisů", "Podlaží bez popisů a kót.",
                  [f"_T ?????{floor}*", f"_F ??PO_{floor}*", f"_F ??KO_{floor}*"])
        workspace(g, "Otvory", "Okna a dveře podlaží.", [f"_F ?????{floor}*", f"_T ??OK?{floor}*"])
        groups.append(g)
    whole = Node(0, "Celý objekt")
    workspace(whole, "Všechna podlaží", "", ["_T *"])
    workspace(whole, "Všechny stěny", "Svislé konstrukce všech podlaží.", ["_F *", "_T ??SK?*"])
    workspace(whole, "Osy a kóty", "", ["_F *", "_T ??OS_*", "_T ??KO_*"])
    for section, text in codes["section"]:
        workspace(whole, f"Jen {section} - {text}"[:52], f"Jen hladiny sekce {text}.", ["_F *", f"_T {section}*"])
    groups.append(whole)
    return groups


def record(level, state, name, child, nxt, prev):
    data = name.encode("cp1250")[:52]
    return struct.pack("<bB52sHIII", level if level < 128 else level - 256, state, data, 0, child, nxt, prev)


def write(nodes, out, has_prev):
    for i, n in enumerate(nodes):
        prev = has_prev or i > 0
        out.append(record(n.level, n.state, n.name, 1 if n.children else 0, 1 if i + 1 < len(nodes) else 0, 1 if prev else 0))
        write(n.children, out, True)


def main(source, target, options=""):
    out = []
    write(tree(product(source)), out, False)
    # Every option on but the section filter (no section chosen yet), thawed layers left
    # unlocked, floor _1, construction SK0, any section.
    settings = "0111110111" + "_1" + "SK0" + "?" + "\x01" + "." * 29
    if len(options) > 10 or any(c not in "012" for c in options):
        sys.exit(f"{sys.argv[0]}: options are up to ten of 0, 1 and 2: {options!r}")
    settings = options + settings[len(options):]
    out.append(record(SETTINGS_LEVEL, 0, settings, 0, 0, 0))
    with open(target, "wb") as f:
        f.write(b"".join(out))


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    main(*sys.argv[1:])
