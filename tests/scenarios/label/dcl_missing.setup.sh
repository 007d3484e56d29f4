# The label module's dialog file is not there.
rm -f "$3"/data/qdlbl.dcl
