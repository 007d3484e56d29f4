"""What the settings dialog stored: only the accepted edits of variant I's plain text
(width factor 0.9, colour 3) and the style the host's style dialog made current; the
heights refused and the cancelled edits nowhere."""
import struct
import sys

work = sys.argv[1]
before = open(work + "/before.set", "rb").read()
after = open(work + "/tvdat/QDLBL_U.SET", "rb").read()
TABLE, BLOCK = 77, 648
block = bytearray(before[TABLE:TABLE + BLOCK])
block[48:68] = "0.9".encode("utf-16-le").ljust(20, b"\0")
block[200:204] = struct.pack("<i", 3)
block[68:134] = "Standard".encode("utf-16-le").ljust(66, b"\0")
assert after[TABLE:TABLE + BLOCK] == bytes(block), "variant I kind 0 holds other bytes"
# Variant I's text on a line: a broken reference line, not drawn, in the linetype the
# host's linetype dialog left current.
block = bytearray(before[TABLE + BLOCK:TABLE + 2 * BLOCK])
block[220:288] = "ByLayer".encode("utf-16-le").ljust(68, b"\0")
block[212:216] = "0".encode("utf-16-le").ljust(4, b"\0")
block[292:312] = "break".encode("utf-16-le").ljust(20, b"\0")
block[396:400] = struct.pack("<i", 3)
assert after[TABLE + BLOCK:TABLE + 2 * BLOCK] == bytes(block), "variant I kind 1 holds other bytes"
# Variant I's frame alone: placed by its top-left corner.
block = bytearray(before[TABLE + 7 * BLOCK:TABLE + 8 * BLOCK])
block[548:552] = struct.pack("<i", 1)
assert after[TABLE + 7 * BLOCK:TABLE + 8 * BLOCK] == bytes(block), "variant I kind 7 holds other bytes"
# Every other block is as it was.
assert after[TABLE + 2 * BLOCK:TABLE + 7 * BLOCK] == before[TABLE + 2 * BLOCK:TABLE + 7 * BLOCK]
assert after[TABLE + 8 * BLOCK:TABLE + 27 * BLOCK] == before[TABLE + 8 * BLOCK:TABLE + 27 * BLOCK]
