"""The light run saved its tree to TVDAT's file: the shipped groups, and in the settings
the floor of the workspace set."""
import struct
import sys

work = sys.argv[1]
with open(f"{work}/tvdat/QDSTRAT.QDL", "rb") as f:
    data = f.read()
records = [struct.unpack("<bB52sHIII", data[i:i + 68]) for i in range(0, len(data), 68)]
groups = [r[2].rstrip(b"\0").decode("cp1250") for r in records if r[0] == 0]
settings = records[-1][2].rstrip(b"\0").decode("cp1250")
problems = []
if groups != ["_1", "_2", "_3", "S1", "ST", "Celý objekt"]:
    problems.append(f"groups {groups}")
if records[-1][0] != -83 or settings[0] != "1" or settings[10:12] != "_2":
    problems.append(f"settings {settings!r}")
if problems:
    print(f"{sys.argv[0]}: " + "; ".join(problems))
    sys.exit(1)
