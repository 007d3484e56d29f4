# A user settings file written by "save_all" in a first session, kept as it was.
qdhost=$1 module=$2 work=$3
printf 'QDLBL\ndialog qdlbl\nclick save_all\ncancel\n' > "$work/first.scr"
"$qdhost" --quiet --no-modules --module "$module" --data "$work/data" --env "TVDAT=$work/tvdat" \
  --script "$work/first.scr" --transcript "$work/first.txt"
cp "$work/tvdat/QDLBL_U.SET" "$work/before.set"
