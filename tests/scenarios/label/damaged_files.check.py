"""Neither damaged file was written over."""
import os
import sys

work = sys.argv[1]
assert open(work + "/tvdat/QDLBL.LIB", "rb").read() == b"NOT A LABEL LIBRARY"
assert os.path.isdir(work + "/tvdat/QDLBL_U.SET")
