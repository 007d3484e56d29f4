"""The library file after the scenario: its header, the entries in the order they were
first stored (the replaced one in its place, the deleted one gone), and the bytes of
an entry with an empty row."""
import struct
import sys

data = open(sys.argv[1] + "/tvdat/QDLBL.LIB", "rb").read()
assert data[:5] == b"QDLBL" and struct.unpack("<HH", data[5:9]) == (1, 65535) and data[9:109] == bytes(100)


def entries(b):
    pos = 109
    while pos < len(b):
        n = b[pos]
        name = b[pos + 1:pos + n].decode("cp1250")
        kind = b[pos + n + 1]
        (length,) = struct.unpack("<I", b[pos + n + 2:pos + n + 6])
        block = b[pos + n + 6:pos + n + 6 + length]
        yield name, kind, block
        pos += n + 6 + length


found = list(entries(data))
assert [(n, k) for n, k, _ in found] == [("okno", 0), ("na care", 8), ("Okno", 0)], found
assert found[0][2] == b"\x02E\x00\x00", found[0]  # replaced: one row "E"
assert found[2][2] == b"\x02D\x00\x01\x00\x00", found[2]  # "D" and an empty row: 6 bytes
