"""The tree the selection page exported and the menu it wrote: the group deleted is gone,
the workspace deleted too, and the one moved up stands first."""
import struct
import sys

work = sys.argv[1]
with open(f"{work}/export.QDL", "rb") as f:
    data = f.read()
records = [struct.unpack("<bB52sHIII", data[i:i + 68]) for i in range(0, len(data), 68)]
named = [(r[0], r[2].rstrip(b"\0").decode("cp1250")) for r in records]
groups = [n for level, n in named if level == 0]
whole = [n for level, n in named[named.index((0, "Celý objekt")) + 1:] if level == 1]
problems = []
if groups != ["_1", "_2", "_3", "S1", "Celý objekt"]:
    problems.append(f"groups {groups}")
if whole[:2] != ["Všechny stěny", "Všechna podlaží"] or "Osy a kóty" in whole:
    problems.append(f"workspaces of the whole building {whole}")
with open(f"{work}/plochy.MNU", encoding="cp1250") as f:
    menu = f.read()
if "[->Celý objekt]" not in menu or "Osy a kóty" in menu or "Střecha" in menu or "[plochy.MNU]^C" not in menu:
    problems.append("menu")
with open(f"{work}/between.QDL", "rb") as f:
    between = f.read()
kept = [struct.unpack("<bB52sHIII", between[i:i + 68]) for i in range(0, len(between), 68)]
if [r[2].rstrip(b"\0").decode("cp1250") for r in kept if r[0] == 0] != ["_1", "_2", "_3", "Celý objekt"]:
    problems.append("the import of a menu file changed the tree")
with open(f"{work}/again.QDL", "rb") as f:
    if f.read() != data:
        problems.append("the tree imported is not the one exported")
if problems:
    print(f"{sys.argv[0]}: " + "; ".join(problems))
    sys.exit(1)
