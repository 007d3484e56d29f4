"""What the settings dialog stored: only the accepted edits of variant I's plain text
(width factor 0.9, colour 3), the height refused and the cancelled edits nowhere."""
import struct
import sys

work = sys.argv[1]
before = open(work + "/before.set", "rb").read()
after = open(work + "/tvdat/QDLBL_U.SET", "rb").read()
TABLE, BLOCK = 77, 648
block = bytearray(before[TABLE:TABLE + BLOCK])
block[48:68] = "0.9".encode("utf-16-le").ljust(20, b"\0")
block[200:204] = struct.pack("<i", 3)
assert after[TABLE:TABLE + BLOCK] == bytes(block), "variant I kind 0 holds other bytes"
# Every other block is as it was.
assert after[TABLE + BLOCK:TABLE + 27 * BLOCK] == before[TABLE + BLOCK:TABLE + 27 * BLOCK]
