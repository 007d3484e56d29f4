# A library file that is not one, and a user settings file that cannot be read.
work=$3
printf 'NOT A LABEL LIBRARY' > "$work/tvdat/QDLBL.LIB"
mkdir "$work/tvdat/QDLBL_U.SET"
