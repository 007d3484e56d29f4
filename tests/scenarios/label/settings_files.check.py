"""QDLBL_U.SET after "save_akt" on variant 1, kind 4 differs from the file before, and
only inside that block's 648 bytes."""
import sys

work = sys.argv[1]
before = open(work + "/before.set", "rb").read()
after = open(work + "/tvdat/QDLBL_U.SET", "rb").read()
assert len(before) == len(after) == 17573, (len(before), len(after))
start = 77 + (1 * 9 + 4) * 648
changed = [i for i in range(len(after)) if before[i] != after[i]]
assert changed and all(start <= i < start + 648 for i in changed), changed[:10]
# The dialog's options were not written: "bind" is still off, the variant still typ1.
assert after[55:57] == before[55:57] and after[27:31] == b"typ1", after[27:37]
