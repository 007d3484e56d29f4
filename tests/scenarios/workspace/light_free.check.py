"""The light run saved the settings with the floor flag cleared and the floor code of the
last floor group selected."""
import struct
import sys

work = sys.argv[1]
with open(f"{work}/tvdat/QDSTRAT.QDL", "rb") as f:
    data = f.read()
settings = struct.unpack("<bB52sHIII", data[-68:])[2].rstrip(b"\0").decode("cp1250")
if settings[0] != "0" or settings[10:12] != "_1":
    print(f"{sys.argv[0]}: settings {settings!r}")
    sys.exit(1)
