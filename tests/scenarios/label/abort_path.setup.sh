# The prototype drawings are not there.
rm -f "$3"/data/dwg/QDBED-M*
