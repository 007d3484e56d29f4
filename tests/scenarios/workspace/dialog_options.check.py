"""The settings exported after the options page's changes: the defaults, then zoom off,
and the construction chosen with its kind."""
import struct
import sys

work = sys.argv[1]
with open(f"{work}/optionen.QDL", "rb") as f:
    data = f.read()
settings = struct.unpack("<bB52sHIII", data[-68:])[2].rstrip(b"\0").decode("cp1250")
if settings[1:8] != "1110111" or settings[12:15] != "SK2" or settings[16] != "\x01":
    print(f"{sys.argv[0]}: settings {settings!r}")
    sys.exit(1)
