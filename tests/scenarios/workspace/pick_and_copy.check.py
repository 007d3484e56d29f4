"""The tree after the edit and the copy: "Otvory" left the second floor for the new free
group with the picked construction's action, and the whole building's group ends with
the copy of the first floor's workspace, its description and action with it."""
import struct
import sys

work = sys.argv[1]
with open(f"{work}/plochy.QDL", "rb") as f:
    data = f.read()
records = [struct.unpack("<bB52sHIII", data[i:i + 68]) for i in range(0, len(data), 68)]
nodes = [(r[0], r[1], r[2].rstrip(b"\0").decode("cp1250")) for r in records[:-1]]


def children(group):
    """The workspaces (level 1) of a group and what hangs under them."""
    at = next(i for i, (level, _, name) in enumerate(nodes) if level == 0 and name == group)
    out = []
    for level, state, name in nodes[at + 1:]:
        if level == 0:
            break
        out.append((level, state, name))
    return out


problems = []
second = [name for level, _, name in children("_2") if level == 1]
if "Otvory" in second:
    problems.append(f"the second floor still has Otvory: {second}")
new = children("Nová skupina")
if [n for n in new if n[0] != 2] != [(1, 0, "Otvory"), (3, 0, "_F ?????_2*"), (3, 0, "_T ??OK?_2*"), (3, 0, "_T ??SK1??*")]:
    problems.append(f"the new group {new}")
whole = children("Celý objekt")
if whole[-3:] != [(1, 0, "Celé podlaží"), (2, 0, "Všechny hladiny podlaží 1. nadzemní podlaží."), (3, 0, "_T ?????_1*")]:
    problems.append(f"the copy {whole[-3:]}")
if problems:
    print(f"{sys.argv[0]}: " + "; ".join(problems))
    sys.exit(1)
